#include "ui/platform/qt/russian_keys.h"

#include <QString>
#include <array>

namespace velunar {
namespace {

// The 33 letter keys: the US layout's character on each, its XKB keycode,
// and the Russian letter on it.
constexpr char kLatin[] = "qwertyuiop[]asdfghjkl;'zxcvbnm,.`";
constexpr std::array<std::uint32_t, 33> kKeycodes = {
    24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35,  // the top row, Q to ]
    38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48,      // the home row, A to '
    52, 53, 54, 55, 56, 57, 58, 59, 60,              // the bottom row, Z to .
    49,                                              // ` left of 1
};
const QString& Russian() {
  static const QString letters = QStringLiteral(u"йцукенгшщзхъфывапролджэячсмитьбюё");
  return letters;
}

}  // namespace

QChar RussianLetterAtKey(std::uint32_t nKeycode) {
  for (std::size_t i = 0; i < kKeycodes.size(); ++i) {
    if (kKeycodes[i] == nKeycode) return Russian()[static_cast<qsizetype>(i)];
  }
  return {};
}

QChar RussianLetterForLatin(QChar latin) {
  const QChar lower = latin.toLower();
  for (std::size_t i = 0; i + 1 < sizeof kLatin; ++i) {
    if (lower == QLatin1Char(kLatin[i])) return Russian()[static_cast<qsizetype>(i)];
  }
  return {};
}

}  // namespace velunar

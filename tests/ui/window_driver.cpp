#include "tests/ui/window_driver.h"

#include <QString>

#include "store/text/cp1251.h"

namespace velunar::testing {

std::string Cp(const char* utf8) {
  const QString text = U(utf8);
  return Cp(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                static_cast<std::size_t>(text.size())));
}

std::string Utf8(std::string_view cp1251) {
  const std::u16string text = DecodeCp1251(cp1251);
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())).toStdString();
}

}  // namespace velunar::testing

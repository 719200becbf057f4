#include "ui/platform/qt/control_text.h"

#include <gtest/gtest.h>

namespace velunar {
namespace {

TEST(ControlText, StripMnemonicDropsMarkersAndKeepsDoubledAmpersand) {
  struct Row {
    const char* caption;
    const char* want;
  };
  const Row rows[] = {
      {"На&йти", "Найти"},
      {"Показать вс&ё", "Показать всё"},
      {"&Сохранить", "Сохранить"},
      {"A && B", "A & B"},
      {"&&&x", "&x"},
      {"tail&", "tail"},
      {"", ""},
      {"OK", "OK"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.caption);
    EXPECT_EQ(StripMnemonic(QString::fromUtf8(r.caption)), QString::fromUtf8(r.want));
  }
}

TEST(ControlText, MnemonicOfFindsTheMarkedCharacter) {
  struct Row {
    const char* caption;
    char16_t want;  // 0: none
  };
  const Row rows[] = {
      {"На&йти", u'й'}, {"Показать вс&ё", u'ё'}, {"Доба&вить", u'в'}, {"&Сохранить", u'С'},
      {"В&ыход", u'ы'}, {"A && B", 0},           {"A && &B", u'B'},   {"tail&", 0},
      {"", 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.caption);
    const QChar got = MnemonicOf(QString::fromUtf8(r.caption));
    EXPECT_EQ(got.unicode(), r.want);
  }
}

TEST(ControlText, MnemonicKeyIgnoresLetterCase) {
  struct Row {
    char16_t mnemonic;
    const char* typed;
    bool want;
  };
  const Row rows[] = {
      {u'й', "й", true},   {u'й', "Й", true}, {u'С', "с", true},  {u'ё', "Ё", true},
      {u'ё', "е", false},  {u'a', "A", true}, {u'a', "b", false}, {u'ы', "", false},
      {u'ы', "ыы", false}, {0, "a", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.typed);
    EXPECT_EQ(IsMnemonicKey(QChar(r.mnemonic), QString::fromUtf8(r.typed)), r.want);
  }
}

}  // namespace
}  // namespace velunar

// The status-text test and the count line, against the texts as a person
// reads them (UTF-8 here, Windows-1251 in the program).
#include "store/status_texts.h"

#include <gtest/gtest.h>

#include <string>

#include "store/cp1251.h"

namespace velunar {
namespace {

std::string Cp(std::u16string_view text) { return EncodeCp1251(text).value(); }

TEST(StatusTexts, AreTheProgramsWordsInWindows1251) {
  EXPECT_EQ(kHintText,
            Cp(u"Введите текст для поиска или добавления новых данных. Редактируйте текст для "
               u"изменения выделенной строки из вышерасположенного поля."));
  EXPECT_EQ(kCountPrefix, Cp(u"Количество показанных записей — "));
  EXPECT_EQ(kCountPrefix.size(), 32u);
  EXPECT_EQ(kCountPrefix[30], '\x97');
  EXPECT_EQ(kNotFoundLine, Cp(u"Записи по введённому запросу не были найдены"));
}

TEST(StatusTexts, TestRecognisesExactlyTheStatusTexts) {
  const std::string hint(kHintText);
  const std::string prefix(kCountPrefix);
  const std::string notFound(kNotFoundLine);
  struct Row {
    std::string text;
    bool isStatus;
  };
  const Row rows[] = {
      {hint, true},
      {hint + " ", false},  // equality, not prefix
      {hint.substr(1), false},
      {prefix, true},  // the count prefix alone
      {prefix + "12", true},
      {prefix + Cp(u"что угодно"), true},  // anything may follow the prefix
      {" " + prefix + "1", false},
      {prefix.substr(0, 30) + "- 1", false},     // hyphen for the em dash
      {prefix.substr(0, 30) + "\x96 1", false},  // en dash for the em dash
      {Cp(u"Итого: ") + prefix, false},          // prefix in the middle
      {notFound, true},
      {notFound + " ", false},
      {"", false},
      {Cp(u"Иван Петров"), false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(IsStatusText(r.text), r.isStatus);
  }
}

TEST(StatusTexts, CountLineIsPrefixAndDigits) {
  EXPECT_EQ(CountLine(0), Cp(u"Количество показанных записей — 0"));
  EXPECT_EQ(CountLine(12), Cp(u"Количество показанных записей — 12"));
  EXPECT_EQ(CountLine(100000), Cp(u"Количество показанных записей — 100000"));
  EXPECT_TRUE(IsStatusText(CountLine(3)));
}

}  // namespace
}  // namespace velunar

// The status-text test and the count line.
#include "store/text/status_texts.h"

#include <gtest/gtest.h>

#include <string>

#include "store/text/cp1251.h"

namespace velunar {
namespace {

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
      {prefix + std::string(kInCp1251<u8"что угодно">), true},  // anything may follow the prefix
      {" " + prefix + "1", false},
      {prefix.substr(0, 30) + "- 1", false},                  // hyphen for the em dash
      {prefix.substr(0, 30) + "\x96 1", false},               // en dash for the em dash
      {std::string(kInCp1251<u8"Итого: ">) + prefix, false},  // prefix in the middle
      {notFound, true},
      {notFound + " ", false},
      {"", false},
      {std::string(kInCp1251<u8"Иван Петров">), false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(IsStatusText(r.text), r.isStatus);
  }
}

TEST(StatusTexts, CountLineIsPrefixAndDigits) {
  const std::string prefix(kCountPrefix);
  EXPECT_EQ(CountLine(0), prefix + "0");
  EXPECT_EQ(CountLine(12), prefix + "12");
  EXPECT_EQ(CountLine(100000), prefix + "100000");
  EXPECT_EQ(CountLine(-3), prefix + "-3");
  EXPECT_TRUE(IsStatusText(CountLine(3)));
}

}  // namespace
}  // namespace velunar

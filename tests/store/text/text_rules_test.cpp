// Tests of the text rules. Texts are Windows-1251 bytes written out by hand,
// with the letters they stand for in a comment; orders were checked by a
// person against a Russian dictionary's alphabet.
#include "store/text/text_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace velunar {
namespace {

// "Введите текст для поиска или добавления новых данных. Редактируйте текст
// для изменения выделенной строки из вышерасположенного поля."
constexpr std::string_view kHint =
    "\xc2\xe2\xe5\xe4\xe8\xf2\xe5\x20\xf2\xe5\xea\xf1\xf2\x20\xe4\xeb\xff\x20\xef\xee\xe8\xf1\xea"
    "\xe0\x20\xe8\xeb\xe8\x20\xe4\xee\xe1\xe0\xe2\xeb\xe5\xed\xe8\xff\x20\xed\xee\xe2\xfb\xf5\x20"
    "\xe4\xe0\xed\xed\xfb\xf5\x2e\x20\xd0\xe5\xe4\xe0\xea\xf2\xe8\xf0\xf3\xe9\xf2\xe5\x20\xf2\xe5"
    "\xea\xf1\xf2\x20\xe4\xeb\xff\x20\xe8\xe7\xec\xe5\xed\xe5\xed\xe8\xff\x20\xe2\xfb\xe4\xe5\xeb"
    "\xe5\xed\xed\xee\xe9\x20\xf1\xf2\xf0\xee\xea\xe8\x20\xe8\xe7\x20\xe2\xfb\xf8\xe5\xf0\xe0\xf1"
    "\xef\xee\xeb\xee\xe6\xe5\xed\xed\xee\xe3\xee\x20\xef\xee\xeb\xff\x2e";

// "Количество показанных записей — " (em dash 0x97, then a space).
constexpr std::string_view kCountPrefix =
    "\xca\xee\xeb\xe8\xf7\xe5\xf1\xf2\xe2\xee\x20\xef\xee\xea\xe0\xe7\xe0\xed\xed\xfb\xf5\x20\xe7"
    "\xe0\xef\xe8\xf1\xe5\xe9\x20\x97\x20";

constexpr std::string_view kIvanUpper = "\xC8\xE2\xE0\xED";  // Иван
constexpr std::string_view kIvanLower = "\xE8\xE2\xE0\xED";  // иван

// ---------------------------------------------------------------- folding

TEST(FoldTest, FoldsEveryCapitalAndNothingElse) {
  struct Row {
    std::string_view in, want;
  };
  const Row rows[] = {
      {"", ""},
      // ЁЖИК Ivan-1 -> ёжик ivan-1
      {"\xA8\xC6\xC8\xCA Ivan-1", "\xB8\xE6\xE8\xEA ivan-1"},
      {"\xBD", "\xBE"},                          // Ѕ -> ѕ
      {"\xB2", "\xB3"},                          // І -> і
      {"\xA3", "\xBC"},                          // Ј -> ј
      {"\xA5\xAA\xAF\xA1", "\xB4\xBA\xBF\xA2"},  // ҐЄЇЎ -> ґєїў
      // Ђ Ѓ Љ Њ Ќ Ћ Џ -> ђ ѓ љ њ ќ ћ џ
      {"\x80\x81\x8A\x8C\x8D\x8E\x8F", "\x90\x83\x9A\x9C\x9D\x9E\x9F"},
      {"\xC0\xDF", "\xE0\xFF"},  // А Я -> а я, the ends of the range
      {"AZ@[`{", "az@[`{"},      // neighbours of A-Z stay
      {"\xB5", "\xB5"},          // µ is not a capital
      {"0123456789 .,;:-+()", "0123456789 .,;:-+()"},
      {"\x97\x96\xAB\xBB\xB9\xA0", "\x97\x96\xAB\xBB\xB9\xA0"},  // — – « » № NBSP
      {"\xE0\xB8\xBF", "\xE0\xB8\xBF"},                          // а ё ї are lower case already
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::PrintToString(r.in));
    EXPECT_EQ(FoldedCopy(r.in), r.want);
  }
}

TEST(FoldTest, ExactlySeventyThreeCapitals) {
  int capitals = 0;
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    const auto byte = static_cast<unsigned char>(b);
    capitals += FoldByte(byte) != byte;
    // Folding twice changes nothing more: a folded byte is no capital.
    EXPECT_EQ(FoldByte(FoldByte(byte)), FoldByte(byte));
  }
  EXPECT_EQ(capitals, 73);
}

TEST(FoldTest, KeepsLengthAndEmbeddedBytes) {
  EXPECT_EQ(FoldedCopy(std::string_view("\xC0\0\xC1", 3)),  // А NUL Б
            std::string("\xE0\0\xE1", 3));
}

// ---------------------------------------------------------------- equality

TEST(EqualityTest, ComparesBytesExactly) {
  const std::string hint_and_space = std::string(kHint) + " ";
  EXPECT_EQ(kHint.size(), 132u);
  EXPECT_TRUE(IsEqual(kHint, std::string(kHint)));
  EXPECT_FALSE(IsEqual(hint_and_space, kHint));
  EXPECT_FALSE(IsEqual(kHint, hint_and_space));
  EXPECT_FALSE(IsEqual(kIvanUpper, kIvanLower));
  EXPECT_TRUE(IsEqual("", ""));
  EXPECT_FALSE(IsEqual("", " "));
}

// ---------------------------------------------------------------- substring search

TEST(FindSubstringTest, Cases) {
  struct Row {
    std::string_view s, needle;
    std::ptrdiff_t start, want;
  };
  const Row rows[] = {
      {"abc", "", 0, 0},  // empty needle: at the start position
      {"abc", "", 2, 2},
      {"abc", "", 3, 3},   // ... even at the very end
      {"abc", "", 4, -1},  // but not beyond it
      {"", "", 0, 0},
      {"", "a", 0, -1},
      {"abc", "c", 3, -1},   // start equal to the length
      {"abc", "a", 5, -1},   // start beyond the length
      {"abc", "a", -1, -1},  // negative start
      {"abcabc", "bc", 0, 1},
      {"abcabc", "bc", 2, 4},  // counted from the beginning, not from start
      {"abcabc", "bc", 5, -1},
      {"abc", "abcd", 0, -1},  // needle longer than the text
      {"abc", "abc", 0, 0},
      {"Abc", "a", 0, -1},             // no folding
      {kIvanUpper, "\xE0\xED", 0, 2},  // "ан" in "Иван"
      {kIvanUpper, kIvanLower, 0, -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << testing::PrintToString(r.s) << " / "
                                    << testing::PrintToString(r.needle) << " from " << r.start);
    EXPECT_EQ(FindSubstring(r.s, r.needle, r.start), r.want);
  }
}

TEST(BeginsWithTest, CountPrefixVariants) {
  EXPECT_EQ(kCountPrefix.size(), 32u);
  const std::string prefix(kCountPrefix);
  std::string hyphen = prefix;
  hyphen[30] = '\x2D';
  std::string en_dash = prefix;
  en_dash[30] = '\x96';
  struct Row {
    std::string s;
    bool want;
  };
  const Row rows[] = {
      {prefix, true},
      {prefix + "12", true},
      {prefix + "abc", true},  // anything may follow
      {hyphen, false},
      {en_dash, false},
      {" " + prefix, false},
      {"\xC2\xF1\xE5\xE3\xEE " + prefix + "3", false},  // "Всего " before it
      {prefix.substr(0, 31), false},                    // without the final space
      {"", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::PrintToString(r.s));
    EXPECT_EQ(BeginsWith(r.s, kCountPrefix), r.want);
  }
  EXPECT_TRUE(BeginsWith("abc", ""));
  EXPECT_TRUE(BeginsWith("", ""));
}

// ---------------------------------------------------------------- query match

TEST(QueryMatchTest, Cases) {
  struct Row {
    std::string_view entry, query;
    bool want;
  };
  const Row rows[] = {
      // ПЕТР in "Иван Петров"
      {"\xC8\xE2\xE0\xED \xCF\xE5\xF2\xF0\xEE\xE2", "\xCF\xC5\xD2\xD0", true},
      // "н п" across the space, folded on both sides
      {"\xC8\xE2\xE0\xED \xCF\xE5\xF2\xF0\xEE\xE2", "\xCD \xEF", true},
      {"\xA8\xEB\xEA\xE8\xED", "\xB8", true},   // ё in Ёлкин
      {"\xA8\xEB\xEA\xE8\xED", "\xA8", true},   // Ё in Ёлкин
      {"\xB8\xEB\xEA\xE8\xED", "\xA8", true},   // Ё in ёлкин
      {"\xA8\xEB\xEA\xE8\xED", "\xE5", false},  // е is not ё
      {"\xA8\xEB\xEA\xE8\xED", "\xC5", false},  // nor Е
      {kIvanUpper, "ivan", false},              // Latin never matches Cyrillic
      {"\xC0", "A", false},                     // Cyrillic А vs Latin A
      {"IVAN", "ivan", true},
      {"\xB2\xE2\xE0\xED", "\xB3", true},            // і in Іван
      {kIvanUpper, "\xC8\xE2\xE0\xED \xCF", false},  // query longer than entry
      {"+7 (495) 123-45-67", "123-45", true},
      {"+7 (495) 123-45-67", "12345", false},  // punctuation is exact
      {"\xB5m", "\xB5", true},                 // µ matches itself only
      {"Mm", "\xB5", false},
      {kIvanUpper, "", true},  // empty query
      {"", "", true},
      {"", "a", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message()
                 << testing::PrintToString(r.entry) << " / " << testing::PrintToString(r.query));
    EXPECT_EQ(CQueryMatcher(r.query).Matches(r.entry), r.want);
  }
}

TEST(QueryMatchTest, MatcherOverManyEntries) {
  // One matcher over entries of varying length: nothing of a longer entry
  // may linger in its buffer when a shorter one follows.
  const CQueryMatcher matcher("\xE8\xE2\xE0\xED");  // иван
  struct Row {
    std::string_view entry;
    bool want;
  };
  const Row rows[] = {
      {"\xCF\xE5\xF2\xF0\xEE\xE2 \xC8\xC2\xC0\xCD", true},  // Петров ИВАН
      {"\xCF\xE5\xF2\xF0\xEE\xE2 \xC8", false},             // Петров И
      {"\xC8\xE2\xE0", false},                              // Ива
      {"\xC8\xE2\xE0\xED", true},                           // Иван
      {"", false},
      {"\xC8\xE2\xE0\xED\xEE\xE2", true},  // Иванов
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::PrintToString(r.entry));
    EXPECT_EQ(matcher.Matches(r.entry), r.want);
  }
}

TEST(QueryMatchTest, EntryIsNotChanged) {
  const std::string entry = "\xA8\xEB\xEA\xE8\xED";  // Ёлкин
  std::string copy = entry;
  EXPECT_TRUE(CQueryMatcher("\xB8\xEB").Matches(copy));
  EXPECT_EQ(copy, entry);
}

// ---------------------------------------------------------------- decimal count

TEST(DecimalCountTest, WritesPlainDigits) {
  struct Row {
    int n;
    std::string_view want;
  };
  const Row rows[] = {
      {0, "0"},           {7, "7"},
      {10, "10"},         {1000, "1000"},
      {123456, "123456"}, {INT_MAX, "2147483647"},
      {-5, "-5"},         {INT_MIN, "-2147483648"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.n);
    EXPECT_EQ(DecimalCount(r.n), r.want);
  }
}

// ---------------------------------------------------------------- list order

// Texts in list order. Texts in one group are case variants of each other
// and compare equal; every group comes before the next.
const std::vector<std::vector<std::string_view>>& OrderedGroups() {
  static const std::vector<std::vector<std::string_view>> groups = {
      {""},
      {"\x01"},
      {"\t"},
      {" "},
      {"  "},
      {" a"},
      {"!"},
      {"("},
      {"-"},
      {"-1"},
      {"@"},
      {"_"},
      {"~"},
      {"\x7F"},
      {"\x97"},  // —
      {"\xA0"},  // NBSP
      {"\xAB"},  // «
      {"\xB5"},  // µ
      {"\xB9"},  // №
      {"\xBB"},  // »
      {"0"},
      {"1"},
      {"12"},
      {"2"},
      {"9"},
      {"a", "A"},
      {"ivan", "Ivan", "IVAN"},
      {"z", "Z"},
      {"\xE0", "\xC0"},                                              // а
      {"\xC0\xED\xED\xE0", "\xE0\xED\xED\xE0", "\xC0\xCD\xCD\xC0"},  // Анна анна АННА
      {"\xC0\xED\xED\xE0 \xCF\xE5\xF2\xF0\xEE\xE2\xE0"},             // Анна Петрова
      {"\xC0\xED\xED\xE0-\xCC\xE0\xF0\xE8\xFF"},                     // Анна-Мария
      {"\xC0\xED\xED\xE0"
       "1"},  // Анна1
      {"\xC0\xED\xED\xE0"
       "b"},                                             // Аннаb
      {"\xC0\xED\xED\xE0\xE0"},                          // Аннаа
      {"\xE0\xF0\xEA\xE0\xE4\xE8\xE9"},                  // аркадий
      {"\xE1\xEE\xF0\xE8\xF1", "\xC1\xEE\xF0\xE8\xF1"},  // борис Борис
      {"\xE3"},                                          // г
      {"\xB4", "\xA5"},                                  // ґ Ґ
      {"\x83", "\x81"},                                  // ѓ Ѓ
      {"\xE4"},                                          // д
      {"\x90", "\x80"},                                  // ђ Ђ
      {"\xE5"},                                          // е
      {"\xE5\xFF"},                                      // ея
      {"\xB8", "\xA8"},                                  // ё Ё
      {"\xB8\xE0", "\xA8\xC0"},                          // ёа ЁА
      {"\xBA", "\xAA"},                                  // є Є
      {"\xE6\xE8\xEA", "\xC6\xC8\xCA"},                  // жик ЖИК
      {"\xE7"},                                          // з
      {"\xBE", "\xBD"},                                  // ѕ Ѕ
      {"\xE8"},                                          // и
      {"\xB3", "\xB2"},                                  // і І
      {"\xBF", "\xAF"},                                  // ї Ї
      {"\xE9"},                                          // й
      {"\xBC", "\xA3"},                                  // ј Ј
      {"\xEA"},                                          // к
      {"\x9D", "\x8D"},                                  // ќ Ќ
      {"\xEB"},                                          // л
      {"\x9A", "\x8A"},                                  // љ Љ
      {"\xEC"},                                          // м
      {"\xED"},                                          // н
      {"\x9C", "\x8C"},                                  // њ Њ
      {"\xEE"},                                          // о
      {"\xF2"},                                          // т
      {"\x9E", "\x8E"},                                  // ћ Ћ
      {"\xF3"},                                          // у
      {"\xA2", "\xA1"},                                  // ў Ў
      {"\xF7"},                                          // ч
      {"\x9F", "\x8F"},                                  // џ Џ
      {"\xF8"},                                          // ш
      {"\xFA"},                                          // ъ
      {"\xFB"},                                          // ы
      {"\xFC"},                                          // ь
      {"\xFD"},                                          // э
      {"\xFE"},                                          // ю
      {"\xFF", "\xDF"},                                  // я Я
      {"\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"},          // яяяяяяяяя
  };
  return groups;
}

struct RankedText {
  std::string_view text;
  int group;
};

std::vector<RankedText> OrderedTexts() {
  std::vector<RankedText> texts;
  const auto& groups = OrderedGroups();
  for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
    for (std::string_view t : groups[g]) texts.push_back({t, g});
  }
  return texts;
}

int Sign(int v) { return (v > 0) - (v < 0); }

TEST(ListOrderTest, FollowsTheHandCheckedTable) {
  const std::vector<RankedText> texts = OrderedTexts();
  for (const RankedText& a : texts) {
    for (const RankedText& b : texts) {
      SCOPED_TRACE(testing::Message()
                   << testing::PrintToString(a.text) << " vs " << testing::PrintToString(b.text));
      const int want = Sign(a.group - b.group);
      EXPECT_EQ(Sign(CompareListOrder(a.text, b.text)), want);
      // Antisymmetry.
      EXPECT_EQ(Sign(CompareListOrder(b.text, a.text)), -want);
    }
  }
}

TEST(ListOrderTest, IsTransitiveOverTheTable) {
  const std::vector<RankedText> texts = OrderedTexts();
  const std::size_t n = texts.size();
  std::vector<std::vector<int>> sign(n, std::vector<int>(n));
  for (std::size_t a = 0; a < n; ++a) {
    for (std::size_t b = 0; b < n; ++b) {
      sign[a][b] = Sign(CompareListOrder(texts[a].text, texts[b].text));
    }
  }
  // a < b < c gives a < c, and a == b == c gives a == c.
  for (std::size_t a = 0; a < n; ++a) {
    for (std::size_t b = 0; b < n; ++b) {
      for (std::size_t c = 0; c < n; ++c) {
        if (sign[a][b] == sign[b][c] && sign[a][c] != sign[a][b]) {
          ADD_FAILURE() << testing::PrintToString(texts[a].text) << " "
                        << testing::PrintToString(texts[b].text) << " "
                        << testing::PrintToString(texts[c].text);
        }
      }
    }
  }
}

TEST(ListOrderTest, SortsNamesAlphabeticallyWhateverTheirArrival) {
  std::vector<std::string> names = {
      "\xE1\xEE\xF0\xE8\xF1",          // борис
      "\xC0\xED\xED\xE0",              // Анна
      "\xE0\xF0\xEA\xE0\xE4\xE8\xE9",  // аркадий
  };
  const std::vector<std::string> want = {names[1], names[2], names[0]};
  std::sort(names.begin(), names.end());
  do {
    std::vector<std::string> sorted = names;
    std::stable_sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
      return CompareListOrder(a, b) < 0;
    });
    EXPECT_EQ(sorted, want);
  } while (std::next_permutation(names.begin(), names.end()));
}

TEST(ListOrderTest, LongTextsDifferingLate) {
  // The difference lies beyond the first eight or sixteen bytes, and in case
  // only before it.
  const std::string base = "\xCF\xE5\xF2\xF0\xEE\xE2 \xC8\xE2\xE0\xED \xCF\xE5\xF2\xF0\xEE\xE2";
  std::string upper = base;
  upper[0] = '\xEF';  // п instead of П: still equal
  EXPECT_EQ(CompareListOrder(base + "\xE8\xF7", upper + "\xE8\xF7"), 0);
  EXPECT_LT(CompareListOrder(base + "\xE8\xF7", upper + "\xE8\xF8"), 0);  // ...ич < ...иш
  EXPECT_LT(CompareListOrder(base + "a", base + "\xE0"), 0);              // Latin a < Cyrillic а
  EXPECT_LT(CompareListOrder(base, base + " "), 0);
  EXPECT_GT(CompareListOrder(base + "\xB8", base + "\xE5\xFF"), 0);  // ...ё > ...ея
}

// The rank of one byte in list order, as the sort's key holds it.
unsigned Rank(unsigned char b) {
  const char c = static_cast<char>(b);
  return static_cast<unsigned>(ListOrderKey(std::string_view(&c, 1)) >> 56);
}

TEST(ListRankTest, RanksClassesInOrder) {
  // Bytes in strictly rising list order, one or two from each class and
  // every Cyrillic letter.
  const std::string_view rising =
      "\x01\x1F"  // control
      " "
      "!/:@[`{~"  // ASCII signs, in ASCII order
      "\x7F\x82\x97\x98\xA0\xB9\xBB"
      "09"
      "az"
      "\xE0\xE1\xE2\xE3\xB4\x83\xE4\x90\xE5\xB8\xBA\xE6\xE7\xBE\xE8\xB3\xBF\xE9\xBC\xEA\x9D\xEB"
      "\x9A\xEC\xED\x9C\xEE\xEF\xF0\xF1\xF2\x9E\xF3\xA2\xF4\xF5\xF6\xF7\x9F\xF8\xF9\xFA\xFB\xFC"
      "\xFD\xFE\xFF";
  for (std::size_t i = 1; i < rising.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "byte " << i);
    EXPECT_LT(Rank(static_cast<unsigned char>(rising[i - 1])),
              Rank(static_cast<unsigned char>(rising[i])));
  }

  // Every sign outside ASCII sits between the ASCII signs and the digits.
  const std::string_view other_signs =
      "\x82\x84\x85\x86\x87\x88\x89\x8B\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9B"
      "\xA0\xA4\xA6\xA7\xA9\xAB\xAC\xAD\xAE\xB0\xB1\xB5\xB6\xB7\xB9\xBB";
  EXPECT_EQ(other_signs.size(), 34u);
  for (char c : other_signs) {
    SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(c)));
    EXPECT_GT(Rank(static_cast<unsigned char>(c)), Rank('~'));
    EXPECT_LT(Rank(static_cast<unsigned char>(c)), Rank('0'));
  }
}

TEST(ListRankTest, OneRankPerFoldedByte) {
  std::set<int> ranks;
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    const auto byte = static_cast<unsigned char>(b);
    EXPECT_NE(Rank(byte), 0);
    EXPECT_EQ(Rank(byte), Rank(FoldByte(byte)));
    ranks.insert(Rank(byte));
  }
  EXPECT_EQ(ranks.size(), 256u - 73u);
}

TEST(ListOrderKeyTest, AgreesWithTheComparison) {
  const std::vector<RankedText> texts = OrderedTexts();
  std::vector<std::string_view> extra = {
      "\xCF\xE5\xF2\xF0\xEE\xE2 \xC8\xE2\xE0\xED",  // Петров Иван
      "\xCF\xE5\xF2\xF0\xEE\xE2 \xC8\xE2\xE0",      // Петров Ива
      "\xCF\xE5\xF2\xF0\xEE\xE2 \xC8",              // Петров И
      "\xEF\xE5\xF2\xF0\xEE\xE2 \xC8",              // петров И
      "\xCF\xE5\xF2\xF0\xEE\xE2",                   // Петров
      "\xCF\xE5\xF2\xF0\xEE\xE2\x01",               // Петров and a control byte
      "\xCF\xE5\xF2\xF0\xEE\xE2\xE0",               // Петрова
      "abcdefgh",
      "abcdefghi",
      "ABCDEFGH",
      "abcdefgi",
  };
  std::vector<std::string_view> all = extra;
  for (const RankedText& t : texts) all.push_back(t.text);
  for (std::string_view a : all) {
    for (std::string_view b : all) {
      SCOPED_TRACE(testing::Message()
                   << testing::PrintToString(a) << " vs " << testing::PrintToString(b));
      const std::uint64_t ka = ListOrderKey(a);
      const std::uint64_t kb = ListOrderKey(b);
      if (ka < kb) {
        EXPECT_LT(CompareListOrder(a, b), 0);
      }
      if (ka > kb) {
        EXPECT_GT(CompareListOrder(a, b), 0);
      }
      if (CompareListOrder(a, b) == 0) {
        EXPECT_EQ(ka, kb);
      }
    }
  }
  // Only the first eight bytes count.
  EXPECT_EQ(ListOrderKey("abcdefgh"), ListOrderKey("abcdefghi"));
  EXPECT_EQ(ListOrderKey("abcdefgh"), ListOrderKey("ABCDEFGHZ"));
  EXPECT_LT(ListOrderKey("abcdefg"), ListOrderKey("abcdefgh"));
  EXPECT_LT(ListOrderKey("a"), ListOrderKey("a\x01"));  // padding below every byte
  EXPECT_EQ(ListOrderKey(""), 0u);
}

// ---------------------------------------------------------------- prefix search

TEST(PrefixTest, InTheRangeOfTextsBeginningWithThePrefix) {
  struct Row {
    std::string_view item, prefix;
    bool want;
  };
  constexpr std::string_view kAnnaLower = "\xE0\xED\xED\xE0";  // анна
  const Row rows[] = {
      {"\xC0\xED\xED\xE0 \xCF\xE5\xF2\xF0\xEE\xE2\xE0", kAnnaLower, true},  // Анна Петрова
      {"\xC0\xED\xED\xE0", kAnnaLower, true},                               // Анна
      {"\xC0\xCD\xCD\xC0", kAnnaLower, true},                               // АННА
      {"\xC0\xED\xED", kAnnaLower, false},                                  // Анн: shorter
      {"\xC1\xEE\xF0\xE8\xF1", kAnnaLower, false},                          // Борис
      {"\xC0\xED\xED\xE0", "\xC0\xCD\xCD\xC0", true},                       // prefix folded too
      {"\xC0\xED\xED\xE0", "Anna", false},                                  // Latin prefix
      {"\xA8\xEB\xEA\xE8\xED", "\xE5", false},                              // Ёлкин, е
      {"\xA8\xEB\xEA\xE8\xED", "\xB8\xEB", true},                           // Ёлкин, ёл
      {" \xC0\xED\xED\xE0", kAnnaLower, false},                             // space first
      {"x", "", true},
      {"", "", true},
      {"", "a", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message()
                 << testing::PrintToString(r.item) << " / " << testing::PrintToString(r.prefix));
    EXPECT_EQ(ComparePrefixRange(r.item, r.prefix) == 0, r.want);
  }
}

TEST(PrefixTest, RangeIsMonotoneOverASortedList) {
  constexpr std::string_view kAnnaLower = "\xE0\xED\xED\xE0";  // анна
  struct Row {
    std::string_view item;
    int want;
  };
  // A list in list order, and where each item lies against the range of
  // items that begin with "анна".
  const Row rows[] = {
      {"", -1},
      {"\xC0\xEB", -1},                                      // Ал
      {"\xC0\xED", -1},                                      // Ан
      {"\xC0\xED\xE7", -1},                                  // Анз
      {"\xC0\xED\xED", -1},                                  // Анн
      {"\xC0\xED\xED\xE0", 0},                               // Анна
      {"\xC0\xCD\xCD\xC0", 0},                               // АННА
      {"\xC0\xED\xED\xE0 \xCF\xE5\xF2\xF0\xEE\xE2\xE0", 0},  // Анна Петрова
      {"\xC0\xED\xED\xE0-\xCC\xE0\xF0\xE8\xFF", 0},          // Анна-Мария
      {"\xC0\xED\xED\xE0\xE1", 0},                           // Аннаб
      {"\xC0\xED\xED\xEE", 1},                               // Анно
      {"\xC0\xF0", 1},                                       // Ар
      {"\xC1", 1},                                           // Б
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(testing::PrintToString(rows[i].item));
    EXPECT_EQ(Sign(ComparePrefixRange(rows[i].item, kAnnaLower)), rows[i].want);
    EXPECT_EQ(ComparePrefixRange(rows[i].item, ""), 0);
    if (i > 0) {
      EXPECT_LE(CompareListOrder(rows[i - 1].item, rows[i].item), 0);
    }
  }
}

}  // namespace
}  // namespace velunar

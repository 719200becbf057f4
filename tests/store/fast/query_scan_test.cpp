// Find's block search: every path marks exactly the places where the folded
// query occurs, found here by folding and comparing at each position.
#include "store/fast/query_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "store/text/text_rules.h"

namespace velunar {
namespace {

// The positions at which the folded query occurs in the folded bytes.
std::vector<std::size_t> NaiveMatches(const std::string& bytes, const std::string& query) {
  const std::string text = FoldedCopy(bytes);
  const std::string q = FoldedCopy(query);
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i + q.size() <= text.size(); ++i) {
    if (text.compare(i, q.size(), q) == 0) at.push_back(i);
  }
  return at;
}

std::vector<std::size_t> Marked(const std::vector<std::uint64_t>& marks, std::size_t n) {
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < n; ++i) {
    if ((marks[i / 64] >> (i % 64)) & 1) at.push_back(i);
  }
  return at;
}

// Bytes from a small alphabet of letters in both cases, ё and е, line ends
// and signs, so that queries occur often and at every offset.
std::string RandomBytes(std::mt19937& rng, std::size_t n) {
  const std::string alphabet = "aAbB\xC0\xE0\xC1\xE1\xA8\xB8\xE5\xC5\r\n \x1A\xB5\xBD\xBE";
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += alphabet[rng() % alphabet.size()];
  return s;
}

TEST(QueryScan, EveryPathMarksWhatFoldingAndComparingFinds) {
  const std::vector<EScanPath> paths = AvailableScanPaths();
  ASSERT_EQ(paths.front(), EScanPath::plain);
  for (unsigned seed = 1; seed <= 60; ++seed) {
    std::mt19937 rng(seed);
    // Sizes around the vector widths, and a block much longer than them.
    const std::size_t sizes[] = {0, 1, 15, 16, 17, 31, 32, 33, 63, 64, 65, 200, 5000};
    const std::string bytes = RandomBytes(rng, sizes[seed % std::size(sizes)]);
    const std::string query = RandomBytes(rng, 1 + rng() % 4);
    SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(bytes.size()) + " bytes");
    const std::vector<std::size_t> want = NaiveMatches(bytes, query);
    const CQueryScan scan(query);
    for (EScanPath path : paths) {
      SCOPED_TRACE("path " + std::to_string(static_cast<int>(path)));
      std::vector<std::uint64_t> marks(bytes.size() / 64 + 1, 0);
      scan.Mark(bytes, marks, path);
      EXPECT_EQ(Marked(marks, bytes.size()), want);
    }
  }
}

TEST(QueryScan, CapitalsMatchTheirLettersOnly) {
  struct Row {
    std::string bytes, query;
    std::vector<std::size_t> want;
  };
  const Row rows[] = {
      {"\xC8\xE2\xE0\xED \xCF\xE5\xF2\xF0\xEE\xE2",
       "\xCF\xC5\xD2\xD0",
       {5}},                                  // ПЕТР in Иван Петров
      {"\xA8\xEB\xEA\xE8\xED", "\xB8", {0}},  // ё in Ёлкин
      {"\xA8\xEB\xEA\xE8\xED", "\xE5", {}},   // е not in Ёлкин
      {"\xC8\xE2\xE0\xED", "ivan", {}},       // Latin against Cyrillic
      {"abcABC", "C", {2, 5}},
      {"ab", "abc", {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.bytes + " / " + r.query);
    const CQueryScan scan(r.query);
    for (EScanPath path : AvailableScanPaths()) {
      std::vector<std::uint64_t> marks(r.bytes.size() / 64 + 1, 0);
      scan.Mark(r.bytes, marks, path);
      EXPECT_EQ(Marked(marks, r.bytes.size()), r.want);
    }
  }
}

TEST(QueryScan, AnyMarkInLooksAtTheWholeRangeOnly) {
  std::vector<std::uint64_t> marks(3, 0);
  marks[1] = std::uint64_t{1} << 5;  // bit 69
  struct Row {
    std::size_t first, last;
    bool want;
  };
  const Row rows[] = {{0, 68, false},  {0, 69, true},  {69, 69, true}, {70, 191, false},
                      {60, 130, true}, {0, 191, true}, {5, 5, false}};
  for (const Row& r : rows) {
    SCOPED_TRACE(std::to_string(r.first) + ".." + std::to_string(r.last));
    EXPECT_EQ(AnyMarkIn(marks, r.first, r.last), r.want);
  }
}

TEST(QueryScan, TheSummaryHasABitForEachSixteenBytesWithAMark) {
  const std::vector<EScanPath> paths = AvailableScanPaths();
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const std::string bytes = RandomBytes(rng, 1 + rng() % 3000);
    const std::string query = bytes.substr(rng() % bytes.size(), 1 + rng() % 3);
    for (EScanPath path : paths) {
      SCOPED_TRACE("path " + std::to_string(static_cast<int>(path)));
      std::vector<std::uint64_t> marks(bytes.size() / 64 + 1, 0);
      std::vector<std::uint64_t> summary(bytes.size() / (64 * kSummaryBytes) + 1, 0);
      CQueryScan(query).Mark(bytes, marks, summary, path);
      std::vector<std::uint64_t> marksAlone(marks.size(), 0);
      CQueryScan(query).Mark(bytes, marksAlone, path);
      ASSERT_EQ(marks, marksAlone);
      for (std::size_t g = 0; g < summary.size() * 64; ++g) {
        const std::size_t first = g * kSummaryBytes;
        const bool marked =
            first < marks.size() * 64 &&
            AnyMarkIn(marks, first, std::min(first + kSummaryBytes, marks.size() * 64) - 1);
        ASSERT_EQ(((summary[g / 64] >> (g % 64)) & 1) != 0, marked) << "bytes from " << first;
      }
    }
  }
}

}  // namespace
}  // namespace velunar

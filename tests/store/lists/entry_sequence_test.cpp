// The chunked, shared sequence against a plain vector: same items after any
// mix of inserts and erases, and a copy never sees the other side's changes.
#include "store/lists/entry_sequence.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace velunar {
namespace {

// Texts whose order does not matter here: the sequence keeps whatever order
// it is given. They live for the whole test program.
const std::vector<std::string>& Pool() {
  static const std::vector<std::string> pool = [] {
    std::vector<std::string> texts;
    for (int i = 0; i < 5000; ++i) texts.push_back("t" + std::to_string(i));
    return texts;
  }();
  return pool;
}

std::vector<std::string_view> Items(const CEntrySequence& seq) {
  std::vector<std::string_view> items;
  seq.ForEach([&](std::string_view item) { items.push_back(item); });
  return items;
}

void ExpectSame(const CEntrySequence& seq, const std::vector<std::string_view>& want) {
  ASSERT_EQ(seq.Count(), static_cast<int>(want.size()));
  EXPECT_EQ(Items(seq), want);
  // Index lookups go through the chunk starts, iteration does not.
  for (int i = 0; i < seq.Count(); i += 1 + seq.Count() / 50) {
    EXPECT_EQ(seq.At(i), want[static_cast<std::size_t>(i)]);
  }
  if (seq.Count() > 0) {
    EXPECT_EQ(seq.At(seq.Count() - 1), want.back());
  }
}

TEST(EntrySequence, RandomInsertsAndErasesMatchAVector) {
  for (unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    CEntrySequence seq;
    std::vector<std::string_view> want;
    // Grow well past several chunk sizes, then shrink to nothing, so that
    // splits, merges and the removal of the last chunk all happen.
    for (int step = 0; step < 12000; ++step) {
      bool grow = step < 7000 ? rng() % 4 != 0 : rng() % 4 == 0;
      if (grow || want.empty()) {
        int at = static_cast<int>(rng() % (want.size() + 1));
        std::string_view text = Pool()[rng() % Pool().size()];
        seq.Insert(at, text);
        want.insert(want.begin() + at, text);
      } else {
        int at = static_cast<int>(rng() % want.size());
        seq.Erase(at);
        want.erase(want.begin() + at);
      }
      if (step % 997 == 0) ExpectSame(seq, want);
    }
    while (!want.empty()) {
      seq.Erase(0);
      want.erase(want.begin());
    }
    ExpectSame(seq, want);
  }
}

TEST(EntrySequence, CopiesAreIndependent) {
  std::vector<std::string_view> base;
  for (int i = 0; i < 3000; ++i) base.push_back(Pool()[static_cast<std::size_t>(i)]);
  CEntrySequence original = CEntrySequence::FromSorted(base);
  CEntrySequence copy = original;
  EXPECT_TRUE(copy.SharesWith(original));

  copy.Insert(1500, "new");
  copy.Erase(0);
  EXPECT_FALSE(copy.SharesWith(original));
  ExpectSame(original, base);

  std::vector<std::string_view> changed = base;
  changed.insert(changed.begin() + 1500, "new");
  changed.erase(changed.begin());
  ExpectSame(copy, changed);

  // A change to the original after the copy changed leaves the copy alone.
  original.Erase(2999);
  ExpectSame(copy, changed);
  base.pop_back();
  ExpectSame(original, base);
}

TEST(EntrySequence, EmptySequencesShareAndSearch) {
  CEntrySequence a;
  CEntrySequence b;
  EXPECT_TRUE(a.SharesWith(b));
  EXPECT_EQ(a.UpperBound("x"), 0);
  EXPECT_EQ(a.PrefixRange("x"), std::make_pair(0, 0));
  a.Insert(0, "x");
  EXPECT_FALSE(a.SharesWith(b));
  a.Erase(0);
  EXPECT_TRUE(a.SharesWith(b));
  EXPECT_EQ(a.Count(), 0);
}

TEST(EntrySequence, SearchesFindGroupsAndPrefixes) {
  // In list order: "a" < "ab" == "AB" < "abc" < "b".
  CEntrySequence seq = CEntrySequence::FromSorted({"a", "ab", "AB", "abc", "b"});
  struct Row {
    std::string_view text;
    int lower, upper;
  };
  const Row rows[] = {{"a", 0, 1},  {"Ab", 1, 3}, {"abc", 3, 4},
                      {"aa", 1, 1}, {"c", 5, 5},  {" ", 0, 0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.text));
    EXPECT_EQ(seq.LowerBound(r.text), r.lower);
    EXPECT_EQ(seq.UpperBound(r.text), r.upper);
  }
  EXPECT_EQ(seq.PrefixRange("A"), std::make_pair(0, 4));
  EXPECT_EQ(seq.PrefixRange("ab"), std::make_pair(1, 4));
  EXPECT_EQ(seq.PrefixRange("abcd"), std::make_pair(4, 4));
  EXPECT_EQ(seq.PrefixRange("B"), std::make_pair(4, 5));
}

}  // namespace
}  // namespace velunar

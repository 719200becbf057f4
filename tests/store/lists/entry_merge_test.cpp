// The three-way merge of entry lists, counted as multisets of exact bytes.
#include "store/lists/entry_merge.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velunar {
namespace {

using Texts = std::vector<std::string>;

CEntrySequence Seq(const Texts& texts) {
  return CEntrySequence::FromSorted(std::vector<std::string_view>(texts.begin(), texts.end()));
}

TEST(EntryMergeTest, KeepsBothSidesChanges) {
  struct Row {
    const char* name;
    Texts base, mine, theirs, merged;
  };
  const Row rows[] = {
      {"no change anywhere", {"a", "b"}, {"a", "b"}, {"a", "b"}, {"a", "b"}},
      {"only the window added", {"a"}, {"a", "c"}, {"a"}, {"a", "c"}},
      {"only the file grew", {"a"}, {"a"}, {"a", "d"}, {"a", "d"}},
      {"both added", {"a"}, {"a", "c"}, {"a", "d"}, {"a", "d", "c"}},
      {"the window removed one", {"a", "b"}, {"a"}, {"a", "b", "d"}, {"a", "d"}},
      {"removed on both sides", {"a", "b"}, {"a"}, {"a"}, {"a"}},
      {"one entry changed on both sides", {"Анна 1"}, {"Анна 2"}, {"Анна 3"}, {"Анна 3", "Анна 2"}},
      {"removed outside, changed in the window", {"a", "b"}, {"a", "b2"}, {"a"}, {"a", "b2"}},
      {"equal entries one by one", {"a", "a"}, {"a"}, {"a", "a", "a"}, {"a", "a"}},
      {"the window added a second copy", {"a"}, {"a", "a"}, {"a"}, {"a", "a"}},
      {"letter case counts", {"a"}, {"A"}, {"a", "b"}, {"b", "A"}},
      {"the file emptied outside", {"a", "b"}, {"a", "b", "c"}, {}, {"c"}},
      {"nothing known before", {}, {"a"}, {"a"}, {"a", "a"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::vector<std::string_view> theirs(row.theirs.begin(), row.theirs.end());
    const std::vector<std::string_view> merged = MergeEntries(Seq(row.base), Seq(row.mine), theirs);
    EXPECT_EQ(Texts(merged.begin(), merged.end()), row.merged);
  }
}

TEST(EntryMergeTest, SameEntriesIgnoresOrderButNotCounts) {
  EXPECT_TRUE(SameEntries(Seq({"a", "b", "a"}), Seq({"b", "a", "a"})));
  EXPECT_TRUE(SameEntries(Seq({}), Seq({})));
  EXPECT_FALSE(SameEntries(Seq({"a", "b"}), Seq({"a", "b", "b"})));
  EXPECT_FALSE(SameEntries(Seq({"a", "a"}), Seq({"a", "b"})));
  EXPECT_FALSE(SameEntries(Seq({"a"}), Seq({"A"})));
}

}  // namespace
}  // namespace velunar

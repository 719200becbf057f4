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
  // `merged` by the rule; `kept` keeping the entries the file lost that the
  // window holds, of which there are `removed`.
  struct Row {
    const char* name;
    Texts base, mine, theirs, merged, kept;
    std::size_t removed;
  };
  const Row rows[] = {
      {"no change anywhere", {"a", "b"}, {"a", "b"}, {"a", "b"}, {"a", "b"}, {"a", "b"}, 0},
      {"only the window added", {"a"}, {"a", "c"}, {"a"}, {"a", "c"}, {"a", "c"}, 0},
      {"only the file grew", {"a"}, {"a"}, {"a", "d"}, {"a", "d"}, {"a", "d"}, 0},
      {"both added", {"a"}, {"a", "c"}, {"a", "d"}, {"a", "d", "c"}, {"a", "d", "c"}, 0},
      {"the window removed one", {"a", "b"}, {"a"}, {"a", "b", "d"}, {"a", "d"}, {"a", "d"}, 0},
      {"removed on both sides", {"a", "b"}, {"a"}, {"a"}, {"a"}, {"a"}, 0},
      {"one entry changed on both sides", {"Анна 1"}, {"Анна 2"}, {"Анна 3"}, {"Анна 3", "Анна 2"},
       {"Анна 3", "Анна 2"}, 0},
      {"removed outside, changed in the window", {"a", "b"}, {"a", "b2"}, {"a"}, {"a", "b2"},
       {"a", "b2"}, 0},
      {"removed outside", {"a", "b", "c"}, {"a", "b", "c"}, {"a"}, {"a"}, {"a", "b", "c"}, 2},
      {"equal entries one by one", {"a", "a"}, {"a"}, {"a", "a", "a"}, {"a", "a"}, {"a", "a"}, 0},
      {"one of two equal removed outside", {"a", "a"}, {"a", "a"}, {"a"}, {"a"}, {"a", "a"}, 1},
      {"the window added a second copy", {"a"}, {"a", "a"}, {"a"}, {"a", "a"}, {"a", "a"}, 0},
      {"letter case counts", {"a"}, {"A"}, {"a", "b"}, {"b", "A"}, {"b", "A"}, 0},
      {"the file emptied outside", {"a", "b"}, {"a", "b", "c"}, {}, {"c"}, {"a", "b", "c"}, 2},
      {"nothing known before", {}, {"a"}, {"a"}, {"a", "a"}, {"a", "a"}, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::vector<std::string_view> theirs(row.theirs.begin(), row.theirs.end());
    const std::vector<std::string_view> merged = MergeEntries(Seq(row.base), Seq(row.mine), theirs);
    EXPECT_EQ(Texts(merged.begin(), merged.end()), row.merged);
    const std::vector<std::string_view> kept =
        MergeEntries(Seq(row.base), Seq(row.mine), theirs, EMerge::keepingMine);
    EXPECT_EQ(Texts(kept.begin(), kept.end()), row.kept);
    EXPECT_EQ(CountRemovedByMerge(Seq(row.base), Seq(row.mine), theirs), row.removed);
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

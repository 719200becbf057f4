// Loading sorts the entries of a file in list order, stably; the master
// list's searches find exactly equal texts inside their group.
#include "store/lists/master_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "store/file/entry_format.h"
#include "store/text/text_rules.h"

namespace velunar {
namespace {

std::vector<std::string> Items(const CMasterList& master) {
  std::vector<std::string> items;
  master.Items().ForEach([&](std::string_view item) { items.emplace_back(item); });
  return items;
}

// Texts that tie on their first 8, 16 or more bytes, end right at a key's
// edge, differ only in letter case, or are equal.
std::vector<std::string> TrickyTexts(std::mt19937& rng, int count) {
  const std::vector<std::string> stems = {"",
                                          "a",
                                          "A",
                                          "abcdefgh",
                                          "ABCDEFGH",
                                          "abcdefg",
                                          "abcdefghi",
                                          "abcdefghijklmnop",
                                          "ABCDEFGHIJKLMNOP",
                                          "abcdefghijklmnopq",
                                          "\xC8\xE2\xE0\xED",
                                          "\xE8\xE2\xE0\xED",
                                          "\xA8\xEB\xEA\xE8\xED",
                                          "\xE5\xEB\xEA\xE8\xED",
                                          " ",
                                          "1"};
  std::vector<std::string> texts;
  for (int i = 0; i < count; ++i) {
    std::string text = stems[rng() % stems.size()];
    int tail = static_cast<int>(rng() % 4);
    for (int k = 0; k < tail; ++k) text += stems[rng() % stems.size()];
    if (rng() % 10 == 0) text += std::string(90, 'x') + static_cast<char>('a' + rng() % 3);
    if (text.empty()) text = "z";
    texts.push_back(text);
  }
  return texts;
}

std::vector<std::string> StableListSorted(std::vector<std::string> texts) {
  std::stable_sort(texts.begin(), texts.end(), [](const std::string& a, const std::string& b) {
    return CompareListOrder(a, b) < 0;
  });
  return texts;
}

// The texts one after another in one buffer, and views of them in `order`
// (indices into `texts`), as a file's lines or otherwise.
struct CBufferedTexts {
  CByteBuffer buffer;
  std::vector<std::string_view> entries;
};
CBufferedTexts InOneBuffer(const std::vector<std::string>& texts, const std::vector<int>& order) {
  std::string bytes;
  std::vector<std::size_t> starts;
  for (const std::string& t : texts) {
    starts.push_back(bytes.size());
    bytes += t;
    bytes += "\r\n";
  }
  CBufferedTexts out{CByteBuffer(bytes.size()), {}};
  std::memcpy(out.buffer.data(), bytes.data(), bytes.size());
  out.buffer.SetSize(bytes.size());
  for (int i : order) {
    out.entries.emplace_back(out.buffer.data() + starts[static_cast<std::size_t>(i)],
                             texts[static_cast<std::size_t>(i)].size());
  }
  return out;
}

TEST(MasterList, LoadingSortsStablyInListOrder) {
  // Small lists are sorted by comparison alone; larger ones go through the
  // radix buckets, several levels deep, the smaller ranges out of place and
  // the larger in place.
  struct Row {
    unsigned seed;
    int count;
  };
  const Row rows[] = {{1, 3000}, {2, 3000}, {3, 3000}, {4, 3000}, {5, 20}, {6, 40}, {7, 60000}, {8, 150000}};
  for (const Row& row : rows) {
    SCOPED_TRACE("seed " + std::to_string(row.seed) + ", " + std::to_string(row.count) + " texts");
    std::mt19937 rng(row.seed);
    const std::vector<std::string> texts = TrickyTexts(rng, row.count);
    // The entries as a file's buffer holds them: views into one block.
    std::vector<int> fileOrder(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) fileOrder[i] = static_cast<int>(i);
    CBufferedTexts loaded = InOneBuffer(texts, fileOrder);

    CMasterList master(std::make_shared<CTextPool>());
    master.AddLoaded(std::move(loaded.buffer), loaded.entries);
    EXPECT_EQ(Items(master), StableListSorted(texts));
  }
}

TEST(MasterList, LoadingKeysSortsAsLoadingViews) {
  // Besides the tricky texts: long ones (their sizes kept apart from the
  // short ones') that tie for hundreds of bytes.
  struct Row {
    unsigned seed;
    int count;
  };
  const Row rows[] = {{11, 3000}, {12, 40}, {13, 60000}, {14, 150000}};
  for (const Row& row : rows) {
    SCOPED_TRACE("seed " + std::to_string(row.seed) + ", " + std::to_string(row.count) + " texts");
    std::mt19937 rng(row.seed);
    std::vector<std::string> texts = TrickyTexts(rng, row.count);
    for (std::size_t i = 0; i < texts.size(); i += 7) {
      texts[i] = std::string(250 + rng() % 20, (rng() % 2) ? 'Q' : 'q') + texts[i];
    }
    std::vector<int> fileOrder(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) fileOrder[i] = static_cast<int>(i);
    CBufferedTexts loaded = InOneBuffer(texts, fileOrder);
    const char* first = loaded.buffer.data();
    const char* end = first + loaded.buffer.size();

    // The same file split into keys for the sort, as the window loads it.
    CByteBuffer keyedBuffer(loaded.buffer.size());
    std::memcpy(keyedBuffer.data(), loaded.buffer.data(), loaded.buffer.size());
    keyedBuffer.SetSize(loaded.buffer.size());
    std::optional<CKeyedEntries> keyed = ParseKeyedEntries(keyedBuffer.View());
    ASSERT_TRUE(keyed.has_value());

    CMasterList master(std::make_shared<CTextPool>());
    master.AddLoaded(std::move(loaded.buffer), loaded.entries);
    EXPECT_EQ(Items(master), StableListSorted(texts));

    CMasterList keyedMaster(std::make_shared<CTextPool>());
    keyedMaster.AddLoaded(std::move(keyedBuffer), std::move(keyed->keys));
    EXPECT_TRUE(keyed->keys.empty());
    EXPECT_EQ(Items(keyedMaster), Items(master));
    // No text was copied: every item is a view into the adopted buffer.
    bool bInBuffer = true;
    master.Items().ForEach([&](std::string_view item) {
      bInBuffer = bInBuffer && item.data() >= first && item.data() + item.size() <= end;
    });
    EXPECT_TRUE(bInBuffer);
  }
}

TEST(MasterList, LoadingKeysIntoAListThatHoldsEntriesAddsThemAsAddWould) {
  const std::string bytes = "b\r\nA\r\na\r\nc\r\n";
  CByteBuffer buffer(bytes.size());
  std::memcpy(buffer.data(), bytes.data(), bytes.size());
  buffer.SetSize(bytes.size());
  std::optional<CKeyedEntries> keyed = ParseKeyedEntries(buffer.View());
  ASSERT_TRUE(keyed.has_value());
  CMasterList master(std::make_shared<CTextPool>());
  master.Add("a");
  master.Add("B");
  master.AddLoaded(std::move(buffer), std::move(keyed->keys));
  EXPECT_EQ(Items(master), (std::vector<std::string>{"a", "A", "a", "B", "b", "c"}));
}

TEST(MasterList, LoadingThatTakesEntriesOutOfFileOrderKeepsTheirOrder) {
  // Equal and case-equal texts, given last to first and in turns: ties
  // follow the order of the list given, not where the bytes lie.
  const std::vector<std::string> texts = {"Ivan", "ivan", "IVAN", "Anna", "ivan", "anna"};
  const std::vector<std::vector<int>> orders = {{5, 4, 3, 2, 1, 0}, {0, 2, 1, 4, 3, 5}, {0, 0, 1}};
  for (const std::vector<int>& order : orders) {
    CBufferedTexts loaded = InOneBuffer(texts, order);
    std::vector<std::string> given;
    for (int i : order) given.push_back(texts[static_cast<std::size_t>(i)]);
    CMasterList master(std::make_shared<CTextPool>());
    master.AddLoaded(std::move(loaded.buffer), loaded.entries);
    EXPECT_EQ(Items(master), StableListSorted(given));
  }
}

TEST(MasterList, LoadingThatTakesEntriesFromElsewhereKeepsThem) {
  // Texts outside the buffer (an empty one here), as a merge passes them.
  const std::vector<std::string> texts = {"b", "A", "a", "B"};
  std::vector<std::string_view> entries(texts.begin(), texts.end());
  CMasterList master(std::make_shared<CTextPool>());
  master.AddLoaded(CByteBuffer(), entries);
  EXPECT_EQ(Items(master), (std::vector<std::string>{"A", "a", "b", "B"}));
}

TEST(MasterList, RemoveFirstEqualTakesTheExactTextOnly) {
  CMasterList master(std::make_shared<CTextPool>());
  for (const char* t : {"ivan", "Ivan", "IVAN", "Ivan", "ivanov"}) master.Add(t);
  EXPECT_TRUE(master.ContainsEqual("IVAN"));
  EXPECT_FALSE(master.ContainsEqual("iVAN"));
  EXPECT_FALSE(master.RemoveFirstEqual("iVAN"));
  EXPECT_TRUE(master.RemoveFirstEqual("Ivan"));
  // Case variants keep their arrival order; one "Ivan" remains.
  EXPECT_EQ(Items(master), (std::vector<std::string>{"ivan", "IVAN", "Ivan", "ivanov"}));
  EXPECT_TRUE(master.RemoveFirstEqual("Ivan"));
  EXPECT_FALSE(master.ContainsEqual("Ivan"));
  EXPECT_EQ(master.GetSize(), 3);
}

TEST(MasterList, AKeptTextIsNotCopiedAgain) {
  auto texts = std::make_shared<CTextPool>();
  CMasterList master(texts);
  const std::string_view kept = texts->Keep("Ivan");
  master.Add("Boris");
  master.AddKept(kept);
  master.Add("Anna");
  ASSERT_EQ(Items(master), (std::vector<std::string>{"Anna", "Boris", "Ivan"}));
  EXPECT_EQ(master.Items().At(2).data(), kept.data());
  // Add copies: its element does not point at the caller's text.
  const std::string typed = "Zoya";
  master.Add(typed);
  EXPECT_NE(master.Items().At(3).data(), typed.data());
  EXPECT_EQ(master.Items().At(3), typed);
}

}  // namespace
}  // namespace velunar

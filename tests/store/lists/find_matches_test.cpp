// Find's item matching against asking each item.
#include "store/lists/find_matches.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace velunar {
namespace {

// Find over more items than one run of the sequence holds, from two loaded
// buffers and typed texts, against asking each item.
TEST(FindMatches, MatchingItemsAreWhatAskingEachItemGives) {
  std::mt19937 rng(7);
  const std::vector<std::string> words = {
      "\xCF\xE5\xF2\xF0", "\xEF\xE5\xF2\xF0", "a", "\xA8", "\xB8", " ", "\xE5", "bb"};
  auto randomText = [&] {
    std::string text;
    for (int k = 0, n = 1 + static_cast<int>(rng() % 6); k < n; ++k)
      text += words[rng() % words.size()];
    return text;
  };
  auto pool = std::make_shared<CTextPool>();
  std::vector<std::string_view> all;
  for (int b = 0; b < 2; ++b) {
    std::string bytes;
    std::vector<std::pair<std::size_t, std::size_t>> places;
    for (int i = 0; i < 2500; ++i) {
      const std::string text = randomText();
      places.emplace_back(bytes.size(), text.size());
      bytes += text + "\r\n";
    }
    CByteBuffer buffer(bytes.size());
    std::memcpy(buffer.data(), bytes.data(), bytes.size());
    buffer.SetSize(bytes.size());
    for (auto [at, size] : places) all.emplace_back(buffer.data() + at, size);
    pool->Adopt(std::move(buffer));
  }
  for (int i = 0; i < 500; ++i) all.push_back(pool->Keep(randomText()));
  std::stable_sort(all.begin(), all.end(), [](std::string_view a, std::string_view b) {
    return CompareListOrder(a, b) < 0;
  });
  const CEntrySequence items = CEntrySequence::FromSorted(all);
  for (const std::string& query : {std::string("\xCF\xC5\xD2"), std::string("\xB8"),
                                   std::string("a a"), std::string("bb\xE5"), std::string("zz")}) {
    SCOPED_TRACE(query);
    std::vector<std::string_view> want;
    for (std::string_view item : all) {
      if (CQueryMatcher(query).Matches(item)) want.push_back(item);
    }
    std::vector<std::string_view> got;
    MatchingItems(items, *pool, CQueryMatcher(query)).ForEach([&](std::string_view item) {
      got.push_back(item);
    });
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
      // The very items, in order: not only equal texts.
      ASSERT_EQ(got[i].data(), want[i].data()) << "match " << i;
    }
  }
}

}  // namespace
}  // namespace velunar

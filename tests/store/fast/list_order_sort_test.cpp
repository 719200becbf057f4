// The load's sort against a plain stable sort by CompareListOrder, at the
// range sizes where it changes how it sorts: the small-range sort, the
// digit widths, the prefetched ranges, the scratch array and the in-place
// bucketing.
#include "store/fast/list_order_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "store/text/text_rules.h"

namespace velunar {
namespace {

// Texts over a few bytes that fold together or sort apart (Latin and
// Cyrillic in both cases, a space, a digit, bytes above 0x80 and a control
// byte), so that they tie on long beginnings, differ only in case, end at
// every key's edge, or are equal.
std::vector<std::string> RandomTexts(std::mt19937& rng, std::size_t count) {
  const std::string alphabet = "aA \x31\xE0\xC0\xB8\xA8\x01\xFF";
  std::vector<std::string> texts(count);
  for (std::string& text : texts) {
    // Mostly a shared beginning, so that the sort has to key again.
    if (rng() % 4 != 0) text = "aaaaaaaaAAAAAAAA";
    const std::size_t length = 1 + rng() % 24;
    for (std::size_t i = 0; i < length; ++i)
      text += alphabet[rng() % (rng() % 2 == 0 ? 2 : alphabet.size())];
  }
  return texts;
}

std::vector<std::uint32_t> PlainStableOrder(const std::vector<std::string>& texts) {
  std::vector<std::uint32_t> order(texts.size());
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    return CompareListOrder(texts[a], texts[b]) < 0;
  });
  return order;
}

TEST(ListOrderSort, SortsAsAPlainStableSortAtEveryRangeSize) {
  const std::size_t counts[] = {2, 32, 33, 64, 65, 256, 257, 1024, 1025, 4097, 65536, 65537, 70000};
  unsigned seed = 0;
  for (std::size_t count : counts) {
    SCOPED_TRACE(std::to_string(count) + " texts");
    std::mt19937 rng(++seed);
    const std::vector<std::string> texts = RandomTexts(rng, count);
    const std::vector<std::uint32_t> want = PlainStableOrder(texts);

    // By index into a list of views.
    const std::vector<std::string_view> views(texts.begin(), texts.end());
    EXPECT_EQ(StableListOrder(views), want);

    // By offset into one buffer, as a load sorts.
    std::string buffer;
    std::vector<CSortKey> keys;
    for (std::size_t i = 0; i < texts.size(); ++i) {
      keys.push_back(FirstSortKey(texts[i], static_cast<std::uint32_t>(buffer.size())));
      buffer += texts[i];
      buffer += '\n';
    }
    std::vector<std::uint32_t> textAt(buffer.size());  // the text at each offset
    for (std::size_t i = 0; i < keys.size(); ++i)
      textAt[keys[i].place] = static_cast<std::uint32_t>(i);
    SortPlacedInListOrder(keys, buffer.data());
    std::vector<std::uint32_t> got;
    for (const CSortKey& key : keys) got.push_back(textAt[key.place]);
    EXPECT_EQ(got, want);
  }
}

}  // namespace
}  // namespace velunar

// Sorting many texts in list order, stably: the load's sort.
//
// A million texts compared byte by byte through the rank table cost most of
// a load, and every comparison reads two texts from scattered places in
// memory. So the ranks of eight bytes at a time are packed into one integer
// (ListOrderKey), read once per text and depth, and the texts are bucketed
// by those integers, up to eleven bits at a time from the first bit in which
// a range's keys differ, until the buckets are small enough to sort by
// comparing the integers. Where all eight ranks tie and the texts
// go on, the next eight bytes are keyed and the tie sorted again. Ties that
// remain to the end are equal folded texts, ordered by their place in the
// input, which makes the sort stable.
#ifndef VELUNAR_STORE_FAST_LIST_ORDER_SORT_H_
#define VELUNAR_STORE_FAST_LIST_ORDER_SORT_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "store/text/text_rules.h"

namespace velunar {

// One text in the sort: the ranks of eight of its bytes, its place in the
// input and its size, capped at UINT32_MAX (which only says whether there is
// more to compare after the eight bytes).
struct CSortKey {
  std::uint64_t key;
  std::uint32_t place;
  std::uint32_t size;
};

// The key of `text` for the start of the sort: its first eight bytes.
inline CSortKey FirstSortKey(std::string_view text, std::uint32_t place) {
  return {ListOrderKey(text), place,
          text.size() < UINT32_MAX ? static_cast<std::uint32_t>(text.size()) : UINT32_MAX};
}

// Sorts `keys`, made by FirstSortKey, of texts that lie in one buffer at
// `base`: `place` is each text's offset there, and `size` its exact size.
// Texts that sort together end in the order of their offsets.
// REQUIRES: no two keys have the same place.
void SortPlacedInListOrder(std::vector<CSortKey>& keys, const char* base);

// The order that sorts `entries` stably in list order: entries[order[0]]
// comes first, and texts that sort together keep the order they have in
// `entries`.
std::vector<std::uint32_t> StableListOrder(const std::vector<std::string_view>& entries);

}  // namespace velunar

#endif  // VELUNAR_STORE_FAST_LIST_ORDER_SORT_H_

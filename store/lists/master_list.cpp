#include "store/lists/master_list.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iterator>
#include <optional>
#include <utility>

#include "store/fast/huge_pages.h"
#include "store/fast/list_order_sort.h"
#include "store/text/text_rules.h"

namespace velunar {

CMasterList::CMasterList(std::shared_ptr<CTextPool> texts) : m_pTexts(std::move(texts)) {}

void CMasterList::Add(std::string_view text) { AddKept(m_pTexts->Keep(text)); }

void CMasterList::AddKept(std::string_view kept) { m_items.Insert(m_items.UpperBound(kept), kept); }

void CMasterList::AddLoaded(CByteBuffer&& buffer, const std::vector<std::string_view>& entries) {
  std::vector<std::uint32_t> order = StableListOrder(entries);
  if (m_items.Count() == 0) {
    CEntrySequence items =
        CEntrySequence::FromSorted(order.size(), [&](std::size_t i) { return entries[order[i]]; });
    m_pTexts->Adopt(std::move(buffer));
    m_items = std::move(items);
    return;
  }
  // Loading into a list that holds entries already is not something the
  // window does; keep it correct rather than fast.
  m_pTexts->Adopt(std::move(buffer));
  for (std::uint32_t i : order) m_items.Insert(m_items.UpperBound(entries[i]), entries[i]);
}

int CMasterList::FindFirstEqual(std::string_view text) const {
  // Exactly equal texts sort together, so the search starts where text's
  // group starts and ends where the group does.
  for (int i = m_items.LowerBound(text); i < m_items.Count(); ++i) {
    std::string_view item = m_items.At(i);
    if (IsEqual(item, text)) return i;
    if (CompareListOrder(item, text) != 0) break;
  }
  return -1;
}

bool CMasterList::RemoveFirstEqual(std::string_view text) {
  int i = FindFirstEqual(text);
  if (i < 0) return false;
  m_items.Erase(i);
  return true;
}

bool CMasterList::ContainsEqual(std::string_view text) const { return FindFirstEqual(text) >= 0; }

namespace {

// Where texts lie in one buffer, in 5 bytes each instead of a view's 16: a
// 32-bit offset and the size when it is below 255; the larger sizes, few,
// apart.
class CCompactPlaces {
 public:
  explicit CCompactPlaces(std::size_t count) {
    ReserveOnHugePages(m_offsets, count);
    ReserveOnHugePages(m_sizes, count);
  }
  void Push(std::uint32_t offset, std::uint32_t size) {
    if (size >= kLong) m_long.emplace_back(static_cast<std::uint32_t>(m_offsets.size()), size);
    m_offsets.push_back(offset);
    m_sizes.push_back(static_cast<std::uint8_t>(std::min(size, kLong)));
  }
  std::size_t Count() const { return m_offsets.size(); }
  std::uint32_t Offset(std::size_t i) const { return m_offsets[i]; }
  std::uint32_t Size(std::size_t i) const {
    if (m_sizes[i] < kLong) return m_sizes[i];
    const auto it = std::lower_bound(
        m_long.begin(), m_long.end(), static_cast<std::uint32_t>(i),
        [](const std::pair<std::uint32_t, std::uint32_t>& p, std::uint32_t k) { return p.first < k; });
    return it->second;
  }

 private:
  static constexpr std::uint32_t kLong = 255;
  std::vector<std::uint32_t> m_offsets;
  std::vector<std::uint8_t> m_sizes;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> m_long;  // (index, size)
};

// The places of `entries` in `buffer`; nothing when one lies outside it, or
// out of file order (each must start after the one before), or when the
// buffer is too large for 32-bit offsets.
std::optional<CCompactPlaces> PlacesInBuffer(const CByteBuffer& buffer,
                                             const std::vector<std::string_view>& entries) {
  if (buffer.size() >= UINT32_MAX || entries.empty()) return std::nullopt;
  const auto base = reinterpret_cast<std::uintptr_t>(buffer.data());
  CCompactPlaces places(entries.size());
  std::uintptr_t next = 0;  // the lowest offset the next entry may start at
  for (std::string_view entry : entries) {
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(entry.data()) - base;
    if (reinterpret_cast<std::uintptr_t>(entry.data()) < base || at < next ||
        at > buffer.size() || entry.size() > buffer.size() - at) {
      return std::nullopt;
    }
    places.Push(static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(entry.size()));
    next = at + 1;
  }
  return places;
}

}  // namespace

void CMasterList::AddLoaded(CByteBuffer&& buffer, std::vector<std::string_view>&& entries) {
  std::vector<std::string_view> taken;
  taken.swap(entries);
  std::optional<CCompactPlaces> places;
  if (m_items.Count() == 0) places = PlacesInBuffer(buffer, taken);
  if (!places) {
    AddLoaded(std::move(buffer), std::as_const(taken));
    return;
  }
  // At a million entries of 48 bytes the views take 16 MB, the sort's keys
  // 16 MB and the sequence 16 MB, beside the 48 MB buffer. Only one of the
  // three is alive at a time here, with 5 bytes per entry of places between
  // them, so the load's peak stays under one and a half times the file.
  taken = std::vector<std::string_view>();
  const char* base = buffer.data();
  const std::size_t n = places->Count();
  std::vector<CSortKey> keys;
  ReserveOnHugePages(keys, n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t at = places->Offset(i);
    keys.push_back(FirstSortKey(std::string_view(base + at, places->Size(i)), at));
  }
  places.reset();
  AddSortedKeys(std::move(buffer), std::move(keys));
}

void CMasterList::AddLoaded(CByteBuffer&& buffer, std::vector<CSortKey>&& keys) {
  std::vector<CSortKey> taken;
  taken.swap(keys);
  if (m_items.Count() != 0) {
    std::vector<std::string_view> entries;
    entries.reserve(taken.size());
    for (const CSortKey& key : taken) entries.emplace_back(buffer.data() + key.place, key.size);
    taken = std::vector<CSortKey>();
    AddLoaded(std::move(buffer), std::as_const(entries));
    return;
  }
  AddSortedKeys(std::move(buffer), std::move(taken));
}

void CMasterList::AddSortedKeys(CByteBuffer&& buffer, std::vector<CSortKey>&& keys) {
  // The offsets stand for the places in the input: they grow in file order,
  // so the sort keeps texts that sort together in the order of the file.
  const char* base = buffer.data();
  const std::size_t n = keys.size();
  SortPlacedInListOrder(keys, base);
  CCompactPlaces sorted(n);
  for (const CSortKey& item : keys) sorted.Push(item.place, item.size);
  keys = std::vector<CSortKey>();
  CEntrySequence items = CEntrySequence::FromSorted(
      n, [&](std::size_t i) { return std::string_view(base + sorted.Offset(i), sorted.Size(i)); });
  m_pTexts->Adopt(std::move(buffer));
  m_items = std::move(items);
}

}  // namespace velunar

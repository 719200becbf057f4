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

}  // namespace

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

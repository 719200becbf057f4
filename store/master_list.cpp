#include "store/master_list.h"

#include <algorithm>
#include <cstdint>

#include "store/text_rules.h"
#include "store/view_list.h"

namespace velunar {

CMasterList::CMasterList(std::shared_ptr<CTextPool> texts) : m_pTexts(std::move(texts)) {}

void CMasterList::Add(std::string_view text) {
  int at = m_items.UpperBound(text);
  m_items.Insert(at, m_pTexts->Keep(text));
}

void CMasterList::AddLoaded(std::vector<char>&& buffer, const std::vector<std::string_view>& entries) {
  std::vector<std::string_view> sorted(entries);
  SortStablyInListOrder(sorted);
  if (m_items.Count() == 0) {
    CEntrySequence items = CEntrySequence::FromSorted(sorted);
    m_pTexts->Adopt(std::move(buffer));
    m_items = std::move(items);
    return;
  }
  // Loading into a list that holds entries already is not something the
  // window does; keep it correct rather than fast.
  m_pTexts->Adopt(std::move(buffer));
  for (std::string_view entry : sorted) m_items.Insert(m_items.UpperBound(entry), entry);
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

void CMasterList::RebuildFrom(const CViewList& view) { m_items = view.Items(); }

void SortStablyInListOrder(std::vector<std::string_view>& entries) {
  // Sorting a million texts with the byte-by-byte comparison alone costs
  // twice as much as it must: most comparisons are settled by the first
  // eight ranks, packed into one integer. Ties fall back to the full
  // comparison from byte 8 on, then to the original position, which makes
  // the unstable std::sort stable.
  struct Keyed {
    std::uint64_t key;
    std::uint32_t index;
  };
  std::vector<Keyed> keyed(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    keyed[i] = {ListOrderKey(entries[i]), static_cast<std::uint32_t>(i)};
  }
  std::sort(keyed.begin(), keyed.end(), [&entries](const Keyed& a, const Keyed& b) {
    if (a.key != b.key) return a.key < b.key;
    std::string_view ta = entries[a.index];
    std::string_view tb = entries[b.index];
    // Equal keys with a text shorter than 8 bytes mean equal folded texts.
    if (ta.size() > 8 && tb.size() > 8) {
      int order = CompareListOrder(ta.substr(8), tb.substr(8));
      if (order != 0) return order < 0;
    }
    return a.index < b.index;
  });
  std::vector<std::string_view> sorted;
  sorted.reserve(entries.size());
  for (const Keyed& k : keyed) sorted.push_back(entries[k.index]);
  entries.swap(sorted);
}

}  // namespace velunar

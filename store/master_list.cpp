#include "store/master_list.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iterator>

#include "store/text_rules.h"
#include "store/view_list.h"

namespace velunar {

CMasterList::CMasterList(std::shared_ptr<CTextPool> texts) : m_pTexts(std::move(texts)) {}

void CMasterList::Add(std::string_view text) {
  int at = m_items.UpperBound(text);
  m_items.Insert(at, m_pTexts->Keep(text));
}

void CMasterList::AddLoaded(std::vector<char>&& buffer,
                            const std::vector<std::string_view>& entries) {
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

void CMasterList::RebuildFrom(const CViewList& view) { m_items = view.Items(); }

namespace {

// Sorts `items` by their member `key`, keeping items with equal keys in the
// order they have: a least-significant-digit radix sort, one byte of the key
// per pass. For the first, whole-list level of a load it does in eight
// linear passes what a comparison sort does in twenty.
template <class TKeyed>
void SortByKeyStably(std::vector<TKeyed>& items) {
  std::vector<TKeyed> scratch(items.size());
  for (int shift = 0; shift < 64; shift += 8) {
    std::size_t counts[257] = {};
    for (const TKeyed& item : items) ++counts[((item.key >> shift) & 0xFF) + 1];
    // A byte that is the same in every key orders nothing.
    if (std::find(std::begin(counts), std::end(counts), items.size()) != std::end(counts)) continue;
    for (int b = 0; b < 256; ++b) counts[b + 1] += counts[b];
    for (const TKeyed& item : items) scratch[counts[(item.key >> shift) & 0xFF]++] = item;
    items.swap(scratch);
  }
}

}  // namespace

std::vector<std::uint32_t> StableListOrder(const std::vector<std::string_view>& entries) {
  // A multikey sort: a million texts compared byte by byte through the rank
  // table cost most of a load, and every comparison reads two texts from
  // scattered places in memory. Instead the ranks of eight bytes at a time
  // are packed into one integer, read once per text and level: sort by the
  // integers, then sort again, by the next eight bytes, only the runs that
  // still tie. Ties that remain to the end are equal folded texts, ordered
  // by their original position, which makes the result stable.
  struct Keyed {
    std::uint64_t key;
    std::uint32_t index;
    std::uint32_t size;  // the text's length, capped: is there more to compare?
  };
  auto byKey = [](const Keyed& a, const Keyed& b) {
    return a.key != b.key ? a.key < b.key : a.index < b.index;
  };
  std::vector<Keyed> keyed(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    keyed[i] = {ListOrderKey(entries[i]), static_cast<std::uint32_t>(i),
                static_cast<std::uint32_t>(std::min<std::size_t>(entries[i].size(), UINT32_MAX))};
  }
  // Runs still to sort: [first, last) keyed at byte offset depth. A stack,
  // not recursion: long equal lines would make the recursion deep.
  struct Run {
    std::size_t first, last, depth;
  };
  std::vector<Run> runs{{0, keyed.size(), 0}};
  bool bFirstRun = true;
  while (!runs.empty()) {
    Run run = runs.back();
    runs.pop_back();
    if (bFirstRun) {
      SortByKeyStably(keyed);
      bFirstRun = false;
    } else {
      std::sort(keyed.begin() + static_cast<std::ptrdiff_t>(run.first),
                keyed.begin() + static_cast<std::ptrdiff_t>(run.last), byKey);
    }
    std::size_t next = run.depth + 8;
    for (std::size_t i = run.first; i < run.last;) {
      std::size_t j = i + 1;
      bool longer = keyed[i].size > next;
      while (j < run.last && keyed[j].key == keyed[i].key) {
        longer = longer || keyed[j].size > next;
        ++j;
      }
      // A tie on eight ranks with every text ending within them is a tie of
      // whole folded texts: the original order stands.
      if (j - i > 1 && longer) {
        for (std::size_t k = i; k < j; ++k) {
          // The texts lie scattered in memory: ask for the ones a few steps
          // ahead before they are needed.
          if (k + 16 < j) __builtin_prefetch(&entries[keyed[k + 16].index]);
          if (k + 8 < j) __builtin_prefetch(entries[keyed[k + 8].index].data() + next);
          std::string_view text = entries[keyed[k].index];
          keyed[k].key = ListOrderKey(text.size() > next ? text.substr(next) : std::string_view());
        }
        runs.push_back({i, j, next});
      }
      i = j;
    }
  }
  std::vector<std::uint32_t> order(keyed.size());
  for (std::size_t i = 0; i < keyed.size(); ++i) order[i] = keyed[i].index;
  return order;
}

}  // namespace velunar

#include "store/master_list.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iterator>

#include "store/text_rules.h"

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

// One text in the sort: the ranks of eight of its bytes, its place in the
// input (which decides between texts that sort together) and its length,
// capped, which says whether there is more to compare after these eight.
struct CKeyed {
  std::uint64_t key;
  std::uint32_t index;
  std::uint32_t size;
};

// Ranges below this size are sorted by insertion: a radix pass over a few
// dozen items costs more than comparing them.
constexpr std::size_t kSmallRange = 32;

inline bool KeyedBefore(const CKeyed& a, const CKeyed& b) {
  return a.key != b.key ? a.key < b.key : a.index < b.index;
}

void InsertionSort(CKeyed* items, std::size_t n) {
  for (std::size_t i = 1; i < n; ++i) {
    const CKeyed item = items[i];
    std::size_t j = i;
    for (; j > 0 && KeyedBefore(item, items[j - 1]); --j) items[j] = items[j - 1];
    items[j] = item;
  }
}

// A range still to sort: [first, last) agrees on the ranks before byte
// `byte` of the keys, which hold the text's bytes from `depth` on.
struct CRun {
  std::size_t first, last;
  std::size_t depth;
  int byte;
};

class CListOrderSort {
 public:
  CListOrderSort(const std::vector<std::string_view>& entries, std::vector<CKeyed>& keyed)
      : m_entries(entries), m_keyed(keyed) {}

  void Run() {
    if (m_keyed.size() > 1) m_runs.push_back({0, m_keyed.size(), 0, 0});
    while (!m_runs.empty()) {
      const CRun run = m_runs.back();
      m_runs.pop_back();
      SortRun(run);
    }
  }

 private:
  // Keys the texts of [first, last) again, by their eight bytes from
  // `depth` on.
  void Rekey(std::size_t first, std::size_t last, std::size_t depth) {
    CKeyed* items = m_keyed.data();
    for (std::size_t k = first; k < last; ++k) {
      // The texts lie scattered in memory: ask for the ones a few steps
      // ahead before they are needed.
      if (k + 16 < last) __builtin_prefetch(&m_entries[items[k + 16].index]);
      if (k + 8 < last) __builtin_prefetch(m_entries[items[k + 8].index].data() + depth);
      const std::string_view text = m_entries[items[k].index];
      items[k].key = text.size() > depth ? ListOrderKey(text.substr(depth)) : 0;
    }
  }

  // [first, last) ties on every rank of its keys.
  void SortTie(std::size_t first, std::size_t last, std::size_t depth) {
    CKeyed* items = m_keyed.data();
    const std::size_t next = depth + 8;
    bool bLonger = false;
    for (std::size_t k = first; k < last && !bLonger; ++k) bLonger = items[k].size > next;
    if (bLonger) {
      Rekey(first, last, next);
      m_runs.push_back({first, last, next, 0});
      return;
    }
    // Equal folded texts: their order in the input stands.
    std::sort(items + first, items + last,
              [](const CKeyed& a, const CKeyed& b) { return a.index < b.index; });
  }

  // After an insertion sort: the runs of equal keys whose texts go on.
  void SplitSortedTies(std::size_t first, std::size_t last, std::size_t depth) {
    CKeyed* items = m_keyed.data();
    const std::size_t next = depth + 8;
    for (std::size_t i = first; i < last;) {
      std::size_t j = i + 1;
      bool bLonger = items[i].size > next;
      while (j < last && items[j].key == items[i].key) {
        bLonger = bLonger || items[j].size > next;
        ++j;
      }
      // Already in input order within the tie: insertion sort compares the
      // indices last.
      if (j - i > 1 && bLonger) {
        Rekey(i, j, next);
        m_runs.push_back({i, j, next, 0});
      }
      i = j;
    }
  }

  void SortRun(CRun run) {
    CKeyed* items = m_keyed.data();
    for (;;) {
      const std::size_t n = run.last - run.first;
      if (run.byte == 8) {
        SortTie(run.first, run.last, run.depth);
        return;
      }
      if (n <= kSmallRange) {
        InsertionSort(items + run.first, n);
        SplitSortedTies(run.first, run.last, run.depth);
        return;
      }
      const int shift = 56 - 8 * run.byte;
      std::size_t counts[256] = {};
      for (std::size_t k = run.first; k < run.last; ++k) ++counts[(items[k].key >> shift) & 0xFF];
      // A byte that every key of the range shares orders nothing.
      if (counts[(items[run.first].key >> shift) & 0xFF] == n) {
        ++run.byte;
        continue;
      }
      // In place, bucket by bucket: a second array as large as the keys
      // would add a third of the file to the load's peak memory. The order
      // within a bucket is lost, which the indices in the keys restore.
      std::size_t heads[256];
      std::size_t tails[256];
      std::size_t at = run.first;
      for (int b = 0; b < 256; ++b) {
        heads[b] = at;
        at += counts[b];
        tails[b] = at;
      }
      for (int b = 0; b < 256; ++b) {
        while (heads[b] < tails[b]) {
          CKeyed item = items[heads[b]];
          int ib = static_cast<int>((item.key >> shift) & 0xFF);
          while (ib != b) {
            std::swap(item, items[heads[ib]++]);
            ib = static_cast<int>((item.key >> shift) & 0xFF);
          }
          items[heads[b]++] = item;
        }
      }
      std::size_t begin = run.first;
      for (int b = 0; b < 256; ++b) {
        const std::size_t end = begin + counts[b];
        if (counts[b] > 1) m_runs.push_back({begin, end, run.depth, run.byte + 1});
        begin = end;
      }
      return;
    }
  }

  const std::vector<std::string_view>& m_entries;
  std::vector<CKeyed>& m_keyed;
  // A stack, not recursion: long equal lines would make the recursion deep.
  std::vector<CRun> m_runs;
};

}  // namespace

std::vector<std::uint32_t> StableListOrder(const std::vector<std::string_view>& entries) {
  // A radix sort from the most significant rank: a million texts compared
  // byte by byte through the rank table cost most of a load, and every
  // comparison reads two texts from scattered places in memory. Instead the
  // ranks of eight bytes at a time are packed into one integer, read once
  // per text and level, and the texts are bucketed one rank at a time until
  // the buckets are small enough to sort by comparing the integers. Where
  // all eight ranks tie and the texts go on, the next eight bytes are keyed
  // and the tie sorted again. Ties that remain to the end are equal folded
  // texts, ordered by their place in `entries`, which makes the result
  // stable.
  std::vector<CKeyed> keyed(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    keyed[i] = {ListOrderKey(entries[i]), static_cast<std::uint32_t>(i),
                static_cast<std::uint32_t>(std::min<std::size_t>(entries[i].size(), UINT32_MAX))};
  }
  CListOrderSort(entries, keyed).Run();
  std::vector<std::uint32_t> order(keyed.size());
  for (std::size_t i = 0; i < keyed.size(); ++i) order[i] = keyed[i].index;
  return order;
}

}  // namespace velunar

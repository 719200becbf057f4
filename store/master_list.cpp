#include "store/master_list.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iterator>
#include <optional>
#include <utility>

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
// input (which decides between texts that sort together: its index in a list
// of views, or its offset in the one buffer all the texts lie in, in file
// order) and its length, capped, which says whether there is more to compare
// after these eight.
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

// Where the text of a keyed item is: by its index into a list of views...
class CTextsByIndex {
 public:
  explicit CTextsByIndex(const std::vector<std::string_view>& entries) : m_entries(entries) {}
  std::string_view Text(const CKeyed& item) const { return m_entries[item.index]; }
  void Prefetch(const CKeyed& item) const { __builtin_prefetch(&m_entries[item.index]); }

 private:
  const std::vector<std::string_view>& m_entries;
};

// ... or by its offset and (exact) size in one buffer.
class CTextsByOffset {
 public:
  explicit CTextsByOffset(const char* base) : m_pBase(base) {}
  std::string_view Text(const CKeyed& item) const { return {m_pBase + item.index, item.size}; }
  void Prefetch(const CKeyed&) const {}

 private:
  const char* m_pBase;
};

// A range still to sort: [first, last) agrees on the ranks before byte
// `byte` of the keys, which hold the text's bytes from `depth` on.
struct CRun {
  std::size_t first, last;
  std::size_t depth;
  int byte;
};

template <class Texts>
class CListOrderSort {
 public:
  CListOrderSort(const Texts& texts, std::vector<CKeyed>& keyed) : m_texts(texts), m_keyed(keyed) {}

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
      if (k + 16 < last) m_texts.Prefetch(items[k + 16]);
      if (k + 8 < last) __builtin_prefetch(m_texts.Text(items[k + 8]).data() + depth);
      const std::string_view text = m_texts.Text(items[k]);
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

  Texts m_texts;
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
  CListOrderSort<CTextsByIndex>(CTextsByIndex(entries), keyed).Run();
  std::vector<std::uint32_t> order(keyed.size());
  for (std::size_t i = 0; i < keyed.size(); ++i) order[i] = keyed[i].index;
  return order;
}

namespace {

// Where texts lie in one buffer, in 5 bytes each instead of a view's 16: a
// 32-bit offset and the size when it is below 255; the larger sizes, few,
// apart.
class CCompactPlaces {
 public:
  explicit CCompactPlaces(std::size_t count) {
    m_offsets.reserve(count);
    m_sizes.reserve(count);
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
  std::vector<CKeyed> keyed(n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t at = places->Offset(i);
    const std::uint32_t size = places->Size(i);
    keyed[i] = {ListOrderKey(std::string_view(base + at, size)), at, size};
  }
  places.reset();
  // The offsets stand for the places in the input: they grow in file order,
  // so the sort keeps texts that sort together in the order of the file.
  CListOrderSort<CTextsByOffset>(CTextsByOffset(base), keyed).Run();
  CCompactPlaces sorted(n);
  for (const CKeyed& item : keyed) sorted.Push(item.index, item.size);
  keyed = std::vector<CKeyed>();
  CEntrySequence items = CEntrySequence::FromSorted(
      n, [&](std::size_t i) { return std::string_view(base + sorted.Offset(i), sorted.Size(i)); });
  m_pTexts->Adopt(std::move(buffer));
  m_items = std::move(items);
}

}  // namespace velunar

#include "store/fast/list_order_sort.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstddef>

namespace velunar {

namespace {

// Ranges up to this size are sorted by counting: a radix pass over a few
// dozen items costs more than comparing them.
constexpr std::size_t kSmallRange = 32;

// Ranges from this size on are counted in interleaved tables.
constexpr std::size_t kInterleavedCount = 1024;

// Ranges up to this size are bucketed through a scratch array of their size
// (1 MiB), larger ones in place; for fewer texts the scratch array is a
// sixteenth of the keys, so that it adds little to the load's peak memory.
constexpr std::size_t kScratchItems = std::size_t{1} << 16;

// How many texts ahead of the one being keyed are asked for from memory.
constexpr std::size_t kAhead = 16;

// A range this small is near the end of its sorting, and its ties will
// have their texts read again: all of them are asked for from memory at
// once, which overlaps the waits that reading them one by one would add up.
// A thousand texts take two lines of cache each, well within the cache.
constexpr std::size_t kWarm = 1024;

// A range is bucketed by this many bits of its keys at once, taken from
// the first bit in which they differ: more buckets for larger ranges, so
// that each pass over a range does more of the sorting, and few for small
// ones, whose pass would otherwise mostly clear and sum empty counters.
constexpr int kMaxBits = 11;
inline int DigitBits(std::size_t n) {
  return n > 65536 ? kMaxBits : n > 1024 ? 10 : n > 256 ? 8 : n > 64 ? 6 : 5;
}

// Sorts a small range by key, then place: each item goes where the count
// of items before it says. No branch depends on the keys; an insertion sort
// mispredicted nearly once per item, and a load sorts millions of items in
// small ranges. REQUIRES: n <= kSmallRange, and places distinct.
void SortSmall(CSortKey* items, std::size_t n) {
#ifdef __SIZEOF_INT128__
  // Key and place as one number: one comparison instead of three.
  __extension__ typedef unsigned __int128 Order;
  Order order[kSmallRange];
  for (std::size_t i = 0; i < n; ++i) order[i] = Order{items[i].key} << 32 | items[i].place;
  auto isBefore = [&](std::size_t j, std::size_t i) { return order[j] < order[i]; };
#else
  auto isBefore = [&](std::size_t j, std::size_t i) {
    return items[j].key < items[i].key ||
           (items[j].key == items[i].key && items[j].place < items[i].place);
  };
#endif
  CSortKey sorted[kSmallRange];
  for (std::size_t i = 0; i < n; ++i) {
    std::size_t before = 0;
    for (std::size_t j = 0; j < n; ++j) before += isBefore(j, i);
    sorted[before] = items[i];
  }
  std::copy(sorted, sorted + n, items);
}

// Where the text of a keyed item is: by its place in a list of views...
class CTextsByIndex {
 public:
  explicit CTextsByIndex(const std::vector<std::string_view>& entries) : m_entries(entries) {}
  std::string_view Text(const CSortKey& item) const { return m_entries[item.place]; }

 private:
  const std::vector<std::string_view>& m_entries;
};

// ... or by its offset and (exact) size in one buffer.
class CTextsByOffset {
 public:
  explicit CTextsByOffset(const char* base) : m_pBase(base) {}
  std::string_view Text(const CSortKey& item) const { return {m_pBase + item.place, item.size}; }

 private:
  const char* m_pBase;
};

// A range still to sort: the keys of [first, last) hold the texts' bytes
// from `depth` on. `warm` when the texts' next bytes were asked for.
struct CRun {
  std::size_t first, last;
  std::size_t depth;
  bool warm;
};

// The bucket of a key: `bits` bits from bit `lead` (counted from the most
// significant). The bits above are the same throughout the range, so the
// buckets are in key order.
struct CDigit {
  int lead, bits;
  std::size_t operator()(std::uint64_t key) const {
    return static_cast<std::size_t>((key << lead) >> (64 - bits));
  }
  std::size_t Buckets() const { return std::size_t{1} << bits; }
};

template <class Texts>
class CListOrderSort {
 public:
  CListOrderSort(const Texts& texts, std::vector<CSortKey>& keys)
      : m_texts(texts), m_keys(keys), m_scratch(std::min(kScratchItems, keys.size() / 16)) {}

  void Run() {
    if (m_keys.size() > 1) m_runs.push_back({0, m_keys.size(), 0, false});
    while (!m_runs.empty()) {
      const CRun run = m_runs.back();
      m_runs.pop_back();
      SortRun(run);
    }
  }

 private:
  // Keys the texts of [first, last) again, by their eight bytes from
  // `depth` on, and sorts them by those.
  void SortAtDepth(std::size_t first, std::size_t last, std::size_t depth) {
    CSortKey* items = m_keys.data();
    for (std::size_t k = first; k < last; ++k) {
      // The texts lie scattered in memory: ask for the ones a few steps
      // ahead before they are needed.
      if (k + kAhead < last) __builtin_prefetch(m_texts.Text(items[k + kAhead]).data() + depth);
      const std::string_view text = m_texts.Text(items[k]);
      items[k].key = text.size() > depth ? ListOrderKey(text.substr(depth)) : 0;
    }
    m_runs.push_back({first, last, depth, false});
  }

  // Whether a text of [first, last) goes on past the eight bytes from
  // `depth`.
  bool AnyLonger(std::size_t first, std::size_t last, std::size_t depth) const {
    const std::size_t next = depth + 8;
    for (std::size_t k = first; k < last; ++k) {
      if (m_keys[k].size > next) return true;
    }
    return false;
  }

  // [first, last) ties on every rank of its keys: the tie is sorted at the
  // next depth, or, when no text goes on, it holds equal folded texts,
  // whose order in the input stands.
  void SortTie(std::size_t first, std::size_t last, std::size_t depth) {
    if (AnyLonger(first, last, depth)) {
      SortAtDepth(first, last, depth + 8);
      return;
    }
    std::sort(m_keys.data() + first, m_keys.data() + last,
              [](const CSortKey& a, const CSortKey& b) { return a.place < b.place; });
  }

  // After SortSmall: the ties whose texts go on. Within a tie the items are
  // in input order already, since SortSmall orders by the places last.
  void SplitSortedTies(std::size_t first, std::size_t last, std::size_t depth) {
    const CSortKey* items = m_keys.data();
    for (std::size_t i = first; i < last;) {
      std::size_t j = i + 1;
      while (j < last && items[j].key == items[i].key) ++j;
      if (j - i > 1 && AnyLonger(i, j, depth)) SortAtDepth(i, j, depth + 8);
      i = j;
    }
  }

  // Counts the keys of `run` by `digit`. Texts that sort near each other
  // often share a bucket, and one counter incremented item after item waits
  // for its own last store each time; a large run is counted in four
  // interleaved tables, summed after.
  void Count(const CRun& run, CDigit digit, std::size_t* counts) const {
    const CSortKey* items = m_keys.data();
    const std::size_t buckets = digit.Buckets();
    std::size_t k = run.first;
    std::fill(counts, counts + buckets, 0);
    if (run.last - run.first >= kInterleavedCount) {
      std::uint32_t tables[4][std::size_t{1} << kMaxBits];
      for (auto& table : tables) std::fill(table, table + buckets, 0);
      for (; k + 4 <= run.last; k += 4) {
        ++tables[0][digit(items[k].key)];
        ++tables[1][digit(items[k + 1].key)];
        ++tables[2][digit(items[k + 2].key)];
        ++tables[3][digit(items[k + 3].key)];
      }
      for (std::size_t b = 0; b < buckets; ++b) {
        counts[b] = std::size_t{tables[0][b]} + tables[1][b] + tables[2][b] + tables[3][b];
      }
    }
    for (; k < run.last; ++k) ++counts[digit(items[k].key)];
  }

  // Buckets [first, last) by `digit`, through the scratch array: each item
  // is read and written twice, with nothing to wait for between one item
  // and the next.
  void Scatter(const CRun& run, CDigit digit, const std::size_t* counts) {
    CSortKey* items = m_keys.data();
    std::size_t heads[std::size_t{1} << kMaxBits];
    std::size_t at = 0;
    for (std::size_t b = 0; b < digit.Buckets(); ++b) {
      heads[b] = at;
      at += counts[b];
    }
    for (std::size_t k = run.first; k < run.last; ++k) {
      m_scratch[heads[digit(items[k].key)]++] = items[k];
    }
    std::copy(m_scratch.begin(),
              m_scratch.begin() + static_cast<std::ptrdiff_t>(run.last - run.first),
              items + run.first);
  }

  // The same in place, for ranges larger than the scratch array, bucket by
  // bucket: a second array as large as the keys would add a third of the
  // file to the load's peak memory. The order within a bucket is lost,
  // which the places in the keys restore.
  void Permute(const CRun& run, CDigit digit, const std::size_t* counts) {
    CSortKey* items = m_keys.data();
    std::size_t heads[std::size_t{1} << kMaxBits];
    std::size_t tails[std::size_t{1} << kMaxBits];
    std::size_t at = run.first;
    for (std::size_t b = 0; b < digit.Buckets(); ++b) {
      heads[b] = at;
      at += counts[b];
      tails[b] = at;
    }
    for (std::size_t b = 0; b < digit.Buckets(); ++b) {
      while (heads[b] < tails[b]) {
        CSortKey item = items[heads[b]];
        std::size_t ib = digit(item.key);
        while (ib != b) {
          std::swap(item, items[heads[ib]++]);
          ib = digit(item.key);
        }
        items[heads[b]++] = item;
      }
    }
  }

  // Asks for the bytes of the texts of [first, last) that the next depth
  // would key.
  void Warm(std::size_t first, std::size_t last, std::size_t depth) const {
    const std::size_t next = depth + 8;
    for (std::size_t k = first; k < last; ++k) {
      const std::string_view text = m_texts.Text(m_keys[k]);
      if (text.size() > next) {
        __builtin_prefetch(text.data() + next);
        __builtin_prefetch(text.data() + std::min(text.size(), next + 8) - 1);
      }
    }
  }

  void SortRun(CRun run) {
    const std::size_t depth = run.depth;
    CSortKey* items = m_keys.data();
    const std::size_t n = run.last - run.first;
    if (!run.warm && n <= kWarm) {
      Warm(run.first, run.last, depth);
      run.warm = true;
    }
    if (n <= kSmallRange) {
      SortSmall(items + run.first, n);
      SplitSortedTies(run.first, run.last, depth);
      return;
    }
    // The bits where some key differs from the first: none, and the range
    // is a tie; else the digit starts at the first of them, so that bits
    // every key shares are passed over at once.
    const std::uint64_t firstKey = items[run.first].key;
    std::uint64_t differ = 0;
    for (std::size_t k = run.first; k < run.last; ++k) differ |= items[k].key ^ firstKey;
    if (differ == 0) {
      SortTie(run.first, run.last, depth);
      return;
    }
    const CDigit digit{std::countl_zero(differ), DigitBits(n)};
    std::size_t counts[std::size_t{1} << kMaxBits];
    Count(run, digit, counts);
    if (n <= m_scratch.size()) {
      Scatter(run, digit, counts);
    } else {
      Permute(run, digit, counts);
    }
    std::size_t end = run.last;
    for (std::size_t b = digit.Buckets(); b-- > 0;) {
      const std::size_t begin = end - counts[b];
      if (counts[b] > 1) m_runs.push_back({begin, end, depth, run.warm});
      end = begin;
    }
  }

  Texts m_texts;
  std::vector<CSortKey>& m_keys;
  // A stack, not recursion: long equal lines would make the recursion deep.
  std::vector<CRun> m_runs;
  // Room for bucketing a range out of place.
  std::vector<CSortKey> m_scratch;
};

}  // namespace

void SortPlacedInListOrder(std::vector<CSortKey>& keys, const char* base) {
  CListOrderSort<CTextsByOffset>(CTextsByOffset(base), keys).Run();
}

std::vector<std::uint32_t> StableListOrder(const std::vector<std::string_view>& entries) {
  std::vector<CSortKey> keys(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    keys[i] = FirstSortKey(entries[i], static_cast<std::uint32_t>(i));
  }
  CListOrderSort<CTextsByIndex>(CTextsByIndex(entries), keys).Run();
  std::vector<std::uint32_t> order(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) order[i] = keys[i].place;
  return order;
}

}  // namespace velunar

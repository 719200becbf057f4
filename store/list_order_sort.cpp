#include "store/list_order_sort.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstddef>

namespace velunar {

namespace {

// Ranges below this size are sorted by insertion: a radix pass over a few
// dozen items costs more than comparing them.
constexpr std::size_t kSmallRange = 32;

// Ranges from this size on are counted in interleaved tables.
constexpr std::size_t kInterleavedCount = 1024;

// Ranges up to this size are bucketed through a scratch array of their size
// (1 MiB), larger ones in place; for fewer texts the scratch array is a
// sixteenth of the keys, so that it adds little to the load's peak memory.
constexpr std::size_t kScratchItems = std::size_t{1} << 16;

// How many texts ahead of the one being keyed are asked for from memory.
constexpr std::size_t kAhead = 8;

inline bool KeyedBefore(const CSortKey& a, const CSortKey& b) {
  return a.key != b.key ? a.key < b.key : a.place < b.place;
}

void InsertionSort(CSortKey* items, std::size_t n) {
  for (std::size_t i = 1; i < n; ++i) {
    const CSortKey item = items[i];
    std::size_t j = i;
    for (; j > 0 && KeyedBefore(item, items[j - 1]); --j) items[j] = items[j - 1];
    items[j] = item;
  }
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

// A range still to sort: [first, last) agrees on the ranks before the
// byte-th of the keys, which hold the texts' bytes from `depth` on.
struct CRun {
  std::size_t first, last;
  std::size_t depth;
  int byte;
};

template <class Texts>
class CListOrderSort {
 public:
  CListOrderSort(const Texts& texts, std::vector<CSortKey>& keys)
      : m_texts(texts), m_keys(keys), m_scratch(std::min(kScratchItems, keys.size() / 16)) {}

  void Run() {
    if (m_keys.size() > 1) m_runs.push_back({0, m_keys.size(), 0, 0});
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
    m_runs.push_back({first, last, depth, 0});
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

  // After an insertion sort: the ties whose texts go on. Within a tie the
  // items are in input order already, since the insertion sort compares the
  // places last.
  void SplitSortedTies(std::size_t first, std::size_t last, std::size_t depth) {
    const CSortKey* items = m_keys.data();
    for (std::size_t i = first; i < last;) {
      std::size_t j = i + 1;
      while (j < last && items[j].key == items[i].key) ++j;
      if (j - i > 1 && AnyLonger(i, j, depth)) SortAtDepth(i, j, depth + 8);
      i = j;
    }
  }

  // Counts the keys of `run` by their rank at `shift`, and returns the bits
  // where some key differs from `firstKey`. Texts that sort near each other
  // often share that rank, and one counter incremented item after item
  // waits for its own last store each time; a large run is counted in four
  // interleaved tables, summed after.
  std::uint64_t Count(const CRun& run, int shift, std::uint64_t firstKey,
                      std::size_t (&counts)[256]) const {
    const CSortKey* items = m_keys.data();
    std::uint64_t differ = 0;
    std::size_t k = run.first;
    std::fill(counts, counts + 256, 0);
    if (run.last - run.first >= kInterleavedCount) {
      std::uint32_t tables[4][256] = {};
      for (; k + 4 <= run.last; k += 4) {
        const std::uint64_t a = items[k].key, b = items[k + 1].key;
        const std::uint64_t c = items[k + 2].key, d = items[k + 3].key;
        differ |= (a ^ firstKey) | (b ^ firstKey) | (c ^ firstKey) | (d ^ firstKey);
        ++tables[0][(a >> shift) & 0xFF];
        ++tables[1][(b >> shift) & 0xFF];
        ++tables[2][(c >> shift) & 0xFF];
        ++tables[3][(d >> shift) & 0xFF];
      }
      for (int b = 0; b < 256; ++b) {
        counts[b] = std::size_t{tables[0][b]} + tables[1][b] + tables[2][b] + tables[3][b];
      }
    }
    for (; k < run.last; ++k) {
      const std::uint64_t key = items[k].key;
      differ |= key ^ firstKey;
      ++counts[(key >> shift) & 0xFF];
    }
    return differ;
  }

  // Buckets [first, last) by the rank at `shift`, through the scratch
  // array: each item is read and written twice, with nothing to wait for
  // between one item and the next.
  void Scatter(const CRun& run, int shift, const std::size_t (&counts)[256]) {
    CSortKey* items = m_keys.data();
    std::size_t heads[256];
    std::size_t at = 0;
    for (int b = 0; b < 256; ++b) {
      heads[b] = at;
      at += counts[b];
    }
    for (std::size_t k = run.first; k < run.last; ++k) {
      m_scratch[heads[(items[k].key >> shift) & 0xFF]++] = items[k];
    }
    std::copy(m_scratch.begin(), m_scratch.begin() + static_cast<std::ptrdiff_t>(run.last - run.first),
              items + run.first);
  }

  // The same in place, for ranges larger than the scratch array, bucket by
  // bucket: a second array as large as the keys would add a third of the
  // file to the load's peak memory. The order within a bucket is lost,
  // which the places in the keys restore.
  void Permute(const CRun& run, int shift, const std::size_t (&counts)[256]) {
    CSortKey* items = m_keys.data();
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
        CSortKey item = items[heads[b]];
        int ib = static_cast<int>((item.key >> shift) & 0xFF);
        while (ib != b) {
          std::swap(item, items[heads[ib]++]);
          ib = static_cast<int>((item.key >> shift) & 0xFF);
        }
        items[heads[b]++] = item;
      }
    }
  }

  void SortRun(CRun run) {
    const std::size_t depth = run.depth;
    CSortKey* items = m_keys.data();
    const std::size_t n = run.last - run.first;
    // Bucketed by all eight ranks: the keys of the range are equal.
    if (run.byte == 8) {
      SortTie(run.first, run.last, depth);
      return;
    }
    if (n <= kSmallRange) {
      InsertionSort(items + run.first, n);
      SplitSortedTies(run.first, run.last, depth);
      return;
    }
    // Counting by one rank also finds the ranks where the keys differ, so
    // that ranks that every key shares are passed over at once.
    const std::uint64_t firstKey = items[run.first].key;
    std::size_t counts[256];
    int shift;
    for (;;) {
      shift = 56 - 8 * run.byte;
      const std::uint64_t differ = Count(run, shift, firstKey, counts);
      if (counts[(firstKey >> shift) & 0xFF] != n) break;
      if (differ == 0) {
        SortTie(run.first, run.last, depth);
        return;
      }
      run.byte = std::countl_zero(differ) / 8;
    }
    if (n <= m_scratch.size()) {
      Scatter(run, shift, counts);
    } else {
      Permute(run, shift, counts);
    }
    std::size_t end = run.last;
    for (int b = 255; b >= 0; --b) {
      const std::size_t begin = end - counts[b];
      if (counts[b] > 1) m_runs.push_back({begin, end, depth, run.byte + 1});
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

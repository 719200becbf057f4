#include "store/file/entry_format.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if VELUNAR_SCAN_X86
#include <immintrin.h>
#endif

#include "store/fast/huge_pages.h"

namespace velunar {

namespace {

constexpr char kEndOfFile = '\x1A';

// The file is split in two passes: one counts the line feeds, so that the
// list of entries is sized once, and one finds them and makes the entries.
// The second takes the text a chunk at a time: first the places of the
// chunk's line feeds are written down, sixty-four bytes at a time and with
// no branch that depends on the bytes, then the entries are made from them
// in a loop of its own. Finding and making in one loop cost a mispredicted
// branch nearly every line.

// A chunk of text, small enough that it is still in the cache when its
// entries are made.
constexpr std::size_t kChunk = 4096;

// The places of the line feeds in [first, last), counted from `first`;
// last - first is at most kChunk. `lfs` has room for kChunk + 4.
std::size_t ChunkLineFeedsPlain(const char* p, std::size_t first, std::size_t last,
                                std::uint32_t* lfs) {
  std::size_t count = 0;
  for (std::size_t at = first; at < last; ++at) {
    if (p[at] == '\n') lfs[count++] = static_cast<std::uint32_t>(at - first);
  }
  return count;
}

std::size_t CountLineFeedsPlain(const char* p, std::size_t n) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < n; ++at) count += p[at] == '\n';
  return count;
}

#if VELUNAR_SCAN_X86
constexpr std::size_t kBlock = 64;

// The set bits of a 64-bit mask, without the library call std::popcount
// becomes on processors the build may not assume have an instruction for it.
inline std::size_t CountBits64(std::uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555u);
  x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<std::size_t>((x * 0x0101010101010101u) >> 56);
}

// Writes the places of the set bits of `mask` (the line feeds of the block
// at `at`) to lfs[0], lfs[1], ...; returns how many. Four are written
// whatever the mask holds, since nearly every block has one or two; lfs
// has room for four more than the count. kPopcnt where the function it is
// part of may use the processor's bit count.
template <bool kPopcnt>
[[gnu::always_inline]] inline std::size_t WriteBitPlaces(std::uint64_t mask, std::uint32_t at,
                                                         std::uint32_t* lfs) {
  std::size_t count;
  if constexpr (kPopcnt) {
    count = static_cast<std::size_t>(__builtin_popcountll(mask));
  } else {
    count = CountBits64(mask);
  }
  for (int i = 0; i < 4; ++i) {
    lfs[i] = at + static_cast<std::uint32_t>(std::countr_zero(mask));
    mask &= mask - 1;
  }
  for (std::size_t i = 4; mask != 0; ++i) {
    lfs[i] = at + static_cast<std::uint32_t>(std::countr_zero(mask));
    mask &= mask - 1;
  }
  return count;
}

// Whole blocks only: last - first a multiple of kBlock.
std::size_t ChunkLineFeedsSse2(const char* p, std::size_t first, std::size_t last,
                               std::uint32_t* lfs) {
  const __m128i lf = _mm_set1_epi8('\n');
  auto bits = [&](std::size_t at) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
    return std::uint64_t{static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lf)))};
  };
  std::size_t count = 0;
  for (std::size_t at = first; at < last; at += kBlock) {
    const std::uint64_t mask =
        bits(at) | bits(at + 16) << 16 | bits(at + 32) << 32 | bits(at + 48) << 48;
    count += WriteBitPlaces<false>(mask, static_cast<std::uint32_t>(at - first), lfs + count);
  }
  return count;
}

// The same with AVX2, and the instructions that count and find bits.
__attribute__((target("avx2,popcnt,bmi"))) std::size_t ChunkLineFeedsAvx2(const char* p,
                                                                          std::size_t first,
                                                                          std::size_t last,
                                                                          std::uint32_t* lfs) {
  const __m256i lf = _mm256_set1_epi8('\n');
  std::size_t count = 0;
  for (std::size_t at = first; at < last; at += kBlock) {
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + at));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + at + 32));
    const std::uint64_t mask =
        std::uint64_t{
            static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, lf)))} |
        std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(high, lf)))}
            << 32;
    count += WriteBitPlaces<true>(mask, static_cast<std::uint32_t>(at - first), lfs + count);
  }
  return count;
}

// Counts sixteen bytes at a time in byte-wide counters, summed before they
// can overflow.
std::size_t CountLineFeedsSse2(const char* p, std::size_t n) {
  const __m128i lf = _mm_set1_epi8('\n');
  std::size_t count = 0;
  std::size_t at = 0;
  while (at + 16 <= n) {
    __m128i counters = _mm_setzero_si128();
    const std::size_t stop = std::min(n - 15, at + 255 * 16);
    for (; at < stop; at += 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
      counters = _mm_sub_epi8(counters, _mm_cmpeq_epi8(bytes, lf));
    }
    const __m128i sums = _mm_sad_epu8(counters, _mm_setzero_si128());
    count += static_cast<std::size_t>(_mm_cvtsi128_si64(sums)) +
             static_cast<std::size_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
  }
  return count + CountLineFeedsPlain(p + at, n - at);
}
#endif

std::size_t CountLineFeeds(const char* p, std::size_t n, EScanPath path) {
#if VELUNAR_SCAN_X86
  if (path != EScanPath::plain) return CountLineFeedsSse2(p, n);
#endif
  (void)path;
  return CountLineFeedsPlain(p, n);
}

// The places of the line feeds of [first, last), a chunk, along `path`: the
// whole blocks by the path, the bytes after them one by one.
std::size_t ChunkLineFeeds(const char* p, std::size_t first, std::size_t last, EScanPath path,
                           std::uint32_t* lfs) {
  std::size_t blocks = first;
#if VELUNAR_SCAN_X86
  const std::size_t whole = first + (last - first) / kBlock * kBlock;
  std::size_t count = 0;
  if (path == EScanPath::avx2 && FastestScanPath() == EScanPath::avx2) {
    count = ChunkLineFeedsAvx2(p, first, whole, lfs);
    blocks = whole;
  } else if (path != EScanPath::plain) {
    count = ChunkLineFeedsSse2(p, first, whole, lfs);
    blocks = whole;
  }
#else
  (void)path;
  std::size_t count = 0;
#endif
  const std::size_t rest = ChunkLineFeedsPlain(p, blocks, last, lfs + count);
  for (std::size_t i = count; i < count + rest; ++i) {
    lfs[i] += static_cast<std::uint32_t>(blocks - first);
  }
  return count + rest;
}

// Splits `bytes` by the format: reserve(n) once, with the most entries there
// can be, then entry(pos, end) for each entry [pos, end) in file order.
// Returns where the kept tail starts.
template <class Reserve, class Entry>
std::size_t SplitEntries(std::string_view bytes, EScanPath path, Reserve reserve, Entry entry) {
  // Nothing from the first 0x1A on is read as lines, so cut there once
  // instead of testing every byte of every line for it.
  const std::string_view text = bytes.substr(0, bytes.find(kEndOfFile));
  const char* p = text.data();
  // One entry per line at most: reserving once spares a million-line file
  // twenty reallocations of the list, and the peak of the last one.
  reserve(CountLineFeeds(p, text.size(), path) + 1);

  std::uint32_t lfs[kChunk + 4];
  std::size_t pos = 0;
  bool bTail = false;  // the first empty line is found: it and what follows are the tail
  for (std::size_t first = 0; first < text.size() && !bTail; first += kChunk) {
    const std::size_t count =
        ChunkLineFeeds(p, first, std::min(text.size(), first + kChunk), path, lfs);
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t lf = first + lfs[i];
      // The CR of a CR LF belongs to the line end; a CR anywhere else, the
      // last byte before the end of the file included, is part of the line.
      const std::size_t end = lf - std::size_t{lf > pos && p[lf - 1] == '\r'};
      if (end == pos) {
        bTail = true;
        break;
      }
      entry(pos, end);
      pos = lf + 1;
    }
  }
  if (!bTail && pos < text.size()) {
    // The last line, with no line end.
    entry(pos, text.size());
    pos = text.size();
  }
  return pos;
}

}  // namespace

CParsedEntries ParseEntries(std::string_view bytes, EScanPath path) {
  CParsedEntries result;
  const std::size_t tail = SplitEntries(
      bytes, path, [&](std::size_t n) { ReserveOnHugePages(result.entries, n); },
      [&](std::size_t pos, std::size_t end) {
        result.entries.emplace_back(bytes.data() + pos, end - pos);
      });
  result.tail = bytes.substr(tail);
  return result;
}

std::optional<CKeyedEntries> ParseKeyedEntries(std::string_view bytes, EScanPath path) {
  if (bytes.size() >= UINT32_MAX) return std::nullopt;
  CKeyedEntries result;
  // Each line's first bytes are keyed as the line is split, while they are
  // still in the cache.
  const std::size_t tail = SplitEntries(
      bytes, path, [&](std::size_t n) { ReserveOnHugePages(result.keys, n); },
      [&](std::size_t pos, std::size_t end) {
        result.keys.push_back(
            FirstSortKey(bytes.substr(pos, end - pos), static_cast<std::uint32_t>(pos)));
      });
  result.tail = bytes.substr(tail);
  return result;
}

void AppendWithCrLf(std::string_view text, std::string& out) {
  std::size_t pos = 0;
  for (std::size_t lf = text.find('\n'); lf != std::string_view::npos; lf = text.find('\n', pos)) {
    out.append(text.substr(pos, lf - pos));
    out.append("\r\n");
    pos = lf + 1;
  }
  out.append(text.substr(pos));
}

std::string FormatEntries(std::span<const std::string_view> entries, std::string_view tail) {
  std::size_t size = tail.size();
  for (std::string_view entry : entries) size += entry.size() + 2;
  std::string out;
  out.reserve(size);
  for (std::string_view entry : entries) {
    out.append(entry);
    out.append("\r\n");
  }
  out.append(tail);
  return out;
}

std::string FormatSequence(const CEntrySequence& items, std::string_view tail) {
  std::size_t size = tail.size();
  items.ForEachRun([&](const std::vector<std::string_view>& run) {
    for (std::string_view entry : run) size += entry.size() + 2;
  });
  std::string out;
  // Sized once and written through a pointer: appending grew and checked
  // the string at every entry.
  out.resize(size);
  char* at = out.data();
  items.ForEachRun([&](const std::vector<std::string_view>& run) {
    constexpr std::size_t kAhead = 8;
    for (std::size_t i = 0; i < run.size(); ++i) {
      // The texts lie in file order, the items in list order.
      if (i + kAhead < run.size()) __builtin_prefetch(run[i + kAhead].data());
      const std::string_view entry = run[i];
      if (std::memchr(entry.data(), '\n', entry.size()) != nullptr) {
        // Rare: a line feed grows the output by one byte, so the rest is
        // appended the slow way.
        const std::size_t done = static_cast<std::size_t>(at - out.data());
        std::string piece;
        AppendWithCrLf(entry, piece);
        out.replace(done, entry.size(), piece);
        at = out.data() + done + piece.size();
      } else {
        std::memcpy(at, entry.data(), entry.size());
        at += entry.size();
      }
      *at++ = '\r';
      *at++ = '\n';
    }
  });
  // An empty tail may have no bytes at all to point at.
  if (!tail.empty()) std::memcpy(at, tail.data(), tail.size());
  return out;
}

namespace {

// Fills a piece of memory with the bytes of a save and hands it on whenever
// it is full.
class CPieceWriter {
 public:
  CPieceWriter(std::span<char> piece, const std::function<bool(std::string_view)>& write)
      : m_piece(piece), m_write(write) {}

  // False once a write has failed; nothing more is written then.
  bool Append(const char* bytes, std::size_t n) {
    while (n > 0) {
      const std::size_t room = m_piece.size() - m_nUsed;
      const std::size_t take = n < room ? n : room;
      std::memcpy(m_piece.data() + m_nUsed, bytes, take);
      m_nUsed += take;
      bytes += take;
      n -= take;
      if (m_nUsed == m_piece.size() && !Flush()) return false;
    }
    return true;
  }

  // Hands on what the piece holds, if anything.
  bool Flush() {
    if (m_nUsed == 0) return true;
    const std::size_t n = m_nUsed;
    m_nUsed = 0;
    return m_write(std::string_view(m_piece.data(), n));
  }

 private:
  std::span<char> m_piece;
  const std::function<bool(std::string_view)>& m_write;
  std::size_t m_nUsed = 0;
};

}  // namespace

bool WriteSequence(const CEntrySequence& items, std::span<char> piece,
                   const std::function<bool(std::string_view)>& write) {
  CPieceWriter out(piece, write);
  bool ok = true;
  items.ForEachRun([&](const std::vector<std::string_view>& run) {
    constexpr std::size_t kAhead = 8;
    for (std::size_t i = 0; ok && i < run.size(); ++i) {
      // The texts lie in file order, the items in list order.
      if (i + kAhead < run.size()) __builtin_prefetch(run[i + kAhead].data());
      std::string_view entry = run[i];
      // A line feed inside an entry is written as CR LF, as WriteText does.
      auto findLf = [](std::string_view text) {
        return text.empty() ? nullptr : std::memchr(text.data(), '\n', text.size());
      };
      for (const void* lf = findLf(entry); ok && lf != nullptr; lf = findLf(entry)) {
        const auto before = static_cast<std::size_t>(static_cast<const char*>(lf) - entry.data());
        ok = out.Append(entry.data(), before) && out.Append("\r\n", 2);
        entry.remove_prefix(before + 1);
      }
      ok = ok && out.Append(entry.data(), entry.size()) && out.Append("\r\n", 2);
    }
  });
  return ok && out.Flush();
}

}  // namespace velunar

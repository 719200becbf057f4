#include "store/fast/line_scan.h"

#include <bit>
#include <cstdint>

#if VELUNAR_SCAN_X86
#include <immintrin.h>
#endif

namespace velunar {

namespace {

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

}  // namespace

std::size_t CountLineFeeds(const char* p, std::size_t n, EScanPath path) {
#if VELUNAR_SCAN_X86
  if (path != EScanPath::plain) return CountLineFeedsSse2(p, n);
#endif
  (void)path;
  return CountLineFeedsPlain(p, n);
}

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

}  // namespace velunar

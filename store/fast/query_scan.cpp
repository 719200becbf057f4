#include "store/fast/query_scan.h"

#if VELUNAR_SCAN_X86
#include <immintrin.h>
#endif

namespace velunar {

CQueryScan::CQueryScan(std::string_view query) : m_strFolded(FoldedCopy(query)) {
  for (int b = 0; b < 256; ++b) m_fold[b] = FoldByte(static_cast<unsigned char>(b));
  const auto first = static_cast<unsigned char>(m_strFolded.front());
  const auto last = static_cast<unsigned char>(m_strFolded.back());
  int nFirst = 0;
  int nLast = 0;
  for (int b = 0; b < 256; ++b) {
    // A folded byte has itself and at most one capital folding to it.
    if (m_fold[b] == first && nFirst < 2) m_first[nFirst++] = static_cast<unsigned char>(b);
    if (m_fold[b] == last && nLast < 2) m_last[nLast++] = static_cast<unsigned char>(b);
  }
  if (nFirst == 1) m_first[1] = m_first[0];
  if (nLast == 1) m_last[1] = m_last[0];
}

namespace {

// Marks p, and its part of the summary where there is one. A template on
// CQueryScan's own (private) type of marks.
template <class Marks>
inline void SetMark(const Marks& marks, std::size_t p) {
  marks.bits[p / 64] |= std::uint64_t{1} << (p % 64);
  if (marks.summary != nullptr) {
    const std::size_t g = p / kSummaryBytes;
    (*marks.summary)[g / 64] |= std::uint64_t{1} << (g % 64);
  }
}

}  // namespace

bool CQueryScan::MatchesAt(const unsigned char* p) const {
  const auto* q = reinterpret_cast<const unsigned char*>(m_strFolded.data());
  for (std::size_t k = 0; k < m_strFolded.size(); ++k) {
    if (m_fold[p[k]] != q[k]) return false;
  }
  return true;
}

void CQueryScan::MarkPlain(const unsigned char* p, std::size_t from, std::size_t to,
                           const CMarks& marks) const {
  const auto first = static_cast<unsigned char>(m_strFolded.front());
  for (std::size_t i = from; i < to; ++i) {
    if (m_fold[p[i]] == first && MatchesAt(p + i)) SetMark(marks, i);
  }
}

#if VELUNAR_SCAN_X86
// Both vector paths test the first and the last byte of the query at sixteen
// or thirty-two places at once and compare the whole query only where both
// agree. They return the first place they did not look at.
std::size_t CQueryScan::MarkSse2(const unsigned char* p, std::size_t n, const CMarks& marks) const {
  const std::size_t m = m_strFolded.size();
  const __m128i f0 = _mm_set1_epi8(static_cast<char>(m_first[0]));
  const __m128i f1 = _mm_set1_epi8(static_cast<char>(m_first[1]));
  const __m128i l0 = _mm_set1_epi8(static_cast<char>(m_last[0]));
  const __m128i l1 = _mm_set1_epi8(static_cast<char>(m_last[1]));
  std::size_t i = 0;
  for (; i + m - 1 + 16 <= n; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + m - 1));
    const __m128i hit = _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(a, f0), _mm_cmpeq_epi8(a, f1)),
                                      _mm_or_si128(_mm_cmpeq_epi8(b, l0), _mm_cmpeq_epi8(b, l1)));
    auto bits = static_cast<unsigned>(_mm_movemask_epi8(hit));
    while (bits != 0) {
      const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(bits));
      if (MatchesAt(p + at)) SetMark(marks, at);
      bits &= bits - 1;
    }
  }
  return i;
}

__attribute__((target("avx2"))) std::size_t CQueryScan::MarkAvx2(const unsigned char* p,
                                                                 std::size_t n,
                                                                 const CMarks& marks) const {
  const std::size_t m = m_strFolded.size();
  const __m256i f0 = _mm256_set1_epi8(static_cast<char>(m_first[0]));
  const __m256i f1 = _mm256_set1_epi8(static_cast<char>(m_first[1]));
  const __m256i l0 = _mm256_set1_epi8(static_cast<char>(m_last[0]));
  const __m256i l1 = _mm256_set1_epi8(static_cast<char>(m_last[1]));
  std::size_t i = 0;
  for (; i + m - 1 + 32 <= n; i += 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + m - 1));
    const __m256i hit =
        _mm256_and_si256(_mm256_or_si256(_mm256_cmpeq_epi8(a, f0), _mm256_cmpeq_epi8(a, f1)),
                         _mm256_or_si256(_mm256_cmpeq_epi8(b, l0), _mm256_cmpeq_epi8(b, l1)));
    auto bits = static_cast<unsigned>(_mm256_movemask_epi8(hit));
    while (bits != 0) {
      const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(bits));
      if (MatchesAt(p + at)) SetMark(marks, at);
      bits &= bits - 1;
    }
  }
  return i;
}
#else
std::size_t CQueryScan::MarkSse2(const unsigned char*, std::size_t, const CMarks&) const {
  return 0;
}
std::size_t CQueryScan::MarkAvx2(const unsigned char*, std::size_t, const CMarks&) const {
  return 0;
}
#endif

void CQueryScan::Mark(std::string_view bytes, std::vector<std::uint64_t>& marks,
                      EScanPath path) const {
  MarkAll(bytes, {marks, nullptr}, path);
}

void CQueryScan::Mark(std::string_view bytes, std::vector<std::uint64_t>& marks,
                      std::vector<std::uint64_t>& summary, EScanPath path) const {
  MarkAll(bytes, {marks, &summary}, path);
}

void CQueryScan::MarkAll(std::string_view bytes, const CMarks& marks, EScanPath path) const {
  const std::size_t m = m_strFolded.size();
  if (bytes.size() < m) return;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t done = 0;
  // A path the machine lacks falls back to the plain one.
  if (path == EScanPath::avx2 && FastestScanPath() == EScanPath::avx2) {
    done = MarkAvx2(p, bytes.size(), marks);
  } else if (path != EScanPath::plain) {
    done = MarkSse2(p, bytes.size(), marks);
  }
  MarkPlain(p, done, bytes.size() - m + 1, marks);
}

}  // namespace velunar

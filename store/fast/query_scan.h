// Find's search over a whole block of bytes at once: every place where the
// folded query occurs in the folded bytes, marked in a bitmap.
//
// Find asks whether each entry holds the query. Asked entry by entry in list
// order, the texts come from scattered places in a loaded file, and nearly
// every one is a wait for memory. The block is read here once, front to
// back, and the entries are then checked against the marks
// (lists/find_matches.h). A match is marked at its first byte, so an entry [begin, end) of the block
// holds the query exactly when a mark lies in [begin, end - query size].
//
// The search has a plain path and, where the processor has them, vector
// paths (scan_path.h); each gives exactly the same marks.
#ifndef VELUNAR_STORE_FAST_QUERY_SCAN_H_
#define VELUNAR_STORE_FAST_QUERY_SCAN_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/fast/scan_path.h"
#include "store/text/text_rules.h"

namespace velunar {

// The marks in brief, for Find: bit g set when a mark lies in bytes
// [16 g, 16 g + 15]. The summary is sixteen times smaller than the marks and
// stays in the cache where they do not, so only the entries it does not
// rule out (those that match, and a few beside them) read the marks.
constexpr std::size_t kSummaryBytes = 16;

class CQueryScan {
 public:
  // REQUIRES: `query` not empty. The query is folded here.
  explicit CQueryScan(std::string_view query);

  std::size_t QuerySize() const { return m_strFolded.size(); }

  // Sets bit p of `marks` (bit p % 64 of word p / 64) for every position p
  // of `bytes` at which the folded query occurs in the folded bytes. Other
  // bits are left as they are. REQUIRES: marks.size() * 64 >= bytes.size().
  void Mark(std::string_view bytes, std::vector<std::uint64_t>& marks,
            EScanPath path = FastestScanPath()) const;

  // The same, and sets bit p / kSummaryBytes of `summary` for each mark.
  // REQUIRES: summary.size() * 64 * kSummaryBytes >= bytes.size().
  void Mark(std::string_view bytes, std::vector<std::uint64_t>& marks,
            std::vector<std::uint64_t>& summary, EScanPath path = FastestScanPath()) const;

 private:
  // Where the marks go: the marks, and their summary when there is one.
  struct CMarks {
    std::vector<std::uint64_t>& bits;
    std::vector<std::uint64_t>* summary;
  };
  bool MatchesAt(const unsigned char* p) const;
  void MarkAll(std::string_view bytes, const CMarks& marks, EScanPath path) const;
  void MarkPlain(const unsigned char* p, std::size_t from, std::size_t to,
                 const CMarks& marks) const;
  std::size_t MarkSse2(const unsigned char* p, std::size_t n, const CMarks& marks) const;
  std::size_t MarkAvx2(const unsigned char* p, std::size_t n, const CMarks& marks) const;

  std::string m_strFolded;
  std::array<unsigned char, 256> m_fold{};
  // The bytes that fold to the query's first and to its last byte: the
  // letter and its capital, or the one byte twice.
  unsigned char m_first[2] = {};
  unsigned char m_last[2] = {};
};

// True when one of the bits from `first` to `last` (both included) is set.
inline bool AnyMarkIn(const std::vector<std::uint64_t>& marks, std::size_t first,
                      std::size_t last) {
  const std::size_t w = first / 64;
  const std::size_t lastWord = last / 64;
  const std::uint64_t low = ~std::uint64_t{0} << (first % 64);       // bits from first on
  const std::uint64_t high = ~std::uint64_t{0} >> (63 - last % 64);  // bits up to last
  if (lastWord <= w + 1) {
    // Nearly every entry lies in one or two words. Both are read and masks
    // pick the bits: a branch on whether the entry crosses into the next
    // word went either way at random, and each mispredicted one undid the
    // reads of the marks already under way for the entries after it.
    const std::uint64_t oneWord = -std::uint64_t{lastWord == w};
    const std::uint64_t bits =
        (marks[w] & low & (high | ~oneWord)) | (marks[lastWord] & high & ~oneWord);
    return bits != 0;
  }
  if ((marks[w] & low) != 0 || (marks[lastWord] & high) != 0) return true;
  for (std::size_t k = w + 1; k < lastWord; ++k) {
    if (marks[k] != 0) return true;
  }
  return false;
}

}  // namespace velunar

#endif  // VELUNAR_STORE_FAST_QUERY_SCAN_H_

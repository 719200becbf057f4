// Finding line feeds in a block of bytes, for the split of a loaded file
// into its lines: a count of them, and their places a chunk at a time.
//
// The split (file/entry_format.cpp) takes the text a chunk at a time: it
// writes down the places of the chunk's line feeds first, then makes the
// entries from them in a loop of its own, so that neither loop branches on
// the bytes. Every path (scan_path.h) gives exactly the same result.
#ifndef VELUNAR_STORE_FAST_LINE_SCAN_H_
#define VELUNAR_STORE_FAST_LINE_SCAN_H_

#include <cstddef>
#include <cstdint>

#include "store/fast/scan_path.h"

namespace velunar {

// A chunk of text: small enough to be still in the cache when its entries
// are made from the places of its line feeds.
constexpr std::size_t kLineScanChunk = 4096;

// The number of line feeds in the `n` bytes at `p`.
std::size_t CountLineFeeds(const char* p, std::size_t n, EScanPath path = FastestScanPath());

// Writes the places of the line feeds in [first, last), counted from
// `first`, to lfs[0], lfs[1], ... and returns how many there are.
// REQUIRES: last - first <= kLineScanChunk; `lfs` has room for
// kLineScanChunk + 4 places (a few are written beyond the count).
std::size_t ChunkLineFeeds(const char* p, std::size_t first, std::size_t last, EScanPath path,
                           std::uint32_t* lfs);

}  // namespace velunar

#endif  // VELUNAR_STORE_FAST_LINE_SCAN_H_

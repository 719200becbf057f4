// Huge pages for large arrays that are filled right after they are made.
//
// The first touch of fresh memory costs a page fault per 4 KB page, and the
// kernel zeroes each page as it hands it over. A load of a million entries
// fills some 40 MB of such arrays beside the file's own buffer, all of it
// fresh in a newly started program. Where the kernel offers transparent
// huge pages on request (madvise), one fault brings in 2 MiB instead. Where
// it does not, the arrays stay on ordinary pages and work the same.
#ifndef VELUNAR_STORE_FAST_HUGE_PAGES_H_
#define VELUNAR_STORE_FAST_HUGE_PAGES_H_

#include <cstddef>
#include <vector>

namespace velunar {

// Arrays at least this large are offered huge pages.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Asks for huge pages for the `size` bytes at `storage`, before their first
// touch. Only a hint; does nothing for smaller sizes.
void AdviseHugePages(void* storage, std::size_t size);

// v.reserve(n), with the new storage offered huge pages before any of it is
// touched. Call on an empty vector.
template <class T>
void ReserveOnHugePages(std::vector<T>& v, std::size_t n) {
  v.reserve(n);
  AdviseHugePages(v.data(), v.capacity() * sizeof(T));
}

}  // namespace velunar

#endif  // VELUNAR_STORE_FAST_HUGE_PAGES_H_

#include "store/fast/huge_pages.h"

// Where there is no madvise (Windows), the arrays stay on the pages they get.
#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <cstdint>

namespace velunar {

void AdviseHugePages(void* storage, std::size_t size) {
#ifdef MADV_HUGEPAGE
  if (storage == nullptr || size < kHugePage) return;
  // Only a hint, on the pages the storage covers: the kernel uses a huge
  // page wherever an aligned 2 MiB lies whole inside the mapping, which is
  // all but the ends of a large block. No room is added for aligning the
  // start: it would be counted against the load's memory, and at 100,000
  // entries it would be half the file again.
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto at = reinterpret_cast<std::uintptr_t>(storage);
  const std::uintptr_t first = at & ~(page - 1);
  const std::uintptr_t last = (at + size + page - 1) & ~(page - 1);
  (void)::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)storage;
  (void)size;
#endif
}

}  // namespace velunar

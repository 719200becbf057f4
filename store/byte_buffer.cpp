#include "store/byte_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cassert>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

namespace velunar {

namespace {

// Asks for huge pages for `size` bytes of fresh storage at `storage`, before
// their first touch.
void AdviseHugePages(void* storage, std::size_t size) {
#ifdef MADV_HUGEPAGE
  if (size < CByteBuffer::kHugePage) return;
  // Only a hint, on the pages the storage covers: the kernel uses a huge
  // page wherever an aligned 2 MiB lies whole inside the mapping, which is
  // all but the ends of a large block. No room is added for aligning the
  // start: it would be counted against the load's memory, and at 100,000
  // entries it would be half the file again. Where huge pages are off, or
  // the kernel has none free, the storage stays on ordinary pages and works
  // the same.
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

}  // namespace

CByteBuffer::CByteBuffer(std::size_t capacity) {
  if (capacity == 0) return;
  m_pBlock = ::operator new(capacity);
  m_pData = static_cast<char*>(m_pBlock);
  m_nCapacity = capacity;
  AdviseHugePages(m_pData, capacity);
}

CByteBuffer::CByteBuffer(std::vector<char>&& bytes)
    : m_pData(bytes.data()), m_nSize(bytes.size()), m_nCapacity(bytes.size()) {
  // Moving a vector keeps its storage, so m_pData stays valid.
  m_adopted = std::move(bytes);
}

CByteBuffer::CByteBuffer(CByteBuffer&& other) noexcept
    : m_pBlock(std::exchange(other.m_pBlock, nullptr)),
      m_pData(std::exchange(other.m_pData, nullptr)),
      m_nSize(std::exchange(other.m_nSize, 0)),
      m_nCapacity(std::exchange(other.m_nCapacity, 0)),
      m_adopted(std::move(other.m_adopted)) {}

CByteBuffer& CByteBuffer::operator=(CByteBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    m_pBlock = std::exchange(other.m_pBlock, nullptr);
    m_pData = std::exchange(other.m_pData, nullptr);
    m_nSize = std::exchange(other.m_nSize, 0);
    m_nCapacity = std::exchange(other.m_nCapacity, 0);
    m_adopted = std::move(other.m_adopted);
  }
  return *this;
}

CByteBuffer::~CByteBuffer() { Release(); }

void CByteBuffer::Release() noexcept {
  ::operator delete(m_pBlock);
  m_pBlock = nullptr;
  m_pData = nullptr;
  m_nSize = 0;
  m_nCapacity = 0;
  m_adopted = std::vector<char>();
}

void CByteBuffer::SetSize(std::size_t n) {
  assert(n <= m_nCapacity);
  m_nSize = n;
}

void CByteBuffer::Reallocate(std::size_t capacity) {
  assert(capacity >= m_nSize);
  CByteBuffer bigger(capacity);
  if (m_nSize != 0) std::memcpy(bigger.m_pData, m_pData, m_nSize);
  bigger.m_nSize = m_nSize;
  *this = std::move(bigger);
}

}  // namespace velunar

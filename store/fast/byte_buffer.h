// A byte buffer for whole files: allocated without being filled, and on huge
// pages where the system offers them.
//
// A std::vector<char> of a 48 MB file writes zeros over every byte before
// the read overwrites them, and on 4 KB pages each of its 12,000 pages costs
// a fault of its own on first touch. This buffer leaves its bytes
// uninitialised, and a large one asks the kernel for transparent huge pages
// (madvise MADV_HUGEPAGE). When the kernel declines, the buffer works the
// same on ordinary pages.
//
// The storage comes from operator new, so that it is counted and can fail
// like any other allocation. Moving a buffer keeps its storage, so views into
// its bytes stay valid as long as the buffer, or the one it moved into,
// lives. Not copyable.
#ifndef VELUNAR_STORE_FAST_BYTE_BUFFER_H_
#define VELUNAR_STORE_FAST_BYTE_BUFFER_H_

#include <cstddef>
#include <string_view>
#include <vector>

#include "store/fast/huge_pages.h"

namespace velunar {

class CByteBuffer {
 public:
  CByteBuffer() = default;
  // Room for `capacity` bytes, none of them set; Size() is 0.
  // Throws std::bad_alloc.
  explicit CByteBuffer(std::size_t capacity);
  CByteBuffer(CByteBuffer&& other) noexcept;
  CByteBuffer& operator=(CByteBuffer&& other) noexcept;
  CByteBuffer(const CByteBuffer&) = delete;
  CByteBuffer& operator=(const CByteBuffer&) = delete;
  ~CByteBuffer();

  char* data() { return m_pData; }
  const char* data() const { return m_pData; }
  std::size_t size() const { return m_nSize; }
  bool empty() const { return m_nSize == 0; }
  std::size_t capacity() const { return m_nCapacity; }
  std::string_view View() const { return {m_pData, m_nSize}; }

  // Sets the count of bytes in use. REQUIRES: n <= capacity(). The bytes
  // from the old size up to n are whatever the storage holds.
  void SetSize(std::size_t n);
  // Moves the bytes in use into new storage of `capacity` bytes (at least
  // size()). Views into the old storage become invalid. Throws
  // std::bad_alloc, leaving the buffer as it was.
  void Reallocate(std::size_t capacity);

  // Buffers at least this large are offered huge pages.
  static constexpr std::size_t kHugePage = velunar::kHugePage;

 private:
  void Release() noexcept;

  void* m_pBlock = nullptr;  // what operator new gave; nullptr when none
  char* m_pData = nullptr;
  std::size_t m_nSize = 0;
  std::size_t m_nCapacity = 0;
};

}  // namespace velunar

#endif  // VELUNAR_STORE_FAST_BYTE_BUFFER_H_

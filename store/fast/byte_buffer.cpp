#include "store/fast/byte_buffer.h"

#include <cassert>
#include <cstring>
#include <new>
#include <utility>

#include "store/fast/huge_pages.h"

namespace velunar {

CByteBuffer::CByteBuffer(std::size_t capacity) {
  if (capacity == 0) return;
  m_pBlock = ::operator new(capacity);
  m_pData = static_cast<char*>(m_pBlock);
  m_nCapacity = capacity;
  AdviseHugePages(m_pData, capacity);
}

CByteBuffer::CByteBuffer(CByteBuffer&& other) noexcept
    : m_pBlock(std::exchange(other.m_pBlock, nullptr)),
      m_pData(std::exchange(other.m_pData, nullptr)),
      m_nSize(std::exchange(other.m_nSize, 0)),
      m_nCapacity(std::exchange(other.m_nCapacity, 0)) {}

CByteBuffer& CByteBuffer::operator=(CByteBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    m_pBlock = std::exchange(other.m_pBlock, nullptr);
    m_pData = std::exchange(other.m_pData, nullptr);
    m_nSize = std::exchange(other.m_nSize, 0);
    m_nCapacity = std::exchange(other.m_nCapacity, 0);
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

// The text pool: storage for the bytes of every entry the lists refer to.
//
// The master list and the view list hold std::string_view references, not
// copies; the pool owns what they point at. Loaded files are adopted whole
// (one buffer, no copy per line); texts typed by the user are copied in one
// by one. Nothing is freed before the pool itself, so a reference taken from
// the pool stays valid for the pool's whole life. Share one pool between the
// lists that exchange references.
#ifndef VELUNAR_STORE_LISTS_TEXT_POOL_H_
#define VELUNAR_STORE_LISTS_TEXT_POOL_H_

#include <memory>
#include <string_view>
#include <vector>

#include "store/fast/byte_buffer.h"

namespace velunar {

class CTextPool {
 public:
  CTextPool() = default;
  CTextPool(const CTextPool&) = delete;
  CTextPool& operator=(const CTextPool&) = delete;

  // Copies `text` into the pool and returns a reference to the copy.
  // Throws std::bad_alloc when memory runs out.
  std::string_view Keep(std::string_view text);

  // Takes ownership of `buffer`; references into its bytes stay valid
  // (moving a buffer keeps its storage).
  void Adopt(CByteBuffer&& buffer);

  // The adopted buffers, in the order they came. Find reads them front to
  // back; the texts copied in one by one are not among them.
  const std::vector<CByteBuffer>& Buffers() const { return m_buffers; }

 private:
  std::vector<std::unique_ptr<char[]>> m_texts;
  std::vector<CByteBuffer> m_buffers;
};

}  // namespace velunar

#endif  // VELUNAR_STORE_LISTS_TEXT_POOL_H_

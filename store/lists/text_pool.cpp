#include "store/lists/text_pool.h"

#include <cstring>

namespace velunar {

std::string_view CTextPool::Keep(std::string_view text) {
  auto copy = std::make_unique<char[]>(text.size() + 1);
  std::memcpy(copy.get(), text.data(), text.size());
  std::string_view kept(copy.get(), text.size());
  m_texts.push_back(std::move(copy));
  return kept;
}

void CTextPool::Adopt(CByteBuffer&& buffer) { m_buffers.push_back(std::move(buffer)); }

}  // namespace velunar

// What a held file is on every system: moving one hands its handle over.
// Opening, reading and closing are each system's own (posix/, win32/).
#include "store/file/held_file.h"

#include <utility>

namespace velunar {

CHeldFile::CHeldFile(CHeldFile&& other) noexcept
    : m_pFs(other.m_pFs), m_hFile(std::exchange(other.m_hFile, -1)) {}

CHeldFile& CHeldFile::operator=(CHeldFile&& other) noexcept {
  if (this != &other) {
    Close();
    m_pFs = other.m_pFs;
    m_hFile = std::exchange(other.m_hFile, -1);
  }
  return *this;
}

}  // namespace velunar

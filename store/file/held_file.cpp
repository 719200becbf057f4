// What a held file is on every system: moving one hands its handle over,
// and a whole read holds only when the file stood still during it.
// Opening, the reads themselves and closing are each system's own
// (posix/, win32/).
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

namespace {

// How often a file that changes while it is read is read again.
constexpr int kReadAttempts = 16;

}  // namespace

CFileStatus CHeldFile::ReadAll(CByteBuffer& buffer, CFileStamp& stamp) const {
  // The stamp is taken before the read and compared after it: a file that
  // another program changed meanwhile is read again.
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    CFileStamp before;
    const bool bBefore = Stamp(before).ok();
    // The size is only a hint for the first allocation: reading goes on to
    // the end of the file, however long it has become. The bytes are read
    // straight into storage nobody filled first (bench/README.md).
    const std::size_t capacity =
        bBefore && before.size > 0 ? static_cast<std::size_t>(before.size) + 1 : kReadChunkSize;
    if (buffer.capacity() < capacity) buffer = CByteBuffer(capacity);
    if (CFileStatus status = ReadToEnd(0, buffer); !status.ok()) return status;
    CFileStamp after;
    if (!bBefore || !Stamp(after).ok()) break;
    if (after == before) {
      stamp = before;
      return CFileStatus::Ok();
    }
  }
  stamp = CFileStamp{};
  return CFileStatus::Ok();
}

CFileStatus CHeldFile::ReadFrom(std::int64_t from, CByteBuffer& buffer) const {
  if (buffer.capacity() < kReadChunkSize) buffer = CByteBuffer(kReadChunkSize);
  return ReadToEnd(from, buffer);
}

}  // namespace velunar

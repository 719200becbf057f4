#include "store/file/held_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "store/file/paths.h"
#include "store/file/posix/file_lock.h"
#include "store/file/posix/file_system.h"

namespace velunar {

namespace {

// How often an opening starts again when the name stopped leading to the
// file it locked (another program replaced it in between).
constexpr int kAttempts = 16;

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

// The reason a file that is there cannot be held: a directory or anything
// else that is no regular file.
int NotRegularError(const struct stat& st) { return S_ISDIR(st.st_mode) ? EISDIR : ENODEV; }

}  // namespace

void CHeldFile::Close() noexcept {
  if (!IsOpen()) return;
  // The lock goes with the descriptor. Linux releases a descriptor even when
  // close reports an error, and nothing was written through this one.
  (void)m_pFs->Close(Fd(std::exchange(m_hFile, -1)));
}

CFileStatus CHeldFile::Open(IFileSystem& fs, const std::string& name, bool create,
                            CHeldFile& out, bool* bCreating) {
  if (bCreating != nullptr) *bCreating = false;
  auto failed = [](int error) { return CFileStatus::Failed(CauseOfUnavailableChange(error), error); };
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    CFileDescriptor fd(fs, fs.Open(name.c_str(), O_RDONLY | kPosixOpenFlags, 0));
    if (!fd.IsOpen()) {
      if (errno != ENOENT || !create) return failed(errno);
      // Created only where nothing exists: O_EXCL makes sure an existing file
      // is never opened here, let alone emptied. A link that leads nowhere
      // gets its file created where it points.
      if (bCreating != nullptr) *bCreating = true;
      std::string path;
      if (CFileStatus status = ReplacedPath(fs, name, path); !status.ok()) return status;
      fd = CFileDescriptor(fs, fs.Open(path.c_str(), O_RDONLY | O_CREAT | O_EXCL | kPosixOpenFlags,
                                       0666));
      if (!fd.IsOpen()) {
        if (errno == EEXIST) continue;  // created by someone else meanwhile
        return failed(errno);
      }
      if (bCreating != nullptr) *bCreating = false;
    }
    struct stat held;
    if (fs.Fstat(fd.Get(), &held) != 0) return failed(errno);
    if (!S_ISREG(held.st_mode)) return failed(NotRegularError(held));
    if (CFileStatus status = LockOpenFile(fs, fd.Get()); !status.ok()) return status;
    // The name may have been given to another file between the opening and
    // the lock: a save by another copy renames its new file over the old one
    // while that one is still locked. Holding the old file would shut out
    // nobody, so start again with whatever the name leads to now.
    struct stat named;
    if (fs.Stat(name.c_str(), &named) == 0) {
      if (named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
        out.Close();
        out.m_pFs = &fs;
        out.m_hFile = fd.Release();
        return CFileStatus::Ok();
      }
    } else if (errno != ENOENT) {
      return failed(errno);
    }
  }
  return failed(EWOULDBLOCK);
}

CFileStatus CHeldFile::Stamp(CFileStamp& stamp) const {
  struct stat st;
  if (m_pFs->Fstat(Fd(m_hFile), &st) != 0) return CFileStatus::Failed(CFileException::generic, errno);
  stamp = StampOf(st);
  return CFileStatus::Ok();
}



CFileStatus CHeldFile::ReadToEnd(std::int64_t from, CByteBuffer& buffer) const {
  const int fd = Fd(m_hFile);
  if (m_pFs->Lseek(fd, static_cast<off_t>(from), SEEK_SET) != from) {
    return CFileStatus::Failed(CFileException::generic, errno);
  }
  std::size_t size = 0;
  for (;;) {
    if (size == buffer.capacity()) {
      buffer.SetSize(size);
      buffer.Reallocate(size + std::max(size, kReadChunkSize));
    }
    const ssize_t n = m_pFs->Read(fd, buffer.data() + size, buffer.capacity() - size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return CFileStatus::Failed(CFileException::generic, errno);
    }
    if (n == 0) break;
    size += static_cast<std::size_t>(n);
  }
  buffer.SetSize(size);
  return CFileStatus::Ok();
}

CFileStatus CHeldFile::Append(std::string_view bytes, std::int64_t& end) const {
  auto failed = [](int error) { return CFileStatus::Failed(CFileException::diskFull, error); };
  // O_APPEND makes each write go to the end as it is at that moment, so
  // that the appends of other programs (shells writing with >>) are never
  // written over.
  const int fd = Fd(m_hFile);
  const int flags = m_pFs->Fcntl(fd, F_GETFL, 0);
  if (flags < 0 || m_pFs->Fcntl(fd, F_SETFL, flags | O_APPEND) != 0) return failed(errno);
  while (!bytes.empty()) {
    const ssize_t n = m_pFs->Write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return failed(errno);
    }
    if (n == 0) return failed(ENOSPC);
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  const off_t at = m_pFs->Lseek(fd, 0, SEEK_CUR);
  if (at < 0) return failed(errno);
  if (m_pFs->Fsync(fd) != 0 && errno != EINVAL) return failed(errno);
  end = at;
  return CFileStatus::Ok();
}

bool CHeldFile::IsUnderName(const std::string& name) const {
  struct stat held, named;
  return m_pFs->Fstat(Fd(m_hFile), &held) == 0 && m_pFs->Stat(name.c_str(), &named) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

CFileStatus CHeldFile::CheckWritable(const std::string& name) const {
  struct stat st;
  if (m_pFs->Fstat(Fd(m_hFile), &st) != 0) {
    return CFileStatus::Failed(CFileException::notOpenedForWriting, errno);
  }
  // A file without any write bit is read-only to its owner's mind, even for
  // root, whom access(2) would let write it.
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    return CFileStatus::Failed(CFileException::notOpenedForWriting, EACCES);
  }
  if (m_pFs->Access(name.c_str(), W_OK) != 0) {
    return CFileStatus::Failed(CFileException::notOpenedForWriting, errno);
  }
  return CFileStatus::Ok();
}

CFileStatus StampOfName(IFileSystem& fs, const std::string& name, CFileStamp& stamp) {
  struct stat st;
  if (fs.Stat(name.c_str(), &st) != 0) return CFileStatus::Failed(CFileException::generic, errno);
  if (!S_ISREG(st.st_mode)) {
    return CFileStatus::Failed(CFileException::notRegularFile, NotRegularError(st));
  }
  stamp = StampOf(st);
  return CFileStatus::Ok();
}

}  // namespace velunar

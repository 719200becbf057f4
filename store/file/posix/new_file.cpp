#include "store/file/new_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <utility>
#include <vector>

#include "store/file/held_file.h"
#include "store/file/new_file_name.h"
#include "store/file/paths.h"
#include "store/file/posix/file_lock.h"
#include "store/file/posix/file_metadata.h"
#include "store/file/posix/file_system.h"

namespace velunar {

namespace {

// Names tried for the new file before giving up.
constexpr int kNameAttempts = 100;
// Writes go to the kernel in pieces of at most this size.
constexpr std::size_t kWritePiece = 64 * 1024;

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

CFileStatus NotCreated(int error) {
  return CFileStatus::Failed(CFileException::notOpenedForWriting, error);
}
CFileStatus NotWritten(int error) { return CFileStatus::Failed(CFileException::diskFull, error); }

// The mark of a new file, where the file system keeps extended attributes:
// the leftover of a save that was cut short is removed only when it bears
// it (or when the file system can bear none).
constexpr char kMark[] = "user.velunar.new-file";

// The first free name .<entry file>.<pid>.<n>.tmp beside `target`:
// `tryName` makes the file under a candidate and returns 0, or -1 with
// errno. A name taken already is skipped, never reused.
CFileStatus PickName(const std::string& target, const std::function<int(const std::string&)>& tryName,
                     std::string& picked) {
  const std::string dir = DirName(target) + "/";
  const std::string base = BaseName(target);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string path = dir + NewFileName(base, static_cast<unsigned long>(::getpid()), attempt);
    if (tryName(path) == 0) {
      picked = std::move(path);
      return CFileStatus::Ok();
    }
    if (errno != EEXIST) return NotWritten(errno);
  }
  return NotWritten(EEXIST);
}

}  // namespace

CFileStatus CNewFile::Create(IFileSystem& fs, const std::string& target, const CHeldFile* old) {
  Abandon();
  m_pFs = &fs;
  m_strTarget = target;
  // Unnamed until the instant of the rename: a save cut short by a crash or
  // kill -9 leaves nothing in the directory.
  const std::string dir = DirName(target);
  CFileDescriptor fd(fs, fs.Open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666));
  if (!fd.IsOpen()) {
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return NotCreated(errno);
    // A file system without unnamed files: a named one, removed by the next
    // save or start of the program if this one is cut short.
    const CFileStatus named = PickName(
        target,
        [&](const std::string& path) {
          fd = CFileDescriptor(fs, fs.Open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | kPosixOpenFlags,
                                           0666));
          return fd.IsOpen() ? 0 : -1;
        },
        m_strPath);
    if (!named.ok()) return named.As(CFileException::notOpenedForWriting);
  }
  m_hFile = fd.Release();
  // Locked before it can take the entry file's name: an opening that finds
  // it under the name is refused like one that finds the old file.
  CFileStatus status = LockOpenFile(fs, Fd(m_hFile));
  if (status.ok() && old != nullptr && old->IsOpen()) {
    const int from = Fd(old->m_hFile);
    struct stat st;
    status = fs.Fstat(from, &st) == 0 ? CopyMetadata(fs, from, st, Fd(m_hFile)) : NotCreated(errno);
  }
  if (!status.ok()) {
    Abandon();
    return status.As(CFileException::notOpenedForWriting);
  }
  // After the metadata, which would take away an attribute the old file
  // lacks. A file system without extended attributes leaves the name alone
  // to tell a leftover.
  (void)fs.Fsetxattr(Fd(m_hFile), kMark, "1", 1, 0);
  return CFileStatus::Ok();
}

CFileStatus CNewFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    // In pieces: a file of a million entries is not handed to the kernel in
    // one call.
    const ssize_t n = m_pFs->Write(Fd(m_hFile), bytes.data(), std::min(bytes.size(), kWritePiece));
    if (n < 0) {
      if (errno == EINTR) continue;
      return NotWritten(errno);
    }
    if (n == 0) return NotWritten(ENOSPC);
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return CFileStatus::Ok();
}

CFileStatus CNewFile::Prepare() {
  // The data must be on the disk before the name leads to it; otherwise a
  // crash after the rename could leave an empty or partial entry file.
  // EINVAL: the file system cannot sync at all.
  if (m_pFs->Fsync(Fd(m_hFile)) != 0 && errno != EINVAL) return NotWritten(errno);
  // Opened before the rename, so that a directory that cannot be opened
  // fails the save while the old file is still in place.
  const int dir =
      m_pFs->Open(DirName(m_strTarget).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (dir < 0) return NotWritten(errno);
  if (m_hDirectory != -1) (void)m_pFs->Close(Fd(m_hDirectory));
  m_hDirectory = dir;
  if (!m_strPath.empty()) return CFileStatus::Ok();
  const std::string self = "/proc/self/fd/" + std::to_string(Fd(m_hFile));
  return PickName(
      m_strTarget,
      [&](const std::string& path) {
        if (m_pFs->Linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) {
          return 0;
        }
        if (errno != ENOENT) return -1;
        // No /proc: the descriptor itself names the file (needs the right
        // to do so).
        return m_pFs->Linkat(Fd(m_hFile), "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH);
      },
      m_strPath);
}

namespace {

// The stamp of the open file `fd`, as the new file's at the moment it takes
// the target's name.
CFileStatus StampOfOpen(IFileSystem& fs, int fd, CFileStamp& stamp) {
  struct stat st;
  if (fs.Fstat(fd, &st) != 0) return NotWritten(errno);
  stamp = StampOf(st);
  return CFileStatus::Ok();
}

}  // namespace

CFileStatus CNewFile::Exchange(CFileStamp& written, bool& bExchanged, const CHeldFile* old) {
  bExchanged = false;
  if (CFileStatus status = StampOfOpen(*m_pFs, Fd(m_hFile), written); !status.ok()) return status;
  if (old != nullptr && old->IsOpen()) (void)m_pFs->Fsetxattr(Fd(old->m_hFile), kMark, "1", 1, 0);
  if (m_pFs->RenameExchange(m_strPath.c_str(), m_strTarget.c_str()) != 0) {
    const int error = errno;
    if (old != nullptr) Unmark(*old);
    // Nothing under the target (a file removed meanwhile, or never made),
    // or a file system that cannot exchange: the caller renames.
    if (error == ENOENT || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP) {
      return CFileStatus::Ok();
    }
    return NotWritten(error);
  }
  bExchanged = m_bExchanged = true;
  return CFileStatus::Ok();
}

void CNewFile::Unmark(const CHeldFile& file) noexcept {
  if (file.IsOpen()) (void)m_pFs->Fremovexattr(Fd(file.m_hFile), kMark);
}

CFileStatus CNewFile::Rename(CFileStamp& written, CHeldFile& /*old*/) {
  // A lock on Linux keeps nobody from renaming over the file: the old one
  // stays held, so that no other copy can take the file meanwhile.
  if (CFileStatus status = StampOfOpen(*m_pFs, Fd(m_hFile), written); !status.ok()) return status;
  if (m_pFs->Rename(m_strPath.c_str(), m_strTarget.c_str()) != 0) return NotWritten(errno);
  m_strPath.clear();
  return CFileStatus::Ok();
}

CFileStatus CNewFile::DisplacedStamp(CFileStamp& stamp) const {
  struct stat st;
  if (m_pFs->Lstat(m_strPath.c_str(), &st) != 0) return NotWritten(errno);
  stamp = StampOf(st);
  return CFileStatus::Ok();
}

CFileStatus CNewFile::ExchangeBack() {
  if (m_pFs->RenameExchange(m_strPath.c_str(), m_strTarget.c_str()) != 0) return NotWritten(errno);
  m_bExchanged = false;
  return CFileStatus::Ok();
}

void CNewFile::RemoveDisplaced() noexcept {
  if (!m_bExchanged) return;
  (void)m_pFs->Unlink(m_strPath.c_str());
  m_strPath.clear();
  m_bExchanged = false;
}

void CNewFile::TakeOver(CHeldFile& held) noexcept {
  // A new file put back out of the target's place loses its name.
  if (!m_strPath.empty() && !m_bExchanged) (void)m_pFs->Unlink(m_strPath.c_str());
  // The mark of a new file goes, so that no copy of the file is ever taken
  // for a leftover.
  (void)m_pFs->Fremovexattr(Fd(m_hFile), kMark);
  held.Close();
  held.m_pFs = m_pFs;
  held.m_hFile = std::exchange(m_hFile, -1);
  // What an exchange took out keeps its name until RemoveDisplaced.
  if (!m_bExchanged) m_strPath.clear();
}

CFileStatus CNewFile::SyncDirectory() {
  const int dir = Fd(std::exchange(m_hDirectory, -1));
  if (dir == -1) return CFileStatus::Ok();
  // EINVAL: the file system cannot sync a directory at all.
  const bool ok = m_pFs->Fsync(dir) == 0 || errno == EINVAL;
  const int error = errno;
  (void)m_pFs->Close(dir);
  return ok ? CFileStatus::Ok() : NotWritten(error);
}

void CNewFile::Abandon() noexcept {
  if (m_hFile != -1) {
    // Removed while still locked, so nobody can have opened it meanwhile;
    // an unnamed file goes with its descriptor. After an exchange the name
    // is another file's, which is never removed here.
    if (!m_strPath.empty() && !m_bExchanged) (void)m_pFs->Unlink(m_strPath.c_str());
    (void)m_pFs->Close(Fd(std::exchange(m_hFile, -1)));
  }
  if (m_hDirectory != -1) (void)m_pFs->Close(Fd(std::exchange(m_hDirectory, -1)));
  m_strPath.clear();
  m_bExchanged = false;
}

void RemoveLeftovers(IFileSystem& fs, const std::string& target) noexcept {
  try {
    const std::string dir = DirName(target);
    const std::string base = BaseName(target);
    std::vector<std::string> names;
    if (fs.ListDirectory(dir.c_str(), names) != 0) return;
    for (const std::string& name : names) {
      if (!IsNewFileName(name, base)) continue;
      const std::string path = dir + "/" + name;
      CFileDescriptor fd(fs, fs.Open(path.c_str(), O_RDONLY | O_NOFOLLOW | kPosixOpenFlags, 0));
      struct stat held, named;
      if (!fd.IsOpen() || fs.Fstat(fd.Get(), &held) != 0 || !S_ISREG(held.st_mode)) continue;
      // The program's own mark, where the file system can keep one. A new
      // file made under its name is marked right after its creation, before
      // anything is written to it: one cut short in between is empty.
      char mark;
      if (fs.Fgetxattr(fd.Get(), kMark, &mark, 1) < 0 && errno != ENOTSUP && errno != EOPNOTSUPP &&
          held.st_size != 0) {
        continue;
      }
      // A save under way, of this copy of the program or another, holds its
      // new file locked from its creation on: only a file nobody holds is a
      // leftover.
      if (fs.Flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) continue;
      if (fs.Lstat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
          named.st_ino == held.st_ino) {
        (void)fs.Unlink(path.c_str());
      }
    }
  } catch (...) {
    // Out of memory while listing: the leftovers wait for the next save.
  }
}

}  // namespace velunar

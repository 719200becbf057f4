#include "store/entry_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <utility>

#include "store/entry_format.h"

namespace velunar {

namespace {

// Output is collected up to this size before it goes to the new file.
constexpr std::size_t kWriteBufferSize = 64 * 1024;
// Reads go in pieces of at least this size when the file grows under us.
constexpr std::size_t kReadChunkSize = 64 * 1024;
// How often an opening starts again when the name stopped leading to the
// file it locked (another program replaced it in between).
constexpr int kOpenAttempts = 16;
// Symbolic links followed before giving up, as the kernel does (ELOOP).
constexpr int kMaxLinks = 40;
// Names tried for the new file of a save before giving up.
constexpr int kNewNameAttempts = 100;

// Every opening leaves the descriptor out of programs this process starts.
// O_NONBLOCK keeps a FIFO put in the file's place from blocking the opening;
// it changes nothing for a regular file.
constexpr int kOpenFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

std::string ReplacePath(std::string_view text, const std::string& path) {
  std::string out;
  const std::size_t at = text.find("%1");
  out.append(text.substr(0, at));
  out.append(path);
  out.append(text.substr(at + 2));
  return out;
}

std::string DirName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The file `name` finally leads to, following symbolic links: a save
// replaces that file and leaves the links as they are. A link that leads
// nowhere gives the path where its file would be. False, with `error` set,
// when a link cannot be read or there are too many.
bool ResolveLinks(IFileSystem& fs, const std::string& name, std::string& path, int& error) {
  path = name;
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat st;
    if (fs.Lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    std::string target(PATH_MAX, '\0');
    const ssize_t n = fs.ReadLink(path.c_str(), target.data(), target.size());
    if (n < 0) {
      error = errno;
      return false;
    }
    target.resize(static_cast<std::size_t>(n));
    path = !target.empty() && target[0] == '/' ? target : DirName(path) + "/" + target;
  }
  error = ELOOP;
  return false;
}

}  // namespace

CFileException::CFileException(ECause cause, int osError, std::string fullPath)
    : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fullPath)) {
  m_strWhat = ReportText();
}

std::string CFileException::ReportText() const {
  switch (m_cause) {
    case diskFull:
      return ReplacePath("Disk full while accessing %1.", m_strFileName);
    case notOpenedForWriting:
      return ReplacePath("Could not open %1 for writing; nothing was written.", m_strFileName);
    case generic:
      break;
  }
  return ReplacePath("An unknown error occurred while accessing %1.", m_strFileName);
}

const char* CFileException::what() const noexcept { return m_strWhat.c_str(); }

CFileUnavailableException::CFileUnavailableException(int osError, std::string fullPath)
    : m_lOsError(osError), m_strFileName(std::move(fullPath)) {
  m_strWhat = ReplacePath("Could not open %1; it may be in use by another copy of the program.",
                          m_strFileName);
}

const char* CFileUnavailableException::what() const noexcept { return m_strWhat.c_str(); }

CStdioFile::CStdioFile(IFileSystem& fs, std::string fileName)
    : m_fs(fs), m_strFileName(std::move(fileName)) {}

// The reservation (m_file) closes with its owner and takes the lock with it.
CStdioFile::~CStdioFile() {
  if (m_eState == EState::writing) AbandonSave();
}

void CStdioFile::UpdateFullPath() {
  if (!m_strFileName.empty() && m_strFileName[0] == '/') {
    m_strFullPath = m_strFileName;
    return;
  }
  std::string cwd(PATH_MAX, '\0');
  while (m_fs.GetCwd(cwd.data(), cwd.size()) == nullptr) {
    if (errno != ERANGE) {
      // The current directory has no name any more (it was removed); the
      // report can only name the file as it was given.
      m_strFullPath = m_strFileName;
      return;
    }
    cwd.resize(cwd.size() * 2);
  }
  cwd.resize(cwd.find('\0'));
  m_strFullPath = cwd == "/" ? "/" + m_strFileName : cwd + "/" + m_strFileName;
}

bool CStdioFile::IsUnderName(const CFileDescriptor& fd) {
  struct stat held, named;
  return m_fs.Fstat(fd.Get(), &held) == 0 && m_fs.Stat(m_strFileName.c_str(), &named) == 0 &&
         SameFile(held, named);
}

// flock(2), not fcntl(2): a flock lock belongs to the open file description,
// so a second opening in this very process is refused like one from another
// copy of the program, and closing some other descriptor of the file cannot
// drop it. The lock is advisory: it shuts out every copy of this program,
// not editors that ignore locks.
CFileDescriptor CStdioFile::LockEntryFile(bool create, int& error) {
  for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
    CFileDescriptor fd(m_fs, m_fs.Open(m_strFileName.c_str(), O_RDONLY | kOpenFlags, 0));
    if (!fd.IsOpen()) {
      if (errno != ENOENT || !create) {
        error = errno;
        return {};
      }
      // Created only where nothing exists: O_EXCL makes sure an existing file
      // is never opened here, let alone emptied. A link that leads nowhere
      // gets its file created where it points.
      std::string path;
      if (!ResolveLinks(m_fs, m_strFileName, path, error)) return {};
      fd = CFileDescriptor(m_fs,
                           m_fs.Open(path.c_str(), O_RDONLY | O_CREAT | O_EXCL | kOpenFlags, 0666));
      if (!fd.IsOpen()) {
        error = errno;
        if (error == EEXIST) continue;  // created by someone else meanwhile
        return {};
      }
    }
    struct stat held;
    if (m_fs.Fstat(fd.Get(), &held) != 0) {
      error = errno;
      return {};
    }
    if (!S_ISREG(held.st_mode)) {
      error = S_ISDIR(held.st_mode) ? EISDIR : EINVAL;
      return {};
    }
    if (m_fs.Flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
      error = errno;
      return {};
    }
    // The name may have been given to another file between the opening and
    // the lock: a save by another copy renames its new file over the old one
    // while that one is still locked. Holding the old file would shut out
    // nobody, so start again with whatever the name leads to now.
    struct stat named;
    if (m_fs.Stat(m_strFileName.c_str(), &named) == 0) {
      if (SameFile(held, named)) return fd;
    } else if (errno != ENOENT) {
      error = errno;
      return {};
    }
    error = EAGAIN;
  }
  return {};
}

bool CStdioFile::OpenForReading() {
  UpdateFullPath();
  if (m_eState == EState::held) return true;
  // An unfinished save is dropped: it has not touched the entry file yet.
  if (m_eState == EState::writing) AbandonSave();
  m_bSaveFailed = false;
  m_eState = EState::closed;

  if (m_file.IsOpen()) {
    if (IsUnderName(m_file)) {
      m_eState = EState::held;
      return true;
    }
    m_file.Reset();
  }
  int error = 0;
  CFileDescriptor fd = LockEntryFile(/*create=*/true, error);
  if (!fd.IsOpen()) {
    m_nOpenError = error;
    return false;
  }
  m_file = std::move(fd);
  m_eState = EState::held;
  return true;
}

CLoadedEntries CStdioFile::Load() {
  if (!OpenForReading()) throw CFileUnavailableException(m_nOpenError, m_strFullPath);

  // The descriptor may be a reservation that was read before.
  if (m_fs.Lseek(m_file.Get(), 0, SEEK_SET) != 0) {
    throw CFileException(CFileException::generic, errno, m_strFullPath);
  }
  // The size is only a hint for the first allocation: reading goes on to
  // the end of the file, however long it has become.
  struct stat st;
  std::size_t capacity = kReadChunkSize;
  if (m_fs.Fstat(m_file.Get(), &st) == 0 && st.st_size > 0) {
    capacity = static_cast<std::size_t>(st.st_size) + 1;
  }
  CLoadedEntries loaded;
  loaded.buffer.resize(capacity);
  std::size_t size = 0;
  for (;;) {
    if (size == loaded.buffer.size()) loaded.buffer.resize(size + std::max(size, kReadChunkSize));
    const ssize_t n =
        m_fs.Read(m_file.Get(), loaded.buffer.data() + size, loaded.buffer.size() - size);
    if (n < 0) {
      if (errno == EINTR) continue;
      // Nothing is loaded: a list cut short by a failed read would be saved
      // over the whole file at the next save.
      throw CFileException(CFileException::generic, errno, m_strFullPath);
    }
    if (n == 0) break;
    size += static_cast<std::size_t>(n);
  }
  loaded.buffer.resize(size);

  // Shrinking the vector keeps its storage, and moving it out keeps it too,
  // so the views stay valid in the returned object.
  CParsedEntries parsed = ParseEntries(std::string_view(loaded.buffer.data(), size));
  std::string tail(parsed.tail);
  loaded.entries = std::move(parsed.entries);
  m_strTail = std::move(tail);
  return loaded;
}

bool CStdioFile::StartSave(int& error) {
  // The old file stays locked for the whole save. Without a reservation from
  // an earlier opening, lock it now; a file held by another copy ends the
  // save here, before anything is written.
  if (m_file.IsOpen() && !IsUnderName(m_file)) m_file.Reset();
  if (!m_file.IsOpen()) {
    m_file = LockEntryFile(/*create=*/false, error);
    if (!m_file.IsOpen() && error != ENOENT) return false;
  }

  struct stat old;
  const bool hasOld = m_file.IsOpen();
  if (hasOld) {
    if (m_fs.Fstat(m_file.Get(), &old) != 0) {
      error = errno;
      return false;
    }
    // A file without any write bit is read-only to its owner's mind, even
    // for root, whom access(2) would let write it.
    if ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
      error = EACCES;
      return false;
    }
    if (m_fs.Access(m_strFileName.c_str(), W_OK) != 0) {
      error = errno;
      return false;
    }
  }

  if (!ResolveLinks(m_fs, m_strFileName, m_strTargetPath, error)) return false;

  // The new file lives in the directory of the file it replaces, since
  // rename(2) is atomic only within one file system.
  const std::string prefix = DirName(m_strTargetPath) + "/" + BaseName(m_strTargetPath) + "." +
                             std::to_string(::getpid()) + ".";
  // A name left over from an earlier run that ended without cleaning up
  // (a power failure) is skipped, never reused.
  error = EEXIST;
  for (int attempt = 0; attempt < kNewNameAttempts && error == EEXIST; ++attempt) {
    m_strNewPath = prefix + std::to_string(attempt) + ".tmp";
    const int fd = m_fs.Open(m_strNewPath.c_str(), O_RDWR | O_CREAT | O_EXCL | kOpenFlags, 0666);
    error = errno;
    m_newFile = CFileDescriptor(m_fs, fd);
  }
  if (!m_newFile.IsOpen()) return false;
  // Locked before it can take the entry file's name: an opening that finds
  // it under the name is refused like one that finds the old file.
  if (m_fs.Flock(m_newFile.Get(), LOCK_EX | LOCK_NB) != 0) {
    error = errno;
    AbandonSave();
    return false;
  }
  if (hasOld) {
    // Owner first: changing the owner may clear the set-id bits, which the
    // mode then puts back. Only root may give a file away; others keep
    // their own file, which is the same owner in the usual case.
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
      (void)m_fs.Fchown(m_newFile.Get(), old.st_uid, old.st_gid);
    }
    if (m_fs.Fchmod(m_newFile.Get(), old.st_mode & 07777) != 0) {
      error = errno;
      AbandonSave();
      return false;
    }
  }
  return true;
}

bool CStdioFile::OpenForWriting() {
  UpdateFullPath();
  if (m_eState == EState::writing) AbandonSave();
  m_eState = EState::closed;
  m_bSaveFailed = false;
  m_strBuffer.clear();

  int error = 0;
  if (!StartSave(error)) {
    // Remembered, so that the save that follows is told it wrote nothing.
    FailSave(CFileException::notOpenedForWriting, error, /*reported=*/false);
    return false;
  }
  m_strBuffer.reserve(kWriteBufferSize);
  m_eState = EState::writing;
  return true;
}

void CStdioFile::WriteText(std::string_view text) {
  if (m_bSaveFailed) {
    m_bFailureReported = true;
    throw CFileException(m_eFailureCause, m_nFailureError, m_strFullPath);
  }
  if (m_eState != EState::writing) {
    throw CFileException(CFileException::notOpenedForWriting, EBADF, m_strFullPath);
  }
  try {
    AppendWithCrLf(text, m_strBuffer);
  } catch (...) {
    // The text may be in the buffer in part: this save cannot be finished.
    AbandonSave();
    FailSave(CFileException::diskFull, ENOMEM, /*reported=*/true);
    throw;
  }
  if (m_strBuffer.size() < kWriteBufferSize) return;
  int error = 0;
  if (!WriteFully(m_strBuffer, error)) {
    // The new file is removed at once rather than at Close, so that none is
    // left behind if the program ends before then.
    AbandonSave();
    FailSave(CFileException::diskFull, error, /*reported=*/true);
    throw CFileException(CFileException::diskFull, error, m_strFullPath);
  }
  m_strBuffer.clear();
}

bool CStdioFile::WriteFully(std::string_view bytes, int& error) {
  while (!bytes.empty()) {
    const ssize_t n = m_fs.Write(m_newFile.Get(), bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      return false;
    }
    if (n == 0) {
      error = ENOSPC;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

void CStdioFile::Close() {
  switch (m_eState) {
    case EState::held:
      m_eState = EState::closed;  // m_file stays open as the reservation
      return;
    case EState::writing:
      if (!m_bSaveFailed) {
        CommitSave();
        return;
      }
      break;
    case EState::closed:
      break;
  }
  m_eState = EState::closed;
  if (!m_bSaveFailed) return;
  // A failed save ends here. Its failure is thrown once: a save already told
  // is not told again, so the next save starts from a closed file.
  m_bSaveFailed = false;
  if (!m_bFailureReported) throw CFileException(m_eFailureCause, m_nFailureError, m_strFullPath);
}

void CStdioFile::CommitSave() {
  int error = 0;
  bool ok = WriteFully(m_strBuffer, error) && WriteFully(m_strTail, error);
  // The data must be on the disk before the name leads to it; otherwise a
  // crash after the rename could leave an empty or partial entry file.
  if (ok && m_fs.Fsync(m_newFile.Get()) != 0) {
    error = errno;
    ok = false;
  }
  // Opened before the rename, so that a directory that cannot be opened
  // fails the save while the old file is still in place.
  CFileDescriptor dir(m_fs, -1);
  if (ok) {
    dir = CFileDescriptor(
        m_fs, m_fs.Open(DirName(m_strTargetPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
    if (!dir.IsOpen()) {
      error = errno;
      ok = false;
    }
  }
  if (ok && m_fs.Rename(m_strNewPath.c_str(), m_strTargetPath.c_str()) != 0) {
    error = errno;
    ok = false;
  }
  if (!ok) {
    AbandonSave();
    m_eState = EState::closed;
    throw CFileException(CFileException::diskFull, error, m_strFullPath);
  }

  // The new file is the entry file now. Its lock, held since its creation,
  // becomes the reservation; the old file's lock goes with its descriptor.
  m_file = std::move(m_newFile);
  m_strBuffer.clear();
  m_strBuffer.shrink_to_fit();
  m_eState = EState::closed;

  // Without this the rename itself may be lost in a crash. The save is done
  // either way, but its success cannot be promised, so a failure is
  // reported. EINVAL: the file system cannot sync a directory at all.
  if (m_fs.Fsync(dir.Get()) != 0 && errno != EINVAL) {
    throw CFileException(CFileException::diskFull, errno, m_strFullPath);
  }
}

void CStdioFile::AbandonSave() noexcept {
  if (m_newFile.IsOpen()) {
    // Removed while still locked, so nobody can have opened it meanwhile.
    (void)m_fs.Unlink(m_strNewPath.c_str());
    m_newFile.Reset();
  }
  m_strBuffer.clear();
  m_strBuffer.shrink_to_fit();
}

void CStdioFile::FailSave(CFileException::ECause cause, int osError, bool reported) noexcept {
  m_bSaveFailed = true;
  m_bFailureReported = reported;
  m_eFailureCause = cause;
  m_nFailureError = osError;
}

void CStdioFile::WriteAll(const std::function<void(const EntryVisitor&)>& forEachEntry) {
  OpenForWriting();
  try {
    forEachEntry([this](std::string_view entry) {
      WriteText(entry);
      WriteText("\n");
    });
  } catch (...) {
    // Whatever stopped the entries (a failed write, or memory running out in
    // the caller) leaves a list cut short: it must never become the file.
    if (m_eState == EState::writing && !m_bSaveFailed) {
      AbandonSave();
      FailSave(CFileException::diskFull, ENOMEM, /*reported=*/true);
    }
    throw;
  }
  Close();
}

}  // namespace velunar

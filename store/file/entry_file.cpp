#include "store/file/entry_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstring>
#include <span>
#include <utility>

#include "store/file/entry_format.h"

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

// Every report of the entry file, in English; %1 stands for the file's full
// path. The first is also the report of any cause not listed.
struct CReport {
  CFileException::ECause cause;
  std::string_view text;
};
constexpr CReport kReports[] = {
    {CFileException::generic, "An unknown error occurred while accessing %1."},
    {CFileException::diskFull, "Disk full while accessing %1."},
    {CFileException::notOpenedForWriting, "Could not open %1 for writing; nothing was written."},
    {CFileException::heldByAnotherCopy,
     "Another program replaced %1, and the new file is in use by another copy of this program; "
     "nothing was written."},
    {CFileException::lockedByAnotherProgram,
     "%1 is locked by another program; nothing was written."},
    {CFileException::notRegularFile, "%1 is no longer a regular file; nothing was written."},
    {CFileException::unreadable,
     "Another program changed %1, and the changed file cannot be read; nothing was written."},
    {CFileException::changedOutside,
     "Another program changed %1 while it was being saved; nothing was written. Save again to "
     "keep both programs' entries."},
};
// Load found no file it could open (CFileUnavailableException).
constexpr std::string_view kUnavailableReport =
    "Could not open %1; it may be in use by another copy of the program.";

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

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The names a save gives its new file for the instant of the rename:
// <entry file>.<pid>.<n>.tmp. Nothing else in the directory is ever removed.
bool IsNewFileName(std::string_view name, std::string_view base) {
  if (name.size() <= base.size() + 1 || name.substr(0, base.size()) != base ||
      name[base.size()] != '.') {
    return false;
  }
  name.remove_prefix(base.size() + 1);
  constexpr std::string_view kSuffix = ".tmp";
  if (name.size() <= kSuffix.size() || name.substr(name.size() - kSuffix.size()) != kSuffix) {
    return false;
  }
  name.remove_suffix(kSuffix.size());
  const std::size_t dot = name.find('.');
  if (dot == std::string_view::npos) return false;
  const auto digits = [](std::string_view part) {
    return !part.empty() && std::all_of(part.begin(), part.end(),
                                        [](char c) { return c >= '0' && c <= '9'; });
  };
  return digits(name.substr(0, dot)) && digits(name.substr(dot + 1));
}

// The names of the extended attributes of `fd`; false with `error` set.
// A file system without extended attributes has none.
bool ListAttributes(IFileSystem& fs, int fd, std::vector<std::string>& names, int& error) {
  names.clear();
  std::vector<char> list;
  for (;;) {
    const ssize_t size = fs.Flistxattr(fd, nullptr, 0);
    if (size < 0) {
      if (errno == ENOTSUP) return true;
      error = errno;
      return false;
    }
    list.resize(static_cast<std::size_t>(size));
    const ssize_t n = fs.Flistxattr(fd, list.data(), list.size());
    if (n < 0) {
      if (errno == ERANGE) continue;  // grew in between
      error = errno;
      return false;
    }
    list.resize(static_cast<std::size_t>(n));
    break;
  }
  for (std::size_t at = 0; at < list.size();) {
    const std::size_t end = std::find(list.begin() + static_cast<std::ptrdiff_t>(at), list.end(),
                                      '\0') -
                            list.begin();
    if (end > at) names.emplace_back(list.data() + at, end - at);
    at = end + 1;
  }
  return true;
}

// Attributes the system keeps itself (security labels) or only the
// administrator may set: a save that cannot copy them still keeps the
// user's permissions, so their failure does not stop it.
bool IsSystemAttribute(const std::string& name) {
  return name.rfind("security.", 0) == 0 || name.rfind("trusted.", 0) == 0;
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
  for (const CReport& report : kReports) {
    if (report.cause == m_cause) return ReplacePath(report.text, m_strFileName);
  }
  return ReplacePath(kReports[0].text, m_strFileName);
}

const char* CFileException::what() const noexcept { return m_strWhat.c_str(); }

CFileUnavailableException::CFileUnavailableException(int osError, std::string fullPath)
    : m_lOsError(osError), m_strFileName(std::move(fullPath)) {
  m_strWhat = ReplacePath(kUnavailableReport, m_strFileName);
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

// flock(2): a flock lock belongs to the open file description, so a second
// opening in this very process is refused like one from another copy of the
// program, and closing some other descriptor of the file cannot drop it.
// The OFD read lock beside it is what programs that lock with fcntl(2) or
// lockf(3) see; it too belongs to the open file description. Both are
// advisory: they shut out every copy of this program and every program that
// asks, not editors that ignore locks.
bool CStdioFile::LockDescriptor(const CFileDescriptor& fd, int& error) {
  if (m_fs.Flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
    error = errno == EWOULDBLOCK ? EWOULDBLOCK : errno;
    return false;
  }
  struct flock lock {};
  lock.l_type = F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;  // the whole file, however long it grows
  if (m_fs.FcntlLock(fd.Get(), F_OFD_SETLK, &lock) != 0) {
    // EINVAL: a kernel or file system without such locks; the flock alone
    // still shuts out every copy of the program.
    if (errno == EINVAL || errno == ENOLCK || errno == EOPNOTSUPP) return true;
    error = errno == EAGAIN || errno == EACCES ? EBUSY : errno;
    return false;
  }
  return true;
}

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
      error = S_ISDIR(held.st_mode) ? EISDIR : ENODEV;
      return {};
    }
    if (!LockDescriptor(fd, error)) return {};
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
    error = EWOULDBLOCK;
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

  // The file locked so far is kept, whatever the name leads to now: letting
  // go of it before another is locked would leave a moment with no lock at
  // all. When another program has put a file in its place, the next save
  // finds out and reads that file first (ReadOutsideChange).
  if (m_file.IsOpen()) {
    m_eState = EState::held;
    return true;
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

bool CStdioFile::ReadWhole(const CFileDescriptor& fd, CByteBuffer& buffer, int& error) {
  if (m_fs.Lseek(fd.Get(), 0, SEEK_SET) != 0) {
    error = errno;
    return false;
  }
  // The size is only a hint for the first allocation: reading goes on to
  // the end of the file, however long it has become.
  struct stat st;
  std::size_t capacity = kReadChunkSize;
  if (m_fs.Fstat(fd.Get(), &st) == 0 && st.st_size > 0) {
    capacity = static_cast<std::size_t>(st.st_size) + 1;
  }
  // Read straight into storage nobody filled first: zeroing a 48 MB file's
  // buffer before the read overwrites it cost as much as the read.
  if (buffer.capacity() < capacity) buffer = CByteBuffer(capacity);
  std::size_t size = 0;
  for (;;) {
    if (size == buffer.capacity()) {
      buffer.SetSize(size);
      buffer.Reallocate(size + std::max(size, kReadChunkSize));
    }
    const ssize_t n = m_fs.Read(fd.Get(), buffer.data() + size, buffer.capacity() - size);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      return false;
    }
    if (n == 0) break;
    size += static_cast<std::size_t>(n);
  }
  buffer.SetSize(size);
  return true;
}

CLoadedEntries CStdioFile::ReadEntries(const CFileDescriptor& fd, CFileException::ECause cause,
                                       bool bKeyed) {
  // The state is taken before the read and compared after it: a file that
  // another program changed meanwhile is read again. Should it never hold
  // still, its state is unknown, and the next save reads it once more.
  CLoadedEntries loaded;
  struct stat before, after;
  bool bKnown = false;
  for (int attempt = 0; attempt < kOpenAttempts && !bKnown; ++attempt) {
    const bool bBefore = m_fs.Fstat(fd.Get(), &before) == 0;
    int error = 0;
    if (!ReadWhole(fd, loaded.buffer, error)) throw CFileException(cause, error, m_strFullPath);
    bKnown = bBefore && m_fs.Fstat(fd.Get(), &after) == 0 && after.st_size == before.st_size &&
             SameTime(after.st_mtim, before.st_mtim) && SameTime(after.st_ctim, before.st_ctim);
    if (!bBefore) break;
  }
  // Moving the buffer out keeps its storage, so the views stay valid in the
  // returned object.
  std::optional<CKeyedEntries> keyed;
  if (bKeyed) keyed = ParseKeyedEntries(loaded.buffer.View());
  std::string_view tail;  // a view into the buffer, which stays where it is
  if (keyed) {
    loaded.keys = std::move(keyed->keys);
    tail = keyed->tail;
  } else {
    CParsedEntries parsed = ParseEntries(loaded.buffer.View());
    loaded.entries = std::move(parsed.entries);
    tail = parsed.tail;
  }
  m_strTail = std::string(tail);
  RememberFile(bKnown ? &before : nullptr);
  return loaded;
}

void CStdioFile::RememberFile(const struct stat* st) {
  CFileStamp stamp;
  if (st != nullptr) {
    stamp.dev = st->st_dev;
    stamp.ino = st->st_ino;
    stamp.size = st->st_size;
    stamp.mtime = st->st_mtim;
    stamp.ctime = st->st_ctim;
  }
  m_stamp = stamp;
}

bool CStdioFile::IsRemembered(const struct stat& st) const {
  return m_stamp && m_stamp->size >= 0 && m_stamp->dev == st.st_dev && m_stamp->ino == st.st_ino &&
         m_stamp->size == st.st_size && SameTime(m_stamp->mtime, st.st_mtim) &&
         SameTime(m_stamp->ctime, st.st_ctim);
}

CLoadedEntries CStdioFile::Load() { return LoadFile(/*bKeyed=*/false); }

CLoadedEntries CStdioFile::LoadKeyed() { return LoadFile(/*bKeyed=*/true); }

CLoadedEntries CStdioFile::LoadFile(bool bKeyed) {
  if (!OpenForReading()) throw CFileUnavailableException(m_nOpenError, m_strFullPath);
  // Loading reads the file under the name: when another program has put a
  // new one there, that one is locked and read, the old let go after.
  if (!IsUnderName(m_file)) {
    int error = 0;
    CFileDescriptor fd = LockEntryFile(/*create=*/false, error);
    if (fd.IsOpen()) m_file = std::move(fd);
  }

  // Nothing is loaded when a read fails: a list cut short would be saved
  // over the whole file at the next save.
  CLoadedEntries loaded = ReadEntries(m_file, CFileException::generic, bKeyed);
  RemoveLeftovers();
  return loaded;
}

std::optional<CLoadedEntries> CStdioFile::ReadOutsideChange() {
  UpdateFullPath();
  if (!m_stamp) return std::nullopt;
  struct stat named;
  if (m_fs.Stat(m_strFileName.c_str(), &named) != 0) {
    // Gone: the save writes every entry anew, so nothing is lost.
    if (errno == ENOENT) return std::nullopt;
    throw CFileException(CFileException::generic, errno, m_strFullPath);
  }
  if (IsRemembered(named)) return std::nullopt;
  if (!S_ISREG(named.st_mode)) {
    throw CFileException(CFileException::notRegularFile, S_ISDIR(named.st_mode) ? EISDIR : ENODEV,
                         m_strFullPath);
  }

  // Changed in place (an append, a rewrite by an editor that keeps the
  // file): read it through the descriptor that holds it locked. Replaced
  // (saved by rename): lock the new file first; the old lock is let go only
  // once the new one is held.
  struct stat held;
  const bool sameFile =
      m_file.IsOpen() && m_fs.Fstat(m_file.Get(), &held) == 0 && SameFile(held, named);
  CFileDescriptor replacement;
  if (!sameFile) {
    int error = 0;
    replacement = LockEntryFile(/*create=*/false, error);
    if (!replacement.IsOpen()) {
      if (error == ENOENT) return std::nullopt;
      const CFileException::ECause cause =
          error == EWOULDBLOCK                  ? CFileException::heldByAnotherCopy
          : error == EBUSY                      ? CFileException::lockedByAnotherProgram
          : error == EISDIR || error == ENODEV ? CFileException::notRegularFile
                                                : CFileException::unreadable;
      throw CFileException(cause, error, m_strFullPath);
    }
  }
  CLoadedEntries loaded =
      ReadEntries(sameFile ? m_file : replacement, CFileException::unreadable);
  if (!sameFile) m_file = std::move(replacement);
  return loaded;
}

void CStdioFile::RemoveLeftovers() noexcept {
  try {
    std::string target;
    int error = 0;
    if (!ResolveLinks(m_fs, m_strFileName, target, error)) return;
    const std::string dir = DirName(target);
    const std::string base = BaseName(target);
    const std::string ownPrefix = base + "." + std::to_string(::getpid()) + ".";
    std::vector<std::string> names;
    if (m_fs.ListDirectory(dir.c_str(), names) != 0) return;
    for (const std::string& name : names) {
      // This process's own names belong to its own save, which is under way
      // or gone; only other runs leave leftovers.
      if (!IsNewFileName(name, base) || name.rfind(ownPrefix, 0) == 0) continue;
      const std::string path = dir + "/" + name;
      CFileDescriptor fd(m_fs, m_fs.Open(path.c_str(), O_RDONLY | O_NOFOLLOW | kOpenFlags, 0));
      struct stat held, named;
      if (!fd.IsOpen() || m_fs.Fstat(fd.Get(), &held) != 0 || !S_ISREG(held.st_mode)) continue;
      // A save under way holds its new file locked from its creation on;
      // only a file nobody holds is a leftover.
      if (m_fs.Flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) continue;
      if (m_fs.Lstat(path.c_str(), &named) == 0 && SameFile(held, named)) {
        (void)m_fs.Unlink(path.c_str());
      }
    }
  } catch (...) {
    // Out of memory while listing: the leftovers wait for the next save.
  }
}

bool CStdioFile::PickNewName(const std::function<int(const std::string&)>& tryName, int& error) {
  const std::string prefix = m_strTargetPath + "." + std::to_string(::getpid()) + ".";
  // A name left over from an earlier run, or taken by another program, is
  // skipped, never reused.
  for (int attempt = 0; attempt < kNewNameAttempts; ++attempt) {
    std::string path = prefix + std::to_string(attempt) + ".tmp";
    if (tryName(path) == 0) {
      m_strNewPath = std::move(path);
      return true;
    }
    if (errno != EEXIST) {
      error = errno;
      return false;
    }
  }
  error = EEXIST;
  return false;
}

bool CStdioFile::CreateNewFile(const std::string& dir, int& error) {
  // Unnamed until the instant of the rename: a save cut short by a crash or
  // kill -9 leaves nothing in the directory.
  m_strNewPath.clear();
  m_newFile = CFileDescriptor(m_fs, m_fs.Open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666));
  if (m_newFile.IsOpen()) return true;
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
    error = errno;
    return false;
  }
  // A file system without unnamed files: a named one, removed by the next
  // save or start of the program if this one is cut short.
  return PickNewName(
      [this](const std::string& path) {
        const int fd = m_fs.Open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | kOpenFlags, 0666);
        if (fd < 0) return -1;
        m_newFile = CFileDescriptor(m_fs, fd);
        return 0;
      },
      error);
}

bool CStdioFile::NameNewFile(int& error) {
  if (!m_strNewPath.empty()) return true;
  const std::string self = "/proc/self/fd/" + std::to_string(m_newFile.Get());
  return PickNewName(
      [&](const std::string& path) {
        if (m_fs.Linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) {
          return 0;
        }
        if (errno != ENOENT) return -1;
        // No /proc: the descriptor itself names the file (needs the right
        // to do so).
        return m_fs.Linkat(m_newFile.Get(), "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH);
      },
      error);
}

bool CStdioFile::CopyMetadata(const CFileDescriptor& from, const struct stat& st, int& error) {
  const int to = m_newFile.Get();
  // Owner first: changing the owner may clear the set-id bits, which the
  // mode then puts back. Only root may give a file away; others keep their
  // own file, which is the same owner in the usual case.
  mode_t mode = st.st_mode & 07777;
  if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
    if (m_fs.Fchown(to, st.st_uid, st.st_gid) != 0 &&
        m_fs.Fchown(to, static_cast<uid_t>(-1), st.st_gid) != 0) {
      // Neither owner nor group could be kept: the group bits would go to
      // another group than the one they were meant for.
      mode &= ~static_cast<mode_t>(S_IRWXG | S_ISGID);
    }
  }
  if (m_fs.Fchmod(to, mode) != 0) {
    error = errno;
    return false;
  }
  // The attributes after the mode: a POSIX ACL sets the group bits to its
  // mask, as they were on the old file. Attributes the new file got from the
  // directory (a default ACL) but the old one lacks are taken away, so that
  // nobody gains a permission.
  std::vector<std::string> oldNames, newNames;
  if (!ListAttributes(m_fs, from.Get(), oldNames, error) ||
      !ListAttributes(m_fs, to, newNames, error)) {
    return false;
  }
  for (const std::string& name : newNames) {
    if (std::find(oldNames.begin(), oldNames.end(), name) != oldNames.end()) continue;
    if (m_fs.Fremovexattr(to, name.c_str()) != 0 && !IsSystemAttribute(name) && errno != ENODATA) {
      error = errno;
      return false;
    }
  }
  std::vector<char> value;
  for (const std::string& name : oldNames) {
    ssize_t n = -1;
    for (;;) {
      n = m_fs.Fgetxattr(from.Get(), name.c_str(), nullptr, 0);
      if (n < 0) break;
      value.resize(static_cast<std::size_t>(n));
      n = m_fs.Fgetxattr(from.Get(), name.c_str(), value.data(), value.size());
      if (n >= 0 || errno != ERANGE) break;
    }
    if (n < 0) {
      if (errno == ENODATA) continue;  // removed meanwhile
      if (IsSystemAttribute(name)) continue;
      error = errno;
      return false;
    }
    if (m_fs.Fsetxattr(to, name.c_str(), value.data(), static_cast<std::size_t>(n), 0) != 0 &&
        !IsSystemAttribute(name)) {
      error = errno;
      return false;
    }
  }
  return true;
}

bool CStdioFile::StartSave(int& error, CFileException::ECause& cause) {
  cause = CFileException::notOpenedForWriting;
  // The old file stays locked for the whole save, and after it when the
  // save fails. Without a lock from an earlier opening, lock it now; a file
  // held by another copy ends the save here, before anything is written.
  struct stat named;
  const bool bNamedExists = m_fs.Stat(m_strFileName.c_str(), &named) == 0;
  if (!bNamedExists && errno != ENOENT) {
    error = errno;
    return false;
  }
  if (bNamedExists && m_stamp && !IsRemembered(named)) {
    // Another program's change that nobody has read: replacing the file
    // would lose it.
    error = ESTALE;
    cause = CFileException::changedOutside;
    return false;
  }
  if (!m_file.IsOpen() || (bNamedExists && !IsUnderName(m_file))) {
    CFileDescriptor fd = LockEntryFile(/*create=*/false, error);
    if (!fd.IsOpen() && error != ENOENT) return false;
    if (fd.IsOpen()) m_file = std::move(fd);
  }

  // The file held so far gives the new one its owner, permissions and
  // attributes, also when another program has removed its name.
  struct stat old;
  const bool hasOld = m_file.IsOpen();
  if (hasOld && m_fs.Fstat(m_file.Get(), &old) != 0) {
    error = errno;
    return false;
  }
  if (hasOld && bNamedExists) {
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
  RemoveLeftovers();
  if (!CreateNewFile(DirName(m_strTargetPath), error)) return false;
  // Locked before it can take the entry file's name: an opening that finds
  // it under the name is refused like one that finds the old file.
  if (!LockDescriptor(m_newFile, error) || (hasOld && !CopyMetadata(m_file, old, error))) {
    AbandonSave();
    return false;
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
  CFileException::ECause cause = CFileException::notOpenedForWriting;
  if (!StartSave(error, cause)) {
    // Remembered, so that the save that follows is told it wrote nothing.
    FailSave(cause, error, /*reported=*/false);
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
  // Whole pieces go now; the rest waits for more text or for Close.
  const std::size_t nWhole = m_strBuffer.size() - m_strBuffer.size() % kWriteBufferSize;
  int error = 0;
  if (!WriteFully(std::string_view(m_strBuffer).substr(0, nWhole), error)) {
    // The new file is given up at once rather than at Close, so that none
    // is left behind if the program ends before then.
    AbandonSave();
    FailSave(CFileException::diskFull, error, /*reported=*/true);
    throw CFileException(CFileException::diskFull, error, m_strFullPath);
  }
  m_strBuffer.erase(0, nWhole);
}

bool CStdioFile::WriteFully(std::string_view bytes, int& error) {
  while (!bytes.empty()) {
    // In pieces of the buffer's size: a file of a million entries is not
    // handed to the kernel in one call.
    const ssize_t n =
        m_fs.Write(m_newFile.Get(), bytes.data(), std::min(bytes.size(), kWriteBufferSize));
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

bool CStdioFile::WriteSaveItems(int& error) {
  if (m_pSaveItems == nullptr) return true;
  // The buffer is empty here and holds kWriteBufferSize bytes already
  // (OpenForWriting reserved them), so this allocates nothing. The pieces
  // are the ones a save built in one piece would be written in.
  m_strBuffer.resize(kWriteBufferSize);
  const bool ok = WriteSequence(*m_pSaveItems, std::span<char>(m_strBuffer.data(), kWriteBufferSize),
                                [&](std::string_view piece) { return WriteFully(piece, error); });
  m_strBuffer.clear();
  return ok;
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
  CFileException::ECause cause = CFileException::diskFull;
  bool ok = WriteFully(m_strBuffer, error) && WriteSaveItems(error) &&
            WriteFully(m_strTail, error);
  // The data must be on the disk before the name leads to it; otherwise a
  // crash after the rename could leave an empty or partial entry file.
  // EINVAL: the file system cannot sync at all.
  if (ok && m_fs.Fsync(m_newFile.Get()) != 0 && errno != EINVAL) {
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
  ok = ok && NameNewFile(error);
  // The last look before the rename: a change another program made since
  // the save began would be lost by it.
  struct stat named;
  if (ok && m_stamp && m_fs.Stat(m_strFileName.c_str(), &named) == 0 && !IsRemembered(named)) {
    error = ESTALE;
    cause = CFileException::changedOutside;
    ok = false;
  }
  // What the new file is as this save wrote it, to tell another program's
  // write to it right after the rename from the save's own.
  struct stat written;
  if (ok && m_fs.Fstat(m_newFile.Get(), &written) != 0) {
    error = errno;
    ok = false;
  }
  if (ok && m_fs.Rename(m_strNewPath.c_str(), m_strTargetPath.c_str()) != 0) {
    error = errno;
    ok = false;
  }
  if (!ok) {
    AbandonSave();
    m_eState = EState::closed;
    throw CFileException(cause, error, m_strFullPath);
  }

  // The new file is the entry file now. Its lock, held since its creation,
  // becomes the reservation; the old file's lock goes with its descriptor.
  m_file = std::move(m_newFile);
  m_strNewPath.clear();
  // The rename changes the file's change time, so the state is taken again;
  // if the content changed meanwhile, the next save reads it again.
  struct stat renamed;
  const bool bKnown = m_fs.Fstat(m_file.Get(), &renamed) == 0 &&
                      renamed.st_size == written.st_size &&
                      SameTime(renamed.st_mtim, written.st_mtim);
  RememberFile(bKnown ? &renamed : nullptr);
  ++m_nSaves;
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
    // Removed while still locked, so nobody can have opened it meanwhile;
    // an unnamed file goes with its descriptor.
    if (!m_strNewPath.empty()) (void)m_fs.Unlink(m_strNewPath.c_str());
    m_newFile.Reset();
  }
  m_strNewPath.clear();
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

void CStdioFile::WriteAll(const CEntrySequence& items) {
  // Close writes the entries as it commits, where the bytes built at once
  // were written before; a failed opening leaves nothing to write.
  if (OpenForWriting()) m_pSaveItems = &items;
  struct CForget {
    const CEntrySequence*& items;
    ~CForget() { items = nullptr; }
  } forget{m_pSaveItems};
  Close();
}

}  // namespace velunar

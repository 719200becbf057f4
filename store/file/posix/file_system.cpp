#include "store/file/posix/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

namespace velunar {

namespace {

class CPosixFileSystem final : public IFileSystem {
 public:
  int Open(const char* path, int flags, mode_t mode) override { return ::open(path, flags, mode); }
  ssize_t Read(int fd, void* buf, std::size_t count) override { return ::read(fd, buf, count); }
  ssize_t Write(int fd, const void* buf, std::size_t count) override {
    return ::write(fd, buf, count);
  }
  off_t Lseek(int fd, off_t offset, int whence) override { return ::lseek(fd, offset, whence); }
  int Fsync(int fd) override { return ::fsync(fd); }
  int Close(int fd) override { return ::close(fd); }
  int Flock(int fd, int operation) override { return ::flock(fd, operation); }
  int FcntlLock(int fd, int cmd, struct flock* lock) override { return ::fcntl(fd, cmd, lock); }

  int Fstat(int fd, struct stat* st) override { return ::fstat(fd, st); }
  int Stat(const char* path, struct stat* st) override { return ::stat(path, st); }
  int Lstat(const char* path, struct stat* st) override { return ::lstat(path, st); }
  ssize_t ReadLink(const char* path, char* buf, std::size_t size) override {
    return ::readlink(path, buf, size);
  }
  int Access(const char* path, int mode) override { return ::access(path, mode); }
  int Fchmod(int fd, mode_t mode) override { return ::fchmod(fd, mode); }
  int Fchown(int fd, uid_t owner, gid_t group) override { return ::fchown(fd, owner, group); }

  int Linkat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath,
             int flags) override {
    return ::linkat(olddirfd, oldpath, newdirfd, newpath, flags);
  }
  ssize_t Flistxattr(int fd, char* list, std::size_t size) override {
    return ::flistxattr(fd, list, size);
  }
  ssize_t Fgetxattr(int fd, const char* name, void* value, std::size_t size) override {
    return ::fgetxattr(fd, name, value, size);
  }
  int Fsetxattr(int fd, const char* name, const void* value, std::size_t size,
                int flags) override {
    return ::fsetxattr(fd, name, value, size, flags);
  }
  int Fremovexattr(int fd, const char* name) override { return ::fremovexattr(fd, name); }
  int ListDirectory(const char* path, std::vector<std::string>& names) override {
    DIR* dir = ::opendir(path);
    if (dir == nullptr) return -1;
    int error = 0;
    try {
      names.clear();
      errno = 0;
      while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
      }
      error = errno;
    } catch (...) {
      ::closedir(dir);
      throw;
    }
    ::closedir(dir);
    errno = error;
    return error == 0 ? 0 : -1;
  }

  int Rename(const char* from, const char* to) override { return ::rename(from, to); }
  int RenameExchange(const char* a, const char* b) override {
    return ::renameat2(AT_FDCWD, a, AT_FDCWD, b, RENAME_EXCHANGE);
  }
  int Fcntl(int fd, int cmd, int arg) override { return ::fcntl(fd, cmd, arg); }
  int Unlink(const char* path) override { return ::unlink(path); }
  char* GetCwd(char* buf, std::size_t size) override { return ::getcwd(buf, size); }
};

}  // namespace

IFileSystem& PosixFileSystem() {
  static CPosixFileSystem fs;
  return fs;
}

IFileSystem& DefaultFileSystem() { return PosixFileSystem(); }

CFileStamp StampOf(const struct stat& st) {
  CFileStamp stamp;
  stamp.device = static_cast<std::uint64_t>(st.st_dev);
  stamp.file = static_cast<std::uint64_t>(st.st_ino);
  stamp.size = static_cast<std::int64_t>(st.st_size);
  stamp.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return stamp;
}

CFileDescriptor::CFileDescriptor(CFileDescriptor&& other) noexcept
    : m_pFs(other.m_pFs), m_hFd(other.m_hFd) {
  other.m_hFd = -1;
}

CFileDescriptor& CFileDescriptor::operator=(CFileDescriptor&& other) noexcept {
  if (this != &other) {
    Reset();
    m_pFs = other.m_pFs;
    m_hFd = other.m_hFd;
    other.m_hFd = -1;
  }
  return *this;
}

int CFileDescriptor::Close() {
  if (m_hFd < 0) return 0;
  const int fd = m_hFd;
  m_hFd = -1;
  // Linux releases the descriptor even when close reports an error, so a
  // retry could close a descriptor another part of the process just got.
  return m_pFs->Close(fd);
}

void CFileDescriptor::Reset() noexcept { (void)Close(); }

}  // namespace velunar

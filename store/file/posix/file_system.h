// The file system as the entry file sees it: the few POSIX calls it makes,
// behind one interface, so that tests can put a stand-in in between that
// fails a chosen call on demand.
//
// Every function has the signature and the meaning of the POSIX call it is
// named after: it returns what the call returns and, on failure, leaves the
// error in errno. Nothing here retries, buffers or throws; the caller decides
// what a failure means. Descriptors are plain ints owned by the caller.
#ifndef VELUNAR_STORE_FILE_POSIX_FILE_SYSTEM_H_
#define VELUNAR_STORE_FILE_POSIX_FILE_SYSTEM_H_

#include <sys/stat.h>
#include <sys/types.h>

#include <fcntl.h>

#include <cstddef>
#include <string>
#include <vector>

#include "store/file/file_stamp.h"

struct flock;

namespace velunar {

// The flags of every opening of the entry file and its new files: the
// descriptor stays out of programs this process starts, and O_NONBLOCK
// keeps a FIFO put in the file's place from blocking the opening (it
// changes nothing for a regular file).
constexpr int kPosixOpenFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;

  // open(2). The caller passes O_CLOEXEC itself, so that the flags it asks
  // for are all visible at the call.
  virtual int Open(const char* path, int flags, mode_t mode) = 0;
  virtual ssize_t Read(int fd, void* buf, std::size_t count) = 0;
  virtual ssize_t Write(int fd, const void* buf, std::size_t count) = 0;
  virtual off_t Lseek(int fd, off_t offset, int whence) = 0;
  virtual int Fsync(int fd) = 0;
  virtual int Close(int fd) = 0;
  // flock(2): the lock belongs to the open file description.
  virtual int Flock(int fd, int operation) = 0;
  // fcntl(2) with a lock command (F_OFD_SETLK, F_GETLK, ...).
  virtual int FcntlLock(int fd, int cmd, struct flock* lock) = 0;

  virtual int Fstat(int fd, struct stat* st) = 0;
  // stat(2) follows symbolic links, lstat(2) does not.
  virtual int Stat(const char* path, struct stat* st) = 0;
  virtual int Lstat(const char* path, struct stat* st) = 0;
  // readlink(2): no terminating NUL is written.
  virtual ssize_t ReadLink(const char* path, char* buf, std::size_t size) = 0;
  virtual int Access(const char* path, int mode) = 0;
  virtual int Fchmod(int fd, mode_t mode) = 0;
  virtual int Fchown(int fd, uid_t owner, gid_t group) = 0;

  // linkat(2): gives a name to a file opened with O_TMPFILE.
  virtual int Linkat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath,
                     int flags) = 0;
  // flistxattr(2), fgetxattr(2), fsetxattr(2), fremovexattr(2): the extended
  // attributes of an open file, POSIX ACLs among them.
  virtual ssize_t Flistxattr(int fd, char* list, std::size_t size) = 0;
  virtual ssize_t Fgetxattr(int fd, const char* name, void* value, std::size_t size) = 0;
  virtual int Fsetxattr(int fd, const char* name, const void* value, std::size_t size,
                        int flags) = 0;
  virtual int Fremovexattr(int fd, const char* name) = 0;
  // opendir(3) and readdir(3): sets `names` to the names in directory
  // `path`, "." and ".." left out, and returns 0; -1 with errno on failure.
  virtual int ListDirectory(const char* path, std::vector<std::string>& names) = 0;

  virtual int Rename(const char* from, const char* to) = 0;
  // renameat2(2) with RENAME_EXCHANGE: the two names swap their files, in
  // one step. Fails with EINVAL (or ENOSYS) where the file system or the
  // kernel cannot.
  virtual int RenameExchange(const char* a, const char* b) = 0;
  // fcntl(2) with an int argument (F_GETFL, F_SETFL).
  virtual int Fcntl(int fd, int cmd, int arg) = 0;
  virtual int Unlink(const char* path) = 0;
  virtual char* GetCwd(char* buf, std::size_t size) = 0;
};

// The real file system: each function calls the POSIX function of its name.
// One object for the whole process, created at the first call; it holds no
// state and may be used from any thread. DefaultFileSystem() is the same
// object, under the name the entry file uses on every system.
IFileSystem& PosixFileSystem();
IFileSystem& DefaultFileSystem();

// The change stamp of a file as stat(2) describes it.
CFileStamp StampOf(const struct stat& st);

// Owns one descriptor of a file system: closes it when destroyed or reset,
// quietly, since a close that matters is made through Close() and checked.
// Move-only, so that exactly one owner closes each descriptor.
class CFileDescriptor {
 public:
  CFileDescriptor() = default;
  // Takes `fd`, which may be -1 (then nothing is owned). `fs` must outlive
  // the owner.
  CFileDescriptor(IFileSystem& fs, int fd) : m_pFs(&fs), m_hFd(fd) {}
  CFileDescriptor(CFileDescriptor&& other) noexcept;
  CFileDescriptor& operator=(CFileDescriptor&& other) noexcept;
  CFileDescriptor(const CFileDescriptor&) = delete;
  CFileDescriptor& operator=(const CFileDescriptor&) = delete;
  ~CFileDescriptor() { Reset(); }

  bool IsOpen() const { return m_hFd >= 0; }
  int Get() const { return m_hFd; }

  // Closes the descriptor now; returns close's result, 0 when none is owned.
  // The descriptor is gone afterwards whatever close returned.
  int Close();
  // Closes the descriptor, if any, ignoring the result.
  void Reset() noexcept;
  // Gives up ownership: returns the descriptor, which the caller closes.
  int Release() noexcept {
    const int fd = m_hFd;
    m_hFd = -1;
    return fd;
  }

 private:
  IFileSystem* m_pFs = nullptr;
  int m_hFd = -1;
};

}  // namespace velunar

#endif  // VELUNAR_STORE_FILE_POSIX_FILE_SYSTEM_H_

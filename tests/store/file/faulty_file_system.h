// A file system for tests that passes every call to the real one, except
// the calls a test has chosen to fail: a full disk, a sync or rename that
// fails, a read error, running out of memory, another program acting between
// an opening and its lock.
#ifndef VELUNAR_TESTS_STORE_FILE_FAULTY_FILE_SYSTEM_H_
#define VELUNAR_TESTS_STORE_FILE_FAULTY_FILE_SYSTEM_H_

#include <cstddef>
#include <functional>
#include <map>
#include <utility>

#include "store/file/posix/file_system.h"

namespace velunar::testing {

// The calls a test can make fail. Openings are told apart by their flags:
// creating a file, creating an unnamed file (O_TMPFILE), opening a directory
// (to sync it), opening anything else.
enum class EOp {
  open,
  create,
  tmpfile,
  openDirectory,
  read,
  write,
  lseek,
  fsync,
  close,
  flock,
  fcntlLock,
  fstat,
  stat,
  access,
  fchmod,
  fchown,
  rename,
  exchange,
  fcntl,
  unlink,
  linkat,
  listxattr,
  getxattr,
  setxattr,
  removexattr,
  listDirectory,
};

class CFaultyFileSystem : public IFileSystem {
 public:
  // From now on, the `nth` call of `op` (1 = the next one; 0 = every one)
  // fails with `error`.
  void Fail(EOp op, int nth, int error);
  // From now on, the `nth` call of `op` (0 = every one) throws
  // std::bad_alloc, as if memory ran out inside it.
  void RunOutOfMemory(EOp op, int nth);
  // Every call succeeds again, and writes are whole again.
  void Clear();
  // Calls of `op` since it was last set to fail.
  int Calls(EOp op) const;
  // Every write writes at most `limit` bytes (0: no limit).
  void LimitWrites(std::size_t limit) { m_nWriteLimit = limit; }
  // Runs `hook` once, just before the `nth` call of `op` from now on (1 =
  // the next one): another program acting, or the program killed, at that
  // moment.
  void BeforeCall(EOp op, int nth, std::function<void()> hook);
  // Runs `hook` once, just before the next flock: another program acting
  // between an opening and its lock.
  void BeforeNextFlock(std::function<void()> hook) { m_beforeFlock = std::move(hook); }

  int Open(const char* path, int flags, mode_t mode) override;
  ssize_t Read(int fd, void* buf, std::size_t count) override;
  ssize_t Write(int fd, const void* buf, std::size_t count) override;
  off_t Lseek(int fd, off_t offset, int whence) override;
  int Fsync(int fd) override;
  // A failed close still releases the descriptor, as on Linux.
  int Close(int fd) override;
  int Flock(int fd, int operation) override;
  int FcntlLock(int fd, int cmd, struct flock* lock) override;
  int Fstat(int fd, struct stat* st) override;
  int Stat(const char* path, struct stat* st) override;
  int Lstat(const char* path, struct stat* st) override;
  ssize_t ReadLink(const char* path, char* buf, std::size_t size) override;
  int Access(const char* path, int mode) override;
  int Fchmod(int fd, mode_t mode) override;
  int Fchown(int fd, uid_t owner, gid_t group) override;
  int Linkat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath,
             int flags) override;
  ssize_t Flistxattr(int fd, char* list, std::size_t size) override;
  ssize_t Fgetxattr(int fd, const char* name, void* value, std::size_t size) override;
  int Fsetxattr(int fd, const char* name, const void* value, std::size_t size,
                int flags) override;
  int Fremovexattr(int fd, const char* name) override;
  int ListDirectory(const char* path, std::vector<std::string>& names) override;
  int Rename(const char* from, const char* to) override;
  int RenameExchange(const char* a, const char* b) override;
  int Fcntl(int fd, int cmd, int arg) override;
  int Unlink(const char* path) override;
  char* GetCwd(char* buf, std::size_t size) override;

 private:
  struct Fault {
    int nth;
    int error;
    bool bOutOfMemory;
  };
  // Counts the call; true, with errno set, when it is to fail. Throws
  // std::bad_alloc when it is to run out of memory.
  bool Fails(EOp op);

  IFileSystem& m_real = PosixFileSystem();
  std::map<EOp, Fault> m_faults;
  std::map<EOp, std::pair<int, std::function<void()>>> m_hooks;
  std::map<EOp, int> m_calls;
  std::size_t m_nWriteLimit = 0;
  std::function<void()> m_beforeFlock;
};

}  // namespace velunar::testing

#endif  // VELUNAR_TESTS_STORE_FILE_FAULTY_FILE_SYSTEM_H_

// A file system for window tests that passes every call to the real one,
// except the calls a test has chosen to fail: a save that runs out of disk
// space or cannot put its new file in place, on demand.
#ifndef VELUNAR_TESTS_UI_FAULTY_FILE_SYSTEM_H_
#define VELUNAR_TESTS_UI_FAULTY_FILE_SYSTEM_H_

#include <cstddef>
#include <map>

#include "store/file_system.h"

namespace velunar::testing {

class CFaultyFileSystem : public IFileSystem {
 public:
  // The calls a test can make fail.
  enum class EOp { write, fsync, rename };

  // From now on, the `nth` call of `op` (1 = the next one; 0 = every one)
  // fails with `error` in errno.
  void Fail(EOp op, int nth, int error);
  // Every call succeeds again.
  void Clear() { m_faults.clear(); }

  int Open(const char* path, int flags, mode_t mode) override;
  ssize_t Read(int fd, void* buf, std::size_t count) override;
  ssize_t Write(int fd, const void* buf, std::size_t count) override;
  off_t Lseek(int fd, off_t offset, int whence) override;
  int Fsync(int fd) override;
  int Close(int fd) override;
  int Flock(int fd, int operation) override;
  int Fstat(int fd, struct stat* st) override;
  int Stat(const char* path, struct stat* st) override;
  int Lstat(const char* path, struct stat* st) override;
  ssize_t ReadLink(const char* path, char* buf, std::size_t size) override;
  int Access(const char* path, int mode) override;
  int Fchmod(int fd, mode_t mode) override;
  int Fchown(int fd, uid_t owner, gid_t group) override;
  int Rename(const char* from, const char* to) override;
  int Unlink(const char* path) override;
  char* GetCwd(char* buf, std::size_t size) override;

 private:
  struct Fault {
    int nth;
    int error;
    int calls;
  };
  // Counts the call; true, with errno set, when it is to fail.
  bool Fails(EOp op);

  IFileSystem& m_real = PosixFileSystem();
  std::map<EOp, Fault> m_faults;
};

}  // namespace velunar::testing

#endif  // VELUNAR_TESTS_UI_FAULTY_FILE_SYSTEM_H_

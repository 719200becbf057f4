#include "tests/ui/faulty_file_system.h"

#include <cerrno>

namespace velunar::testing {

void CFaultyFileSystem::Fail(EOp op, int nth, int error) { m_faults[op] = {nth, error, 0}; }

bool CFaultyFileSystem::Fails(EOp op) {
  auto it = m_faults.find(op);
  if (it == m_faults.end()) return false;
  Fault& fault = it->second;
  ++fault.calls;
  if (fault.nth != 0 && fault.nth != fault.calls) return false;
  errno = fault.error;
  return true;
}

int CFaultyFileSystem::Open(const char* path, int flags, mode_t mode) {
  return m_real.Open(path, flags, mode);
}
ssize_t CFaultyFileSystem::Read(int fd, void* buf, std::size_t count) {
  return m_real.Read(fd, buf, count);
}
ssize_t CFaultyFileSystem::Write(int fd, const void* buf, std::size_t count) {
  return Fails(EOp::write) ? -1 : m_real.Write(fd, buf, count);
}
off_t CFaultyFileSystem::Lseek(int fd, off_t offset, int whence) {
  return m_real.Lseek(fd, offset, whence);
}
int CFaultyFileSystem::Fsync(int fd) { return Fails(EOp::fsync) ? -1 : m_real.Fsync(fd); }
int CFaultyFileSystem::Close(int fd) { return m_real.Close(fd); }
int CFaultyFileSystem::Flock(int fd, int operation) { return m_real.Flock(fd, operation); }
int CFaultyFileSystem::Fstat(int fd, struct stat* st) { return m_real.Fstat(fd, st); }
int CFaultyFileSystem::Stat(const char* path, struct stat* st) { return m_real.Stat(path, st); }
int CFaultyFileSystem::Lstat(const char* path, struct stat* st) { return m_real.Lstat(path, st); }
ssize_t CFaultyFileSystem::ReadLink(const char* path, char* buf, std::size_t size) {
  return m_real.ReadLink(path, buf, size);
}
int CFaultyFileSystem::Access(const char* path, int mode) { return m_real.Access(path, mode); }
int CFaultyFileSystem::Fchmod(int fd, mode_t mode) { return m_real.Fchmod(fd, mode); }
int CFaultyFileSystem::Fchown(int fd, uid_t owner, gid_t group) {
  return m_real.Fchown(fd, owner, group);
}
int CFaultyFileSystem::Rename(const char* from, const char* to) {
  return Fails(EOp::rename) ? -1 : m_real.Rename(from, to);
}
int CFaultyFileSystem::Unlink(const char* path) { return m_real.Unlink(path); }
char* CFaultyFileSystem::GetCwd(char* buf, std::size_t size) { return m_real.GetCwd(buf, size); }

}  // namespace velunar::testing

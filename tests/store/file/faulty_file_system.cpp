#include "tests/store/file/faulty_file_system.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <utility>

namespace velunar::testing {

void CFaultyFileSystem::Fail(EOp op, int nth, int error) {
  m_faults[op] = {nth, error, false};
  m_calls[op] = 0;
}

void CFaultyFileSystem::RunOutOfMemory(EOp op, int nth) {
  m_faults[op] = {nth, 0, true};
  m_calls[op] = 0;
}

void CFaultyFileSystem::Clear() {
  m_faults.clear();
  m_nWriteLimit = 0;
}

int CFaultyFileSystem::Calls(EOp op) const {
  auto it = m_calls.find(op);
  return it == m_calls.end() ? 0 : it->second;
}

void CFaultyFileSystem::BeforeCall(EOp op, int nth, std::function<void()> hook) {
  m_hooks[op] = {Calls(op) + nth, std::move(hook)};
}

bool CFaultyFileSystem::Fails(EOp op) {
  const int call = ++m_calls[op];
  if (auto hook = m_hooks.find(op); hook != m_hooks.end() && hook->second.first == call) {
    std::function<void()> run = std::move(hook->second.second);
    m_hooks.erase(hook);
    run();
  }
  auto it = m_faults.find(op);
  if (it == m_faults.end() || (it->second.nth != 0 && it->second.nth != call)) return false;
  if (it->second.bOutOfMemory) throw std::bad_alloc();
  errno = it->second.error;
  return true;
}

int CFaultyFileSystem::Open(const char* path, int flags, mode_t mode) {
  const EOp op = (flags & O_TMPFILE) == O_TMPFILE ? EOp::tmpfile
                 : (flags & O_DIRECTORY)          ? EOp::openDirectory
                 : (flags & O_CREAT)              ? EOp::create
                                                  : EOp::open;
  return Fails(op) ? -1 : m_real.Open(path, flags, mode);
}

ssize_t CFaultyFileSystem::Read(int fd, void* buf, std::size_t count) {
  return Fails(EOp::read) ? -1 : m_real.Read(fd, buf, count);
}

ssize_t CFaultyFileSystem::Write(int fd, const void* buf, std::size_t count) {
  if (Fails(EOp::write)) return -1;
  if (m_nWriteLimit != 0) count = std::min(count, m_nWriteLimit);
  return m_real.Write(fd, buf, count);
}

off_t CFaultyFileSystem::Lseek(int fd, off_t offset, int whence) {
  return Fails(EOp::lseek) ? -1 : m_real.Lseek(fd, offset, whence);
}

int CFaultyFileSystem::Fsync(int fd) { return Fails(EOp::fsync) ? -1 : m_real.Fsync(fd); }

int CFaultyFileSystem::Close(int fd) {
  const bool fails = Fails(EOp::close);
  const int saved = errno;
  m_real.Close(fd);
  errno = saved;
  return fails ? -1 : 0;
}

int CFaultyFileSystem::Flock(int fd, int operation) {
  if (m_beforeFlock) std::exchange(m_beforeFlock, nullptr)();
  return Fails(EOp::flock) ? -1 : m_real.Flock(fd, operation);
}

int CFaultyFileSystem::FcntlLock(int fd, int cmd, struct flock* lock) {
  return Fails(EOp::fcntlLock) ? -1 : m_real.FcntlLock(fd, cmd, lock);
}

int CFaultyFileSystem::Fstat(int fd, struct stat* st) {
  return Fails(EOp::fstat) ? -1 : m_real.Fstat(fd, st);
}

int CFaultyFileSystem::Stat(const char* path, struct stat* st) {
  return Fails(EOp::stat) ? -1 : m_real.Stat(path, st);
}

int CFaultyFileSystem::Lstat(const char* path, struct stat* st) { return m_real.Lstat(path, st); }

ssize_t CFaultyFileSystem::ReadLink(const char* path, char* buf, std::size_t size) {
  return m_real.ReadLink(path, buf, size);
}

int CFaultyFileSystem::Access(const char* path, int mode) {
  return Fails(EOp::access) ? -1 : m_real.Access(path, mode);
}

int CFaultyFileSystem::Fchmod(int fd, mode_t mode) {
  return Fails(EOp::fchmod) ? -1 : m_real.Fchmod(fd, mode);
}

int CFaultyFileSystem::Fchown(int fd, uid_t owner, gid_t group) {
  return Fails(EOp::fchown) ? -1 : m_real.Fchown(fd, owner, group);
}

int CFaultyFileSystem::Linkat(int olddirfd, const char* oldpath, int newdirfd,
                              const char* newpath, int flags) {
  return Fails(EOp::linkat) ? -1 : m_real.Linkat(olddirfd, oldpath, newdirfd, newpath, flags);
}

ssize_t CFaultyFileSystem::Flistxattr(int fd, char* list, std::size_t size) {
  return Fails(EOp::listxattr) ? -1 : m_real.Flistxattr(fd, list, size);
}

ssize_t CFaultyFileSystem::Fgetxattr(int fd, const char* name, void* value, std::size_t size) {
  return Fails(EOp::getxattr) ? -1 : m_real.Fgetxattr(fd, name, value, size);
}

int CFaultyFileSystem::Fsetxattr(int fd, const char* name, const void* value, std::size_t size,
                                 int flags) {
  return Fails(EOp::setxattr) ? -1 : m_real.Fsetxattr(fd, name, value, size, flags);
}

int CFaultyFileSystem::Fremovexattr(int fd, const char* name) {
  return Fails(EOp::removexattr) ? -1 : m_real.Fremovexattr(fd, name);
}

int CFaultyFileSystem::ListDirectory(const char* path, std::vector<std::string>& names) {
  return Fails(EOp::listDirectory) ? -1 : m_real.ListDirectory(path, names);
}

int CFaultyFileSystem::Rename(const char* from, const char* to) {
  return Fails(EOp::rename) ? -1 : m_real.Rename(from, to);
}

int CFaultyFileSystem::RenameExchange(const char* a, const char* b) {
  return Fails(EOp::exchange) ? -1 : m_real.RenameExchange(a, b);
}

int CFaultyFileSystem::Fcntl(int fd, int cmd, int arg) {
  return Fails(EOp::fcntl) ? -1 : m_real.Fcntl(fd, cmd, arg);
}

int CFaultyFileSystem::Unlink(const char* path) {
  return Fails(EOp::unlink) ? -1 : m_real.Unlink(path);
}

char* CFaultyFileSystem::GetCwd(char* buf, std::size_t size) { return m_real.GetCwd(buf, size); }

}  // namespace velunar::testing

#include "store/file/posix/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

#include "store/file/posix/file_system.h"

namespace velunar {

CFileStatus LockOpenFile(IFileSystem& fs, int fd) {
  // flock(2): a flock lock belongs to the open file description, so a second
  // opening in this very process is refused like one from another copy of
  // the program, and closing some other descriptor of the file cannot drop
  // it. The OFD read lock beside it is what programs that lock with fcntl(2)
  // or lockf(3) see; it too belongs to the open file description. Both are
  // advisory: they shut out every copy of this program and every program
  // that asks, not editors that ignore locks.
  if (fs.Flock(fd, LOCK_EX | LOCK_NB) != 0) {
    return CFileStatus::Failed(CFileException::heldByAnotherCopy, errno);
  }
  struct flock lock {};
  lock.l_type = F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;  // the whole file, however long it grows
  if (fs.FcntlLock(fd, F_OFD_SETLK, &lock) != 0) {
    // EINVAL: a kernel or file system without such locks; the flock alone
    // still shuts out every copy of the program.
    if (errno == EINVAL || errno == ENOLCK || errno == EOPNOTSUPP) return CFileStatus::Ok();
    const int error = errno == EAGAIN || errno == EACCES ? EBUSY : errno;
    return CFileStatus::Failed(CFileException::lockedByAnotherProgram, error);
  }
  return CFileStatus::Ok();
}

}  // namespace velunar

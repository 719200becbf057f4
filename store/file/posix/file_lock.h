// The lock that makes an open entry file this program's alone: flock(2) and
// an open file description read lock, both on the open file description.
#ifndef VELUNAR_STORE_FILE_POSIX_FILE_LOCK_H_
#define VELUNAR_STORE_FILE_POSIX_FILE_LOCK_H_

#include "store/file/file_error.h"

namespace velunar {

class IFileSystem;

// Takes both locks on `fd`. Fails with EWOULDBLOCK when another copy of the
// program (or another opening in this process) holds the file, with EBUSY
// when another program has locked it with fcntl or lockf, or with the
// call's own error. A system without open file description locks is
// locked by flock alone.
CFileStatus LockOpenFile(IFileSystem& fs, int fd);

}  // namespace velunar

#endif  // VELUNAR_STORE_FILE_POSIX_FILE_LOCK_H_

// Copying a file's owner, group, permissions, ACLs and extended attributes
// onto the new file of a save, so that replacing the entry file keeps them.
#ifndef VELUNAR_STORE_FILE_POSIX_FILE_METADATA_H_
#define VELUNAR_STORE_FILE_POSIX_FILE_METADATA_H_

#include <sys/stat.h>

#include "store/file/file_error.h"

namespace velunar {

class IFileSystem;

// Gives the file open as `to` the owner, group, permission bits, ACLs and
// extended attributes of the file open as `from`, whose stat(2) is `st`.
// Only root may give a file away; others keep their own file, which is the
// same owner in the usual case. Where the group cannot be kept, the group
// bits are cleared, so that no other group gains them. Attributes the new
// file got from its directory (a default ACL) and the old one lacks are
// taken away. Attributes the system keeps itself (security labels) are
// copied where that is allowed and otherwise left. Fails with the error of
// any other step.
CFileStatus CopyMetadata(IFileSystem& fs, int from, const struct stat& st, int to);

}  // namespace velunar

#endif  // VELUNAR_STORE_FILE_POSIX_FILE_METADATA_H_

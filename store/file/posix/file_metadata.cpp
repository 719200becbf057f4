#include "store/file/posix/file_metadata.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "store/file/posix/file_system.h"

namespace velunar {

namespace {

CFileStatus Failed(int error) { return CFileStatus::Failed(CFileException::notOpenedForWriting, error); }

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

// The access ACL as Linux keeps it in an extended attribute: a 4-byte
// version, then 8-byte entries of a 2-byte tag, 2-byte permissions and a
// 4-byte id, in the machine's byte order.
constexpr char kAccessAcl[] = "system.posix_acl_access";
constexpr std::uint16_t kAclGroupObj = 0x04;

// Takes every permission from the ACL's entry for the file's group. The
// mask, and the entries of named users and groups, stay: they name who
// they are for.
void ClearGroupEntry(std::vector<char>& acl, std::size_t size) {
  for (std::size_t at = 4; at + 8 <= size; at += 8) {
    std::uint16_t tag;
    std::memcpy(&tag, acl.data() + at, 2);
    if (tag == kAclGroupObj) std::memset(acl.data() + at + 2, 0, 2);
  }
}

}  // namespace

CFileStatus CopyMetadata(IFileSystem& fs, int from, const struct stat& st, int to) {
  // Owner first: changing the owner may clear the set-id bits, which the
  // mode then puts back. Only root may give a file away; others keep their
  // own file, which is the same owner in the usual case. The group is the
  // old file's whenever the user may set it, whatever group the new file
  // got from the process or from a set-group-ID directory.
  struct stat made;
  if (fs.Fstat(to, &made) != 0) return Failed(errno);
  if (made.st_uid != st.st_uid) (void)fs.Fchown(to, st.st_uid, st.st_gid);
  bool bGroupKept = fs.Fstat(to, &made) == 0 && made.st_gid == st.st_gid;
  if (!bGroupKept) bGroupKept = fs.Fchown(to, static_cast<uid_t>(-1), st.st_gid) == 0;
  mode_t mode = st.st_mode & 07777;
  // Where the group cannot be kept, the group bits would go to another
  // group than the one they were meant for: it gets none.
  if (!bGroupKept) mode &= ~static_cast<mode_t>(S_IRWXG | S_ISGID);
  if (fs.Fchmod(to, mode) != 0) return Failed(errno);
  // The attributes after the mode: a POSIX ACL sets the group bits to its
  // mask, as they were on the old file. Attributes the new file got from the
  // directory (a default ACL) but the old one lacks are taken away, so that
  // nobody gains a permission.
  std::vector<std::string> oldNames, newNames;
  int error = 0;
  if (!ListAttributes(fs, from, oldNames, error) || !ListAttributes(fs, to, newNames, error)) {
    return Failed(error);
  }
  for (const std::string& name : newNames) {
    if (std::find(oldNames.begin(), oldNames.end(), name) != oldNames.end()) continue;
    if (fs.Fremovexattr(to, name.c_str()) != 0 && !IsSystemAttribute(name) && errno != ENODATA) {
      return Failed(errno);
    }
  }
  std::vector<char> value;
  for (const std::string& name : oldNames) {
    ssize_t n = -1;
    for (;;) {
      n = fs.Fgetxattr(from, name.c_str(), nullptr, 0);
      if (n < 0) break;
      value.resize(static_cast<std::size_t>(n));
      n = fs.Fgetxattr(from, name.c_str(), value.data(), value.size());
      if (n >= 0 || errno != ERANGE) break;
    }
    if (n < 0) {
      if (errno == ENODATA) continue;  // removed meanwhile
      if (IsSystemAttribute(name)) continue;
      return Failed(errno);
    }
    // An access ACL gives its group entry to the file's group: another
    // group, where the old one could not be kept, gets nothing from it.
    if (!bGroupKept && name == kAccessAcl) ClearGroupEntry(value, static_cast<std::size_t>(n));
    if (fs.Fsetxattr(to, name.c_str(), value.data(), static_cast<std::size_t>(n), 0) != 0 &&
        !IsSystemAttribute(name)) {
      return Failed(errno);
    }
  }
  return CFileStatus::Ok();
}

}  // namespace velunar

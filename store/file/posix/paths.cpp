#include "store/file/paths.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>

#include "store/file/posix/file_system.h"

namespace velunar {

namespace {

// Symbolic links followed before giving up, as the kernel does (ELOOP).
constexpr int kMaxLinks = 40;

}  // namespace

std::string DirName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FullPathOf(IFileSystem& fs, const std::string& name) {
  if (!name.empty() && name[0] == '/') return name;
  std::string cwd(PATH_MAX, '\0');
  while (fs.GetCwd(cwd.data(), cwd.size()) == nullptr) {
    if (errno != ERANGE) return name;
    cwd.resize(cwd.size() * 2);
  }
  cwd.resize(cwd.find('\0'));
  return cwd == "/" ? "/" + name : cwd + "/" + name;
}

CFileStatus ReplacedPath(IFileSystem& fs, const std::string& name, std::string& path) {
  path = name;
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat st;
    if (fs.Lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return CFileStatus::Ok();
    std::string target(PATH_MAX, '\0');
    const ssize_t n = fs.ReadLink(path.c_str(), target.data(), target.size());
    if (n < 0) return CFileStatus::Failed(CFileException::notOpenedForWriting, errno);
    target.resize(static_cast<std::size_t>(n));
    path = !target.empty() && target[0] == '/' ? target : DirName(path) + "/" + target;
  }
  return CFileStatus::Failed(CFileException::notOpenedForWriting, ELOOP);
}

}  // namespace velunar

#include "store/file/paths.h"

#include <string_view>

#include "store/file/win32/file_system.h"

namespace velunar {

namespace {

// Windows takes both; its own is the backslash.
constexpr std::string_view kSeparators = "\\/";

// "C:": a drive with no separator after it.
bool HasDrive(const std::string& path) { return path.size() >= 2 && path[1] == ':'; }

// GetFullPathNameW of `name`, or false with the call's error.
bool FullPathNameOf(IFileSystem& fs, const std::string& name, std::string& full) {
  std::wstring wide;
  if (!UTF16Of(name, wide)) return false;
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n =
        fs.GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()), buffer.data());
    if (n == 0) return false;
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.resize(n);  // n counts the terminating NUL when it does not fit
  }
  full = UTF8Of(buffer);
  return true;
}

}  // namespace

std::string DirName(const std::string& path) {
  const std::size_t at = path.find_last_of(kSeparators);
  if (at == std::string::npos) return HasDrive(path) ? path.substr(0, 2) : ".";
  // A root keeps its separator: "\" and "C:\".
  if (at == 0 || (at == 2 && HasDrive(path))) return path.substr(0, at + 1);
  return path.substr(0, at);
}

std::string BaseName(const std::string& path) {
  const std::size_t at = path.find_last_of(kSeparators);
  if (at == std::string::npos) return HasDrive(path) ? path.substr(2) : path;
  return path.substr(at + 1);
}

std::string FullPathOf(IFileSystem& fs, const std::string& name) {
  std::string full;
  return FullPathNameOf(fs, name, full) ? full : name;
}

CFileStatus ReplacedPath(IFileSystem& fs, const std::string& name, std::string& path) {
  // The full path, with backslashes: the new file is made beside it, and
  // ReplaceFileW (as Wine has it) finds no folder in a bare name. Symbolic
  // links, which Windows lets few users make, are not followed: a save
  // replaces what the name itself stands for.
  if (!FullPathNameOf(fs, name, path)) {
    return CFileStatus::Failed(CFileException::notOpenedForWriting, LastErrno());
  }
  return CFileStatus::Ok();
}

}  // namespace velunar

#include "store/file/win32/file_system.h"

#include <cerrno>
#include <climits>

namespace velunar {

namespace {

class CWin32FileSystem final : public IFileSystem {
 public:
  HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD shareMode, DWORD creation,
                     DWORD flags) override {
    return ::CreateFileW(path, access, shareMode, nullptr, creation, flags, nullptr);
  }
  BOOL ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read) override {
    return ::ReadFile(file, buffer, count, read, nullptr);
  }
  BOOL WriteFile(HANDLE file, const void* buffer, DWORD count, DWORD* written) override {
    return ::WriteFile(file, buffer, count, written, nullptr);
  }
  BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* position,
                        DWORD method) override {
    return ::SetFilePointerEx(file, distance, position, method);
  }
  BOOL FlushFileBuffers(HANDLE file) override { return ::FlushFileBuffers(file); }
  BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* info) override {
    return ::GetFileInformationByHandle(file, info);
  }
  DWORD GetFileType(HANDLE file) override { return ::GetFileType(file); }
  BOOL CloseHandle(HANDLE handle) override { return ::CloseHandle(handle); }

  DWORD GetFileAttributesW(const wchar_t* path) override { return ::GetFileAttributesW(path); }
  DWORD GetFullPathNameW(const wchar_t* path, DWORD size, wchar_t* buffer) override {
    return ::GetFullPathNameW(path, size, buffer, nullptr);
  }
  BOOL ReplaceFileW(const wchar_t* replaced, const wchar_t* replacement, DWORD flags) override {
    return ::ReplaceFileW(replaced, replacement, nullptr, flags, nullptr, nullptr);
  }
  BOOL MoveFileExW(const wchar_t* from, const wchar_t* to, DWORD flags) override {
    return ::MoveFileExW(from, to, flags);
  }
  BOOL DeleteFileW(const wchar_t* path) override { return ::DeleteFileW(path); }
  HANDLE FindFirstFileW(const wchar_t* pattern, WIN32_FIND_DATAW* data) override {
    return ::FindFirstFileW(pattern, data);
  }
  BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) override {
    return ::FindNextFileW(find, data);
  }
  BOOL FindClose(HANDLE find) override { return ::FindClose(find); }
};

// 100-nanosecond ticks from 1601-01-01, where FILETIME counts from, to
// 1970-01-01.
constexpr std::int64_t kTicksTo1970 = 116444736000000000;

}  // namespace

IFileSystem& Win32FileSystem() {
  static CWin32FileSystem fs;
  return fs;
}

IFileSystem& DefaultFileSystem() { return Win32FileSystem(); }

int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_SUCCESS:
      return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return ENOENT;
    // Someone has the file open in a way that shuts this opening out: with
    // a share mode of 0, as a running copy of the program holds it.
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EWOULDBLOCK;
    case ERROR_ACCESS_DENIED:
    case ERROR_NETWORK_ACCESS_DENIED:
      return EACCES;
    case ERROR_PRIVILEGE_NOT_HELD:
      return EPERM;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DIRECTORY:
      return EISDIR;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER:
    case ERROR_NO_UNICODE_TRANSLATION:
      return EINVAL;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
      return ENOTSUP;
    case ERROR_NEGATIVE_SEEK:
      return EINVAL;
    default:
      // ERROR_CRC, ERROR_READ_FAULT, ERROR_UNABLE_TO_MOVE_REPLACEMENT and
      // the rest: the report says the file could not be read or written.
      return EIO;
  }
}

int LastErrno() { return ErrnoOf(::GetLastError()); }

bool UTF16Of(const std::string& path, std::wstring& wide) {
  wide.clear();
  if (path.empty()) return true;
  if (path.size() > INT_MAX) {
    ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  const int size = static_cast<int>(path.size());
  // Invalid UTF-8 is refused rather than turned into replacement
  // characters, which would name another file.
  const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), size, nullptr, 0);
  if (n <= 0) return false;
  wide.resize(static_cast<std::size_t>(n));
  return ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), size, wide.data(), n) ==
         n;
}

std::string UTF8Of(const std::wstring& wide) {
  if (wide.empty() || wide.size() > INT_MAX) return {};
  const int size = static_cast<int>(wide.size());
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string utf8(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), n, nullptr, nullptr);
  return utf8;
}

CFileStamp StampOf(const BY_HANDLE_FILE_INFORMATION& info) {
  CFileStamp stamp;
  stamp.device = info.dwVolumeSerialNumber;
  stamp.file = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  stamp.size =
      static_cast<std::int64_t>((std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
  const std::int64_t ticks =
      static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                info.ftLastWriteTime.dwLowDateTime);
  stamp.modified = (ticks - kTicksTo1970) * 100;
  return stamp;
}

}  // namespace velunar

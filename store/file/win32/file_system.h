// The file system as the entry file sees it on Windows: the few Win32 calls
// its pieces make, behind one interface, so that a test can put a stand-in
// in between.
//
// Every function has the signature and the meaning of the Win32 call it is
// named after (the wide-character one: paths are UTF-16 here): it returns
// what the call returns and, on failure, leaves the error for
// GetLastError(). Nothing here retries, converts or throws; the pieces
// convert the program's UTF-8 paths (UTF16Of) and translate the errors
// (ErrnoOf) where they make the call. Handles are owned by the caller.
#ifndef VELUNAR_STORE_FILE_WIN32_FILE_SYSTEM_H_
#define VELUNAR_STORE_FILE_WIN32_FILE_SYSTEM_H_

#include <windows.h>

#include <cstdint>
#include <string>

#include "store/file/file_stamp.h"

namespace velunar {

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;

  virtual HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD shareMode, DWORD creation,
                             DWORD flags) = 0;
  virtual BOOL ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read) = 0;
  virtual BOOL WriteFile(HANDLE file, const void* buffer, DWORD count, DWORD* written) = 0;
  virtual BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* position,
                                DWORD method) = 0;
  virtual BOOL FlushFileBuffers(HANDLE file) = 0;
  virtual BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* info) = 0;
  virtual DWORD GetFileType(HANDLE file) = 0;
  virtual BOOL CloseHandle(HANDLE handle) = 0;

  virtual DWORD GetFileAttributesW(const wchar_t* path) = 0;
  virtual DWORD GetFullPathNameW(const wchar_t* path, DWORD size, wchar_t* buffer) = 0;
  // Puts `replacement` under the name `replaced`, giving it that file's
  // attributes, ACL and streams; no backup is made.
  virtual BOOL ReplaceFileW(const wchar_t* replaced, const wchar_t* replacement, DWORD flags) = 0;
  virtual BOOL MoveFileExW(const wchar_t* from, const wchar_t* to, DWORD flags) = 0;
  virtual BOOL DeleteFileW(const wchar_t* path) = 0;
  virtual HANDLE FindFirstFileW(const wchar_t* pattern, WIN32_FIND_DATAW* data) = 0;
  virtual BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) = 0;
  virtual BOOL FindClose(HANDLE find) = 0;
};

// The real file system: each function calls the Win32 function of its name.
// One object for the whole process, created at the first call; it holds no
// state and may be used from any thread.
IFileSystem& Win32FileSystem();
IFileSystem& DefaultFileSystem();

// The errno value that stands for the Win32 error `error` in the file layer
// (file_error.h): the one translation of system errors on Windows.
// ERROR_SUCCESS gives 0, an error without a closer match EIO.
int ErrnoOf(DWORD error);
// ErrnoOf(GetLastError()).
int LastErrno();

// The UTF-16 form of the UTF-8 `path`, for the calls. A path that is no
// valid UTF-8 gives false, with ERROR_NO_UNICODE_TRANSLATION as the last
// error. Throws std::bad_alloc.
bool UTF16Of(const std::string& path, std::wstring& wide);
// The UTF-8 form of what a call gave. Throws std::bad_alloc.
std::string UTF8Of(const std::wstring& wide);

// The change stamp of a file as GetFileInformationByHandle describes it:
// its volume's serial number, its index on the volume, its size and the
// time of its last write.
CFileStamp StampOf(const BY_HANDLE_FILE_INFORMATION& info);

inline HANDLE HandleOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
inline std::intptr_t ValueOf(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }

}  // namespace velunar

#endif  // VELUNAR_STORE_FILE_WIN32_FILE_SYSTEM_H_

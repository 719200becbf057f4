// The held file on Windows: exclusive access is the share mode. The file is
// opened with a share mode of 0, so that no other opening that reads,
// writes or deletes it succeeds while it is held: another copy of the
// program, a second CHeldFile in this process and every other program get
// ERROR_SHARING_VIOLATION (EWOULDBLOCK), and nobody can rename or remove
// the file meanwhile. Only openings for its attributes alone pass, which is
// how the stamp of the name is had (InfoOfName).
//
// A file held since it was opened here can only be read (GENERIC_READ): a
// read-only file is held like any other. The file a save put in place is
// held with write access too (new_file.cpp), which Append needs.
#include "store/file/held_file.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "store/file/win32/file_system.h"

namespace velunar {

namespace {

// How often an opening starts again when a file it was to create appeared
// meanwhile.
constexpr int kAttempts = 16;
// ReadFile and WriteFile count in 32 bits.
constexpr std::size_t kMostPerCall = std::size_t{1} << 30;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

CFileStatus Failed(CFileException::ECause cause, int error) {
  return CFileStatus::Failed(cause, error);
}
// A read, or the seek before it, failed: the call's error.
CFileStatus NotRead() { return Failed(CFileException::generic, LastErrno()); }

// The file information of what `name` leads to and its type, through an
// opening for attributes alone that shares everything, so that it works on
// a file held by anyone. Directories open too (FILE_FLAG_BACKUP_SEMANTICS),
// to be told from files. False with the call's error.
bool InfoOfName(IFileSystem& fs, const std::string& name, BY_HANDLE_FILE_INFORMATION& info,
                DWORD& type) {
  std::wstring wide;
  if (!UTF16Of(name, wide)) return false;
  const HANDLE h = fs.CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS);
  if (h == INVALID_HANDLE_VALUE) return false;
  const BOOL ok = fs.GetFileInformationByHandle(h, &info);
  const DWORD error = ::GetLastError();
  type = fs.GetFileType(h);
  (void)fs.CloseHandle(h);
  ::SetLastError(error);
  return ok != FALSE;
}

// The reason a file that is there cannot be held, or 0 when it can.
int NotRegularError(DWORD attributes, DWORD type) {
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return EISDIR;
  return type == FILE_TYPE_DISK ? 0 : ENODEV;
}


bool Seek(IFileSystem& fs, HANDLE h, std::int64_t offset, DWORD method, std::int64_t* at) {
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  LARGE_INTEGER position;
  if (!fs.SetFilePointerEx(h, distance, &position, method)) return false;
  if (at != nullptr) *at = position.QuadPart;
  return true;
}

}  // namespace

void CHeldFile::Close() noexcept {
  if (!IsOpen()) return;
  // The exclusive access goes with the handle; nothing was written through
  // it that a failed close could lose.
  (void)m_pFs->CloseHandle(HandleOf(std::exchange(m_hFile, -1)));
}

CFileStatus CHeldFile::Open(IFileSystem& fs, const std::string& name, bool create, CHeldFile& out,
                            bool* bCreating) {
  if (bCreating != nullptr) *bCreating = false;
  auto failed = [](int error) { return Failed(CauseOfUnavailableChange(error), error); };
  std::wstring wide;
  if (!UTF16Of(name, wide)) return failed(LastErrno());
  // Handles are not inherited by programs this one starts (no security
  // attributes), so no other process ever holds the file through them.
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    HANDLE h = fs.CreateFileW(wide.c_str(), GENERIC_READ, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (h == INVALID_HANDLE_VALUE) {
      int error = LastErrno();
      if (error == ENOENT && create) {
        // CREATE_NEW never opens, let alone empties, a file that appeared
        // meanwhile.
        if (bCreating != nullptr) *bCreating = true;
        h = fs.CreateFileW(wide.c_str(), GENERIC_READ, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
        if (h == INVALID_HANDLE_VALUE) {
          error = LastErrno();
          if (error == EEXIST) continue;  // created by someone else meanwhile
          return failed(error);
        }
        if (bCreating != nullptr) *bCreating = false;
      } else {
        // A folder cannot be opened as a file: Windows calls that a denied
        // access.
        const DWORD attributes = fs.GetFileAttributesW(wide.c_str());
        if (error == EACCES && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
          error = EISDIR;
        }
        return failed(error);
      }
    }
    // A device or a pipe under the name is no entry file.
    if (fs.GetFileType(h) != FILE_TYPE_DISK) {
      (void)fs.CloseHandle(h);
      return failed(ENODEV);
    }
    // No other opening can have put another file under the name between
    // the opening and the exclusive access: they are one step here.
    out.Close();
    out.m_pFs = &fs;
    out.m_hFile = ValueOf(h);
    return CFileStatus::Ok();
  }
  return failed(EWOULDBLOCK);
}

CFileStatus CHeldFile::Stamp(CFileStamp& stamp) const {
  BY_HANDLE_FILE_INFORMATION info;
  if (!m_pFs->GetFileInformationByHandle(HandleOf(m_hFile), &info)) {
    return Failed(CFileException::generic, LastErrno());
  }
  stamp = StampOf(info);
  return CFileStatus::Ok();
}



CFileStatus CHeldFile::ReadToEnd(std::int64_t from, CByteBuffer& buffer) const {
  const HANDLE h = HandleOf(m_hFile);
  if (!Seek(*m_pFs, h, from, FILE_BEGIN, nullptr)) return NotRead();
  std::size_t size = 0;
  for (;;) {
    if (size == buffer.capacity()) {
      buffer.SetSize(size);
      buffer.Reallocate(size + std::max(size, kReadChunkSize));
    }
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min(buffer.capacity() - size, kMostPerCall));
    if (!m_pFs->ReadFile(h, buffer.data() + size, want, &n)) return NotRead();
    if (n == 0) break;
    size += n;
  }
  buffer.SetSize(size);
  return CFileStatus::Ok();
}

CFileStatus CHeldFile::Append(std::string_view bytes, std::int64_t& end) const {
  auto failed = [](int error) { return Failed(CFileException::diskFull, error); };
  // Nobody else can write the file while it is held, so its end stays
  // where the seek finds it.
  const HANDLE h = HandleOf(m_hFile);
  if (!Seek(*m_pFs, h, 0, FILE_END, nullptr)) return failed(LastErrno());
  while (!bytes.empty()) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min(bytes.size(), kMostPerCall));
    if (!m_pFs->WriteFile(h, bytes.data(), want, &n)) return failed(LastErrno());
    if (n == 0) return failed(ENOSPC);
    bytes.remove_prefix(n);
  }
  std::int64_t at = 0;
  if (!Seek(*m_pFs, h, 0, FILE_CURRENT, &at)) return failed(LastErrno());
  if (!m_pFs->FlushFileBuffers(h)) return failed(LastErrno());
  end = at;
  return CFileStatus::Ok();
}

bool CHeldFile::IsUnderName(const std::string& name) const {
  BY_HANDLE_FILE_INFORMATION held, named;
  DWORD type = FILE_TYPE_UNKNOWN;
  return m_pFs->GetFileInformationByHandle(HandleOf(m_hFile), &held) &&
         InfoOfName(*m_pFs, name, named, type) &&
         held.dwVolumeSerialNumber == named.dwVolumeSerialNumber &&
         held.nFileIndexHigh == named.nFileIndexHigh && held.nFileIndexLow == named.nFileIndexLow;
}

CFileStatus CHeldFile::CheckWritable(const std::string& /*name*/) const {
  BY_HANDLE_FILE_INFORMATION info;
  if (!m_pFs->GetFileInformationByHandle(HandleOf(m_hFile), &info)) {
    return Failed(CFileException::notOpenedForWriting, LastErrno());
  }
  // The read-only attribute is the owner's word that the file is not to be
  // written, whoever may write it. What the file's ACL or the folder's
  // refuses, the save's own steps report.
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return Failed(CFileException::notOpenedForWriting, EACCES);
  }
  return CFileStatus::Ok();
}

CFileStatus StampOfName(IFileSystem& fs, const std::string& name, CFileStamp& stamp) {
  BY_HANDLE_FILE_INFORMATION info;
  DWORD type = FILE_TYPE_UNKNOWN;
  if (!InfoOfName(fs, name, info, type)) return Failed(CFileException::generic, LastErrno());
  if (const int error = NotRegularError(info.dwFileAttributes, type); error != 0) {
    return Failed(CFileException::notRegularFile, error);
  }
  stamp = StampOf(info);
  return CFileStatus::Ok();
}

}  // namespace velunar

// The new file of a save on Windows. It has a name from its creation on,
// .<entry file>.<pid>.<n>.tmp beside the entry file, and is held open
// throughout, sharing nothing but its removal: no other opening can read
// or write it, and RemoveLeftovers, which removes only what nobody holds,
// leaves it alone. Windows cannot exchange two files, so a save renames:
// ReplaceFileW puts the new file under the entry file's name with the old
// file's attributes, ACL and streams; where it cannot, MoveFileExW.
// Windows files bear no mark of their own here: the name and "nobody holds
// it" decide what a leftover is.
#include "store/file/new_file.h"

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "store/file/held_file.h"
#include "store/file/new_file_name.h"
#include "store/file/paths.h"
#include "store/file/win32/file_system.h"

namespace velunar {

namespace {

// Names tried for the new file before giving up.
constexpr int kNameAttempts = 100;
// Writes go to the system in pieces of at most this size.
constexpr std::size_t kWritePiece = 64 * 1024;

CFileStatus NotCreated(int error) {
  return CFileStatus::Failed(CFileException::notOpenedForWriting, error);
}
CFileStatus NotWritten(int error) { return CFileStatus::Failed(CFileException::diskFull, error); }

// `name` in the folder `dir`, which may end in a separator already ("C:\").
std::string PathIn(const std::string& dir, const std::string& name) {
  if (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) return dir + name;
  return dir + "\\" + name;
}

// Removes the file named `path`, if any, and forgets the name.
void RemoveName(IFileSystem& fs, std::string& path) noexcept {
  if (path.empty()) return;
  try {
    std::wstring wide;
    if (UTF16Of(path, wide)) (void)fs.DeleteFileW(wide.c_str());
  } catch (...) {
    // Out of memory: a leftover, removed at the next start or save.
  }
  path.clear();
}

// The stamp of the open file `h`.
CFileStatus StampOfOpen(IFileSystem& fs, HANDLE h, CFileStamp& stamp) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!fs.GetFileInformationByHandle(h, &info)) return NotWritten(LastErrno());
  stamp = StampOf(info);
  return CFileStatus::Ok();
}

}  // namespace

CFileStatus CNewFile::Create(IFileSystem& fs, const std::string& target, const CHeldFile* /*old*/) {
  Abandon();
  m_pFs = &fs;
  m_strTarget = target;
  // The old file's attributes and ACL come with ReplaceFileW at the rename.
  const std::string base = BaseName(target);
  const std::string dir = DirName(target);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string path = PathIn(dir, NewFileName(base, ::GetCurrentProcessId(), attempt));
    std::wstring wide;
    if (!UTF16Of(path, wide)) return NotCreated(LastErrno());
    // CREATE_NEW: a name taken already is skipped, never reused.
    const HANDLE h = fs.CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                    FILE_SHARE_DELETE, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
    if (h != INVALID_HANDLE_VALUE) {
      m_hFile = ValueOf(h);
      m_strPath = std::move(path);
      return CFileStatus::Ok();
    }
    if (const int error = LastErrno(); error != EEXIST) return NotCreated(error);
  }
  return NotCreated(EEXIST);
}

CFileStatus CNewFile::Write(std::string_view bytes) {
  const HANDLE h = HandleOf(m_hFile);
  while (!bytes.empty()) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min(bytes.size(), kWritePiece));
    if (!m_pFs->WriteFile(h, bytes.data(), want, &n)) return NotWritten(LastErrno());
    if (n == 0) return NotWritten(ENOSPC);
    bytes.remove_prefix(n);
  }
  return CFileStatus::Ok();
}

CFileStatus CNewFile::Prepare() {
  // The data must be on the disk before the name leads to it; otherwise a
  // crash after the rename could leave an empty or partial entry file. The
  // file has its name already.
  if (!m_pFs->FlushFileBuffers(HandleOf(m_hFile))) return NotWritten(LastErrno());
  return CFileStatus::Ok();
}

CFileStatus CNewFile::Exchange(CFileStamp& /*written*/, bool& bExchanged,
                               const CHeldFile* /*old*/) {
  // Windows has no exchange of two names: the session renames.
  bExchanged = false;
  return CFileStatus::Ok();
}

void CNewFile::Unmark(const CHeldFile& /*file*/) noexcept {}

CFileStatus CNewFile::Rename(CFileStamp& written, CHeldFile& old) {
  std::wstring target, path;
  if (!UTF16Of(m_strTarget, target) || !UTF16Of(m_strPath, path)) return NotWritten(LastErrno());
  // ReplaceFileW opens the new file sharing nothing, and the old one for
  // removal, which its share mode of 0 refuses: both handles go first.
  // From here until the new file is held, another copy of the program
  // could take the file; it then holds the one this save put in place.
  (void)m_pFs->CloseHandle(HandleOf(std::exchange(m_hFile, -1)));
  old.Close();
  if (!m_pFs->ReplaceFileW(target.c_str(), path.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS)) {
    const DWORD error = ::GetLastError();
    // Nothing under the target to replace, or ReplaceFileW took the old
    // file from the name and could not put the new one there: the new file,
    // complete and on the disk, takes the name by a plain rename. Any other
    // failure leaves both files under their names.
    const bool bMove = error == ERROR_FILE_NOT_FOUND || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
                       error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
    if (!bMove || !m_pFs->MoveFileExW(path.c_str(), target.c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      const int failure = bMove ? LastErrno() : ErrnoOf(error);
      // The old file is held again, so that the failed save leaves the
      // session as it found it; Abandon removes the new one.
      (void)CHeldFile::Open(*m_pFs, m_strTarget, /*create=*/false, old);
      return NotWritten(failure);
    }
  }
  m_strPath.clear();
  // Held again at once, now under the target's name, with the write
  // access that Append needs.
  const HANDLE h = m_pFs->CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (h == INVALID_HANDLE_VALUE) {
    // Taken by another copy meanwhile: the save is done all the same, and
    // the next one finds the file held.
    if (!StampOfName(*m_pFs, m_strTarget, written).ok()) written = CFileStamp{};
    return CFileStatus::Ok();
  }
  m_hFile = ValueOf(h);
  // Taken only now: ReplaceFileW may have touched the file's times.
  if (!StampOfOpen(*m_pFs, h, written).ok()) written = CFileStamp{};
  return CFileStatus::Ok();
}

CFileStatus CNewFile::DisplacedStamp(CFileStamp& /*stamp*/) const {
  return NotWritten(ENOENT);  // nothing is ever exchanged
}

CFileStatus CNewFile::ExchangeBack() { return NotWritten(ENOTSUP); }

void CNewFile::RemoveDisplaced() noexcept {}

void CNewFile::TakeOver(CHeldFile& held) noexcept {
  // A new file that never took the target's name loses its own.
  RemoveName(*m_pFs, m_strPath);
  held.Close();
  held.m_pFs = m_pFs;
  held.m_hFile = std::exchange(m_hFile, -1);
}

CFileStatus CNewFile::SyncDirectory() {
  // Windows syncs no folder: the rename's write-through is all there is.
  return CFileStatus::Ok();
}

void CNewFile::Abandon() noexcept {
  // Removed while still held, where it is: nobody can have opened it
  // meanwhile, and it goes when the handle closes.
  if (m_pFs != nullptr) RemoveName(*m_pFs, m_strPath);
  if (m_hFile != -1) (void)m_pFs->CloseHandle(HandleOf(std::exchange(m_hFile, -1)));
  m_bExchanged = false;
}

void RemoveLeftovers(IFileSystem& fs, const std::string& target) noexcept {
  try {
    const std::string dir = DirName(target);
    const std::string base = BaseName(target);
    std::wstring pattern;
    if (!UTF16Of(PathIn(dir, NewFileNamePattern(base)), pattern)) return;
    // The names first, the search closed before any file is touched.
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    const HANDLE find = fs.FindFirstFileW(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    try {
      do {
        const DWORD kinds = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        std::string name = UTF8Of(found.cFileName);
        if (IsNewFileName(name, base) && (found.dwFileAttributes & kinds) == 0) {
          names.push_back(std::move(name));
        }
      } while (fs.FindNextFileW(find, &found));
    } catch (...) {
      (void)fs.FindClose(find);
      throw;
    }
    (void)fs.FindClose(find);
    for (const std::string& name : names) {
      std::wstring path;
      if (!UTF16Of(PathIn(dir, name), path)) continue;
      // A save under way, of this copy of the program or another, holds its
      // new file from its creation on: an opening that shares nothing
      // succeeds only on a file nobody holds, and removes it as it closes.
      const HANDLE h = fs.CreateFileW(path.c_str(), DELETE, 0, OPEN_EXISTING,
                                      FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT);
      if (h != INVALID_HANDLE_VALUE) (void)fs.CloseHandle(h);
    }
  } catch (...) {
    // Out of memory while listing: the leftovers wait for the next save.
  }
}

}  // namespace velunar

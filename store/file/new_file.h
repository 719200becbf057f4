// The new file of a save: written whole beside the entry file and put in
// its place in one step, so that the entry file is never half-written.
//
// Its life, in order:
//   Create   the file, in the directory of the file it will replace (a
//            rename is atomic only within one file system); unnamed where
//            the system allows, so that a save cut short leaves nothing
//            behind; locked before it can ever take the entry file's name;
//            with the old file's owner, permissions and attributes.
//   Write    its bytes, as often as needed.
//   Prepare  its bytes on the disk, and a name beside its target.
//   Replace  the target by it, in one rename: it becomes the held file.
//   SyncDirectory, so that the rename itself survives a crash.
// Abandon (also the destructor) removes a new file that was not put in
// place; nothing of it remains.
//
// Every step fails with CFileException::notOpenedForWriting (Create) or
// diskFull (the rest) and the system's error.
#ifndef VELUNAR_STORE_FILE_NEW_FILE_H_
#define VELUNAR_STORE_FILE_NEW_FILE_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "store/file/file_error.h"
#include "store/file/file_stamp.h"

namespace velunar {

class CHeldFile;
class IFileSystem;

class CNewFile {
 public:
  CNewFile() = default;
  CNewFile(const CNewFile&) = delete;
  CNewFile& operator=(const CNewFile&) = delete;
  ~CNewFile() { Abandon(); }

  // Creates the new file that is to replace `target` (a path with its
  // symbolic links resolved), with the metadata of `old` when given.
  CFileStatus Create(IFileSystem& fs, const std::string& target, const CHeldFile* old);
  bool IsOpen() const { return m_hFile != -1; }

  // Appends all of `bytes`.
  CFileStatus Write(std::string_view bytes);
  // Syncs the bytes to the disk and gives the file a name beside its
  // target, for the rename.
  CFileStatus Prepare();
  // Renames the new file over its target. It then becomes `held` (with its
  // lock, which it had from its creation on; what `held` held before is let
  // go), and `written` is its stamp as this save left it. On failure the
  // new file is still there, to be abandoned.
  CFileStatus Replace(CHeldFile& held, CFileStamp& written);
  // Syncs the target's directory after Replace. A system or file system
  // that cannot sync a directory counts as done.
  CFileStatus SyncDirectory();

  // Removes the new file, if any, and forgets it. Never fails.
  void Abandon() noexcept;

 private:
  IFileSystem* m_pFs = nullptr;
  std::intptr_t m_hFile = -1;       // the new file's descriptor or handle
  std::intptr_t m_hDirectory = -1;  // its directory's, from Prepare on
  std::string m_strTarget;
  std::string m_strPath;  // its name; empty while it has none
};

// Removes the new files that saves of this program left behind beside
// `target` when they were cut short: only files nobody holds locked, so a
// save under way keeps its own. Never fails; what cannot be removed now is
// removed by a later save.
void RemoveLeftovers(IFileSystem& fs, const std::string& target) noexcept;

}  // namespace velunar

#endif  // VELUNAR_STORE_FILE_NEW_FILE_H_

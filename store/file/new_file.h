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
//   Exchange the target and it, in one step: it is then under the target's
//            name, and what the name held until then is under its own
//            (DisplacedStamp), to be looked at before it goes
//            (RemoveDisplaced) or is put back (ExchangeBack). Where the
//            system cannot exchange, Rename replaces the target instead.
//   TakeOver by the session: the new file becomes the held file.
//   SyncDirectory, so that the rename itself survives a crash.
// Abandon (also the destructor) removes a new file that was not put in
// place; nothing of it remains.
//
// A new file that has a name before it takes the target's is a dot-file,
// .<entry file>.<pid>.<n>.tmp, marked as the program's own where the file
// system keeps extended attributes: RemoveLeftovers removes only such files,
// so a person's own file is never taken for one.
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
  // target, for the exchange.
  CFileStatus Prepare();
  // Exchanges the new file and the target; `written` is the new file's
  // stamp as this save left it. `bExchanged` is false, and nothing is done,
  // where the system or the file system cannot exchange: then Rename.
  // `old`, the file the target is expected to hold, is marked first as a
  // new file is: should the program end before RemoveDisplaced, what the
  // exchange took out is a leftover, removed at the next start.
  CFileStatus Exchange(CFileStamp& written, bool& bExchanged, const CHeldFile* old);
  // Takes the mark of Exchange off `file` again: what the target held is to
  // stay (it goes back, or holds lines not yet copied).
  void Unmark(const CHeldFile& file) noexcept;
  // Renames the new file over the target. `old` is the file held as the
  // entry file: on a system whose exclusive access keeps a file from being
  // replaced while it is open, it is let go first (and the new file held
  // in its place by TakeOver); elsewhere it stays held.
  CFileStatus Rename(CFileStamp& written, CHeldFile& old);
  // After Exchange: the stamp of what the target held until then, under
  // the new file's name now. Fails (ENOENT) when that was nothing.
  CFileStatus DisplacedStamp(CFileStamp& stamp) const;
  // After Exchange: exchanges again, so that the target holds what it held
  // before and the new file is under its own name once more.
  CFileStatus ExchangeBack();
  // After Exchange: removes the name of what the target held until then.
  void RemoveDisplaced() noexcept;
  // After Exchange or Rename: the new file becomes `held`, with its lock,
  // which it had from its creation on; what `held` held before is let go.
  // After ExchangeBack the same, and the new file loses its name. The new
  // file is no longer this object's; what an exchange took out may still be
  // removed (RemoveDisplaced).
  void TakeOver(CHeldFile& held) noexcept;
  // Syncs the target's directory after the new file took its place. A
  // system or file system that cannot sync a directory counts as done.
  CFileStatus SyncDirectory();

  // Removes the new file, if any, and forgets it. Never fails.
  void Abandon() noexcept;

 private:
  IFileSystem* m_pFs = nullptr;
  std::intptr_t m_hFile = -1;       // the new file's descriptor or handle
  std::intptr_t m_hDirectory = -1;  // its directory's, from Prepare on
  std::string m_strTarget;
  std::string m_strPath;  // its name; empty while it has none
  // Set by Exchange: m_strPath names what the target held until then.
  bool m_bExchanged = false;
};

// Removes the new files that saves of this program left behind beside
// `target` when they were cut short: only files named and marked as such
// that nobody holds locked, so a save under way keeps its own. Never fails;
// what cannot be removed now is removed by a later save.
void RemoveLeftovers(IFileSystem& fs, const std::string& target) noexcept;

}  // namespace velunar

#endif  // VELUNAR_STORE_FILE_NEW_FILE_H_

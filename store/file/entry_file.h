// The entry file: velunar.txt in the current directory, held open with
// exclusive access from loading until the program ends, and replaced whole
// at every save.
//
// States: closed, held (open for reading with exclusive access) and writing
// (a save in progress). The access is the held file's (held_file.h); a save
// writes a new file (new_file.h) and puts it in the old one's place. The
// lock never lapses: from loading to the end there is always a file held,
// and a failed or refused save keeps it.
//
// Other programs may still change the file while the window is open. The
// object remembers the stamp of the file it last read or wrote
// (file_stamp.h); ReadOutsideChange tells whether the file under the name
// is still in that state, and reads it when it is not, so that the caller
// can merge instead of overwriting. A save never replaces a file whose
// change was not read.
//
// Used only on the user-interface thread. Not copyable: one object owns the
// held file and the save in progress.
#ifndef VELUNAR_STORE_FILE_ENTRY_FILE_H_
#define VELUNAR_STORE_FILE_ENTRY_FILE_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/fast/byte_buffer.h"
#include "store/fast/list_order_sort.h"
#include "store/file/entry_format.h"
#include "store/file/file_error.h"
#include "store/file/file_stamp.h"
#include "store/file/held_file.h"
#include "store/file/new_file.h"

namespace velunar {

class IFileSystem;
// The system's file calls (posix/file_system.h on Linux).
IFileSystem& DefaultFileSystem();

// What a load read: the entries in file order, either as views into
// `buffer` or as keys for the load's sort (see ParseKeyedEntries); the one
// not used is empty.
struct CLoadedEntries {
  CByteBuffer buffer;
  std::vector<std::string_view> entries;
  std::vector<CSortKey> keys;
};

class CStdioFile {
 public:
  enum class EState { closed, held, writing };

  static constexpr std::string_view kFileName = "velunar.txt";

  // The entry file `fileName` (relative names resolve against the current
  // directory at each opening), through `fs`, which must outlive the object.
  explicit CStdioFile(IFileSystem& fs = DefaultFileSystem(),
                      std::string fileName = std::string(kFileName));
  CStdioFile(const CStdioFile&) = delete;
  CStdioFile& operator=(const CStdioFile&) = delete;
  // Closes quietly, releasing the file; a save in progress is abandoned, so
  // the entry file stays as it was.
  ~CStdioFile() = default;

  // Opens the file for reading with exclusive access (state held); when it
  // does not exist, creates it empty. Never replaces or empties an existing
  // file. Returns false, and stays closed, when neither works. Never throws.
  bool OpenForReading();

  // Opens for reading, then reads the whole file under the entry format:
  // the entries up to the first empty line or 0x1A, in file order, as keys
  // for the load's sort (as views in `entries` for a file of 4 GiB or
  // more). The bytes from there to the end are kept and written back after
  // the entries at every save. The file stays held.
  // Throws CFileUnavailableException when the file cannot be opened at all,
  // CFileException(generic) when a read fails, std::bad_alloc when memory
  // runs out; in every case nothing is loaded.
  CLoadedEntries Load();

  // Before a save, in state closed: whether the file under the name is still
  // the one this object last read or wrote, unchanged. When it is, or when
  // no file is under the name any more (the save then writes it anew), or
  // when nothing was ever read or written, returns nothing. Otherwise holds
  // the file now under the name, reads it by Load's rules, remembers it,
  // takes its kept tail, and returns its entries as views: the caller
  // merges them with its own before it saves.
  // Throws CFileException (heldByAnotherCopy, lockedByAnotherProgram,
  // notRegularFile, unreadable) when that file cannot be had; the file held
  // so far stays held, and nothing is changed.
  std::optional<CLoadedEntries> ReadOutsideChange();

  // Starts a save (state writing): a new file beside the entry file (see
  // new_file.h). Returns false and stays closed when that fails, or when
  // the file under the name differs from the one remembered (see
  // ReadOutsideChange); the following Close then reports it. The file held
  // so far stays held. Never throws.
  bool OpenForWriting();

  // OpenForWriting, then the save of `entries` (entry_format.h), in their
  // order, followed by the kept tail, and Close. The bytes are built piece
  // by piece as they are written, with no copy of the whole file in memory.
  // Throws as Close does; whatever `entries` throws gives the save up, so a
  // list cut short never becomes the file.
  void WriteAll(const CEntryRuns& entries);

  // In state held: lets the file go for this object's next opening. The
  // file stays held until then, so that no other copy can take it between
  // the two steps of a save.
  // In state writing: saves no entries, only the kept tail: the new file is
  // synced and renamed over the entry file (over the file a symbolic link
  // leads to), then the directory is synced. A file another program changed
  // meanwhile is not replaced (changedOutside). On any failure before the
  // rename the new file is removed and the entry file stays as it was; when
  // only the directory sync fails, the new file is in place and the failure
  // is still reported, since the save may not survive a crash.
  // In state closed after a failed OpenForWriting: reports that failure,
  // once, so that a save cannot fail silently.
  // The state is closed afterwards in every case.
  // Throws CFileException (diskFull, changedOutside, or the cause of the
  // failed opening).
  void Close();

  // Forgets the state of the file last read or written, so that the next
  // ReadOutsideChange reads the file again: for a caller whose merge of
  // what it returned failed.
  void ForgetFileState() {
    if (m_stamp) m_stamp = CFileStamp{};
  }
  // How many saves have put their new file in place of the entry file.
  unsigned long long SaveCount() const { return m_nSaves; }

  EState State() const { return m_eState; }
  // The full path of the last opening, for reports.
  const std::string& FullPath() const { return m_strFullPath; }

 private:
  // The steps of OpenForWriting that can fail.
  CFileStatus StartSave();
  // Writes `entries` and the tail to the new file and puts it in place.
  CFileStatus CommitSave(const CEntryRuns& entries);
  // Reads `file` whole and splits it; keeps its tail and remembers its
  // stamp. Throws CFileException(`cause`) when a read fails, changing
  // nothing.
  CLoadedEntries ReadEntries(const CHeldFile& file, CFileException::ECause cause, bool bKeyed);
  [[noreturn]] void Throw(const CFileStatus& status) const;

  IFileSystem& m_fs;
  std::string m_strFileName;
  std::string m_strFullPath;
  EState m_eState = EState::closed;

  // The entry file, held from the first opening on, and kept held after
  // Close() and after a save as a reservation: no other opening can take
  // the file between the steps of a save, and the next opening by this
  // object takes this one over.
  CHeldFile m_file;
  // Why the last opening failed, for Load's report.
  int m_nOpenError = 0;
  bool m_bOpenCreating = false;

  // The stamp of the file last read or written; nothing before the first.
  std::optional<CFileStamp> m_stamp;
  unsigned long long m_nSaves = 0;

  // The save in progress, and the file it replaces (symbolic links
  // resolved).
  CNewFile m_newFile;
  std::string m_strTargetPath;
  // A failed OpenForWriting, until Close reports it.
  std::optional<CFileStatus> m_failedOpening;

  // The bytes after the entries, as the last read found them; written back
  // at every save.
  std::string m_strTail;
};

}  // namespace velunar

#endif  // VELUNAR_STORE_FILE_ENTRY_FILE_H_

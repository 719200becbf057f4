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
// object remembers what each file it read or wrote held (file_watch.h):
// the file under the name, and every file a save replaced, which a program
// that opened it before may still write to. ReadOutsideChanges reads what
// changed in them, so that the caller can merge instead of overwriting. A
// save puts its new file in place by exchanging it with what the name
// holds, in one step, and looks at what it took out: an append that came
// meanwhile is added to the new file at once, anything else is put back and
// the save refused (changedOutside), to be merged and saved again. Nothing
// another program writes into any of these files is lost while the object
// lives.
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
#include "store/file/file_watch.h"
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

// Another program's change to a file this object reads or has read.
struct COutsideChange {
  // 0: the file under the name. Otherwise the number (Retired) of a file
  // that a save replaced.
  unsigned source = 0;
  // True: `loaded.entries` are only the lines another program appended,
  // new entries all. False: they are every entry the file holds now, to be
  // merged against what it held.
  bool bAppended = false;
  // Where another program put a new file under the name, the number under
  // which the file held before is watched from now on (0: none). What it
  // held moves there; `loaded` is the new file's.
  unsigned retired = 0;
  CLoadedEntries loaded;
};

// What a save did beyond writing the entries it was given.
struct CSaveResult {
  // The number under which the file this save replaced is watched from
  // now on (0: it replaced none).
  unsigned retired = 0;
  // Lines another program appended to a watched file, which the save
  // added to the new file too: the caller adds them to its entries.
  std::vector<COutsideChange> appended;
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

  // Before a save, in state closed: what other programs changed since this
  // object last read or wrote them, in the file under the name and in the
  // files saves replaced (see COutsideChange); nothing when nothing changed,
  // when nothing was ever read or written, or when no file is under the
  // name any more (the save then writes it anew). A file another program
  // put under the name is held from now on, read by Load's rules, and its
  // kept tail taken; lines appended after an empty line go to the kept tail.
  // What is returned counts as read: the caller merges it with its own
  // entries before it saves.
  // Throws CFileException (heldByAnotherCopy, lockedByAnotherProgram,
  // notRegularFile, unreadable) when the file under the name cannot be had;
  // the file held so far stays held, and nothing is changed.
  std::vector<COutsideChange> ReadOutsideChanges();

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
  // list cut short never becomes the file. `result` tells what the save did
  // besides, also when it throws after the new file took the name (only the
  // directory's sync failed).
  void WriteAll(const CEntryRuns& entries, CSaveResult& result);

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
  // Another program's change that the save finds in the file it takes out
  // of the name is dealt with as WriteAll says (changedOutside unless it is
  // an append).
  // In state closed after a failed OpenForWriting: reports that failure,
  // once, so that a save cannot fail silently.
  // The state is closed afterwards in every case.
  // Throws CFileException (diskFull, changedOutside, or the cause of the
  // failed opening).
  void Close();

  // Forgets what the files held, so that the next ReadOutsideChanges reads
  // every one of them whole again: for a caller whose merge of what it
  // returned failed.
  void ForgetFileState();
  // The numbers of the replaced files still watched (see COutsideChange).
  std::vector<unsigned> WatchedSources() const;
  // How many saves have put their new file in place of the entry file.
  unsigned long long SaveCount() const { return m_nSaves; }

  EState State() const { return m_eState; }
  // The full path of the last opening, for reports.
  const std::string& FullPath() const { return m_strFullPath; }

 private:
  // A file a save replaced, and what it held as this object last knew.
  struct CRetired {
    CHeldFile file;
    CKnownContent known;
    unsigned source = 0;
    int nQuietLooks = 0;  // looks in a row that found it unchanged
  };

  // The steps of OpenForWriting that can fail.
  CFileStatus StartSave();
  // Writes `entries` and the tail to the new file and puts it in place.
  CFileStatus CommitSave(const CEntryRuns& entries, CSaveResult& result);
  // Reads `file` whole and splits it. `known` becomes what it holds, and
  // `tail` its kept tail. Throws CFileException(`cause`) when a read fails,
  // changing nothing.
  CLoadedEntries ReadEntries(const CHeldFile& file, CFileException::ECause cause, bool bKeyed,
                             CKnownContent& known, std::string& tail);
  // The change of a watched file: nothing, its appended lines, or all of
  // its entries.
  std::optional<COutsideChange> ReadChange(const CHeldFile& file, CKnownContent& known,
                                           unsigned source);
  // The entries of lines appended to a file whose content was `known`
  // before; the part after an empty line, or all of it when the file had a
  // kept tail already, goes to the kept tail.
  COutsideChange AppendedChange(CByteBuffer&& added, bool bTail, unsigned source);
  // Adds `change`'s bytes to the end of the file under the name, which the
  // save just put there, so that it holds them too.
  bool AppendToNamed(const CByteBuffer& added);
  // The replaced files: appends are added to the new file at once
  // (`result`); those that have not changed for a while are let go.
  void SweepRetired(CSaveResult& result);
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
  // What it held when last read or written; nothing before the first.
  std::optional<CKnownContent> m_known;
  // Why the last opening failed, for Load's report.
  int m_nOpenError = 0;
  bool m_bOpenCreating = false;

  // The files saves replaced, newest last.
  std::vector<CRetired> m_retired;
  unsigned m_nRetired = 0;
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

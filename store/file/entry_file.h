// The entry file: velunar.txt in the current directory, held open and locked
// from loading until the program ends, and replaced whole at every save.
//
// States: closed, held (open for reading with exclusive access) and writing
// (a save in progress). Exclusive access is a flock(2) lock on the open file
// description, taken by every opening: it belongs to the descriptor, not to
// the process, so a second copy of the program and a second CStdioFile in
// this process are both shut out while the file is held or being written.
// Every opening also takes an open-file-description read lock (fcntl
// F_OFD_SETLK) on the whole file, so that programs that lock with fcntl or
// lockf are told the file is busy, and a file such a program has locked for
// writing is not taken.
//
// Locks on Linux are advisory: an editor may still rewrite the file, or put
// another file in its place, while the window is open. The object remembers
// the file it last read or wrote (device, inode, size, modification and
// change time); ReadOutsideChange tells whether the file under the name is
// still that one, and reads it when it is not, so that the caller can merge
// instead of overwriting. A save never replaces a file that differs from
// the one remembered.
//
// The lock never lapses: from loading to the end there is always a locked
// file, and a failed or refused save keeps it.
//
// Used only on the user-interface thread. Not copyable: one object owns the
// descriptors and the lock.
#ifndef VELUNAR_STORE_FILE_ENTRY_FILE_H_
#define VELUNAR_STORE_FILE_ENTRY_FILE_H_

#include <sys/stat.h>

#include <cerrno>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/fast/byte_buffer.h"
#include "store/lists/entry_sequence.h"
#include "store/file/posix/file_system.h"
#include "store/fast/list_order_sort.h"

namespace velunar {

// A failed read, write or close of the entry file.
class CFileException : public std::exception {
 public:
  enum ECause {
    generic = 1,    // a read failed
    diskFull = 13,  // a write, flush, sync, rename or close failed
    // The file could not be opened for writing (read-only file, directory
    // that cannot be written): nothing was written.
    notOpenedForWriting = 100,
    // The file another program put under the name is held by a running
    // copy of this program: nothing was written.
    heldByAnotherCopy = 101,
    // ... is locked by another program (an fcntl or lockf lock).
    lockedByAnotherProgram = 102,
    // ... is no regular file (a directory, a FIFO, a device).
    notRegularFile = 103,
    // ... cannot be read.
    unreadable = 104,
    // The file was changed by another program after it was last read, and
    // the change was not read (or came while the save was under way).
    changedOutside = 105,
  };

  CFileException(ECause cause, int osError, std::string fullPath);

  // The English report text with the full path in place of %1, e.g.
  // "Disk full while accessing /home/anna/velunar.txt.". The path keeps the
  // bytes the file system gave (UTF-8 on Linux).
  std::string ReportText() const;
  const char* what() const noexcept override;

  ECause m_cause;
  int m_lOsError;             // errno at the failure; carried, never shown
  std::string m_strFileName;  // full path of the entry file

 private:
  std::string m_strWhat;
};

// Load found no file it could open: the entry file is held by another copy
// of the program, is a directory, or cannot be read. Nothing was loaded, and
// the caller must not write the file. m_lOsError tells why: EWOULDBLOCK for
// another copy of the program, EBUSY for another program's fcntl lock,
// EISDIR for a directory, ENODEV for anything else that is no
// regular file, otherwise the error of the opening (EACCES, ...).
class CFileUnavailableException : public std::exception {
 public:
  CFileUnavailableException(int osError, std::string fullPath);
  bool IsHeldByAnotherCopy() const { return m_lOsError == EWOULDBLOCK; }
  const char* what() const noexcept override;

  int m_lOsError;
  std::string m_strFileName;

 private:
  std::string m_strWhat;
};

// What Load read: the entries in file order, as references into `buffer`.
// From LoadKeyed, `keys` hold them instead (see ParseKeyedEntries), unless
// the file is too large for them; then `entries` do, and `keys` are empty.
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
  explicit CStdioFile(IFileSystem& fs = PosixFileSystem(),
                      std::string fileName = std::string(kFileName));
  CStdioFile(const CStdioFile&) = delete;
  CStdioFile& operator=(const CStdioFile&) = delete;
  // Closes quietly, releasing the lock; a save in progress is abandoned and
  // its new file removed, so the entry file stays as it was.
  ~CStdioFile();

  // Opens the file for reading with exclusive access (state held); when it
  // does not exist, creates it empty. Never replaces or empties an existing
  // file. Returns false, and stays closed, when neither works. Never throws.
  bool OpenForReading();

  // Opens for reading, then reads the whole file under the entry format:
  // the entries up to the first empty line or 0x1A, in file order. The bytes
  // from there to the end are kept and written back after the entries at
  // every save. The file stays held.
  // Throws CFileUnavailableException when the file cannot be opened at all,
  // CFileException(generic) when a read fails, std::bad_alloc when memory
  // runs out; in every case nothing is loaded.
  CLoadedEntries Load();
  // The same, with the entries as keys for the load's sort, for a list that
  // is to hold them in list order (CMasterList::AddLoaded): a million
  // entries load faster without a list of views between the split and the
  // sort.
  CLoadedEntries LoadKeyed();

  // Before a save, in state closed: whether the file under the name is still
  // the one this object last read or wrote, unchanged. When it is, or when
  // no file is under the name any more (the save then writes it anew), or
  // when nothing was ever read or written, returns nothing. Otherwise locks
  // the file now under the name, reads it by Load's rules, makes it the file
  // this object holds and remembers, takes its kept tail, and returns its
  // entries: the caller merges them with its own before it saves.
  // Throws CFileException (heldByAnotherCopy, lockedByAnotherProgram,
  // notRegularFile, unreadable) when that file cannot be had; the file held
  // so far stays held, and nothing is changed.
  std::optional<CLoadedEntries> ReadOutsideChange();

  // Starts a save (state writing): a new file in the entry file's directory,
  // unnamed (O_TMPFILE) where the file system allows, locked before it can
  // take the entry file's name, with the entry file's owner, permissions,
  // ACLs and extended attributes. Returns false and stays closed when that
  // fails, or when the file under the name differs from the one remembered
  // (see ReadOutsideChange); the following WriteText or Close then reports
  // it. The file held so far stays held. Never throws.
  bool OpenForWriting();

  // Appends `text` to the save, each line feed as CR LF. Output is buffered,
  // so a failure may show only at a later call or at Close.
  // Throws CFileException(diskFull) when the output cannot be written. The
  // save is then given up at once (its new file removed, the entry file as it
  // was); the state stays writing until Close, and every further WriteText
  // throws the same error. Throws CFileException(notOpenedForWriting) after a
  // failed OpenForWriting, and when no save was started at all.
  void WriteText(std::string_view text);

  // In state held: releases the file for this object's next opening. The
  // lock itself is kept until then, so that no other copy can take the file
  // between the two steps of a save.
  // In state writing: writes what is buffered and the kept tail, syncs the
  // new file, gives it a name for the instant of the rename, renames it over
  // the entry file (over the file a symbolic link leads to) and syncs the
  // directory. A file that another program changed meanwhile is not
  // replaced (changedOutside). On any failure before the rename the new
  // file is removed and the entry file stays as it was; when only the
  // directory sync fails, the new file is in place and the failure is still
  // reported, since the save may not survive a crash.
  // The state is closed afterwards in every case.
  // Throws CFileException(diskFull) when the save fails.
  // A failed save is reported once: Close throws the failure of an
  // OpenForWriting that no WriteText has reported yet (so that a save of no
  // entries cannot fail silently) with CFileException(notOpenedForWriting),
  // and ends a save whose failure WriteText already threw without throwing
  // again, so that the next save starts afresh from a closed file.
  void Close();

  // OpenForWriting, WriteText of each entry followed by a line feed, Close.
  // `forEachEntry` calls its argument once for each entry, in order. When
  // anything throws before Close, the save is given up: a list cut short
  // never becomes the file.
  using EntryVisitor = std::function<void(std::string_view)>;
  void WriteAll(const std::function<void(const EntryVisitor&)>& forEachEntry);
  // The same for the entries of `items`, in their order (the window's
  // save): their bytes are built piece by piece in the output buffer as
  // Close writes them, with no copy of the whole file in memory.
  void WriteAll(const CEntrySequence& items);

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
  // What tells one state of a file from another.
  struct CFileStamp {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    struct timespec mtime {};
    struct timespec ctime {};
  };

  // Opens the file under m_strFileName, locks it and makes sure the name
  // still leads to the locked file. When it is missing and `create` is set,
  // creates it empty. Returns no descriptor, with the reason in `error`, when
  // the file is missing (and not created), locked elsewhere, not a regular
  // file or cannot be opened (see CFileUnavailableException for the values).
  CFileDescriptor LockEntryFile(bool create, int& error);
  // Takes both locks on `fd`; false with `error` EWOULDBLOCK (another
  // copy's flock) or EBUSY (another program's fcntl lock) or the call's own.
  bool LockDescriptor(const CFileDescriptor& fd, int& error);
  // True when the name leads to the file `fd` is open on.
  bool IsUnderName(const CFileDescriptor& fd);
  // Reads `fd` whole from its start; false with `error` set.
  bool ReadWhole(const CFileDescriptor& fd, CByteBuffer& buffer, int& error);
  // Reads `fd` whole and splits it into its entries; keeps its tail and
  // remembers the file as the one last read. Throws CFileException(`cause`)
  // when a read fails, changing nothing.
  CLoadedEntries ReadEntries(const CFileDescriptor& fd, CFileException::ECause cause,
                             bool bKeyed = false);
  CLoadedEntries LoadFile(bool bKeyed);
  // Remembers `st` as the state of the file last read or written; nullptr
  // remembers it as unknown, so that the next save reads the file again
  // before it replaces it.
  void RememberFile(const struct stat* st);
  // True when `st` is the remembered file in the remembered state.
  bool IsRemembered(const struct stat& st) const;
  // The steps of OpenForWriting that can fail; false with `error` and
  // `cause` set.
  bool StartSave(int& error, CFileException::ECause& cause);
  // Creates the new file of a save: unnamed where the file system can, else
  // under a name of its own. False with `error` set.
  bool CreateNewFile(const std::string& dir, int& error);
  // Gives the new file a name of its own in its directory, for the rename.
  bool NameNewFile(int& error);
  // The first free name of the form <entry file>.<pid>.<n>.tmp; `tryName`
  // makes the file under a candidate and returns 0, or -1 with errno.
  bool PickNewName(const std::function<int(const std::string&)>& tryName, int& error);
  // Owner, group, permission bits, ACLs and extended attributes of `from`
  // onto the new file. False with `error` set when any that matters fails.
  bool CopyMetadata(const CFileDescriptor& from, const struct stat& st, int& error);
  // Removes the new files that saves of this program left behind in the
  // entry file's directory when they were cut short (only a file nobody
  // holds locked is one). Never throws.
  void RemoveLeftovers() noexcept;
  // Writes everything buffered, then the kept tail, syncs, renames and syncs
  // the directory. Throws CFileException(diskFull).
  void CommitSave();
  // Removes the new file of a save and forgets the save. Never throws.
  void AbandonSave() noexcept;
  // Writes all of `bytes` to the new file; false with `error` set.
  bool WriteFully(std::string_view bytes, int& error);
  // Writes the entries of m_pSaveItems, if any, through m_strBuffer; false
  // with `error` set.
  bool WriteSaveItems(int& error);
  // Marks the save failed; `reported` says whether the failure is thrown now.
  void FailSave(CFileException::ECause cause, int osError, bool reported) noexcept;
  void UpdateFullPath();

  IFileSystem& m_fs;
  std::string m_strFileName;
  std::string m_strFullPath;
  EState m_eState = EState::closed;

  // The locked entry file. Open while held, and kept open, still locked,
  // after Close() and after a save as a reservation: no other opening can
  // take the file between the steps of a save, and the next opening by this
  // object takes this descriptor over.
  CFileDescriptor m_file;
  // errno of the last opening that failed, for Load's report.
  int m_nOpenError = 0;

  // The file last read or written, as it was then; nothing before the first.
  std::optional<CFileStamp> m_stamp;
  unsigned long long m_nSaves = 0;

  // The save in progress: its new file, locked from its creation on, the
  // new file's name (empty while it has none), the name it will take
  // (symbolic links resolved) and the output not yet written.
  CFileDescriptor m_newFile;
  std::string m_strNewPath;
  std::string m_strTargetPath;
  std::string m_strBuffer;
  // The entries WriteAll(items) is saving, written by Close; nullptr
  // otherwise.
  const CEntrySequence* m_pSaveItems = nullptr;

  // The bytes after the entries, as Load read them; written back at every
  // save.
  std::string m_strTail;

  // A failed save (or a failed OpenForWriting) until Close() ends it. It is
  // thrown once: by the WriteText that meets it, else by Close().
  bool m_bSaveFailed = false;
  bool m_bFailureReported = false;
  CFileException::ECause m_eFailureCause = CFileException::generic;
  int m_nFailureError = 0;
};

}  // namespace velunar

#endif  // VELUNAR_STORE_FILE_ENTRY_FILE_H_

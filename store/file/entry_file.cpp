#include "store/file/entry_file.h"

#include <cerrno>
#include <utility>

#include "store/file/paths.h"

namespace velunar {

namespace {

// The bytes of a save are built in pieces of this size and written as each
// is full.
constexpr std::size_t kWritePiece = 64 * 1024;

const CEntryRuns kNoEntries = [](const std::function<void(CEntryRun)>&) {};

}  // namespace

CStdioFile::CStdioFile(IFileSystem& fs, std::string fileName)
    : m_fs(fs), m_strFileName(std::move(fileName)) {}

void CStdioFile::Throw(const CFileStatus& status) const {
  throw CFileException(status.cause, status.error, m_strFullPath);
}

bool CStdioFile::OpenForReading() {
  m_strFullPath = FullPathOf(m_fs, m_strFileName);
  if (m_eState == EState::held) return true;
  // An unfinished save is dropped: it has not touched the entry file yet.
  m_newFile.Abandon();
  m_failedOpening.reset();
  m_eState = EState::closed;

  // The file held so far is kept, whatever the name leads to now: letting
  // go of it before another is held would leave a moment with no lock at
  // all. When another program has put a file in its place, the next save
  // finds out and reads that file first (ReadOutsideChange).
  if (!m_file.IsOpen()) {
    const CFileStatus status =
        CHeldFile::Open(m_fs, m_strFileName, /*create=*/true, m_file, &m_bOpenCreating);
    if (!status.ok()) {
      m_nOpenError = status.error;
      return false;
    }
  }
  m_eState = EState::held;
  return true;
}

CLoadedEntries CStdioFile::Load() {
  if (!OpenForReading()) {
    throw CFileUnavailableException(m_nOpenError, m_bOpenCreating, m_strFullPath);
  }
  // Loading reads the file under the name: when another program has put a
  // new one there, that one is held and read, the old let go after.
  if (!m_file.IsUnderName(m_strFileName)) {
    CHeldFile named;
    if (CHeldFile::Open(m_fs, m_strFileName, /*create=*/false, named).ok()) {
      m_file = std::move(named);
    }
  }
  // Nothing is loaded when a read fails: a list cut short would be saved
  // over the whole file at the next save.
  CLoadedEntries loaded = ReadEntries(m_file, CFileException::generic, /*bKeyed=*/true);
  std::string target;
  if (ReplacedPath(m_fs, m_strFileName, target).ok()) RemoveLeftovers(m_fs, target);
  return loaded;
}

CLoadedEntries CStdioFile::ReadEntries(const CHeldFile& file, CFileException::ECause cause,
                                       bool bKeyed) {
  CLoadedEntries loaded;
  CFileStamp stamp;
  if (const CFileStatus status = file.ReadAll(loaded.buffer, stamp); !status.ok()) {
    Throw(status.As(cause));
  }
  // Moving the buffer out keeps its storage, so the views and keys stay
  // valid in the returned object.
  std::string_view tail;
  std::optional<CKeyedEntries> keyed;
  if (bKeyed) keyed = ParseKeyedEntries(loaded.buffer.View());
  if (keyed) {
    loaded.keys = std::move(keyed->keys);
    tail = keyed->tail;
  } else {
    CParsedEntries parsed = ParseEntries(loaded.buffer.View());
    loaded.entries = std::move(parsed.entries);
    tail = parsed.tail;
  }
  m_strTail = std::string(tail);
  m_stamp = stamp;
  return loaded;
}

std::optional<CLoadedEntries> CStdioFile::ReadOutsideChange() {
  m_strFullPath = FullPathOf(m_fs, m_strFileName);
  if (!m_stamp) return std::nullopt;
  CFileStamp named;
  if (const CFileStatus status = StampOfName(m_fs, m_strFileName, named); !status.ok()) {
    // Gone: the save writes every entry anew, so nothing is lost.
    if (status.error == ENOENT) return std::nullopt;
    Throw(status);
  }
  if (named == *m_stamp) return std::nullopt;

  // Changed in place (an append, a rewrite by an editor that keeps the
  // file): read it through the file held already. Replaced (saved by
  // rename): hold the new file first; the old one is let go only once the
  // new one is held.
  CFileStamp held;
  if (m_file.IsOpen() && m_file.Stamp(held).ok() && held.IsSameFile(named)) {
    return ReadEntries(m_file, CFileException::unreadable, /*bKeyed=*/false);
  }
  CHeldFile replacement;
  if (const CFileStatus status = CHeldFile::Open(m_fs, m_strFileName, false, replacement);
      !status.ok()) {
    if (status.error == ENOENT) return std::nullopt;
    Throw(CFileStatus::Failed(CauseOfUnavailableChange(status.error), status.error));
  }
  CLoadedEntries loaded = ReadEntries(replacement, CFileException::unreadable, /*bKeyed=*/false);
  m_file = std::move(replacement);
  return loaded;
}

CFileStatus CStdioFile::StartSave() {
  // The old file stays held for the whole save, and after it when the save
  // fails. Without it from an earlier opening, it is held now; a file held
  // by another copy ends the save here, before anything is written.
  CFileStamp named;
  const CFileStatus nameStatus = StampOfName(m_fs, m_strFileName, named);
  const bool bNamedExists = nameStatus.ok();
  if (!bNamedExists && nameStatus.error != ENOENT) {
    return nameStatus.As(CFileException::notOpenedForWriting);
  }
  if (bNamedExists && m_stamp && named != *m_stamp) {
    // Another program's change that nobody has read: replacing the file
    // would lose it.
    return CFileStatus::Failed(CFileException::changedOutside, ESTALE);
  }
  if (!m_file.IsOpen() || (bNamedExists && !m_file.IsUnderName(m_strFileName))) {
    CHeldFile held;
    const CFileStatus status = CHeldFile::Open(m_fs, m_strFileName, /*create=*/false, held);
    if (!status.ok() && status.error != ENOENT) {
      return status.As(CFileException::notOpenedForWriting);
    }
    if (held.IsOpen()) m_file = std::move(held);
  }
  // The file held so far gives the new one its owner, permissions and
  // attributes, also when another program has removed its name.
  if (m_file.IsOpen() && bNamedExists) {
    if (const CFileStatus status = m_file.CheckWritable(m_strFileName); !status.ok()) {
      return status;
    }
  }
  if (const CFileStatus status = ReplacedPath(m_fs, m_strFileName, m_strTargetPath);
      !status.ok()) {
    return status;
  }
  RemoveLeftovers(m_fs, m_strTargetPath);
  return m_newFile.Create(m_fs, m_strTargetPath, m_file.IsOpen() ? &m_file : nullptr);
}

bool CStdioFile::OpenForWriting() {
  m_strFullPath = FullPathOf(m_fs, m_strFileName);
  m_newFile.Abandon();
  m_eState = EState::closed;
  m_failedOpening.reset();
  if (const CFileStatus status = StartSave(); !status.ok()) {
    // Remembered, so that the Close that follows reports it.
    m_failedOpening = status;
    return false;
  }
  m_eState = EState::writing;
  return true;
}

CFileStatus CStdioFile::CommitSave(const CEntryRuns& entries) {
  CFileStatus status;
  {
    std::string piece(kWritePiece, '\0');
    WriteEntries(entries, m_strTail, piece, [&](std::string_view bytes) {
      status = m_newFile.Write(bytes);
      return status.ok();
    });
  }
  if (status.ok()) status = m_newFile.Prepare();
  // The last look before the rename: a change another program made since
  // the save began would be lost by it.
  CFileStamp named;
  if (status.ok() && m_stamp && StampOfName(m_fs, m_strFileName, named).ok() &&
      named != *m_stamp) {
    status = CFileStatus::Failed(CFileException::changedOutside, ESTALE);
  }
  CFileStamp written;
  if (status.ok()) status = m_newFile.Replace(m_file, written);
  if (!status.ok()) {
    m_newFile.Abandon();
    return status;
  }
  // The new file is the entry file now. If another program wrote to it
  // between the save's last write and now, the next save reads it again.
  CFileStamp renamed;
  m_stamp = m_file.Stamp(renamed).ok() && renamed == written ? renamed : CFileStamp{};
  ++m_nSaves;
  // Without this the rename itself may be lost in a crash. The save is done
  // either way, but its success cannot be promised, so a failure is
  // reported.
  return m_newFile.SyncDirectory();
}

void CStdioFile::Close() {
  const EState state = std::exchange(m_eState, EState::closed);
  if (state == EState::writing) {
    if (const CFileStatus status = CommitSave(kNoEntries); !status.ok()) Throw(status);
    return;
  }
  // A failed opening for writing is told once, by the Close that follows
  // it, so that the next save starts afresh from a closed file.
  if (std::optional<CFileStatus> failed = std::exchange(m_failedOpening, std::nullopt)) {
    Throw(*failed);
  }
}

void CStdioFile::WriteAll(const CEntryRuns& entries) {
  if (!OpenForWriting()) {
    Close();
    return;
  }
  m_eState = EState::closed;
  CFileStatus status;
  try {
    status = CommitSave(entries);
  } catch (...) {
    // Whatever stopped the entries (memory running out in the caller, say)
    // leaves a list cut short: it must never become the file.
    m_newFile.Abandon();
    throw;
  }
  if (!status.ok()) Throw(status);
}

}  // namespace velunar

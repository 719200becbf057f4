#include "store/file/entry_file.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "store/file/paths.h"

namespace velunar {

namespace {

// The bytes of a save are built in pieces of this size and written as each
// is full.
constexpr std::size_t kWritePiece = 64 * 1024;
// A replaced file that looks unchanged this many saves in a row is let go:
// whoever wrote to it has stopped. One that changes is watched on.
constexpr int kQuietLooksBeforeLettingGo = 2;
// Replaced files watched at the most.
constexpr std::size_t kMostRetired = 16;

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
  // finds out and reads that file first (ReadOutsideChanges).
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
  CKnownContent known;
  std::string tail;
  CLoadedEntries loaded = ReadEntries(m_file, CFileException::generic, true, known, tail);
  m_known = std::move(known);
  m_strTail = std::move(tail);
  std::string target;
  if (ReplacedPath(m_fs, m_strFileName, target).ok()) RemoveLeftovers(m_fs, target);
  return loaded;
}

CLoadedEntries CStdioFile::ReadEntries(const CHeldFile& file, CFileException::ECause cause,
                                       bool bKeyed, CKnownContent& known, std::string& tail) {
  CLoadedEntries loaded;
  CFileStamp stamp;
  if (const CFileStatus status = file.ReadAll(loaded.buffer, stamp); !status.ok()) {
    Throw(status.As(cause));
  }
  // Moving the buffer out keeps its storage, so the views and keys stay
  // valid in the returned object.
  std::string_view kept;
  std::optional<CKeyedEntries> keyed;
  if (bKeyed) keyed = ParseKeyedEntries(loaded.buffer.View());
  if (keyed) {
    loaded.keys = std::move(keyed->keys);
    kept = keyed->tail;
  } else {
    CParsedEntries parsed = ParseEntries(loaded.buffer.View());
    loaded.entries = std::move(parsed.entries);
    kept = parsed.tail;
  }
  tail = std::string(kept);
  known.Remember(stamp, loaded.buffer.View(), !kept.empty());
  return loaded;
}

COutsideChange CStdioFile::AppendedChange(CByteBuffer&& added, bool bTail, unsigned source) {
  COutsideChange change;
  change.source = source;
  change.bAppended = true;
  change.loaded.buffer = std::move(added);
  const std::string_view bytes = change.loaded.buffer.View();
  if (bTail) {
    // After the file's own tail: all of it belongs there.
    m_strTail += bytes;
    return change;
  }
  CParsedEntries parsed = ParseEntries(bytes);
  change.loaded.entries = std::move(parsed.entries);
  m_strTail += parsed.tail;
  return change;
}

std::optional<COutsideChange> CStdioFile::ReadChange(const CHeldFile& file, CKnownContent& known,
                                                     unsigned source) {
  EFileChange kind = EFileChange::other;
  CByteBuffer added;
  if (const CFileStatus status = LookAt(file, known, kind, added); !status.ok()) {
    Throw(status.As(CFileException::unreadable));
  }
  if (kind == EFileChange::none) return std::nullopt;
  if (kind == EFileChange::appended) return AppendedChange(std::move(added), known.bTail, source);
  COutsideChange change;
  change.source = source;
  std::string tail;
  change.loaded = ReadEntries(file, CFileException::unreadable, false, known, tail);
  // The tail of the file under the name is the one a save writes; a
  // replaced file's own tail is its own.
  if (source == 0) m_strTail = std::move(tail);
  return change;
}

std::vector<COutsideChange> CStdioFile::ReadOutsideChanges() {
  m_strFullPath = FullPathOf(m_fs, m_strFileName);
  std::vector<COutsideChange> changes;
  if (!m_known) return changes;

  // The file under the name: changed in place (an append, a rewrite by an
  // editor that keeps the file), read through the file held already;
  // replaced (saved by rename), held anew, the old one let go only once the
  // new one is held, and watched from then on like a file a save replaced.
  CFileStamp named;
  const CFileStatus nameStatus = StampOfName(m_fs, m_strFileName, named);
  if (!nameStatus.ok() && nameStatus.error != ENOENT) Throw(nameStatus);
  CFileStamp held;
  const bool bHeldIsNamed = nameStatus.ok() && m_file.IsOpen() && m_file.Stamp(held).ok() &&
                            held.IsSameFile(named);
  if (bHeldIsNamed) {
    if (std::optional<COutsideChange> change = ReadChange(m_file, *m_known, 0)) {
      changes.push_back(std::move(*change));
    }
  } else if (nameStatus.ok()) {
    CHeldFile replacement;
    if (const CFileStatus status = CHeldFile::Open(m_fs, m_strFileName, false, replacement);
        !status.ok()) {
      if (status.error != ENOENT) {
        Throw(CFileStatus::Failed(CauseOfUnavailableChange(status.error), status.error));
      }
    } else {
      COutsideChange change;
      CKnownContent known;
      change.loaded = ReadEntries(replacement, CFileException::unreadable, false, known, m_strTail);
      if (m_file.IsOpen()) {
        m_retired.push_back({std::move(m_file), *m_known, ++m_nRetired, 0});
        change.retired = m_nRetired;
      }
      m_file = std::move(replacement);
      m_known = std::move(known);
      changes.push_back(std::move(change));
    }
  }

  for (CRetired& retired : m_retired) {
    std::optional<COutsideChange> change = ReadChange(retired.file, retired.known, retired.source);
    retired.nQuietLooks = change ? 0 : retired.nQuietLooks + 1;
    if (change) changes.push_back(std::move(*change));
  }
  return changes;
}

void CStdioFile::ForgetFileState() {
  if (m_known) m_known->Forget();
  for (CRetired& retired : m_retired) retired.known.Forget();
}

std::vector<unsigned> CStdioFile::WatchedSources() const {
  std::vector<unsigned> sources;
  for (const CRetired& retired : m_retired) sources.push_back(retired.source);
  return sources;
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
  if (bNamedExists && m_known && named != m_known->stamp) {
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

bool CStdioFile::AppendToNamed(const CByteBuffer& added) {
  const CFileStamp before = m_known ? m_known->stamp : CFileStamp{};
  std::int64_t end = 0;
  if (!m_file.Append(added.View(), end).ok()) return false;
  if (!m_known || before.size < 0 ||
      end != before.size + static_cast<std::int64_t>(added.size())) {
    // Another program appended too, before this: what the file holds is
    // no longer known, so the next save reads it whole.
    if (m_known) m_known->Forget();
    return true;
  }
  CFileStamp after;
  const bool bStable = m_file.Stamp(after).ok() && after.size == end;
  m_known->Grow(added.View(), bStable ? &after : nullptr);
  return true;
}

void CStdioFile::SweepRetired(CSaveResult& result) {
  for (CRetired& retired : m_retired) {
    // Only appends are taken here, where they cost a few bytes; anything
    // else waits for the next ReadOutsideChanges.
    CKnownContent known = retired.known;
    EFileChange kind = EFileChange::other;
    CByteBuffer added;
    if (!LookAt(retired.file, known, kind, added).ok() || kind != EFileChange::appended) continue;
    if (!AppendToNamed(added)) continue;
    retired.known = std::move(known);
    retired.nQuietLooks = 0;
    result.appended.push_back(AppendedChange(std::move(added), retired.known.bTail, retired.source));
  }
  // Files nobody has written to for a while are let go, the newest kept,
  // and the oldest beyond a few, so that their disk space comes back.
  std::vector<CRetired> kept;
  for (std::size_t i = 0; i < m_retired.size(); ++i) {
    const bool bNewest = i + 1 == m_retired.size();
    const bool bTooOld = m_retired.size() - i > kMostRetired;
    if (bNewest || (!bTooOld && m_retired[i].nQuietLooks < kQuietLooksBeforeLettingGo)) {
      kept.push_back(std::move(m_retired[i]));
    }
  }
  m_retired = std::move(kept);
}

CFileStatus CStdioFile::CommitSave(const CEntryRuns& entries, CSaveResult& result) {
  CFileStatus status;
  CKnownContent written;
  {
    std::string piece(kWritePiece, '\0');
    std::string end;
    WriteEntries(entries, m_strTail, piece, [&](std::string_view bytes) {
      status = m_newFile.Write(bytes);
      end += bytes;
      if (end.size() > CKnownContent::kEndBytes) end.erase(0, end.size() - CKnownContent::kEndBytes);
      return status.ok();
    });
    written.end = std::move(end);
    written.bTail = !m_strTail.empty();
  }
  if (status.ok()) status = m_newFile.Prepare();
  bool bExchanged = false;
  if (status.ok()) {
    status = m_newFile.Exchange(written.stamp, bExchanged, m_file.IsOpen() ? &m_file : nullptr);
  }
  if (status.ok() && !bExchanged) {
    // No exchange here: the last look before the rename is all there is.
    CFileStamp named;
    if (m_known && StampOfName(m_fs, m_strFileName, named).ok() && named != m_known->stamp) {
      status = CFileStatus::Failed(CFileException::changedOutside, ESTALE);
    } else {
      status = m_newFile.Rename(written.stamp, m_file);
    }
  }
  if (!status.ok()) {
    m_newFile.Abandon();
    return status;
  }

  // What the name held until the exchange: the file this object held, as it
  // last knew it or longer by an append; or anything else, which the new
  // file lacks and which is put back under the name.
  std::optional<COutsideChange> appended;
  if (bExchanged) {
    CFileStamp displaced;
    // Nothing was ever read: what the name held is replaced, as it always
    // was before a first load.
    EFileChange kind = m_known ? EFileChange::other : EFileChange::none;
    CByteBuffer added;
    CKnownContent known = m_known.value_or(CKnownContent{});
    if (m_file.IsOpen() && m_known && m_newFile.DisplacedStamp(displaced).ok() &&
        displaced.IsSameFile(m_known->stamp)) {
      if (!LookAt(m_file, known, kind, added).ok()) kind = EFileChange::other;
    }
    // What holds lines the new file lacks keeps its name until they are
    // safe, even if the program ends meanwhile.
    if (kind != EFileChange::none) m_newFile.Unmark(m_file);
    bool bKeepDisplaced = false;
    if (kind == EFileChange::other) {
      if (m_newFile.ExchangeBack().ok()) {
        // Someone may have opened the new file while it had the name: it
        // is watched like a replaced file until it is let go.
        CHeldFile outgoing;
        m_newFile.TakeOver(outgoing);
        m_retired.push_back({std::move(outgoing), written, ++m_nRetired, 0});
        return CFileStatus::Failed(CFileException::changedOutside, ESTALE);
      }
      // The names stay as the exchange left them. What the new file took
      // out keeps the new file's old name, so that it is not lost, and the
      // file held so far is read whole at the next save.
      bKeepDisplaced = true;
      if (m_known) m_known->Forget();
    }
    if (kind == EFileChange::appended) {
      m_known = known;
      appended = COutsideChange{};
      appended->loaded.buffer = std::move(added);
    } else if (!bKeepDisplaced) {
      m_newFile.RemoveDisplaced();
    }
  }

  // The new file is the entry file now. The old one is watched, for a
  // program that still writes to it through a descriptor it opened before.
  if (m_file.IsOpen() && m_known) {
    m_retired.push_back({std::move(m_file), *m_known, ++m_nRetired, 0});
    result.retired = m_nRetired;
  }
  m_newFile.TakeOver(m_file);
  m_known = written;
  ++m_nSaves;
  if (appended) {
    CRetired& old = m_retired.back();
    if (AppendToNamed(appended->loaded.buffer)) {
      result.appended.push_back(
          AppendedChange(std::move(appended->loaded.buffer), old.known.bTail, old.source));
      m_newFile.RemoveDisplaced();
    } else {
      // Not in the new file: the next save reads it from the old one, which
      // keeps its name meanwhile.
      old.known.Forget();
    }
  }
  SweepRetired(result);
  // Without this the rename itself may be lost in a crash. The save is done
  // either way, but its success cannot be promised, so a failure is
  // reported.
  return m_newFile.SyncDirectory();
}

void CStdioFile::Close() {
  const EState state = std::exchange(m_eState, EState::closed);
  if (state == EState::writing) {
    CSaveResult result;
    if (const CFileStatus status = CommitSave(kNoEntries, result); !status.ok()) Throw(status);
    return;
  }
  // A failed opening for writing is told once, by the Close that follows
  // it, so that the next save starts afresh from a closed file.
  if (std::optional<CFileStatus> failed = std::exchange(m_failedOpening, std::nullopt)) {
    Throw(*failed);
  }
}

void CStdioFile::WriteAll(const CEntryRuns& entries, CSaveResult& result) {
  result = CSaveResult{};
  if (!OpenForWriting()) {
    Close();
    return;
  }
  m_eState = EState::closed;
  CFileStatus status;
  try {
    status = CommitSave(entries, result);
  } catch (...) {
    // Whatever stopped the entries (memory running out in the caller, say)
    // leaves a list cut short: it must never become the file.
    m_newFile.Abandon();
    throw;
  }
  if (!status.ok()) Throw(status);
}

}  // namespace velunar

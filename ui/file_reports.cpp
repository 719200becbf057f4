#include "ui/file_reports.h"

#include "res/texts/main_window_texts.h"
#include "store/file/file_error.h"
#include "ui/text_format.h"

namespace velunar {

namespace {

// The cause of a failed read (`bReading`) or write, as the second line of
// its report says it.
std::string CauseOf(int osError, bool bReading) {
  switch (ProblemOf(osError)) {
    case EOsProblem::diskFull:
      return texts::kCauseDiskFull;
    case EOsProblem::readOnly:
      return texts::kCauseReadOnly;
    case EOsProblem::noPermission:
      return bReading ? texts::kCauseNoReadPermission : texts::kCauseNoWritePermission;
    case EOsProblem::ioError:
      return texts::kCauseIoError;
    case EOsProblem::missing:
      return texts::kCauseMissing;
    default:
      return FormatText(texts::kCauseOther, {ErrnoName(osError)});
  }
}

}  // namespace

std::string FileErrorReport(const CFileException& e) {
  const char* text = texts::kReadFailed;
  bool bCause = true;  // whether the system's error says more than the text
  bool bReading = false;
  switch (e.m_cause) {
    case CFileException::generic:
      bReading = true;
      break;
    case CFileException::diskFull:
      text = texts::kWriteFailed;
      break;
    case CFileException::notOpenedForWriting:
      text = texts::kNotOpenedForWriting;
      break;
    case CFileException::heldByAnotherCopy:
      text = texts::kReplacedAndHeld;
      bCause = false;
      break;
    case CFileException::lockedByAnotherProgram:
      text = texts::kLockedByAnotherProgram;
      bCause = false;
      break;
    case CFileException::notRegularFile:
      text = texts::kNoLongerRegularFile;
      bCause = false;
      break;
    case CFileException::unreadable:
      text = texts::kChangedUnreadable;
      bReading = true;
      break;
    case CFileException::changedOutside:
      text = texts::kChangedWhileSaving;
      bCause = false;
      break;
  }
  std::string report = FormatText(text, {e.m_strFileName});
  if (bCause && e.m_lOsError != 0) {
    report += '\n';
    report += FormatText(texts::kCauseLine, {CauseOf(e.m_lOsError, bReading)});
  }
  return report;
}

std::string FileUnavailableReport(const CFileUnavailableException& e) {
  const std::string& path = e.m_strFileName;
  const EOsProblem problem = ProblemOf(e.m_lOsError);
  if (problem == EOsProblem::heldByAnotherCopy) return FormatText(texts::kFileInUse, {path});
  const std::string other = FormatText(texts::kCauseOther, {ErrnoName(e.m_lOsError)});
  if (e.m_bMissing) {
    std::string reason = other;
    if (problem == EOsProblem::noPermission) reason = texts::kReasonNoFolderPermission;
    if (problem == EOsProblem::readOnly) reason = texts::kReasonReadOnlyFolder;
    if (problem == EOsProblem::missing) reason = texts::kReasonNoFolder;
    if (problem == EOsProblem::diskFull) reason = texts::kCauseDiskFull;
    return FormatText(texts::kFileCannotBeCreated, {path, reason});
  }
  std::string reason = other;
  if (problem == EOsProblem::directory) reason = texts::kReasonDirectory;
  if (problem == EOsProblem::notRegularFile) reason = texts::kReasonNotRegularFile;
  if (problem == EOsProblem::noPermission) reason = texts::kReasonNoPermission;
  if (problem == EOsProblem::lockedByAnotherProgram) reason = texts::kReasonLockedByAnotherProgram;
  if (problem == EOsProblem::ioError) reason = texts::kCauseIoError;
  return FormatText(texts::kFileUnreadable, {path, reason});
}

}  // namespace velunar

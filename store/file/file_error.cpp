#include "store/file/file_error.h"

#include <cerrno>
#include <utility>

namespace velunar {

CFileException::CFileException(ECause cause, int osError, std::string fullPath)
    : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fullPath)) {
  m_strWhat = "entry file error " + std::to_string(static_cast<int>(m_cause)) + " (" +
              ErrnoName(m_lOsError) + ") at " + m_strFileName;
}

CFileUnavailableException::CFileUnavailableException(int osError, bool bMissing,
                                                     std::string fullPath)
    : m_lOsError(osError), m_bMissing(bMissing), m_strFileName(std::move(fullPath)) {
  m_strWhat = "entry file unavailable (" + ErrnoName(m_lOsError) + ") at " + m_strFileName;
}

bool CFileUnavailableException::IsHeldByAnotherCopy() const {
  return ProblemOf(m_lOsError) == EOsProblem::heldByAnotherCopy;
}

EOsProblem ProblemOf(int osError) {
  switch (osError) {
    case 0:
      return EOsProblem::none;
    case ENOENT:
      return EOsProblem::missing;
    case EWOULDBLOCK:
      return EOsProblem::heldByAnotherCopy;
    case EBUSY:
      return EOsProblem::lockedByAnotherProgram;
    case EISDIR:
      return EOsProblem::directory;
    case ENODEV:
      return EOsProblem::notRegularFile;
    case EACCES:
    case EPERM:
      return EOsProblem::noPermission;
    case EROFS:
      return EOsProblem::readOnly;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return EOsProblem::diskFull;
    case EIO:
      return EOsProblem::ioError;
    default:
      return EOsProblem::other;
  }
}

CFileException::ECause CauseOfUnavailableChange(int osError) {
  switch (ProblemOf(osError)) {
    case EOsProblem::heldByAnotherCopy:
      return CFileException::heldByAnotherCopy;
    case EOsProblem::lockedByAnotherProgram:
      return CFileException::lockedByAnotherProgram;
    case EOsProblem::directory:
    case EOsProblem::notRegularFile:
      return CFileException::notRegularFile;
    default:
      return CFileException::unreadable;
  }
}

std::string ErrnoName(int osError) {
  struct CName {
    int error;
    const char* name;
  };
  // The errors a file's opening, reading, writing, syncing and renaming
  // report; the rest are rare enough to go by number.
  static constexpr CName kNames[] = {
      {EPERM, "EPERM"},     {ENOENT, "ENOENT"},   {EINTR, "EINTR"},   {EIO, "EIO"},
      {ENXIO, "ENXIO"},     {EBADF, "EBADF"},     {EAGAIN, "EAGAIN"}, {ENOMEM, "ENOMEM"},
      {EACCES, "EACCES"},   {EFAULT, "EFAULT"},   {EBUSY, "EBUSY"},   {EEXIST, "EEXIST"},
      {EXDEV, "EXDEV"},     {ENODEV, "ENODEV"},   {ENOTDIR, "ENOTDIR"}, {EISDIR, "EISDIR"},
      {EINVAL, "EINVAL"},   {ENFILE, "ENFILE"},   {EMFILE, "EMFILE"}, {ETXTBSY, "ETXTBSY"},
      {EFBIG, "EFBIG"},     {ENOSPC, "ENOSPC"},   {ESPIPE, "ESPIPE"}, {EROFS, "EROFS"},
      {EMLINK, "EMLINK"},   {ENAMETOOLONG, "ENAMETOOLONG"},         {ENOLCK, "ENOLCK"},
      {ENOSYS, "ENOSYS"},   {ELOOP, "ELOOP"},     {ENOTSUP, "ENOTSUP"},
#ifdef EDQUOT
      {EDQUOT, "EDQUOT"},
#endif
#ifdef ESTALE
      {ESTALE, "ESTALE"},
#endif
  };
  for (const CName& entry : kNames) {
    if (entry.error == osError) return entry.name;
  }
  return "errno " + std::to_string(osError);
}

}  // namespace velunar

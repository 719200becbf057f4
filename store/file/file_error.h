// Failures of the entry file: the status the file layer's pieces hand each
// other, the exceptions by which the entry file tells the window, and the
// one reading of an operating-system error for the reports.
//
// Inside the file layer every step that can fail returns a CFileStatus
// (what failed, and the errno of the failure); only CStdioFile's public
// operations throw, at the boundary to the window. Errors are errno values
// on every system: a system whose calls report errors otherwise translates
// them where it makes the call.
#ifndef VELUNAR_STORE_FILE_FILE_ERROR_H_
#define VELUNAR_STORE_FILE_FILE_ERROR_H_

#include <exception>
#include <string>

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

  // "<cause> <errno name> <path>": for logs and debuggers. What the user
  // reads is made by the window from res/texts/.
  const char* what() const noexcept override { return m_strWhat.c_str(); }

  ECause m_cause;
  int m_lOsError;             // errno at the failure
  std::string m_strFileName;  // full path of the entry file (UTF-8)

 private:
  std::string m_strWhat;
};

// Load found no file it could open: the entry file is held by another copy
// of the program, is a directory, cannot be read, or is missing and cannot
// be created. Nothing was loaded, and the caller must not write the file.
// m_lOsError tells why (see ProblemOf); m_bMissing is set when there was no
// file and creating one failed.
class CFileUnavailableException : public std::exception {
 public:
  CFileUnavailableException(int osError, bool bMissing, std::string fullPath);
  bool IsHeldByAnotherCopy() const;
  const char* what() const noexcept override { return m_strWhat.c_str(); }

  int m_lOsError;
  bool m_bMissing;
  std::string m_strFileName;

 private:
  std::string m_strWhat;
};

// The outcome of one step of the file layer: ok, or what failed and why.
struct CFileStatus {
  CFileException::ECause cause = CFileException::generic;
  int error = 0;  // errno; 0 means ok

  static CFileStatus Ok() { return {}; }
  static CFileStatus Failed(CFileException::ECause cause, int error) { return {cause, error}; }
  bool ok() const { return error == 0; }
  // The same failure reported as `other`; ok stays ok.
  CFileStatus As(CFileException::ECause other) const { return {other, error}; }
};

// What an operating-system error means to the person reading a report.
// The one mapping of errno values in the program: the entry file's causes
// and the window's reports both come from it.
enum class EOsProblem {
  none,
  missing,                 // ENOENT
  heldByAnotherCopy,       // EWOULDBLOCK: another copy of the program holds the file
  lockedByAnotherProgram,  // EBUSY: another program's fcntl or lockf lock
  directory,               // EISDIR
  notRegularFile,          // ENODEV: a FIFO, a device, a socket
  noPermission,            // EACCES, EPERM
  readOnly,                // EROFS
  diskFull,                // ENOSPC, EDQUOT
  ioError,                 // EIO
  other,
};
EOsProblem ProblemOf(int osError);

// The cause a save reports when the file another program put under the
// name cannot be had: held, locked, no regular file, or unreadable.
CFileException::ECause CauseOfUnavailableChange(int osError);

// The symbolic name of an errno value ("ENOSPC"), or "errno <n>" for one
// this table does not know.
std::string ErrnoName(int osError);

}  // namespace velunar

#endif  // VELUNAR_STORE_FILE_FILE_ERROR_H_

// The held file: the entry file opened for reading with exclusive access,
// so that no other copy of the program can have it while this one does.
//
// How exclusive access is had is the system's: on Linux a flock(2) lock on
// the open file description, taken by every opening, with an open file
// description read lock (fcntl F_OFD_SETLK) beside it that programs locking
// with fcntl or lockf see (posix/held_file.cpp). Either belongs to the open
// file, not to the process, so a second CHeldFile in this very process is
// shut out like a second copy of the program. Other programs that ignore
// locks can still change the file; the change stamp (file_stamp.h) tells.
//
// Move-only: one object owns the open file and its lock. Closing it lets go
// of both.
#ifndef VELUNAR_STORE_FILE_HELD_FILE_H_
#define VELUNAR_STORE_FILE_HELD_FILE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/fast/byte_buffer.h"
#include "store/file/file_error.h"
#include "store/file/file_stamp.h"

namespace velunar {

class IFileSystem;
class CNewFile;

class CHeldFile {
 public:
  CHeldFile() = default;
  CHeldFile(CHeldFile&& other) noexcept;
  CHeldFile& operator=(CHeldFile&& other) noexcept;
  CHeldFile(const CHeldFile&) = delete;
  CHeldFile& operator=(const CHeldFile&) = delete;
  ~CHeldFile() { Close(); }

  // Opens the file `name` leads to and takes exclusive access, then makes
  // sure the name still leads to that file (another copy's save may have
  // put a new one there meanwhile; then it starts again with that one).
  // When the file is missing and `create` is set, creates it empty, never
  // replacing a file that appeared meanwhile. Fails, leaving `out` as it
  // was, with ENOENT (missing, not created), EWOULDBLOCK (another copy of
  // the program holds it), EBUSY (another program's lock), EISDIR or
  // ENODEV (no regular file) or the system's error; `bCreating` then tells
  // whether the failure came while creating a missing file.
  static CFileStatus Open(IFileSystem& fs, const std::string& name, bool create, CHeldFile& out,
                          bool* bCreating = nullptr);

  bool IsOpen() const { return m_hFile != -1; }

  // The file's stamp as it is now.
  CFileStatus Stamp(CFileStamp& stamp) const;

  // Reads the whole file from its start into `buffer`, reusing its storage
  // when it is large enough, and gives the stamp of what was read. A file
  // another program changes during the read is read again; should it never
  // hold still, `stamp` is left unknown (CFileStamp{}), so that the file
  // counts as changed at the next look. Throws std::bad_alloc.
  CFileStatus ReadAll(CByteBuffer& buffer, CFileStamp& stamp) const;

  // Reads the bytes from offset `from` to the end of the file into
  // `buffer`. Throws std::bad_alloc.
  CFileStatus ReadFrom(std::int64_t from, CByteBuffer& buffer) const;

  // Appends `bytes` at the end of the file, wherever other programs'
  // appends have put it meanwhile, and syncs them to the disk. `end` is the
  // offset right after them. Fails with CFileException::diskFull.
  CFileStatus Append(std::string_view bytes, std::int64_t& end) const;

  // True when `name` leads to this very file.
  bool IsUnderName(const std::string& name) const;

  // Whether a save may replace the file under `name`: fails with EACCES
  // when the file is read-only (no write permission at all, even for a
  // user whom the system would let write it), or with the system's answer
  // when this user may not write it.
  CFileStatus CheckWritable(const std::string& name) const;

  // Lets go of the file and its lock. Never fails.
  void Close() noexcept;

 private:
  friend class CNewFile;  // a committed new file becomes the held one

  // Reads grow the buffer by at least this much when the file is longer
  // than it was.
  static constexpr std::size_t kReadChunkSize = 64 * 1024;

  // Each system's own read: from offset `from` to the end of the file into
  // `buffer`, growing its storage as needed. Throws std::bad_alloc.
  CFileStatus ReadToEnd(std::int64_t from, CByteBuffer& buffer) const;

  IFileSystem* m_pFs = nullptr;
  std::intptr_t m_hFile = -1;  // the system's descriptor or handle
};

// The stamp of the file `name` leads to. Fails with ENOENT when there is
// none, and with EISDIR or ENODEV when it is no regular file.
CFileStatus StampOfName(IFileSystem& fs, const std::string& name, CFileStamp& stamp);

}  // namespace velunar

#endif  // VELUNAR_STORE_FILE_HELD_FILE_H_

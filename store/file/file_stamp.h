// The change stamp: what tells one state of a file from another, and the
// one rule by which the entry file decides that a file has changed.
//
// A stamp names the file (device and file number) and its state (size and
// time of the last change of its content). Two stamps are the same state of
// the same file when all four agree. The time of the last change of the
// file's attributes is left out: the program's own rename of a saved file
// changes it, and a change of permissions alone changes no entry.
//
// The times come from the file system's clock, which on Linux ticks in
// milliseconds: a rewrite that keeps the size within one tick of the last
// read is not seen. Every append changes the size, and is.
#ifndef VELUNAR_STORE_FILE_FILE_STAMP_H_
#define VELUNAR_STORE_FILE_FILE_STAMP_H_

#include <cstdint>

namespace velunar {

struct CFileStamp {
  std::uint64_t device = 0;
  std::uint64_t file = 0;  // the file's number on its device (inode)
  std::int64_t size = -1;
  std::int64_t modified = 0;  // nanoseconds since the epoch

  // The same file, whatever its state.
  bool IsSameFile(const CFileStamp& other) const {
    return device == other.device && file == other.file;
  }
  // The same file in the same state: the file has not changed.
  bool operator==(const CFileStamp& other) const = default;
};

}  // namespace velunar

#endif  // VELUNAR_STORE_FILE_FILE_STAMP_H_

// Watching a file this program read or wrote for what another program does
// to it afterwards: nothing, an append, or anything else.
//
// Shells and loggers add lines to a file by appending (>>), some through a
// descriptor they opened long before. Such an append is told apart from a
// rewrite by the file's stamp and its last bytes: the same file, longer,
// with the bytes that ended it still in their place. Only the added bytes
// are read then, and the lines they hold are plainly new entries.
#ifndef VELUNAR_STORE_FILE_FILE_WATCH_H_
#define VELUNAR_STORE_FILE_FILE_WATCH_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "store/fast/byte_buffer.h"
#include "store/file/file_error.h"
#include "store/file/file_stamp.h"
#include "store/file/held_file.h"

namespace velunar {

// What a file held when this program last read or wrote it: its stamp and
// its last bytes. The stamp is unknown (size -1) when the program could not
// tell; the file then counts as rewritten at the next look.
struct CKnownContent {
  static constexpr std::size_t kEndBytes = 4096;

  CFileStamp stamp;
  std::string end;     // the last bytes, up to kEndBytes
  bool bTail = false;  // its entries ended before its end (an empty line or 0x1A)

  // The file's whole content `bytes` in the state `stamp`.
  void Remember(const CFileStamp& state, std::string_view bytes, bool bHasTail);
  // The same content with `added` appended; `state` is the file's stamp
  // after the append when it was taken right after it, else the stamp is
  // kept as far as it is known (the size), so that the next look reads
  // what came after.
  void Grow(std::string_view added, const CFileStamp* state);
  void Forget() { stamp = CFileStamp{}; }
};

enum class EFileChange {
  none,      // the file is as it was
  appended,  // bytes were added at its end; the rest is as it was
  other,     // anything else, or the content was not known
};

// Looks at `file` against `known`. For an append, `added` holds the added
// bytes, and `known` is grown by them (so a later look starts from there);
// for anything else `known` is left as it was. Fails when the file cannot
// be looked at or read. Throws std::bad_alloc.
CFileStatus LookAt(const CHeldFile& file, CKnownContent& known, EFileChange& change,
                   CByteBuffer& added);

}  // namespace velunar

#endif  // VELUNAR_STORE_FILE_FILE_WATCH_H_

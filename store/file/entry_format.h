// The byte format of the entry file: one entry per line, bytes of
// Windows-1251 passed through unchanged, the list ending at the first empty
// line.
//
// Reading, in one pass from the start:
//  - a line ends at LF; CR LF is one line end and its CR is not part of the
//    line; a CR not followed by LF is an ordinary byte;
//  - a byte 0x1A ends the file: the bytes before it on its line form a last
//    line, and neither it nor anything after it is an entry;
//  - bytes after the last line end form a last line;
//  - lines have no length limit; NUL, TAB, spaces, bytes 0x80-0xFF and a
//    byte-order mark are ordinary bytes of the line;
//  - the entries end at the first line that is empty once its line end is
//    removed, or at the end of the file.
// So an entry is never empty and never holds LF or 0x1A.
//
// The bytes the entries do not take, the kept tail, run from the start of the
// first empty line (its line end included) or from the first 0x1A, whichever
// comes first, to the end of the file. A save writes them back unchanged
// after the entries, so nothing of the file is lost, and a file whose entries
// are in list order with CR LF line ends is written back byte for byte.
//
// Writing: each entry followed by CR LF; the only translation of a text
// being written is LF to CR LF.
#ifndef VELUNAR_STORE_FILE_ENTRY_FORMAT_H_
#define VELUNAR_STORE_FILE_ENTRY_FORMAT_H_

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/lists/entry_sequence.h"
#include "store/fast/list_order_sort.h"
#include "store/fast/scan_path.h"

namespace velunar {

struct CParsedEntries {
  // The entries in file order; each a view into the parsed bytes.
  std::vector<std::string_view> entries;
  // The kept tail; a view into the parsed bytes, empty when the entries run
  // to the end of the file.
  std::string_view tail;
};

// Splits the bytes of an entry file into its entries and its kept tail,
// looking for line ends along `path` (every path gives the same result).
// The views stay valid as long as `bytes` does. Never fails on any input;
// throws std::bad_alloc when the list of entries cannot grow.
CParsedEntries ParseEntries(std::string_view bytes, EScanPath path = FastestScanPath());

// The entries as the load's sort takes them: for each, in file order, a
// key made by FirstSortKey, whose place is the entry's offset in the
// bytes. The same split as ParseEntries, without a list of views between
// the split and the sort.
struct CKeyedEntries {
  std::vector<CSortKey> keys;
  std::string_view tail;
};

// Splits as ParseEntries does, into keys; nothing when the bytes are too
// many for 32-bit offsets (4 GiB). Throws std::bad_alloc.
std::optional<CKeyedEntries> ParseKeyedEntries(std::string_view bytes,
                                               EScanPath path = FastestScanPath());

// Appends `text` to `out` with every LF written as CR LF; every other byte,
// CR included, unchanged.
void AppendWithCrLf(std::string_view text, std::string& out);

// The bytes a save writes: each entry (REQUIRES: none holds LF) followed by
// CR LF, in the order given, then `tail`.
std::string FormatEntries(std::span<const std::string_view> entries, std::string_view tail);

// The bytes a save writes for `items`, in their order: each entry followed
// by CR LF, a line feed inside an entry written as CR LF (as WriteText
// does), then `tail`. One pass that sizes the output and one that copies,
// with no call and no growth per entry. Throws std::bad_alloc.
std::string FormatSequence(const CEntrySequence& items, std::string_view tail);

// The same bytes as FormatSequence(items, ""), handed to `write` piece by
// piece as they are built in `piece`: every piece but the last fills it
// whole, and the last is never empty. Nothing the size of the file is
// allocated, so a save neither needs that memory nor pays for its first
// touch. Stops, returning false, as soon as `write` returns false; true
// when every byte was written. REQUIRES: !piece.empty(). Never throws unless
// `write` does.
bool WriteSequence(const CEntrySequence& items, std::span<char> piece,
                   const std::function<bool(std::string_view)>& write);

}  // namespace velunar

#endif  // VELUNAR_STORE_FILE_ENTRY_FORMAT_H_

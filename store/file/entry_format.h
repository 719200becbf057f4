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
// Writing: each entry followed by CR LF, then the kept tail; the only
// translation of an entry being written is LF to CR LF.
#ifndef VELUNAR_STORE_FILE_ENTRY_FORMAT_H_
#define VELUNAR_STORE_FILE_ENTRY_FORMAT_H_

#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

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
// bytes. The same split as ParseEntries, with no list of views between the
// split and the sort, and each line keyed while it is still in the cache.
struct CKeyedEntries {
  std::vector<CSortKey> keys;
  std::string_view tail;
};

// Splits as ParseEntries does, into keys; nothing when the bytes are too
// many for 32-bit offsets (4 GiB). Throws std::bad_alloc.
std::optional<CKeyedEntries> ParseKeyedEntries(std::string_view bytes,
                                               EScanPath path = FastestScanPath());

// The entries a save writes, in order, handed over in runs: a run is
// entries whose views lie together in memory, so that the writer can ask
// for the texts a few entries ahead. Whoever holds the entries (the lists)
// calls the visitor once per run.
using CEntryRun = std::span<const std::string_view>;
using CEntryRuns = std::function<void(const std::function<void(CEntryRun)>&)>;

// The one writer of the format: the bytes of `entries`, each followed by
// CR LF (a line feed inside an entry written as CR LF), then `tail`, handed
// to `write` piece by piece as they are built in `piece`. Every piece but
// the last fills it whole, and none is empty, so nothing the size of the
// file is allocated. Stops at the first `write` that returns false and
// returns false; true when every byte was written. REQUIRES: !piece.empty().
// Throws only what `entries` and `write` throw.
bool WriteEntries(const CEntryRuns& entries, std::string_view tail, std::span<char> piece,
                  const std::function<bool(std::string_view)>& write);

}  // namespace velunar

#endif  // VELUNAR_STORE_FILE_ENTRY_FORMAT_H_

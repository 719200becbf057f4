// Merging another program's change to the entry file with the window's.
//
// While the window is open, another program may change the file (an editor,
// a script that appends a line). A save then must not simply replace it.
// The three versions are compared as multisets of exact byte strings:
//  - base: the entries the file held when the program last read or wrote it;
//  - mine: the entries the program holds now;
//  - theirs: the entries the file holds now.
// The merge keeps every entry of theirs, adds what the program added since
// the base and takes away what it removed (where it is still there), entry
// for entry: an entry of count b in base, m in mine and t in theirs comes
// out max(0, t + m - b) times. So nothing either side added is lost, and an
// entry both sides changed survives in both versions.
#ifndef VELUNAR_STORE_LISTS_ENTRY_MERGE_H_
#define VELUNAR_STORE_LISTS_ENTRY_MERGE_H_

#include <cstddef>
#include <string_view>
#include <vector>

#include "store/lists/entry_sequence.h"

namespace velunar {

// How a merge treats the entries another program removed that the program
// still holds: by the rule they go; keeping mine, they stay (the user was
// asked, and said no to losing them). Keeping mine, an entry comes out
// max(m, t + m - b) times.
enum class EMerge { byTheRule, keepingMine };

// The merged entries: those of `theirs` that stay, in their order, then
// those of `mine` that the merge adds, in the order of `mine`. The views
// point where the arguments' do. Throws std::bad_alloc.
std::vector<std::string_view> MergeEntries(const CEntrySequence& base, const CEntrySequence& mine,
                                           const std::vector<std::string_view>& theirs,
                                           EMerge mode = EMerge::byTheRule);

// How many entries of `mine` the merge by the rule takes out: min(m, b - t)
// of each entry that the other program removed. Throws std::bad_alloc.
std::size_t CountRemovedByMerge(const CEntrySequence& base, const CEntrySequence& mine,
                                const std::vector<std::string_view>& theirs);

// True when `a` and `b` hold the same entries the same number of times,
// in whatever order. Throws std::bad_alloc.
bool SameEntries(const CEntrySequence& a, const CEntrySequence& b);

}  // namespace velunar

#endif  // VELUNAR_STORE_LISTS_ENTRY_MERGE_H_

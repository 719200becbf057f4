// What the files of the entry file hold as far as the program knows, and
// the merge of other programs' changes to them into the master list.
//
// Besides the file under the name, the entry file watches every file a
// save replaced (file/entry_file.h), for a program that still writes to
// it. What each held when the program last read or wrote it is the base of
// the three-way merge (entry_merge.h) of whatever another program does to
// it. The bases share their text with the lists: they cost a few pointers
// per entry, and less where they share chunks with the master list.
#ifndef VELUNAR_STORE_LISTS_FILE_ENTRIES_H_
#define VELUNAR_STORE_LISTS_FILE_ENTRIES_H_

#include <cstddef>
#include <initializer_list>
#include <map>
#include <vector>

#include "store/file/entry_file.h"
#include "store/lists/entry_merge.h"
#include "store/lists/entry_sequence.h"
#include "store/lists/master_list.h"

namespace velunar {

class CFileEntries {
 public:
  // What the file under the name holds: after a load.
  void SetNamed(const CEntrySequence& items) { m_bases[0] = items; }
  const CEntrySequence& Named() const { return m_bases.at(0); }

  // How many entries of `mine` merging `changes` by the rule would take
  // out: those other programs removed that the program still holds.
  // Throws std::bad_alloc.
  std::size_t CountRemoved(const CEntrySequence& mine,
                           const std::vector<COutsideChange>& changes) const;

  // Merges `changes` into `master`, in their order (`mode`: see EMerge),
  // and makes what each file holds the base of its next merge. The bytes
  // of the changes are adopted into the master list's pool. Throws
  // std::bad_alloc, leaving everything as it was.
  void Merge(CMasterList& master, std::vector<COutsideChange>&& changes, EMerge mode);

  // After a save that wrote `written`: the file under the name holds it;
  // the file the save replaced goes on under `result.retired` with what it
  // held; the lines other programs appended, which the save put into the
  // file too, are added to `master` and to the bases of both files. Throws
  // std::bad_alloc.
  void Saved(CMasterList& master, const CEntrySequence& written, CSaveResult&& result);

  // Lets go of the bases of replaced files no longer watched.
  void Keep(const std::vector<unsigned>& watched);

 private:
  // Adds the appended entries of `change`, adopted into `master`'s pool,
  // to `master` and to the base of each of `sources`.
  void AddAppended(CMasterList& master, COutsideChange& change,
                   std::initializer_list<unsigned> sources);

  std::map<unsigned, CEntrySequence> m_bases;  // 0: the file under the name
};

}  // namespace velunar

#endif  // VELUNAR_STORE_LISTS_FILE_ENTRIES_H_

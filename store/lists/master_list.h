// The master list: every entry the user keeps, also those a search hides.
//
// The master list is only ever looked at through a few operations: it is
// searched for an exactly equal text, appended to, has its first exactly
// equal element removed, is counted, and is poured into the view list (whole
// or filtered) in its own order, where the view list sorts what arrives and
// keeps texts that sort together in arrival order. None of that can tell the
// list apart from its stable sort in list order, which is how it is held
// here: appending puts a text after every element it sorts together with,
// and the first exactly equal element is the first one in its group. So
// pouring it into the view needs no sort at all (list_exchange.h), and
// after an edit in the "all" view the master list and the view list share
// one sequence.
#ifndef VELUNAR_STORE_LISTS_MASTER_LIST_H_
#define VELUNAR_STORE_LISTS_MASTER_LIST_H_

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "store/lists/entry_sequence.h"
#include "store/fast/list_order_sort.h"
#include "store/lists/text_pool.h"

namespace velunar {

class CMasterList {
 public:
  explicit CMasterList(std::shared_ptr<CTextPool> texts);

  int GetSize() const { return m_items.Count(); }

  // Append: adds a copy of `text` as the last element. Throws std::bad_alloc
  // (nothing changes then).
  void Add(std::string_view text);
  // The same append of a text kept already, which is not copied again: the
  // item a view list sharing this list's pool has just added, say.
  // REQUIRES: `kept` lives as long as this list's pool.
  void AddKept(std::string_view kept);

  // Takes the entries of a loaded file, in file order, with the buffer their
  // bytes live in, and appends them as Add would one by one.
  void AddLoaded(CByteBuffer&& buffer, const std::vector<std::string_view>& entries);
  // The same, with the entries as the keys ParseKeyedEntries made of
  // `buffer` (CStdioFile::Load): sorted where they are, with no list of
  // views between the split and the sort. `keys` is left empty.
  void AddLoaded(CByteBuffer&& buffer, std::vector<CSortKey>&& keys);

  // Remove first equal: removes the first element exactly equal to `text`;
  // returns false, changing nothing, when there is none.
  bool RemoveFirstEqual(std::string_view text);

  // True when some element is exactly equal to `text` (Add's duplicate test).
  bool ContainsEqual(std::string_view text) const;

  // The elements become `items`, in their order. Constant time. REQUIRES:
  // `items` in list order, every text in this list's pool.
  void SetItems(const CEntrySequence& items) { m_items = items; }

  // The elements, in the order in which the view list receives them.
  const CEntrySequence& Items() const { return m_items; }
  const std::shared_ptr<CTextPool>& Texts() const { return m_pTexts; }

 private:
  // The index of the first element exactly equal to `text`, or -1.
  int FindFirstEqual(std::string_view text) const;
  // Into an empty list: the texts `keys` place in `buffer`, sorted.
  void AddSortedKeys(CByteBuffer&& buffer, std::vector<CSortKey>&& keys);

  std::shared_ptr<CTextPool> m_pTexts;
  CEntrySequence m_items;
};

}  // namespace velunar

#endif  // VELUNAR_STORE_LISTS_MASTER_LIST_H_

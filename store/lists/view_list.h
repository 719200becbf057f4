// The view list: the entries the list in the window shows, in list order
// (text_rules.h), with at most one selected item.
//
// The operations are those of a sorted list box: add at the sorted place,
// delete at an index, reset, count, item text, select, current selection
// and find-prefix. Items are addressed by a zero-based index; -1 stands for
// no item. The items are references into the text pool the list was made
// with; they stay valid while that pool lives.
//
// The view list knows nothing of the master list: list_exchange.h fills it
// from there, by handing over whole sequences (entry_sequence.h).
#ifndef VELUNAR_STORE_LISTS_VIEW_LIST_H_
#define VELUNAR_STORE_LISTS_VIEW_LIST_H_

#include <memory>
#include <string>
#include <string_view>

#include "store/lists/entry_sequence.h"
#include "store/lists/text_pool.h"

namespace velunar {

class CViewList {
 public:
  explicit CViewList(std::shared_ptr<CTextPool> texts);

  // Inserts a copy of `text` after every item that sorts together with it
  // and returns its index. Throws std::bad_alloc (nothing changes then).
  int AddString(std::string_view text);

  // Removes item `i`; later items move up by one. Returns the new count, or
  // -1 when `i` names no item (then nothing changes). The selection follows
  // its item: it moves up with it, and is cleared when its item goes.
  int DeleteString(int i);

  int GetCount() const { return m_items.Count(); }

  // Sets `target` to the text of item `i` and returns true; when `i` names no
  // item, leaves `target` as it was and returns false.
  bool GetText(int i, std::string& target) const;
  // REQUIRES: 0 <= i < GetCount().
  std::string_view TextAt(int i) const { return m_items.At(i); }

  // Selects item `i`. -1, or any index that names no item, leaves no item
  // selected. Returns the selected index (-1 for none).
  int SetCurSel(int i);
  int GetCurSel() const { return m_nCurSel; }

  // The first item, in the order start+1, ..., last, 0, ..., start, whose
  // text begins with `prefix` ignoring letter case; -1 when none does or the
  // list is empty. A `start` of -1 (or any index that names no item) searches
  // from item 0 on.
  int FindString(int start, std::string_view prefix) const;

  // The first item, in the same order as FindString, whose text is exactly
  // `text` (bytes, letter case included); -1 when none is.
  int FindEqual(int start, std::string_view text) const;

  // The items become `items`, in their order, and nothing is selected.
  // Constant time. REQUIRES: `items` in list order, every text in this
  // list's pool.
  void SetItems(const CEntrySequence& items);

  const CEntrySequence& Items() const { return m_items; }

 private:
  std::shared_ptr<CTextPool> m_pTexts;
  CEntrySequence m_items;
  int m_nCurSel = -1;
};

}  // namespace velunar

#endif  // VELUNAR_STORE_LISTS_VIEW_LIST_H_

// What passes between the master list and the view list: the view filled
// from the master list, whole (Show all) or through a query (Find), and the
// master list rebuilt from the view after an edit in the "all" view. The
// two list files know nothing of each other; this file knows both.
//
// Whole sequences are handed over (entry_sequence.h), so that a refill and
// a rebuild take constant time and leave the two lists sharing one
// sequence. REQUIRES of every function: both lists made with one text pool.
#ifndef VELUNAR_STORE_LISTS_LIST_EXCHANGE_H_
#define VELUNAR_STORE_LISTS_LIST_EXCHANGE_H_

#include "store/lists/master_list.h"
#include "store/text/text_rules.h"
#include "store/lists/view_list.h"

namespace velunar {

// Refill the view: its items become every master-list entry, in list order,
// and nothing is selected. Returns whether the items changed. They stay, and
// only the selection goes, when the view holds the master list's own items
// from the last refill or rebuild with no edit on either side since; items
// that are equal but were arrived at apart count as changed (they are not
// compared). `beforeChange()` is called just before the items change, and
// only when they do: there a model over the view announces its reset.
// Constant time; throws only what `beforeChange` throws, and then changes
// nothing.
template <class BeforeChange>
bool RefillView(CViewList& view, const CMasterList& master, BeforeChange&& beforeChange) {
  if (view.Items().SharesWith(master.Items())) {
    view.SetCurSel(-1);
    return false;
  }
  beforeChange();
  view.SetItems(master.Items());
  return true;
}

inline bool RefillView(CViewList& view, const CMasterList& master) {
  return RefillView(view, master, [] {});
}

// Find: the view's items become the master-list entries that `matcher`
// matches, in list order, and nothing is selected. One pass over the
// entries, no sorting. Throws std::bad_alloc, and then changes nothing.
void FillMatching(CViewList& view, const CMasterList& master, const CQueryMatcher& matcher);

// Rebuild the master list: its elements become the view's items, in view
// order. Constant time. Meant for the "all" view: after a Find it would drop
// every entry the query hid.
void RebuildMaster(CMasterList& master, const CViewList& view);

}  // namespace velunar

#endif  // VELUNAR_STORE_LISTS_LIST_EXCHANGE_H_

// The view list's control: the store's CViewList shown in the window's list
// box (list_control.h).
//
// CListBox owns the CViewList. Each operation is the CViewList's, forwarded
// and told to the control as the smallest change: one row inserted or
// removed, a reset only when the whole content changes. The control asks
// for rows as it draws them, so a million entries never become a million
// objects of the toolkit.
//
// Selection: one item at most. The program's selections (SetCurSel and
// every other operation here) never notify; after each of them the control
// shows GetCurSel(), and SetCurSel scrolls the item into view. Selections
// the user makes with the mouse or the keyboard (arrows, Page Up/Down, Home,
// End, typing the start of an item) call the handler set with
// SetSelChangeHandler when they change the selected item, once per click or
// key. The user cannot leave the list without a selection once it has one.
//
// Before it is bound to a control, the operations work on the CViewList
// alone.
#ifndef VELUNAR_UI_PLATFORM_LIST_BOX_H_
#define VELUNAR_UI_PLATFORM_LIST_BOX_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "store/lists/view_list.h"

namespace velunar {

class CDialog;
class CMasterList;
class CQueryMatcher;
class CTextPool;
class IListControl;

class CListBox {
 public:
  // The items will be references into `texts`.
  explicit CListBox(std::shared_ptr<CTextPool> texts);
  CListBox(const CListBox&) = delete;
  CListBox& operator=(const CListBox&) = delete;
  ~CListBox();

  // Binds the list to the list box `nID` of `pParent` (after its Create).
  // Returns false, and binds nothing, when there is none, or when the list
  // is bound already.
  bool SubclassDlgItem(int nID, CDialog* pParent);
  // Binds the list to `control`, made for it by the toolkit. Returns false,
  // and binds nothing, when there is none or the list is bound already.
  bool Attach(std::unique_ptr<IListControl> control);
  bool IsBound() const { return m_pControl != nullptr; }

  // As CViewList. AddString throws std::bad_alloc (nothing changes then).
  int AddString(std::string_view text);
  int DeleteString(int i);
  int GetCount() const { return m_view.GetCount(); }
  bool GetText(int i, std::string& target) const { return m_view.GetText(i, target); }
  int SetCurSel(int i);
  int GetCurSel() const { return m_view.GetCurSel(); }
  int FindString(int start, std::string_view prefix) const {
    return m_view.FindString(start, prefix);
  }
  int FindEqual(int start, std::string_view text) const { return m_view.FindEqual(start, text); }
  void Refill(const CMasterList& master);
  void FillMatching(const CMasterList& master, const CQueryMatcher& matcher);

  const CViewList& View() const { return m_view; }

  // Called after the user changed the selected item; GetCurSel() already
  // gives the new one.
  void SetSelChangeHandler(std::function<void()> handler) { m_onSelChange = std::move(handler); }

  // For the control: the user selected `row` (-1: the control lost its
  // selection by some road of its own); `bNotify` passes the selection on
  // when it changed the selected item. OnUserReselected passes on a choice
  // of the item that was selected already (a click on it, a key that moved
  // nothing). NotificationCount tells how many were passed on.
  void OnUserSelection(int row, bool bNotify);
  // A move of the user's that began on item `from` ended on the selected
  // item: passed on when that is another.
  void OnUserMoved(int from);
  void OnUserReselected();
  int NotificationCount() const { return m_nNotified; }

 private:
  // Runs `change`, which replaces the whole content, inside a reset.
  template <typename Change>
  void ResetWith(Change change);
  void Notify();

  CViewList m_view;
  std::unique_ptr<IListControl> m_pControl;
  std::function<void()> m_onSelChange;
  int m_nNotified = 0;
};

// Binds `rControl` to the dialog's control `nIDC` on the first exchange;
// later exchanges leave the binding as it is.
void DDX_Control(CDialog* pDlg, int nIDC, CListBox& rControl);

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_LIST_BOX_H_

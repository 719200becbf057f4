// The view list's control: the store's CViewList shown in a CListBoxView
// (list_box_view.h).
//
// CListBox owns the CViewList and a model over it that answers one row at a
// time, decoding only the rows the view asks for, so a million entries never
// become a million item objects. Each operation is the CViewList's,
// forwarded and told to the view as the smallest model change: one row
// inserted or removed, a reset only when the whole content changes.
//
// Selection: one item at most. The program's selections (SetCurSel and every
// other operation here) never notify; after each of them the view's current
// item and its selection agree with GetCurSel(), and SetCurSel scrolls the
// item into view. Selections the user makes with the mouse or the keyboard
// (arrows, Page Up/Down, Home, End, typing the start of an item) call the
// handler set with SetSelChangeHandler when they change the selected item.
// The user cannot leave the list without a selection once it has one:
// neither Ctrl+Space, Ctrl+click nor a click below the last item clears it.
//
// Before Attach, the operations work on the CViewList alone.
#ifndef VELUNAR_UI_LIST_BOX_H_
#define VELUNAR_UI_LIST_BOX_H_

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "store/lists/view_list.h"
#include "ui/list_box_view.h"

namespace velunar {

class CDialog;
class CMasterList;
class CQueryMatcher;
class CTextPool;

class CListBox : private IListBoxOwner {
 public:
  // The items will be references into `texts`.
  explicit CListBox(std::shared_ptr<CTextPool> texts);
  CListBox(const CListBox&) = delete;
  CListBox& operator=(const CListBox&) = delete;
  ~CListBox();

  // Binds the list to `pControl`, which must be a CListBoxView (the control
  // a template's list box becomes). Returns false, and binds nothing, when
  // it is not, or when the list is bound already.
  bool Attach(QWidget* pControl);
  // Attach to the control `nID` of `pParent`.
  bool SubclassDlgItem(int nID, CDialog* pParent);
  // The bound control, or nullptr.
  CListBoxView* GetView() const { return m_pView; }

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

 private:
  class CModel;

  // Runs `change`, which replaces the whole content, inside a model reset.
  template <typename Change>
  void ResetWith(Change change);
  // Makes the view's current item and selection agree with GetCurSel().
  void SyncSelection();
  void OnViewSelectionChanged();
  // What the view asks of its list (list_box_view.h).
  int NotificationCount() const override { return m_nNotified; }
  void OnUserReselected() override;
  int FindTyped(int start, const QString& typed) const override;
  void BeginUserMove() override;
  void EndUserMove() override;

  CViewList m_view;
  std::unique_ptr<CModel> m_pModel;
  QPointer<CListBoxView> m_pView;
  std::function<void()> m_onSelChange;
  // How many notifications the user's actions have sent so far.
  int m_nNotified = 0;
  // Above zero while the program changes the list: the view's selection
  // signals are then the program's own and notify nobody.
  int m_nProgramChange = 0;
  // Above zero while a key of the user's is handled: its selections are
  // passed on once, at the end, as one move from m_nMoveFrom.
  int m_nUserMove = 0;
  int m_nMoveFrom = -1;
};

// Binds `rControl` to the dialog's control `nIDC` on the first exchange;
// later exchanges leave the binding as it is.
void DDX_Control(CDialog* pDlg, int nIDC, CListBox& rControl);

}  // namespace velunar

#endif  // VELUNAR_UI_LIST_BOX_H_

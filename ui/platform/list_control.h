// What a toolkit's list control does for CListBox (list_box.h): it shows
// the rows of the list's CViewList, asking for each as it draws it, and is
// told of every change. The toolkit supplies it (AttachListControl).
#ifndef VELUNAR_UI_PLATFORM_LIST_CONTROL_H_
#define VELUNAR_UI_PLATFORM_LIST_CONTROL_H_

#include <memory>

namespace velunar {

class CDialog;
class CListBox;

class IListControl {
 public:
  virtual ~IListControl();
  // Around each change of the rows: one row inserted at `i`, one removed
  // at `i`, or all of them replaced. The control reads no row between the
  // two calls.
  virtual void BeginInsert(int i) = 0;
  virtual void EndInsert() = 0;
  virtual void BeginRemove(int i) = 0;
  virtual void EndRemove() = 0;
  virtual void BeginReset() = 0;
  virtual void EndReset() = 0;
  // The program changed the selection (the list's GetCurSel): the control
  // shows it, scrolled into view when `bScroll`, and notifies nobody.
  virtual void ShowSelection(bool bScroll) = 0;
};

// Binds `list` to the list box control `nID` of `dlg` (after Create), which
// from then on shows the list and tells it of the user's selections
// (CListBox::OnUserSelection). Nothing when there is no such control or it
// is bound already.
std::unique_ptr<IListControl> AttachListControl(CDialog& dlg, int nID, CListBox& list);

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_LIST_CONTROL_H_

// The view list's control: the store's CViewList shown in a QListView whose
// rows are placed by arithmetic.
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

#include <QAccessible>
#include <QElapsedTimer>
#include <QListView>
#include <QPersistentModelIndex>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "store/view_list.h"

namespace velunar {

class CDialog;
class CListBox;
class CMasterList;
class CQueryMatcher;
class CTextPool;

// The list control a window template's "list box" becomes: one column, not
// editable, no horizontal scroll bar (a wide entry is cut at the right
// edge), items of one height.
//
// QListView keeps a position per row and rebuilds all of them after every
// inserted or removed row, which costs tens of milliseconds at a million
// rows. Here the rows are one column of equal height, so row r lies at
// r * height: the geometry, hit tests, scrolling, page moves and painting
// are computed from that, and a change of rows costs the same at any
// count. The results are QListView's own for a list in its list mode, top
// to bottom, without wrapping, spacing or grid, with items of one size
// taken from the last row (as QListView takes them); the view must not be
// switched to another mode. Being a QListView still, it keeps what
// assistive technology gets from one: the list role, the items' texts as
// their names, and the focus and selection events of the items.
class CListBoxView : public QListView {
  Q_OBJECT

 public:
  explicit CListBoxView(QWidget* pParent = nullptr);

  // Type-ahead over the items' texts: the letters typed within the
  // keyboard input interval form a prefix, found from the current item on;
  // the same letter typed again moves on to the next item beginning with it.
  void keyboardSearch(const QString& search) override;

  QRect visualRect(const QModelIndex& index) const override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
  QModelIndex indexAt(const QPoint& point) const override;
  // Takes the rows' size afresh and sets the scroll bars; walks no rows.
  void doItemsLayout() override;

 protected:
  void updateGeometries() override;
  int horizontalOffset() const override;
  int verticalOffset() const override;
  QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
  void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
  void scrollContentsBy(int dx, int dy) override;
  void paintEvent(QPaintEvent* pEvent) override;
  bool viewportEvent(QEvent* pEvent) override;
  // The accessibility events of the current and the selected item, which
  // QListView would number from its own row positions: Focus for the new
  // current item while the list has the focus, SelectionAdd for the first
  // item selected and SelectionRemove for the first one deselected, each
  // naming the item's row as the event's child.
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void selectionChanged(const QItemSelection& selected,
                        const QItemSelection& deselected) override;
  // Sends one of those events, when assistive technology listens.
  virtual void NotifyAccessibility(QAccessible::Event event, int row);

  // Every selecting action selects the item it lands on; none deselects.
  QItemSelectionModel::SelectionFlags selectionCommand(
      const QModelIndex& index, const QEvent* pEvent = nullptr) const override;
  // Only the left button selects: a right click opens the window's menu
  // and leaves the selection and the current item alone.
  void mousePressEvent(QMouseEvent* pEvent) override;
  // A click on an item is a selection by the user even when the item was
  // selected already: the window follows it (Select) all the same.
  void mouseReleaseEvent(QMouseEvent* pEvent) override;
  // A moving key always leaves the item it lands on selected, also when it
  // lands on the current item of a list with nothing selected, and counts
  // as the user's selection even when it does not move.
  void keyPressEvent(QKeyEvent* pEvent) override;

 private:
  friend class CListBox;

  int RowCount() const;
  // The size of every item, from the delegate's size of the last row;
  // empty while there are no rows.
  QSize ItemSize() const;
  // The rows, first to last, that a rectangle in contents coordinates
  // (offsets added) meets; first > last when it meets none.
  struct CRowSpan {
    int first;
    int last;
  };
  CRowSpan RowsMeeting(const QRect& contents) const;
  // Of the rows of `rows`, the one nearest to row `target`; -1 for none.
  static int NearestRow(const CRowSpan& rows, int target);
  // Row `row`'s rectangle in contents coordinates.
  QRect ContentsRect(int row) const;
  int VerticalScrollValueFor(int row, const QRect& rect, ScrollHint hint) const;

  mutable QSize m_itemSize;
  // The item under the mouse, painted as hovered.
  QPersistentModelIndex m_hover;

  CListBox* m_pOwner = nullptr;
  // The notifications sent when the left button went down, and the item it
  // went down on: a release on that item that changed nothing notifies.
  int m_nNotifiedAtPress = -1;
  QPersistentModelIndex m_pressed;
  QString m_strSearch;
  QElapsedTimer m_searchTimer;
};

class CListBox {
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
  void ResetContent();
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
  friend class CListBoxView;

  // Runs `change`, which replaces the whole content, inside a model reset.
  template <typename Change>
  void ResetWith(Change change);
  // Makes the view's current item and selection agree with GetCurSel().
  void SyncSelection();
  void OnViewSelectionChanged();
  // The user selected the item that was selected already: notify, as for a
  // change, when an item is selected.
  void OnUserReselected();
  // The item type-ahead selects for `typed`, or -1.
  int FindTyped(int start, const QString& typed) const;

  CViewList m_view;
  std::unique_ptr<CModel> m_pModel;
  QPointer<CListBoxView> m_pView;
  std::function<void()> m_onSelChange;
  // How many notifications the user's actions have sent so far.
  int m_nNotified = 0;
  // Above zero while the program changes the list: the view's selection
  // signals are then the program's own and notify nobody.
  int m_nProgramChange = 0;
};

// Binds `rControl` to the dialog's control `nIDC` on the first exchange;
// later exchanges leave the binding as it is.
void DDX_Control(CDialog* pDlg, int nIDC, CListBox& rControl);

}  // namespace velunar

#endif  // VELUNAR_UI_LIST_BOX_H_

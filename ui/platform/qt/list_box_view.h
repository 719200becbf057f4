// The list control a window template's list box becomes (CListBoxView),
// and what it asks of the list it shows (IListBoxOwner).
#ifndef VELUNAR_UI_PLATFORM_QT_LIST_BOX_VIEW_H_
#define VELUNAR_UI_PLATFORM_QT_LIST_BOX_VIEW_H_

#include <QAccessible>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QListView>
#include <QPersistentModelIndex>
#include <QString>

namespace velunar {

// The list behind a CListBoxView: it counts the user's selections and
// answers type-ahead in the terms of its own texts.
class IListBoxOwner {
 public:
  // How many selections by the user the list has passed on so far.
  virtual int NotificationCount() const = 0;
  // The user chose the item that was selected already: passed on as a
  // selection when an item is selected.
  virtual void OnUserReselected() = 0;
  // The item that type-ahead selects for `typed`, searched from the item
  // after `start` on; -1 for none.
  virtual int FindTyped(int start, const QString& typed) const = 0;
  // Around one key's handling: Qt may select the item a key moves to more
  // than once, and the user's one move is passed on once, at the end.
  virtual void BeginUserMove() = 0;
  virtual void EndUserMove() = 0;

 protected:
  ~IListBoxOwner();
};

// The list control a window template's "list box" becomes: one column, not
// editable, no horizontal scroll bar (a wide entry is cut at the right
// edge, and shows its whole text as a tooltip), items of one height.
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
  void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
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

 public:
  // The list the view shows, or nullptr: it is told of the user's choices
  // and finds what type-ahead types. Not owned.
  IListBoxOwner* Owner() const { return m_pOwner; }
  void SetOwner(IListBoxOwner* pOwner) { m_pOwner = pOwner; }

 private:
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
  // The tooltip of the row under the mouse: its text, when the row is cut
  // at the right edge; none otherwise.
  void ShowCutRowTip(const QHelpEvent& help);
  static constexpr qsizetype kLongestTip = 4000;

  mutable QSize m_itemSize;
  // The item under the mouse, painted as hovered.
  QPersistentModelIndex m_hover;

  IListBoxOwner* m_pOwner = nullptr;
  // The notifications sent when the left button went down, and the item it
  // went down on: a release on that item that changed nothing notifies.
  int m_nNotifiedAtPress = -1;
  QPersistentModelIndex m_pressed;
  QString m_strSearch;
  QElapsedTimer m_searchTimer;
};

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_QT_LIST_BOX_VIEW_H_

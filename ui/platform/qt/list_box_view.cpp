#include "ui/platform/qt/list_box_view.h"

#include <QAccessible>
#include <QApplication>
#include <QHoverEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <algorithm>
#include <climits>
#include <cstdlib>

namespace velunar {

IListBoxOwner::~IListBoxOwner() = default;

CListBoxView::CListBoxView(QWidget* pParent) : QListView(pParent) {
  // Without uniform sizes the view measures every row: seconds for a
  // million entries.
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);
  setDragEnabled(false);
  setTabKeyNavigation(false);
}

int CListBoxView::RowCount() const {
  return model() != nullptr ? model()->rowCount(rootIndex()) : 0;
}

QSize CListBoxView::ItemSize() const {
  if (m_itemSize.isValid()) return m_itemSize;
  const int last = RowCount() - 1;
  if (last < 0) return {};
  // The last row, as QListView samples it for items of one size.
  const QModelIndex sample = model()->index(last, modelColumn(), rootIndex());
  QAbstractItemDelegate* pDelegate = itemDelegateForIndex(sample);
  if (pDelegate == nullptr) return {};
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  m_itemSize = pDelegate->sizeHint(option, sample);
  return m_itemSize;
}

QRect CListBoxView::ContentsRect(int row) const {
  const QSize item = ItemSize();
  // As wide as the viewport at least, as QListView makes a list's items.
  return QRect(0, row * item.height(), std::max(item.width(), viewport()->width()), item.height());
}

CListBoxView::CRowSpan CListBoxView::RowsMeeting(const QRect& contents) const {
  const int count = RowCount();
  const int height = ItemSize().height();
  // The column starts at x = 0 and has no right end: QListView's list
  // mode tests only the left edge, and only the rows' tops against the
  // rectangle's bottom, so that a rectangle at the very end of the rows
  // still meets the last one.
  if (count <= 0 || height <= 0 || contents.right() < 0 ||
      static_cast<long long>(count) * height < contents.top()) {
    return {0, -1};
  }
  const int first = contents.top() < 0 ? 0 : std::min(contents.top() / height, count - 1);
  if (static_cast<long long>(first) * height > contents.bottom()) return {0, -1};
  const long long last = contents.bottom() / height;
  return {first, static_cast<int>(std::min<long long>(last, count - 1))};
}

int CListBoxView::NearestRow(const CRowSpan& rows, int target) {
  // The items share x and width, so the distance is the rows' distance;
  // of two alike the upper one wins.
  if (rows.first > rows.last) return -1;
  if (target <= rows.first) return rows.first;
  if (target >= rows.last) return rows.last;
  return target;
}

QRect CListBoxView::visualRect(const QModelIndex& index) const {
  const_cast<CListBoxView*>(this)->executeDelayedItemsLayout();
  if (!index.isValid() || index.parent() != rootIndex() || index.column() != modelColumn() ||
      isIndexHidden(index) || ItemSize().height() <= 0) {
    return {};
  }
  QRect rect = ContentsRect(index.row()).translated(-horizontalOffset(), -verticalOffset());
  if (isRightToLeft()) rect.moveLeft(viewport()->width() - rect.right() - 1);
  return rect;
}

QModelIndex CListBoxView::indexAt(const QPoint& point) const {
  const_cast<CListBoxView*>(this)->executeDelayedItemsLayout();
  const CRowSpan rows =
      RowsMeeting(QRect(point.x() + horizontalOffset(), point.y() + verticalOffset(), 1, 1));
  if (rows.first > rows.last) return {};
  const QModelIndex index = model()->index(rows.last, modelColumn(), rootIndex());
  if (index.isValid() && visualRect(index).contains(point)) return index;
  return {};
}

int CListBoxView::horizontalOffset() const {
  const QScrollBar* pBar = horizontalScrollBar();
  return isRightToLeft() ? pBar->maximum() - pBar->value() : pBar->value();
}

int CListBoxView::verticalOffset() const {
  if (verticalScrollMode() == ScrollPerItem) {
    // The scroll bar counts rows.
    return verticalScrollBar()->value() * ItemSize().height();
  }
  return verticalScrollBar()->value();
}

void CListBoxView::doItemsLayout() {
  // Showing or hiding the scroll bar resizes the view; the state keeps that
  // from asking for another layout, as in QListView.
  const State oldState = state();
  setState(ExpandingState);
  m_itemSize = QSize();
  QAbstractItemView::doItemsLayout();
  setState(oldState);
}

void CListBoxView::updateGeometries() {
  const int count = RowCount();
  const QSize item = ItemSize();
  QScrollBar* pVertical = verticalScrollBar();
  if (geometry().isEmpty() || count <= 0 || model()->columnCount(rootIndex()) <= 0 ||
      item.height() <= 0) {
    horizontalScrollBar()->setRange(0, 0);
    pVertical->setRange(0, 0);
  } else {
    const int viewportHeight = viewport()->height();
    const long long contentsHeight = static_cast<long long>(count) * item.height();
    if (verticalScrollMode() == ScrollPerItem) {
      // One step per row; a page is as many whole rows as the viewport
      // holds. QListView counts the end of the rows as one more step, so
      // that the last row shows whole at the bottom; when every row fits,
      // a page is all of those steps.
      const int pageSteps =
          contentsHeight <= viewportHeight ? count + 1 : viewportHeight / item.height();
      pVertical->setSingleStep(1);
      pVertical->setPageStep(pageSteps);
      pVertical->setRange(0, count - pageSteps);
    } else {
      pVertical->setSingleStep(item.height());
      pVertical->setPageStep(viewportHeight);
      pVertical->setRange(
          0, static_cast<int>(std::min<long long>(contentsHeight - viewportHeight, INT_MAX)));
    }
    QScrollBar* pHorizontal = horizontalScrollBar();
    pHorizontal->setSingleStep(item.width());
    pHorizontal->setPageStep(viewport()->width());
    // The items are cut at the viewport's right edge: nothing to scroll to.
    pHorizontal->setRange(0, 0);
  }
  QAbstractItemView::updateGeometries();
  // Shows or hides the scroll bar now rather than at the next event pass,
  // as QListView does, so that the items' width already counts it.
  setViewportMargins(viewportMargins());
}

int CListBoxView::VerticalScrollValueFor(int row, const QRect& rect, ScrollHint hint) const {
  const QRect area = viewport()->rect();
  const bool bAbove = hint == EnsureVisible && rect.top() < area.top();
  const bool bBelow = hint == EnsureVisible && rect.bottom() > area.bottom();
  const int value = verticalScrollBar()->value();
  if (verticalScrollMode() != ScrollPerItem) {
    if (hint == PositionAtTop || bAbove) return value + rect.top();
    if (hint == PositionAtBottom || bBelow) {
      return value + std::min(rect.top(), rect.bottom() - area.height() + 1);
    }
    if (hint == PositionAtCenter) return value + rect.top() - (area.height() - rect.height()) / 2;
    return value;
  }
  if (bAbove) hint = PositionAtTop;
  if (bBelow) hint = PositionAtBottom;
  // The rows that fit in the viewport ending with `row`: one at least.
  const int height = std::max(rect.height(), 1);
  const int fitting = std::clamp(area.height() / height, 1, row + 1);
  switch (hint) {
    case PositionAtTop:
      return row;
    case PositionAtBottom:
      return row - fitting + 1;
    case PositionAtCenter:
      return row - fitting / 2;
    default:
      return std::clamp(value, 0, RowCount());
  }
}

void CListBoxView::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (index.parent() != rootIndex() || index.column() != modelColumn()) return;
  const QRect rect = visualRect(index);
  if (!rect.isValid()) return;
  if (hint == EnsureVisible && viewport()->rect().contains(rect)) {
    viewport()->update(rect);
    return;
  }
  verticalScrollBar()->setValue(VerticalScrollValueFor(index.row(), rect, hint));
}

QModelIndex CListBoxView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers) {
  executeDelayedItemsLayout();
  const int count = RowCount();
  const QModelIndex current = currentIndex();
  auto row = [this](int r) { return model()->index(r, modelColumn(), rootIndex()); };
  if (!current.isValid()) return count > 0 ? row(0) : QModelIndex();
  const int c = current.row();
  switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
      return c > 0 ? row(c - 1) : current;
    case MoveDown:
    case MoveNext:
      return c + 1 < count ? row(c + 1) : current;
    case MoveHome:
      return row(0);
    case MoveEnd:
      return row(count - 1);
    case MoveLeft:
    case MoveRight:
      return current;  // one column
    default:
      break;
  }

  // Page moves as QListView makes them: a rectangle of one item's height a
  // viewport away, moved back a pixel at a time until it meets a row that
  // lies, with the current one, within one viewport.
  const QRect initial = ContentsRect(c);
  if (initial.isEmpty()) return row(0);
  const int viewportHeight = viewport()->height();
  const long long contentsHeight = static_cast<long long>(count) * initial.height();
  QRect rect = initial;
  int found = -1;
  if (cursorAction == MovePageUp) {
    rect.moveTop(rect.top() - viewportHeight + 1);
    if (rect.top() < rect.height()) {
      rect.setTop(0);
      rect.setBottom(1);
    }
    CRowSpan rows{0, -1};
    while (rows.first > rows.last ||
           ContentsRect(found).top() <= initial.bottom() - viewportHeight || rect.top() <= 0) {
      rect.translate(0, 1);
      if (rect.bottom() <= 0 || rect.top() > contentsHeight) return current;
      rows = RowsMeeting(rect);
      found = NearestRow(rows, c);
    }
    return row(found);
  }
  if (cursorAction == MovePageDown) {
    rect.moveTop(rect.top() + viewportHeight - 1);
    if (rect.top() > contentsHeight - rect.height()) {
      rect.setTop(static_cast<int>(contentsHeight - 1));
      rect.setBottom(static_cast<int>(contentsHeight));
    }
    CRowSpan rows{0, -1};
    while (rows.first > rows.last ||
           ContentsRect(found).bottom() >= viewportHeight + initial.top() ||
           rect.bottom() > contentsHeight) {
      rect.translate(0, -1);
      if (rect.top() >= contentsHeight || rect.bottom() < 0) return current;
      rows = RowsMeeting(rect);
      found = NearestRow(rows, c);
    }
    return row(found);
  }
  return current;
}

void CListBoxView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
  if (selectionModel() == nullptr) return;
  executeDelayedItemsLayout();
  auto rowAt = [this](int x, int y) {
    const CRowSpan rows = RowsMeeting(QRect(x + horizontalOffset(), y + verticalOffset(), 1, 1));
    return rows.first > rows.last ? -1 : rows.last;
  };
  QItemSelection selection;
  // A click is a 1x1 rectangle; keys and drags span from one item to
  // another, and select the rows between when both ends lie on one.
  const int top = rowAt(rect.left(), rect.top());
  const int bottom =
      (rect.width() == 1 && rect.height() == 1) ? top : rowAt(rect.right(), rect.bottom());
  if (top >= 0 && bottom >= 0) {
    const QModelIndex first = model()->index(std::min(top, bottom), modelColumn(), rootIndex());
    const QModelIndex last = model()->index(std::max(top, bottom), modelColumn(), rootIndex());
    if ((model()->flags(first) & Qt::ItemIsEnabled) && (model()->flags(last) & Qt::ItemIsEnabled)) {
      selection.select(first, last);
    }
  }
  selectionModel()->select(selection, command);
}

void CListBoxView::scrollContentsBy(int dx, int dy) {
  // QListView's own, with nothing to move, stops the scroll to a clicked
  // item that it would otherwise do after the double-click interval.
  QListView::scrollContentsBy(0, 0);
  if (verticalScrollMode() == ScrollPerItem && dy != 0) {
    // The scroll bar moved by rows: the contents move by the rows' pixels,
    // bounded as the value is.
    const int last = RowCount();
    const int value = std::clamp(verticalScrollBar()->value(), 0, last);
    const int previous = std::clamp(value + dy, 0, last);
    dy = (previous - value) * ItemSize().height();
  }
  QAbstractItemView::scrollContentsBy(isRightToLeft() ? -dx : dx, dy);
}

void CListBoxView::paintEvent(QPaintEvent* pEvent) {
  if (itemDelegate() == nullptr || model() == nullptr) return;
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  QPainter painter(viewport());
  const CRowSpan rows =
      RowsMeeting(pEvent->rect().translated(horizontalOffset(), verticalOffset()));
  const QModelIndex current = currentIndex();
  const QItemSelectionModel* pSelection = selectionModel();
  const bool bFocus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
  const QStyle::State state = option.state;
  const bool bEnabled = (state & QStyle::State_Enabled) != 0;
  const bool bAlternate = alternatingRowColors();
  const int maxWidth = viewport()->width();
  for (int r = rows.first; r <= rows.last; ++r) {
    const QModelIndex index = model()->index(r, modelColumn(), rootIndex());
    option.rect = visualRect(index);
    option.rect.setWidth(std::min(maxWidth, option.rect.width()));
    option.state = state;
    if (pSelection != nullptr && pSelection->isSelected(index)) {
      option.state |= QStyle::State_Selected;
    }
    if (bEnabled) {
      QPalette::ColorGroup group = QPalette::Normal;
      if (!(model()->flags(index) & Qt::ItemIsEnabled)) {
        option.state &= ~QStyle::State_Enabled;
        group = QPalette::Disabled;
      }
      option.palette.setCurrentColorGroup(group);
    }
    if (bFocus && current == index) {
      option.state |= QStyle::State_HasFocus;
      if (this->state() == EditingState) option.state |= QStyle::State_Editing;
    }
    option.state.setFlag(QStyle::State_MouseOver, index == m_hover);
    if (bAlternate) {
      option.features.setFlag(QStyleOptionViewItem::Alternate, (r & 1) != 0);
      const QStyle::State itemState = option.state;
      option.state &= ~QStyle::State_Selected;
      style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &option, &painter, this);
      option.state = itemState;
    }
    itemDelegateForIndex(index)->paint(&painter, option, index);
  }
}

bool CListBoxView::viewportEvent(QEvent* pEvent) {
  switch (pEvent->type()) {
    case QEvent::ToolTip:
      ShowCutRowTip(*static_cast<QHelpEvent*>(pEvent));
      return true;
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
      m_hover = indexAt(static_cast<QHoverEvent*>(pEvent)->position().toPoint());
      break;
    case QEvent::HoverLeave:
    case QEvent::Leave:
      m_hover = QPersistentModelIndex();
      break;
    default:
      break;
  }
  return QListView::viewportEvent(pEvent);
}

void CListBoxView::ShowCutRowTip(const QHelpEvent& help) {
  const QModelIndex index = indexAt(help.pos());
  QAbstractItemDelegate* pDelegate = index.isValid() ? itemDelegateForIndex(index) : nullptr;
  if (pDelegate == nullptr) {
    QToolTip::hideText();
    return;
  }
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  if (pDelegate->sizeHint(option, index).width() <= viewport()->width()) {
    QToolTip::hideText();
    return;
  }
  // Wrapped within the screen; an entry of many thousand characters is
  // shown up to a screenful.
  QString text = index.data(Qt::DisplayRole).toString();
  if (text.size() > kLongestTip) text = text.left(kLongestTip) + QChar(0x2026);
  QToolTip::showText(help.globalPos(), QStringLiteral("<p>%1</p>").arg(text.toHtmlEscaped()),
                     viewport(), visualRect(index));
}

void CListBoxView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  if (current.isValid() && hasFocus()) NotifyAccessibility(QAccessible::Focus, current.row());
  QAbstractItemView::currentChanged(current, previous);
}

void CListBoxView::selectionChanged(const QItemSelection& selected,
                                    const QItemSelection& deselected) {
  // The first row of each, as QListView reports them; the ranges' own
  // corners, so that no list of indexes is built.
  for (const QItemSelectionRange& range : selected) {
    if (range.isValid()) {
      NotifyAccessibility(QAccessible::SelectionAdd, range.top());
      break;
    }
  }
  for (const QItemSelectionRange& range : deselected) {
    if (range.isValid()) {
      NotifyAccessibility(QAccessible::SelectionRemove, range.top());
      break;
    }
  }
  QAbstractItemView::selectionChanged(selected, deselected);
}

void CListBoxView::NotifyAccessibility(QAccessible::Event event, int row) {
  if (!QAccessible::isActive()) return;
  QAccessibleEvent accessibleEvent(this, event);
  accessibleEvent.setChild(row);
  QAccessible::updateAccessibility(&accessibleEvent);
}

QItemSelectionModel::SelectionFlags CListBoxView::selectionCommand(const QModelIndex& index,
                                                                   const QEvent* pEvent) const {
  // A click on empty space or a drag off the items changes nothing, and no
  // modifier turns a click or Space into a deselection.
  if (!index.isValid()) return QItemSelectionModel::NoUpdate;
  if (pEvent != nullptr && pEvent->type() == QEvent::MouseButtonRelease) {
    return QItemSelectionModel::NoUpdate;
  }
  return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
}

void CListBoxView::mousePressEvent(QMouseEvent* pEvent) {
  if (pEvent->button() != Qt::LeftButton) {
    pEvent->ignore();
    return;
  }
  m_nNotifiedAtPress = m_pOwner != nullptr ? m_pOwner->NotificationCount() : -1;
  m_pressed = indexAt(pEvent->position().toPoint());
  QListView::mousePressEvent(pEvent);
}

void CListBoxView::mouseReleaseEvent(QMouseEvent* pEvent) {
  QListView::mouseReleaseEvent(pEvent);
  if (pEvent->button() != Qt::LeftButton || m_pOwner == nullptr) return;
  const QModelIndex released = indexAt(pEvent->position().toPoint());
  const bool bSameItem = released.isValid() && released == m_pressed;
  m_pressed = QPersistentModelIndex();
  if (bSameItem && m_pOwner->NotificationCount() == m_nNotifiedAtPress)
    m_pOwner->OnUserReselected();
}

void CListBoxView::keyPressEvent(QKeyEvent* pEvent) {
  const int notifiedBefore = m_pOwner != nullptr ? m_pOwner->NotificationCount() : 0;
  if (m_pOwner != nullptr) m_pOwner->BeginUserMove();
  QListView::keyPressEvent(pEvent);
  if (m_pOwner != nullptr) m_pOwner->EndUserMove();
  // With nothing selected (after Find or Show all), Qt still keeps a current
  // item, row 0 once the list has had the focus. Home, or Up on row 0, then
  // lands on the current item, which Qt takes for no move and selects
  // nothing. The list selects the item the key lands on, as the user expects.
  switch (pEvent->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
      if (!selectionModel()->hasSelection() && currentIndex().isValid()) {
        selectionModel()->setCurrentIndex(
            currentIndex(), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
      }
      // Up on the first item, Home on the selected one: the key moved
      // nothing, but the user chose that item, and the window follows.
      if (m_pOwner != nullptr && m_pOwner->NotificationCount() == notifiedBefore)
        m_pOwner->OnUserReselected();
      break;
    default:
      break;
  }
}

void CListBoxView::keyboardSearch(const QString& search) {
  if (m_pOwner == nullptr || search.isEmpty() || model()->rowCount() == 0) return;
  const bool bNewSearch =
      !m_searchTimer.isValid() || m_searchTimer.elapsed() >= QApplication::keyboardInputInterval();
  if (bNewSearch) m_strSearch.clear();
  m_strSearch += search;
  m_searchTimer.start();

  // A new search and a letter typed again look from the item after the
  // current one, so that the same letter steps through the items beginning
  // with it; a longer prefix may still match the current item itself.
  const bool bSameKey = m_strSearch.count(m_strSearch.front()) == m_strSearch.size();
  const QString prefix = bSameKey ? m_strSearch.left(1) : m_strSearch;
  const int current = currentIndex().isValid() ? currentIndex().row() : -1;
  const int start = (bNewSearch || bSameKey) ? current : current - 1;
  const int found = m_pOwner->FindTyped(start, prefix);
  if (found < 0) return;
  selectionModel()->setCurrentIndex(
      model()->index(found, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

}  // namespace velunar

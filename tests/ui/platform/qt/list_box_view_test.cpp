// CListBoxView beside Qt's own QListView, set up as the list sets itself
// up: the rows must lie, scroll, move with the keys and paint as there.
#include "ui/platform/qt/list_box_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QListView>
#include <QScrollBar>
#include <QStringListModel>
#include <QTest>
#include <QToolTip>
#include <QWidget>

namespace velunar {
namespace {

// The rows of a CListBoxView are placed by arithmetic; Qt's own QListView,
// set up as the list box sets itself up, is the reference for where they
// lie, how the view scrolls, where the keys move and what it paints.
class CStockListView : public QListView {
 public:
  explicit CStockListView(QWidget* pParent) : QListView(pParent) {
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
  using QListView::moveCursor;
  // Every cursor move a key makes; the type is protected in Qt.
  using Action = CursorAction;
  static std::vector<Action> Actions() {
    return {MoveUp,  MoveDown,   MoveLeft,     MoveRight, MoveHome,
            MoveEnd, MovePageUp, MovePageDown, MoveNext,  MovePrevious};
  }
};

class CProbeListBoxView : public CListBoxView {
 public:
  using CListBoxView::CListBoxView;
  using CListBoxView::moveCursor;
};

QStringList Items(int count) {
  QStringList items;
  for (int i = 0; i < count; ++i) items << QString("item %1").arg(i, 4, 10, QChar('0'));
  return items;
}

class ListBoxGeometryTest : public testing::Test {
 protected:
  ListBoxGeometryTest() : m_stockModel(Items(0)), m_ownModel(Items(0)) {
    m_pStock = new CStockListView(&m_host);
    m_pOwn = new CProbeListBoxView(&m_host);
    m_pStock->setModel(&m_stockModel);
    m_pOwn->setModel(&m_ownModel);
    m_host.resize(500, 400);
  }

  void Show(int count, int height) {
    m_stockModel.setStringList(Items(count));
    m_ownModel.setStringList(Items(count));
    m_pStock->setGeometry(0, 0, 240, height);
    m_pOwn->setGeometry(250, 0, 240, height);
    m_host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_host));
    QCoreApplication::processEvents();
  }

  // Runs `action` on both views, with the model of each.
  template <typename Action>
  void Both(Action action) {
    action(*m_pStock, m_stockModel);
    action(*m_pOwn, m_ownModel);
    QCoreApplication::processEvents();
  }

  static int Row(const QModelIndex& index) { return index.isValid() ? index.row() : -1; }

  void ExpectSameScrollBar() {
    const QScrollBar* pStock = m_pStock->verticalScrollBar();
    const QScrollBar* pOwn = m_pOwn->verticalScrollBar();
    EXPECT_EQ(pOwn->minimum(), pStock->minimum());
    EXPECT_EQ(pOwn->maximum(), pStock->maximum());
    EXPECT_EQ(pOwn->pageStep(), pStock->pageStep());
    EXPECT_EQ(pOwn->singleStep(), pStock->singleStep());
    EXPECT_EQ(pOwn->value(), pStock->value());
    EXPECT_EQ(pOwn->isVisible(), pStock->isVisible());
  }

  void ExpectSameRects(int count) {
    for (int r = 0; r < count; ++r) {
      SCOPED_TRACE(r);
      EXPECT_EQ(m_pOwn->visualRect(m_ownModel.index(r)),
                m_pStock->visualRect(m_stockModel.index(r)));
    }
    const int height = m_pStock->viewport()->height();
    for (int y = -2; y <= height + 2; ++y) {
      for (int x : {-1, 0, 5, m_pStock->viewport()->width() - 1}) {
        SCOPED_TRACE(testing::Message() << "x " << x << " y " << y);
        EXPECT_EQ(Row(m_pOwn->indexAt(QPoint(x, y))), Row(m_pStock->indexAt(QPoint(x, y))));
      }
    }
  }

  QWidget m_host;
  QStringListModel m_stockModel;
  QStringListModel m_ownModel;
  CStockListView* m_pStock;
  CProbeListBoxView* m_pOwn;
};

TEST_F(ListBoxGeometryTest, RowsLieAndScrollWhereQListViewPutsThem) {
  struct Case {
    int count;
    int height;
  };
  // No rows, fewer rows than fit, a viewport of whole rows and of a row and
  // a bit, and many rows.
  const Case cases[] = {{0, 120}, {1, 120}, {3, 120}, {7, 97}, {40, 120}, {40, 97}, {1000, 131}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << " rows, height " << c.height);
    Show(c.count, c.height);
    ExpectSameScrollBar();
    ExpectSameRects(c.count);
    const int rows[] = {0, 1, c.count / 3, c.count / 2, c.count - 2, c.count - 1};
    for (const int r : rows) {
      if (r < 0 || r >= c.count) continue;
      for (const auto hint :
           {QAbstractItemView::EnsureVisible, QAbstractItemView::PositionAtTop,
            QAbstractItemView::PositionAtBottom, QAbstractItemView::PositionAtCenter}) {
        SCOPED_TRACE(testing::Message() << "scroll to " << r << " hint " << hint);
        Both([r, hint](QListView& view, QStringListModel& model) {
          view.scrollTo(model.index(r), hint);
        });
        ExpectSameScrollBar();
        EXPECT_EQ(m_pOwn->visualRect(m_ownModel.index(r)),
                  m_pStock->visualRect(m_stockModel.index(r)));
      }
    }
    ExpectSameRects(c.count);
  }
}

TEST_F(ListBoxGeometryTest, KeysMoveWhereQListViewMoves) {
  using Action = CStockListView::Action;
  const std::vector<Action> actions = CStockListView::Actions();
  for (const int height : {120, 97, 23}) {
    for (const int count : {1, 4, 60}) {
      Show(count, height);
      for (int current = -1; current < count; ++current) {
        Both([current](QListView& view, QStringListModel& model) {
          view.setCurrentIndex(current < 0 ? QModelIndex() : model.index(current));
        });
        for (const Action a : actions) {
          SCOPED_TRACE(testing::Message() << count << " rows, height " << height << ", from "
                                          << current << ", action " << static_cast<int>(a));
          EXPECT_EQ(Row(m_pOwn->moveCursor(a, Qt::NoModifier)),
                    Row(m_pStock->moveCursor(a, Qt::NoModifier)));
        }
      }
    }
  }
}

TEST_F(ListBoxGeometryTest, EditsKeepTheGeometryOfQListView) {
  Show(50, 120);
  Both([](QListView& view, QStringListModel& model) { view.setCurrentIndex(model.index(45)); });
  ExpectSameScrollBar();
  // Rows go in before, at and after the shown ones, and away from the end,
  // where the scroll bar's maximum falls below its value.
  const std::pair<int, int> inserts[] = {{0, 1}, {20, 3}, {53, 1}};
  for (const auto& [row, n] : inserts) {
    SCOPED_TRACE(testing::Message() << "insert " << n << " at " << row);
    Both([row = row, n = n](QListView&, QStringListModel& model) { model.insertRows(row, n); });
    ExpectSameScrollBar();
    ExpectSameRects(m_stockModel.rowCount());
  }
  Both([](QListView& view, QStringListModel& model) {
    view.scrollTo(model.index(model.rowCount() - 1));
  });
  for (const int row : {0, 40, 52}) {
    SCOPED_TRACE(testing::Message() << "remove " << row);
    Both([row](QListView&, QStringListModel& model) { model.removeRows(row, 3); });
    ExpectSameScrollBar();
    ExpectSameRects(m_stockModel.rowCount());
  }
  Both([](QListView&, QStringListModel& model) { model.setStringList(Items(5)); });
  ExpectSameScrollBar();
  ExpectSameRects(5);
}

TEST_F(ListBoxGeometryTest, PaintsWhatQListViewPaints) {
  Show(40, 120);
  // The window gives the first view the focus, which paints its current
  // item's frame; the focus is compared apart, at the end.
  m_pStock->clearFocus();
  const auto same = [this](const char* what) {
    SCOPED_TRACE(what);
    QCoreApplication::processEvents();
    const QImage stock = m_pStock->grab().toImage();
    const QImage own = m_pOwn->grab().toImage();
    EXPECT_EQ(own.size(), stock.size());
    EXPECT_TRUE(own == stock);
  };
  same("nothing selected");
  Both([](QListView& view, QStringListModel& model) { view.setCurrentIndex(model.index(2)); });
  same("a selected row");
  Both([](QListView& view, QStringListModel& model) {
    view.scrollTo(model.index(25), QAbstractItemView::PositionAtCenter);
  });
  same("scrolled");
  Both([](QListView& view, QStringListModel& model) { view.setCurrentIndex(model.index(26)); });
  m_host.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&m_host));
  m_pStock->setFocus();
  const QImage stockFocused = m_pStock->grab().toImage();
  m_pOwn->setFocus();
  QCoreApplication::processEvents();
  EXPECT_TRUE(m_pOwn->grab().toImage() == stockFocused) << "with the focus";
}

TEST_F(ListBoxGeometryTest, ARowCutAtTheRightEdgeShowsItsWholeTextAsATooltip) {
  Show(0, 200);
  const QString wide = QString("wide ").repeated(60) + "<end>";
  m_ownModel.setStringList({"short", wide});
  QCoreApplication::processEvents();
  struct Row {
    int row;
    bool bTip;
  };
  for (const Row r : {Row{0, false}, Row{1, true}, Row{0, false}}) {
    SCOPED_TRACE(r.row);
    const QRect rect = m_pOwn->visualRect(m_ownModel.index(r.row));
    QHelpEvent help(QEvent::ToolTip, rect.center(), m_pOwn->viewport()->mapToGlobal(rect.center()));
    QApplication::sendEvent(m_pOwn->viewport(), &help);
    // A tip goes away after a moment's fade.
    EXPECT_TRUE(QTest::qWaitFor([&] { return QToolTip::isVisible() == r.bTip; }, 2000));
    if (r.bTip) {
      EXPECT_TRUE(QToolTip::text().contains(wide.toHtmlEscaped()));
    }
  }
}

}  // namespace
}  // namespace velunar

#include "ui/platform/list_box.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QListView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStringListModel>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "store/lists/master_list.h"
#include "store/lists/text_pool.h"
#include "store/text/text_rules.h"
#include "tests/ui/platform/qt/dialog_driver.h"
#include "ui/platform/qt/list_box_view.h"
#include "ui/platform/qt/list_control.h"

namespace velunar {
namespace {

using testing::U;

// Windows-1251 bytes of the names the tests use, written out by hand.
const std::string kAnna = "\xC0\xED\xED\xE0";       // Анна
const std::string kBelka = "\xE1\xE5\xEB\xEA\xE0";  // белка
const std::string kBoris = "\xC1\xEE\xF0\xE8\xF1";  // Борис
const std::string kBorsch = "\xE1\xEE\xF0\xF9";     // борщ
const std::string kVera = "\xC2\xE5\xF0\xE0";       // Вера

class ListBoxTest : public ::testing::Test {
 protected:
  ListBoxTest() : m_pTexts(std::make_shared<CTextPool>()), m_list(m_pTexts) {
    m_pView = new CListBoxView(&m_host);
    m_pView->setGeometry(0, 0, 300, 120);
    m_host.resize(300, 120);
    m_list.SetSelChangeHandler([this] { m_notified.push_back(m_list.GetCurSel()); });
  }

  void AttachAndShow() {
    ASSERT_TRUE(m_list.Attach(MakeListControl(m_pView, m_list)));
    m_host.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_host));
    m_pView->setFocus();
  }

  // Adds the five names (in mixed order; the list sorts them).
  void AddNames() {
    for (const std::string& s : {kVera, kBoris, kAnna, kBorsch, kBelka}) m_list.AddString(s);
  }

  QString Row(int i) const {
    return m_pView->model()->data(m_pView->model()->index(i, 0)).toString();
  }

  // The view's selection and current item, -1 for none; they must agree.
  int ViewSelection() const {
    const QModelIndexList rows = m_pView->selectionModel()->selectedRows();
    const int selected = rows.isEmpty() ? -1 : rows.first().row();
    const QModelIndex current = m_pView->selectionModel()->currentIndex();
    EXPECT_EQ(current.isValid() ? current.row() : -1, selected);
    EXPECT_LE(rows.size(), 1);
    return selected;
  }

  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(m_pView, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(m_pView, &release);
  }

  void Type(const char* utf8) {
    const QString text = U(utf8);
    Key(text[0].toUpper().unicode(), Qt::NoModifier, text);
  }

  void ClickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                Qt::MouseButton button = Qt::LeftButton) {
    const QRect rect = m_pView->visualRect(m_pView->model()->index(row, 0));
    QTest::mouseClick(m_pView->viewport(), button, modifiers, rect.center());
  }

  std::shared_ptr<CTextPool> m_pTexts;
  QWidget m_host;
  CListBoxView* m_pView;
  CListBox m_list;
  std::vector<int> m_notified;  // GetCurSel() at each notification
};

TEST_F(ListBoxTest, RowsAreTheViewListsItemsDecodedInListOrder) {
  AttachAndShow();
  AddNames();
  ASSERT_EQ(m_pView->model()->rowCount(), 5);
  const char* const want[] = {"Анна", "белка", "Борис", "борщ", "Вера"};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Row(i), U(want[i]));
  }
  const Qt::ItemFlags flags = m_pView->model()->flags(m_pView->model()->index(0, 0));
  EXPECT_FALSE(flags & Qt::ItemIsEditable);
  EXPECT_TRUE(flags & Qt::ItemIsSelectable);
  EXPECT_EQ(m_pView->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_TRUE(m_pView->uniformItemSizes());
}

TEST_F(ListBoxTest, ListWorksBeforeItIsBound) {
  AddNames();
  EXPECT_EQ(m_list.SetCurSel(2), 2);
  EXPECT_FALSE(m_list.IsBound());
  AttachAndShow();
  EXPECT_EQ(m_pView->model()->rowCount(), 5);
  EXPECT_EQ(ViewSelection(), 2);
  EXPECT_FALSE(m_list.Attach(MakeListControl(m_pView, m_list)));  // bound once only
  QWidget notAList;
  CListBox other(m_pTexts);
  EXPECT_FALSE(other.Attach(MakeListControl(&notAList, other)));
}

TEST_F(ListBoxTest, AddAndDeleteChangeOneRowEach) {
  AttachAndShow();
  AddNames();
  QSignalSpy inserted(m_pView->model(), &QAbstractItemModel::rowsInserted);
  QSignalSpy removed(m_pView->model(), &QAbstractItemModel::rowsRemoved);
  QSignalSpy reset(m_pView->model(), &QAbstractItemModel::modelReset);

  const std::string kBoris2 = "\xE1\xEE\xF0\xE8\xF1";  // борис: sorts together with Борис
  EXPECT_EQ(m_list.AddString(kBoris2), 3);
  ASSERT_EQ(inserted.size(), 1);
  EXPECT_EQ(inserted[0][1].toInt(), 3);
  EXPECT_EQ(inserted[0][2].toInt(), 3);
  EXPECT_EQ(Row(3), U("борис"));

  EXPECT_EQ(m_list.DeleteString(1), 5);
  ASSERT_EQ(removed.size(), 1);
  EXPECT_EQ(removed[0][1].toInt(), 1);
  EXPECT_EQ(Row(1), U("Борис"));
  EXPECT_EQ(m_list.DeleteString(9), -1);
  EXPECT_EQ(removed.size(), 1);
  EXPECT_EQ(reset.size(), 0);
}

TEST_F(ListBoxTest, WholeContentChangesResetTheModel) {
  AttachAndShow();
  CMasterList master(m_pTexts);
  for (const std::string& s : {kVera, kAnna, kBoris}) master.Add(s);
  QSignalSpy reset(m_pView->model(), &QAbstractItemModel::modelReset);

  m_list.Refill(master);
  EXPECT_EQ(reset.size(), 1);
  EXPECT_EQ(m_pView->model()->rowCount(), 3);

  // The same content again: no reset, and the selection goes.
  m_list.SetCurSel(1);
  m_list.Refill(master);
  EXPECT_EQ(reset.size(), 1);
  EXPECT_EQ(m_list.GetCurSel(), -1);
  EXPECT_EQ(ViewSelection(), -1);

  m_list.FillMatching(master, CQueryMatcher("\xE5\xF0"));  // "ер"
  EXPECT_EQ(reset.size(), 2);
  ASSERT_EQ(m_pView->model()->rowCount(), 1);
  EXPECT_EQ(Row(0), U("Вера"));
  EXPECT_TRUE(m_notified.empty());
}

TEST_F(ListBoxTest, ProgramSelectionNeverNotifiesAndTheViewAgrees) {
  AttachAndShow();
  AddNames();
  EXPECT_EQ(m_list.SetCurSel(3), 3);
  EXPECT_EQ(ViewSelection(), 3);
  EXPECT_EQ(m_list.SetCurSel(-1), -1);
  EXPECT_EQ(ViewSelection(), -1);
  EXPECT_EQ(m_list.SetCurSel(7), -1);
  EXPECT_EQ(ViewSelection(), -1);

  m_list.SetCurSel(2);
  m_list.DeleteString(0);  // before the selection: it moves up with its item
  EXPECT_EQ(m_list.GetCurSel(), 1);
  EXPECT_EQ(ViewSelection(), 1);
  m_list.AddString(kAnna);  // before it again: it moves down
  EXPECT_EQ(m_list.GetCurSel(), 2);
  EXPECT_EQ(ViewSelection(), 2);
  m_list.DeleteString(2);  // the selected item goes, and the selection with it
  EXPECT_EQ(m_list.GetCurSel(), -1);
  EXPECT_EQ(ViewSelection(), -1);
  EXPECT_TRUE(m_notified.empty());
}

TEST_F(ListBoxTest, SetCurSelScrollsTheItemIntoView) {
  AttachAndShow();
  for (int i = 0; i < 200; ++i) m_list.AddString("item " + std::to_string(1000 + i));
  m_list.SetCurSel(150);
  const QRect item = m_pView->visualRect(m_pView->model()->index(150, 0));
  EXPECT_TRUE(m_pView->viewport()->rect().contains(item.center()));
  m_list.SetCurSel(0);
  EXPECT_EQ(m_pView->verticalScrollBar()->value(), 0);
}

TEST_F(ListBoxTest, UserSelectionWithMouseAndKeysNotifies) {
  AttachAndShow();
  AddNames();
  m_list.SetCurSel(0);

  ClickRow(2);
  EXPECT_EQ(m_list.GetCurSel(), 2);
  ClickRow(2);  // the same item again: the user chose it, so it notifies
  Key(Qt::Key_Down);
  Key(Qt::Key_End);
  Key(Qt::Key_Home);
  Key(Qt::Key_Up);  // at the top already: no move, but a choice all the same
  Key(Qt::Key_PageDown);
  EXPECT_EQ(m_notified, (std::vector<int>{2, 2, 3, 4, 0, 0, 4}));
  EXPECT_EQ(ViewSelection(), 4);
}

TEST_F(ListBoxTest, KeysSelectTheItemTheyLandOnWhenNothingIsSelected) {
  // After Find or Show all nothing is selected, but the list still has a
  // current item once it had the focus: Home and Up land on it.
  struct Row {
    int key;
    int selected;
  };
  const Row rows[] = {{Qt::Key_Home, 0}, {Qt::Key_Up, 0}, {Qt::Key_Down, 1}, {Qt::Key_End, 4}};
  AttachAndShow();
  AddNames();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.key);
    m_list.SetCurSel(-1);
    m_pView->clearFocus();
    m_pView->setFocus();
    m_notified.clear();
    Key(r.key);
    EXPECT_EQ(m_list.GetCurSel(), r.selected);
    EXPECT_EQ(m_notified, std::vector<int>{r.selected});
    EXPECT_EQ(ViewSelection(), r.selected);
  }
}

TEST_F(ListBoxTest, UserCannotLeaveTheListWithoutASelection) {
  AttachAndShow();
  AddNames();
  m_list.SetCurSel(1);

  Key(Qt::Key_Space, Qt::ControlModifier, " ");
  EXPECT_EQ(m_list.GetCurSel(), 1);
  EXPECT_EQ(ViewSelection(), 1);

  ClickRow(1, Qt::ControlModifier);  // keeps the item, and counts as choosing it
  EXPECT_EQ(m_list.GetCurSel(), 1);
  EXPECT_EQ(ViewSelection(), 1);
  EXPECT_EQ(m_notified, std::vector<int>{1});
  m_notified.clear();

  ClickRow(3, Qt::NoModifier, Qt::RightButton);  // the menu's click selects nothing
  EXPECT_EQ(m_list.GetCurSel(), 1);
  EXPECT_EQ(ViewSelection(), 1);

  const QRect last = m_pView->visualRect(m_pView->model()->index(4, 0));
  const QPoint below(last.center().x(), last.bottom() + 10);
  ASSERT_LT(below.y(), m_pView->viewport()->height());
  QTest::mouseClick(m_pView->viewport(), Qt::LeftButton, Qt::NoModifier, below);
  EXPECT_EQ(m_list.GetCurSel(), 1);
  EXPECT_EQ(ViewSelection(), 1);
  EXPECT_TRUE(m_notified.empty());
}

TEST_F(ListBoxTest, TypingTheSameLetterStepsThroughItsItems) {
  AttachAndShow();
  AddNames();
  m_list.SetCurSel(0);
  const int interval = QApplication::keyboardInputInterval();
  QApplication::setKeyboardInputInterval(1000000);  // every key continues the search
  Type("б");
  Type("б");
  Type("Б");  // another case of the same letter is another key
  QApplication::setKeyboardInputInterval(interval);
  // белка, Борис, then "ббБ" begins no item: the selection stays.
  EXPECT_EQ(m_notified, (std::vector<int>{1, 2}));
}

TEST_F(ListBoxTest, TypeAheadFindsPrefixesFoldingCase) {
  AttachAndShow();
  AddNames();
  m_list.SetCurSel(0);
  const int interval = QApplication::keyboardInputInterval();
  QApplication::setKeyboardInputInterval(1000000);
  Type("б");  // белка
  Type("о");  // бо: Борис
  Type("р");
  Type("щ");                                  // борщ
  QApplication::setKeyboardInputInterval(0);  // every key a new search
  Type("б");                                  // from борщ on: wraps to белка
  Type("ж");                                  // no item
  Type("é");                                  // no byte: no item can begin with it
  QApplication::setKeyboardInputInterval(interval);
  EXPECT_EQ(m_notified, (std::vector<int>{1, 2, 3, 1}));
  EXPECT_EQ(ViewSelection(), 1);
}

TEST_F(ListBoxTest, AMillionRowsComeFromTheViewListDirectly) {
  // One buffer of "entry NNNNNNN" lines, adopted whole by the master list.
  constexpr int kRows = 1000000;
  CByteBuffer buffer(kRows * 13);
  std::vector<std::string_view> entries;
  for (int i = 0; i < kRows; ++i) {
    const std::string s = "entry " + std::to_string(1000000 + i).substr(0, 7);
    std::memcpy(buffer.data() + i * 13, s.data(), 13);
  }
  buffer.SetSize(kRows * 13);
  for (int i = 0; i < kRows; ++i) entries.emplace_back(buffer.data() + i * 13, 13);
  CMasterList master(m_pTexts);
  master.AddLoaded(std::move(buffer), entries);

  AttachAndShow();
  m_list.Refill(master);
  ASSERT_EQ(m_pView->model()->rowCount(), kRows);
  m_list.SetCurSel(kRows - 1);
  EXPECT_EQ(ViewSelection(), kRows - 1);
  EXPECT_EQ(Row(kRows - 1), "entry 1999999");
  EXPECT_EQ(m_pView->verticalScrollBar()->value(), m_pView->verticalScrollBar()->maximum());
}

TEST_F(ListBoxTest, ViewOutlivesTheListSafely) {
  {
    CListBox shortLived(m_pTexts);
    ASSERT_TRUE(shortLived.Attach(MakeListControl(m_pView, shortLived)));
    shortLived.AddString(kAnna);
    shortLived.SetCurSel(0);
  }
  EXPECT_EQ(m_pView->model(), nullptr);
  m_host.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_host));
  m_pView->repaint();
}

TEST_F(ListBoxTest, AssistiveTechnologyGetsAListOfNamedItems) {
  AttachAndShow();
  AddNames();
  QAccessibleInterface* pList = QAccessible::queryAccessibleInterface(m_pView);
  ASSERT_NE(pList, nullptr);
  EXPECT_EQ(pList->role(), QAccessible::List);
  ASSERT_EQ(pList->childCount(), 5);
  const char* const want[] = {"Анна", "белка", "Борис", "борщ", "Вера"};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    QAccessibleInterface* pItem = pList->child(i);
    ASSERT_NE(pItem, nullptr);
    EXPECT_EQ(pItem->role(), QAccessible::ListItem);
    EXPECT_EQ(pItem->text(QAccessible::Name), U(want[i]));
  }
  m_list.SetCurSel(2);
  EXPECT_TRUE(pList->child(2)->state().selected);
  EXPECT_FALSE(pList->child(1)->state().selected);
  ASSERT_NE(pList->tableInterface(), nullptr);
  EXPECT_EQ(pList->tableInterface()->selectedCellCount(), 1);
  // An item the list scrolled away from is off screen for the reader too.
  for (int i = 0; i < 40; ++i) m_list.AddString("\xDF " + std::to_string(10 + i));  // Я 10..49
  ASSERT_EQ(pList->childCount(), 45);
  m_list.SetCurSel(44);
  EXPECT_TRUE(pList->child(0)->state().invisible || pList->child(0)->state().offscreen);
  EXPECT_FALSE(pList->child(44)->state().offscreen);
  EXPECT_EQ(pList->child(44)->text(QAccessible::Name), U("Я 49"));
  EXPECT_EQ(
      pList->childAt(m_pView->viewport()
                         ->mapToGlobal(m_pView->visualRect(m_pView->model()->index(44, 0)).center())
                         .x(),
                     m_pView->viewport()
                         ->mapToGlobal(m_pView->visualRect(m_pView->model()->index(44, 0)).center())
                         .y()),
      pList->child(44));
}

// A list box that keeps the accessibility events it sends.
class CRecordingListBoxView : public CListBoxView {
 public:
  using CListBoxView::CListBoxView;
  std::vector<std::pair<QAccessible::Event, int>> m_events;

 protected:
  void NotifyAccessibility(QAccessible::Event event, int row) override {
    m_events.emplace_back(event, row);
    CListBoxView::NotifyAccessibility(event, row);
  }
};

TEST(ListBoxAccessibility, TheFocusAndTheSelectionAreToldWithTheItemsRow) {
  QWidget host;
  host.resize(300, 120);
  auto* pView = new CRecordingListBoxView(&host);
  pView->setGeometry(0, 0, 300, 120);
  CListBox list(std::make_shared<CTextPool>());
  ASSERT_TRUE(list.Attach(MakeListControl(pView, list)));
  for (const std::string& s : {kVera, kBoris, kAnna, kBorsch, kBelka}) list.AddString(s);
  list.SetCurSel(1);
  host.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
  pView->setFocus();
  pView->m_events.clear();

  using Event = std::pair<QAccessible::Event, int>;
  QTest::keyClick(pView, Qt::Key_Down);  // белка -> Борис
  EXPECT_EQ(pView->m_events, (std::vector<Event>{{QAccessible::SelectionAdd, 2},
                                                 {QAccessible::SelectionRemove, 1},
                                                 {QAccessible::Focus, 2}}));
  pView->m_events.clear();
  QTest::keyClick(pView, Qt::Key_End);  // Вера
  EXPECT_EQ(pView->m_events, (std::vector<Event>{{QAccessible::SelectionAdd, 4},
                                                 {QAccessible::SelectionRemove, 2},
                                                 {QAccessible::Focus, 4}}));
  pView->m_events.clear();
  // The program's own selection is told too, without the focus event when
  // the list does not have the focus.
  pView->clearFocus();
  list.SetCurSel(0);
  EXPECT_EQ(pView->m_events, (std::vector<Event>{{QAccessible::SelectionAdd, 0},
                                                 {QAccessible::SelectionRemove, 4}}));
}

}  // namespace
}  // namespace velunar

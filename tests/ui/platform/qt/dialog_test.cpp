// CDialog on the layer's own test templates (dialogs/): what the template
// builds, the keyboard rules, the system menu, the one dispatch of
// failures, the modal run, its owner and placement.
#include "ui/platform/dialog.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <vector>

#include "tests/ui/platform/qt/dialog_driver.h"
#include "tests/ui/platform/qt/test_dialog_ids.h"
#include "ui/platform/qt/entry_edit.h"
#include "ui/platform/qt/list_box_view.h"
#include "ui/platform/qt/multi_line_button.h"
#include "ui/platform/qt/small_button.h"
#include "ui/platform/win_app.h"

namespace velunar {
namespace {

using namespace testing;  // the test ids and the driver

// The failure a test step throws.
struct CTestFailure : std::runtime_error {
  CTestFailure() : std::runtime_error("test failure") {}
};

class CTestDlg : public CDialog {
 public:
  explicit CTestDlg(int nIDTemplate, CDialog* pParent = nullptr)
      : CDialog(nIDTemplate, kTestNames, pParent) {}

  using CDialog::AppendSysMenuItem;
  using CDialog::AppendSysMenuSeparator;

  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    ++m_nInitCalls;
    if (auto* pEdit = qobject_cast<QLineEdit*>(Window().GetDlgItem(IDC_TEST_EDIT))) {
      pEdit->setText("hint text");
    }
    if (m_onInit) m_onInit();
    return true;
  }
  void DoDataExchange(bool bSaveAndValidate) override {
    m_exchanges.push_back(bSaveAndValidate);
    if (m_bExchangeFails) throw CTestFailure();
  }
  void OnSysCommand(unsigned nID) override {
    m_sysCommands.push_back(nID);
    CDialog::OnSysCommand(nID);
  }
  // Failures the test throws are kept; the rest go to the layer's own report.
  void ReportFailure(std::exception_ptr failure) override {
    try {
      std::rethrow_exception(failure);
    } catch (const CTestFailure&) {
      ++m_nFailures;
    } catch (...) {
      CDialog::ReportFailure(std::current_exception());
    }
  }

  int m_nInitCalls = 0;
  std::function<void()> m_onInit;
  std::vector<bool> m_exchanges;
  bool m_bExchangeFails = false;
  std::vector<unsigned> m_sysCommands;
  int m_nFailures = 0;
};

constexpr int kButtons[] = {IDOK,         IDCANCEL,        IDC_TEST_FIND,   IDC_TEST_TINY,
                            IDC_TEST_OFF, IDC_TEST_HIDDEN, IDC_TEST_NO_TAB, IDC_TEST_WRAP};

class DialogTest : public ::testing::Test {
 protected:
  DialogTest() : m_dlg(IDD_TEST_DIALOG) {
    m_dlg.SetMessageBoxes(&m_boxes);
    for (const int nID : kButtons) {
      m_dlg.BindCommand(nID, BN_CLICKED, [this, nID] { m_commands.push_back(nID); });
    }
  }

  void SetUp() override {
    ASSERT_TRUE(m_dlg.Create());
    m_dlg.Window().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_dlg.Window()));
  }

  QWidget* Item(int nID) { return m_dlg.Window().GetDlgItem(nID); }
  QLineEdit* Edit() { return qobject_cast<QLineEdit*>(Item(IDC_TEST_EDIT)); }
  QPushButton* Button(int nID) { return qobject_cast<QPushButton*>(Item(nID)); }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    testing::Key(&m_dlg.Window(), key, modifiers);
  }

  CMessageBoxRecorder m_boxes;
  CTestDlg m_dlg;
  std::vector<int> m_commands;
};

// --- What the template builds --------------------------------------------

TEST_F(DialogTest, WindowHasTheTemplatesTitleFontAndFixedSize) {
  EXPECT_EQ(m_dlg.Window().windowTitle(), U("Проверка окна"));
  EXPECT_EQ(m_dlg.Window().font().pointSize(), 10);
  EXPECT_EQ(m_dlg.Window().font().weight(), QFont::Bold);
  EXPECT_TRUE(m_dlg.Window().font().italic());
  const QSize size = m_dlg.Window().Units().ToPixels(QSize(200, 150));
  EXPECT_EQ(m_dlg.Window().size(), size);
  EXPECT_EQ(m_dlg.Window().minimumSize(), size);
  EXPECT_EQ(m_dlg.Window().maximumSize(), size);

  // A close button only: nothing to minimise or maximise.
  const Qt::WindowFlags flags = m_dlg.Window().windowFlags();
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(flags & Qt::WindowTitleHint);
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
}

TEST_F(DialogTest, ControlsHaveTheirKindPlaceAndStyles) {
  struct Row {
    int nID;
    QRect rcDlgUnits;
    bool bVisible, bEnabled;
  };
  const Row rows[] = {
      {IDC_TEST_EDIT, {5, 5, 120, 12}, true, true},
      {IDC_TEST_LIST, {5, 20, 120, 60}, true, true},
      {IDC_TEST_BARE_LIST, {130, 15, 60, 40}, true, true},
      {IDC_TEST_PLAIN_EDIT, {130, 60, 60, 12}, true, true},
      {IDOK, {5, 90, 50, 14}, true, true},
      {IDC_TEST_FIND, {60, 90, 50, 14}, true, true},
      {IDC_TEST_TINY, {120, 94, 10, 6}, true, true},
      {IDC_TEST_OFF, {135, 90, 30, 14}, true, false},
      {IDC_TEST_HIDDEN, {170, 90, 25, 14}, false, true},
      {IDC_TEST_NO_TAB, {5, 110, 40, 14}, true, true},
      {IDC_TEST_WRAP, {50, 110, 60, 26}, true, true},
      {IDCANCEL, {115, 130, 40, 14}, true, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.nID);
    ASSERT_NE(Item(r.nID), nullptr);
    EXPECT_EQ(Item(r.nID)->geometry(), m_dlg.Window().Units().ToPixels(r.rcDlgUnits));
    EXPECT_EQ(Item(r.nID)->isVisible(), r.bVisible);
    EXPECT_EQ(Item(r.nID)->isEnabled(), r.bEnabled);
  }
  EXPECT_EQ(Item(IDC_STATIC), nullptr);
  EXPECT_EQ(Item(999), nullptr);

  // Edit fields are entry fields and lists the view list's view; a frame
  // with WS_BORDER, a vertical scroll bar with WS_VSCROLL.
  auto* pEdit = dynamic_cast<CEntryEdit*>(Item(IDC_TEST_EDIT));
  ASSERT_NE(pEdit, nullptr);
  EXPECT_TRUE(pEdit->hasFrame());
  auto* pPlain = dynamic_cast<CEntryEdit*>(Item(IDC_TEST_PLAIN_EDIT));
  ASSERT_NE(pPlain, nullptr);
  EXPECT_FALSE(pPlain->hasFrame());
  auto* pList = dynamic_cast<CListBoxView*>(Item(IDC_TEST_LIST));
  ASSERT_NE(pList, nullptr);
  EXPECT_NE(pList->frameShape(), QFrame::NoFrame);
  EXPECT_EQ(pList->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
  auto* pBare = dynamic_cast<CListBoxView*>(Item(IDC_TEST_BARE_LIST));
  ASSERT_NE(pBare, nullptr);
  EXPECT_EQ(pBare->frameShape(), QFrame::NoFrame);
  EXPECT_EQ(pBare->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

  // Buttons: the caption as written; only the template's default button is
  // default, and no button becomes default by taking the focus.
  for (const int nID : kButtons) {
    SCOPED_TRACE(nID);
    ASSERT_NE(Button(nID), nullptr);
    EXPECT_EQ(Button(nID)->isDefault(), nID == IDOK);
    EXPECT_FALSE(Button(nID)->autoDefault());
    EXPECT_EQ(dynamic_cast<CMultiLineButton*>(Button(nID)) != nullptr, nID == IDC_TEST_WRAP);
    EXPECT_EQ(dynamic_cast<CSmallButton*>(Button(nID)) != nullptr, nID == IDC_TEST_TINY);
  }
  EXPECT_EQ(Button(IDOK)->text(), U("&Добавить"));
  EXPECT_EQ(Button(IDC_TEST_FIND)->text(), U("На&йти"));
  EXPECT_EQ(Button(IDC_TEST_TINY)->text(), "");
}

TEST_F(DialogTest, LabelsShowTheirCaptionAndTakeNoFocus) {
  QStringList texts;
  for (QLabel* pLabel : m_dlg.Window().findChildren<QLabel*>()) {
    if (!pLabel->pixmap().isNull() || pLabel->text().isEmpty()) continue;  // the icon
    texts.append(pLabel->text());
    EXPECT_EQ(pLabel->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(pLabel->textFormat(), Qt::PlainText);
  }
  texts.sort();
  // '&' marks a letter and is not shown, unless SS_NOPREFIX.
  EXPECT_EQ(texts, (QStringList{"A && B & C", U("Изменить"), U("Копии:")}));
}

TEST_F(DialogTest, EveryControlHasAnAccessibleNameAndDescriptionsBecomeTooltips) {
  struct Row {
    int nID;
    const char* name;
    const char* description;  // also the tooltip
  };
  const Row rows[] = {
      {IDC_TEST_EDIT, "Поле", ""},  // the template's name
      {IDC_TEST_LIST, "Список", ""},
      {IDC_TEST_BARE_LIST, "Копии:", ""},                // the label before it, without '&'
      {IDC_TEST_PLAIN_EDIT, "IDC_TEST_PLAIN_EDIT", ""},  // no label before it
      {IDOK, "Добавить", ""},                            // the caption, without '&'
      {IDC_TEST_FIND, "Найти", ""},
      {IDC_TEST_TINY, "Изменить", "Заменить запись текстом из поля"},
      {IDCANCEL, "Выход", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    QAccessibleInterface* pAccessible = QAccessible::queryAccessibleInterface(Item(r.nID));
    ASSERT_NE(pAccessible, nullptr);
    EXPECT_EQ(pAccessible->text(QAccessible::Name), U(r.name));
    EXPECT_EQ(pAccessible->text(QAccessible::Description), U(r.description));
    EXPECT_EQ(Item(r.nID)->toolTip(), U(r.description));
  }
}

TEST_F(DialogTest, IconStaticShowsTheWindowIconWheneverItIsSet) {
  QPixmap red(48, 48);
  red.fill(Qt::red);
  m_dlg.Window().setWindowIcon(QIcon(red));
  int nIcons = 0;
  for (QLabel* pLabel : m_dlg.Window().findChildren<QLabel*>()) {
    if (pLabel->pixmap().isNull()) continue;
    ++nIcons;
    EXPECT_EQ(pLabel->pixmap().toImage().pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(pLabel->pos(), m_dlg.Window().Units().ToPixels(QRect(170, 110, 21, 20)).topLeft());
  }
  EXPECT_EQ(nIcons, 1);
}

TEST_F(DialogTest, TinyButtonStandsOutInLightAndDarkThemesAndShowsItsFocus) {
  struct Row {
    const char* name;
    QColor window, button, text, highlight;
  };
  const Row rows[] = {
      {"light", QColor(239, 239, 239), QColor(239, 239, 239), Qt::black, QColor(48, 140, 198)},
      {"dark", QColor(53, 53, 53), QColor(53, 53, 53), QColor(238, 238, 236), QColor(21, 83, 158)},
  };
  const auto distance = [](QColor a, QColor b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
           std::abs(a.blue() - b.blue());
  };
  QWidget* pTiny = Item(IDC_TEST_TINY);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    QPalette palette;
    palette.setColor(QPalette::Window, r.window);
    palette.setColor(QPalette::Button, r.button);
    palette.setColor(QPalette::ButtonText, r.text);
    palette.setColor(QPalette::Highlight, r.highlight);
    m_dlg.Window().setPalette(palette);
    Edit()->setFocus();
    const QImage plain = pTiny->grab().toImage();
    // The edge stands out from the window around it.
    EXPECT_GT(distance(plain.pixelColor(0, plain.height() / 2), r.window), 300);
    pTiny->setFocus();
    const QImage focused = pTiny->grab().toImage();
    EXPECT_EQ(focused.pixelColor(focused.width() / 2, focused.height() / 2), r.highlight);
    EXPECT_GT(distance(focused.pixelColor(0, focused.height() / 2), r.window), 300);
  }
}

// The rows of `image` between `left` and `right` that hold caption ink:
// pixels much darker than the button face.
int InkRows(const QImage& image, int left, int right, int& first, int& last) {
  first = -1;
  last = -1;
  int rows = 0;
  for (int y = 3; y < image.height() - 3; ++y) {
    bool bInk = false;
    for (int x = left; x < right && !bInk; ++x) bInk = qGray(image.pixel(x, y)) < 100;
    if (!bInk) continue;
    ++rows;
    if (first < 0) first = y;
    last = y;
  }
  return rows;
}

TEST_F(DialogTest, MultiLineButtonCaptionWrapsWithinTheButtonAlsoWhenSetLater) {
  QPushButton* pButton = Button(IDC_TEST_WRAP);
  const QString caption = U("Бесплатные программы на сайте https://example.org/");
  pButton->setText(caption);
  EXPECT_EQ(pButton->text(), caption);
  const int nLine = pButton->fontMetrics().height();
  ASSERT_GT(pButton->fontMetrics().horizontalAdvance(caption), pButton->width());

  const QImage face = pButton->grab().toImage();
  int first = 0, last = 0;
  ASSERT_GT(InkRows(face, 4, face.width() - 4, first, last), 0);
  // Ink over more than one line, all inside the button.
  EXPECT_GT(last - first, nLine);
  EXPECT_LT(last, face.height() - 2);

  // A plain button with the same caption keeps it on one line.
  QPushButton plain(caption);
  plain.setFont(pButton->font());
  plain.resize(pButton->size());
  const QImage plainFace = plain.grab().toImage();
  InkRows(plainFace, 4, plainFace.width() - 4, first, last);
  EXPECT_LT(last - first, nLine);
}

// --- Opening ---------------------------------------------------------------

TEST_F(DialogTest, OpensWithTheFirstTabStopFocusedAndItsTextSelected) {
  EXPECT_EQ(m_dlg.m_nInitCalls, 1);
  EXPECT_EQ(m_dlg.m_exchanges, std::vector<bool>{false});  // the default start shows the data
  EXPECT_TRUE(Edit()->hasFocus());
  EXPECT_EQ(Edit()->selectedText(), "hint text");
  Letter(&m_dlg.Window(), "ж");
  EXPECT_EQ(Edit()->text(), U("ж"));
  EXPECT_TRUE(m_commands.empty());
}

TEST_F(DialogTest, OpensCentredInTheWorkArea) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  const QRect frame = m_dlg.Window().frameGeometry();
  ASSERT_LE(frame.width(), area.width());
  ASSERT_LE(frame.height(), area.height());
  EXPECT_EQ(frame.x(), area.x() + (area.width() - frame.width()) / 2);
  EXPECT_EQ(frame.y(), area.y() + (area.height() - frame.height()) / 2);
}

// --- Keyboard ----------------------------------------------------------------

TEST_F(DialogTest, TabFollowsTheTemplateOrderPastWhatItCannotReachAndWraps) {
  // Not reached: the edit field without WS_TABSTOP, the disabled and the
  // hidden button, the button without WS_TABSTOP.
  const int order[] = {IDC_TEST_LIST, IDC_TEST_BARE_LIST, IDOK,     IDC_TEST_FIND,
                       IDC_TEST_TINY, IDC_TEST_WRAP,      IDCANCEL, IDC_TEST_EDIT};
  for (const int nID : order) {
    Key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Item(nID)) << "expected " << nID;
  }
  Key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), Item(IDCANCEL));
  // Without WS_TABSTOP a click still focuses the control.
  EXPECT_EQ(Item(IDC_TEST_PLAIN_EDIT)->focusPolicy(), Qt::ClickFocus);
  EXPECT_EQ(Item(IDC_TEST_NO_TAB)->focusPolicy(), Qt::ClickFocus);
  EXPECT_TRUE(m_commands.empty());
}

TEST_F(DialogTest, EnterPressesTheFocusedButtonElseTheDefaultOne) {
  struct Row {
    int nFocus;
    Qt::Key key;
    int nWant;
  };
  const Row rows[] = {
      {IDC_TEST_EDIT, Qt::Key_Return, IDOK},
      {IDC_TEST_LIST, Qt::Key_Return, IDOK},
      {IDC_TEST_LIST, Qt::Key_Enter, IDOK},
      {IDC_TEST_PLAIN_EDIT, Qt::Key_Enter, IDOK},
      {IDC_TEST_FIND, Qt::Key_Return, IDC_TEST_FIND},
      {IDC_TEST_TINY, Qt::Key_Return, IDC_TEST_TINY},
      {IDC_TEST_NO_TAB, Qt::Key_Return, IDC_TEST_NO_TAB},
      {IDCANCEL, Qt::Key_Enter, IDCANCEL},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.nFocus);
    m_commands.clear();
    Item(r.nFocus)->setFocus();
    Key(r.key, r.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    EXPECT_EQ(m_commands, std::vector<int>{r.nWant});
  }
  // A disabled default button refuses Enter, as it refuses a click.
  m_commands.clear();
  Item(IDOK)->setEnabled(false);
  Edit()->setFocus();
  Key(Qt::Key_Return);
  EXPECT_TRUE(m_commands.empty());
}

TEST_F(DialogTest, SpacePressesTheFocusedButton) {
  Item(IDC_TEST_FIND)->setFocus();
  testing::Key(&m_dlg.Window(), Qt::Key_Space, Qt::NoModifier, " ");
  EXPECT_EQ(m_commands, std::vector<int>{IDC_TEST_FIND});
}

TEST_F(DialogTest, EscapeAndClosingSendCancelAndTheWindowStaysUnlessItEnds) {
  for (const int nFocus : {IDC_TEST_EDIT, IDC_TEST_LIST, IDC_TEST_FIND}) {
    SCOPED_TRACE(nFocus);
    m_commands.clear();
    Item(nFocus)->setFocus();
    Key(Qt::Key_Escape);
    EXPECT_EQ(m_commands, std::vector<int>{IDCANCEL});
  }
  m_commands.clear();
  EXPECT_FALSE(m_dlg.Window().close());  // the bound command did not end the window
  EXPECT_TRUE(m_dlg.Window().isVisible());
  Key(Qt::Key_F4, Qt::AltModifier);
  EXPECT_EQ(m_commands, (std::vector<int>{IDCANCEL, IDCANCEL}));

  // A disabled Cancel button refuses Escape and closing.
  m_commands.clear();
  Item(IDCANCEL)->setEnabled(false);
  Key(Qt::Key_Escape);
  EXPECT_FALSE(m_dlg.Window().close());
  EXPECT_TRUE(m_commands.empty());
  Item(IDCANCEL)->setEnabled(true);

  // A command that ends the window lets the close go through.
  m_dlg.BindCommand(IDCANCEL, BN_CLICKED, [this] { m_dlg.EndDialog(IDCANCEL); });
  EXPECT_TRUE(m_dlg.Window().close());
  EXPECT_FALSE(m_dlg.Window().isVisible());
  EXPECT_EQ(m_dlg.Window().result(), IDCANCEL);
}

TEST_F(DialogTest, AltWithAMnemonicPressesItsButtonAtOnceInEitherLayoutAndNeverTypes) {
  struct Row {
    const char* letter;  // what the active layout gives
    Qt::KeyboardModifiers modifiers;
    std::uint32_t nKeycode;  // the key's place (XKB keycode), 0: unknown
    int nWant;               // 0: no button
  };
  const Qt::KeyboardModifiers alt = Qt::AltModifier;
  const Row rows[] = {
      {"й", alt, 24, IDC_TEST_FIND},
      {"Й", alt | Qt::ShiftModifier, 24, IDC_TEST_FIND},
      {"д", alt, 46, IDOK},
      {"ы", alt, 39, IDCANCEL},
      {"м", alt, 55, IDC_TEST_NO_TAB},  // reached without WS_TABSTOP
      {"в", alt, 40, 0},                // the disabled button
      {"с", alt, 54, 0},                // the hidden button
      {"п", alt, 42, 0},                // a label's letter presses nothing
      {"ф", alt, 38, 0},                // no button's: nothing, not typed either
      {"й", Qt::ControlModifier, 24, 0},
      // A Latin layout: the key's Russian letter, by its place or else by
      // the US layout's letter.
      {"q", alt, 24, IDC_TEST_FIND},
      {"Q", alt | Qt::ShiftModifier, 24, IDC_TEST_FIND},
      {"s", alt, 39, IDCANCEL},
      {"s", alt, 0, IDCANCEL},
      {"l", alt, 0, IDOK},
      {"a", alt, 38, 0},  // ф
      {"`", alt, 49, 0},  // ё
      {"c", Qt::ControlModifier, 54, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.letter);
    SCOPED_TRACE(r.nKeycode);
    m_commands.clear();
    Edit()->setText("kept");
    Edit()->selectAll();
    Edit()->setFocus();
    const QString text = U(r.letter);
    const auto key = static_cast<Qt::Key>(text[0].toUpper().unicode());
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent event(type, key, r.modifiers, r.nKeycode, 0, 0, text);
      QApplication::sendEvent(Edit(), &event);
    }
    // No wait: the command has run when the key has been handled.
    EXPECT_EQ(m_commands, r.nWant == 0 ? std::vector<int>{} : std::vector<int>{r.nWant});
    if (r.modifiers & Qt::AltModifier) {
      EXPECT_EQ(Edit()->text(), "kept");
    }
  }
}

TEST_F(DialogTest, LetterAlonePressesItsButtonWhileAButtonHasFocus) {
  struct Row {
    const char* letter;
    int nWant;
  };
  const Row rows[] = {
      {"й", IDC_TEST_FIND}, {"Й", IDC_TEST_FIND}, {"Д", IDOK}, {"ы", IDCANCEL}, {"в", 0}, {"ж", 0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.letter);
    m_commands.clear();
    Item(IDC_TEST_TINY)->setFocus();
    Letter(&m_dlg.Window(), r.letter,
           U(r.letter) == U(r.letter).toUpper() ? Qt::ShiftModifier : Qt::NoModifier);
    EXPECT_EQ(m_commands, r.nWant == 0 ? std::vector<int>{} : std::vector<int>{r.nWant});
    EXPECT_EQ(QApplication::focusWidget(), Item(IDC_TEST_TINY));
  }
  // In an edit field or a list the same letter is text or type-ahead.
  for (const int nID : {IDC_TEST_EDIT, IDC_TEST_LIST}) {
    SCOPED_TRACE(nID);
    m_commands.clear();
    Item(nID)->setFocus();
    Edit()->clear();
    Letter(&m_dlg.Window(), "й");
    QTest::qWait(200);
    EXPECT_TRUE(m_commands.empty());
    EXPECT_EQ(Edit()->text(), nID == IDC_TEST_EDIT ? U("й") : QString());
  }
}

TEST_F(DialogTest, F1ChangesNothing) {
  Edit()->setText("kept");
  Key(Qt::Key_F1);
  EXPECT_TRUE(m_commands.empty());
  EXPECT_TRUE(m_boxes.boxes.empty());
  EXPECT_EQ(Edit()->text(), "kept");
  EXPECT_TRUE(m_dlg.Window().isVisible());
}

// --- System menu -------------------------------------------------------------

TEST_F(DialogTest, SystemMenuOpensOutsideTheEditFieldsAndSendsItsValues) {
  m_dlg.AppendSysMenuSeparator();
  m_dlg.AppendSysMenuItem(0x0010, "&Сведения");
  QMenu* pMenu = m_dlg.Window().GetSystemMenu();
  const QList<QAction*> actions = pMenu->actions();
  ASSERT_EQ(actions.size(), 3);
  EXPECT_EQ(actions[0]->text(), U("&Закрыть\tAlt+F4"));
  EXPECT_TRUE(actions[1]->isSeparator());
  EXPECT_EQ(actions[2]->text(), U("&Сведения"));

  // A right click in a list, on a button, on the window itself: its menu.
  for (QWidget* pTarget :
       {static_cast<QWidget*>(qobject_cast<QListView*>(Item(IDC_TEST_LIST))->viewport()),
        Item(IDC_TEST_FIND), static_cast<QWidget*>(&m_dlg.Window())}) {
    SCOPED_TRACE(pTarget->objectName().toStdString());
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                            pTarget->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(pTarget, &click);
    EXPECT_EQ(QApplication::activePopupWidget(), pMenu);
    pMenu->close();
  }
  // An edit field keeps its own edit menu.
  QContextMenuEvent inField(QContextMenuEvent::Mouse, QPoint(5, 5),
                            Edit()->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(Edit(), &inField);
  ASSERT_NE(QApplication::activePopupWidget(), nullptr);
  EXPECT_NE(QApplication::activePopupWidget(), pMenu);
  QApplication::activePopupWidget()->close();

  Key(Qt::Key_Space, Qt::AltModifier);
  EXPECT_EQ(QApplication::activePopupWidget(), pMenu);
  pMenu->close();

  actions[2]->trigger();
  EXPECT_EQ(m_dlg.m_sysCommands, std::vector<unsigned>{0x0010});
  EXPECT_TRUE(m_commands.empty());
  actions[0]->trigger();
  EXPECT_EQ(m_dlg.m_sysCommands, (std::vector<unsigned>{0x0010, SC_CLOSE}));
  EXPECT_EQ(m_commands, std::vector<int>{IDCANCEL});
}

TEST_F(DialogTest, SystemCloseIgnoresTheLowFourBits) {
  struct Row {
    unsigned nID;
    bool bCancel;
  };
  const Row rows[] = {{0xF060, true},  {0xF061, true},  {0xF06F, true},
                      {0xF070, false}, {0xF050, false}, {0x0010, false}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.nID);
    m_commands.clear();
    m_dlg.OnSysCommand(r.nID);
    EXPECT_EQ(m_commands.size(), r.bCancel ? 1u : 0u);
  }
}

// --- Dispatch ------------------------------------------------------------------

TEST_F(DialogTest, EveryFailingStepEndsInReportFailureAndTheWindowGoesOn) {
  m_dlg.BindCommand(IDC_TEST_FIND, BN_CLICKED, [] { throw CTestFailure(); });
  Button(IDC_TEST_FIND)->click();
  EXPECT_EQ(m_dlg.m_nFailures, 1);

  m_dlg.m_bExchangeFails = true;
  EXPECT_FALSE(m_dlg.UpdateData(true));
  EXPECT_EQ(m_dlg.m_nFailures, 2);
  m_dlg.m_bExchangeFails = false;
  EXPECT_TRUE(m_dlg.UpdateData(true));
  EXPECT_EQ(m_dlg.m_exchanges, (std::vector<bool>{false, true, true}));

  EXPECT_TRUE(m_dlg.Dispatch([] {}));
  EXPECT_FALSE(m_dlg.Dispatch([] { throw CTestFailure(); }));
  EXPECT_EQ(m_dlg.m_nFailures, 3);

  // A command may bind its own id anew while it runs.
  m_dlg.BindCommand(IDC_TEST_TINY, BN_CLICKED, [this] {
    m_dlg.BindCommand(IDC_TEST_TINY, BN_CLICKED, [this] { m_commands.push_back(-1); });
    m_commands.push_back(IDC_TEST_TINY);
  });
  Button(IDC_TEST_TINY)->click();
  Button(IDC_TEST_TINY)->click();
  EXPECT_EQ(m_commands, (std::vector<int>{IDC_TEST_TINY, -1}));

  EXPECT_TRUE(m_boxes.boxes.empty());
  EXPECT_TRUE(m_dlg.Window().isVisible());
  Button(IDOK)->click();
  EXPECT_EQ(m_commands.back(), IDOK);
}

TEST_F(DialogTest, RunningOutOfMemoryIsReportedUnderTheApplicationTitle) {
  m_dlg.BindCommand(IDC_TEST_FIND, BN_CLICKED, [] { throw std::bad_alloc(); });
  Button(IDC_TEST_FIND)->click();
  ASSERT_EQ(m_boxes.boxes.size(), 1u);
  EXPECT_EQ(m_boxes.boxes[0].text, "Out of memory.");
  EXPECT_EQ(m_boxes.boxes[0].caption, "dialog_test");  // this program's file name
  EXPECT_EQ(m_boxes.boxes[0].nType, MB_ICONEXCLAMATION);
  EXPECT_TRUE(m_dlg.Window().isVisible());
}

TEST_F(DialogTest, MessageBoxGoesThroughTheChosenBoxes) {
  EXPECT_EQ(m_dlg.MessageBox("Текст", "Внимание!"), IDOK);
  m_boxes.yesNoAnswers = {IDYES};
  EXPECT_EQ(m_dlg.MessageBox("Вопрос", "Внимание!", MB_YESNO), IDYES);
  ASSERT_EQ(m_boxes.boxes.size(), 2u);
  EXPECT_EQ(m_boxes.boxes[0].text, U("Текст"));
  EXPECT_EQ(m_boxes.boxes[0].caption, U("Внимание!"));
  EXPECT_EQ(m_boxes.boxes[0].nType, MB_OK);
  EXPECT_EQ(m_boxes.boxes[1].nType, MB_YESNO);
}

using DialogDeathTest = DialogTest;

TEST_F(DialogDeathTest, AFailureNoReportTakesEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  m_dlg.BindCommand(IDC_TEST_FIND, BN_CLICKED, [] { throw std::logic_error("a defect"); });
  EXPECT_DEATH(Button(IDC_TEST_FIND)->click(), "");
}

// --- The modal run -------------------------------------------------------------

TEST(DialogRun, FailingStartIsReportedAndTheWindowStillOpens) {
  CTestDlg dlg(IDD_TEST_BOX);
  dlg.m_onInit = [] { throw CTestFailure(); };
  EXPECT_TRUE(dlg.Create());
  EXPECT_EQ(dlg.m_nFailures, 1);
}

TEST(DialogRun, OkHasTheFocusAndEnterEndsTheRunWithOk) {
  CTestDlg dlg(IDD_TEST_BOX);
  QTimer::singleShot(0, &dlg.Window(), [&dlg] {
    EXPECT_TRUE(dlg.Window().isModal());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dlg.Window()));
    EXPECT_EQ(QApplication::focusWidget(), dlg.Window().GetDlgItem(IDOK));
    Key(&dlg.Window(), Qt::Key_Tab);  // the only tab stop
    EXPECT_EQ(QApplication::focusWidget(), dlg.Window().GetDlgItem(IDOK));
    Key(&dlg.Window(), Qt::Key_Return);
  });
  QTimer::singleShot(5000, &dlg.Window(), [&dlg] { dlg.EndDialog(12345); });  // never hang
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_FALSE(dlg.Window().isVisible());
  EXPECT_EQ(dlg.m_nInitCalls, 1);
}

TEST(DialogRun, EscapeEndsTheRunWithCancel) {
  CTestDlg dlg(IDD_TEST_BOX);
  QTimer::singleShot(0, &dlg.Window(), [&dlg] { Key(&dlg.Window(), Qt::Key_Escape); });
  QTimer::singleShot(5000, &dlg.Window(), [&dlg] { dlg.EndDialog(12345); });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

TEST(DialogRun, EndDialogDuringInitialisationEndsTheRunAtOnce) {
  CTestDlg dlg(IDD_TEST_BOX);
  dlg.m_onInit = [&dlg] { dlg.EndDialog(7); };
  EXPECT_EQ(dlg.DoModal(), 7);
  EXPECT_FALSE(dlg.Window().isVisible());
}

TEST(DialogRun, WithoutATemplateNothingIsCreatedAndDoModalReturnsMinusOne) {
  for (const int nID : {IDD_TEST_MISSING, 999}) {
    SCOPED_TRACE(nID);
    CTestDlg dlg(nID);
    EXPECT_FALSE(dlg.Create());
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_EQ(dlg.m_nInitCalls, 0);
    EXPECT_EQ(dlg.Window().GetDlgItem(IDOK), nullptr);
  }
}

TEST(DialogRun, WithoutAnOwnerTheMainWindowOwnsTheRunAndTheBoxIsCentredOverIt) {
  class CApp : public CWinApp {
  } app;
  CTestDlg main(IDD_TEST_DIALOG);
  ASSERT_TRUE(main.Create());
  main.Window().move(main.Window().pos() + QPoint(40, 30));  // away from the box's own centre
  main.Window().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main.Window()));
  app.m_pMainWnd = &main;

  CTestDlg box(IDD_TEST_BOX);
  QWidget* pOwnerSeen = nullptr;
  QRect frameSeen;
  QTimer::singleShot(0, &box.Window(), [&] {
    pOwnerSeen = box.Window().parentWidget();
    frameSeen = box.Window().frameGeometry();
    box.EndDialog(IDOK);
  });
  EXPECT_EQ(box.DoModal(), IDOK);
  EXPECT_EQ(pOwnerSeen, &main.Window());
  const QRect owner = main.Window().frameGeometry();
  EXPECT_EQ(frameSeen.x(), owner.x() + (owner.width() - frameSeen.width()) / 2);
  EXPECT_EQ(frameSeen.y(), owner.y() + (owner.height() - frameSeen.height()) / 2);
  EXPECT_EQ(box.Window().parentWidget(), nullptr);  // borrowed for the run only
}

TEST(DialogRun, TheMainWindowReferenceIsClearedWhenTheMainWindowGoes) {
  class CApp : public CWinApp {
  } app;
  {
    CTestDlg main(IDD_TEST_DIALOG);
    app.m_pMainWnd = &main;
  }
  EXPECT_EQ(app.m_pMainWnd, nullptr);
}

}  // namespace
}  // namespace velunar

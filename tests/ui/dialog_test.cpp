#include "ui/dialog.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <new>
#include <vector>

#include "store/entry_file.h"
#include "ui/entry_edit.h"
#include "ui/list_box.h"
#include "ui/message_boxes.h"
#include "ui/resource_ids.h"
#include "ui/win_app.h"

namespace velunar {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// Keeps the boxes a dialog would have shown.
class CRecordedBoxes : public IMessageBoxes {
 public:
  struct Box {
    QString text, caption;
    unsigned nType;
  };
  int Show(QWidget* /*owner*/, const QString& text, const QString& caption,
           unsigned nType) override {
    m_boxes.push_back({text, caption, nType});
    return IDOK;
  }
  std::vector<Box> m_boxes;
};

class CTestDlg : public CDialog {
 public:
  explicit CTestDlg(int nIDTemplate, QWidget* pParent = nullptr) : CDialog(nIDTemplate, pParent) {}

  using CDialog::AppendSysMenuItem;
  using CDialog::AppendSysMenuSeparator;

  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    ++m_nInitCalls;
    if (auto* pEdit = qobject_cast<CEntryEdit*>(GetDlgItem(IDC_ENTRY_EDIT))) {
      pEdit->SetEntryText("hint text");
    }
    if (m_onInit) m_onInit();
    return true;
  }
  void OnSysCommand(unsigned nID) override {
    m_sysCommands.push_back(nID);
    CDialog::OnSysCommand(nID);
  }

  int m_nInitCalls = 0;
  std::function<void()> m_onInit;
  std::vector<unsigned> m_sysCommands;
};

constexpr int kMainButtons[] = {IDOK,       IDCANCEL,   IDC_FIND, IDC_SHOW_ALL,
                                IDC_CHANGE, IDC_DELETE, IDC_SAVE};

class MainDialogTest : public testing::Test {
 protected:
  MainDialogTest() : m_dlg(IDD_VELUNAR_DIALOG) {
    m_dlg.SetMessageBoxes(&m_boxes);
    for (const int nID : kMainButtons) {
      m_dlg.BindCommand(nID, BN_CLICKED, [this, nID] { m_commands.push_back(nID); });
    }
  }

  void SetUp() override {
    ASSERT_TRUE(m_dlg.Create());
    m_dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_dlg));
  }

  // A key pressed on the keyboard: it goes to the window, which hands it to
  // the focused control.
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           const QString& text = {}) {
    QTest::sendKeyEvent(QTest::Press, m_dlg.windowHandle(), key, text, modifiers);
    QTest::sendKeyEvent(QTest::Release, m_dlg.windowHandle(), key, text, modifiers);
  }
  void Letter(const char* utf8, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QString text = U(utf8);
    Key(static_cast<Qt::Key>(text[0].toUpper().unicode()), modifiers, text);
  }

  QWidget* Item(int nID) { return m_dlg.GetDlgItem(nID); }
  CEntryEdit* Edit() { return qobject_cast<CEntryEdit*>(Item(IDC_ENTRY_EDIT)); }
  QPushButton* Button(int nID) { return qobject_cast<QPushButton*>(Item(nID)); }

  CRecordedBoxes m_boxes;
  CTestDlg m_dlg;
  std::vector<int> m_commands;
};

TEST_F(MainDialogTest, ControlsComeFromTheTemplateInDialogUnits) {
  EXPECT_EQ(m_dlg.windowTitle(), U("Велунар"));
  EXPECT_EQ(m_dlg.font().pointSize(), 8);
  const QSize size = m_dlg.Units().ToPixels(QSize(673, 423));
  EXPECT_EQ(m_dlg.size(), size);
  EXPECT_EQ(m_dlg.minimumSize(), size);
  EXPECT_EQ(m_dlg.maximumSize(), size);

  ASSERT_NE(Edit(), nullptr);
  ASSERT_NE(qobject_cast<CListBoxView*>(Item(IDC_ENTRY_LIST)), nullptr);
  struct Row {
    int nID;
    QRect rcDlgUnits;
    const char* caption;
  };
  const Row rows[] = {
      {IDC_ENTRY_EDIT, {7, 382, 659, 12}, nullptr},
      {IDC_ENTRY_LIST, {7, 7, 659, 367}, nullptr},
      {IDC_FIND, {7, 401, 96, 16}, "На&йти"},
      {IDC_SHOW_ALL, {105, 401, 96, 16}, "Показать вс&ё"},
      {IDOK, {203, 401, 96, 16}, "Доба&вить"},
      {IDC_CHANGE, {384, 410, 14, 7}, ""},
      {IDC_DELETE, {457, 410, 6, 7}, ""},
      {IDC_SAVE, {539, 401, 50, 16}, "&Сохранить"},
      {IDCANCEL, {616, 401, 50, 16}, "В&ыход"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.nID);
    ASSERT_NE(Item(r.nID), nullptr);
    EXPECT_EQ(Item(r.nID)->geometry(), m_dlg.Units().ToPixels(r.rcDlgUnits));
    if (r.caption != nullptr) {
      ASSERT_NE(Button(r.nID), nullptr);
      EXPECT_EQ(Button(r.nID)->text(), U(r.caption));
      EXPECT_EQ(Button(r.nID)->isDefault(), r.nID == IDOK);
      EXPECT_FALSE(Button(r.nID)->autoDefault());
    }
  }
  EXPECT_EQ(Item(-1), nullptr);
  EXPECT_EQ(Item(IDC_SITE_LINK), nullptr);
}

TEST_F(MainDialogTest, WindowHasACloseButtonOnly) {
  const Qt::WindowFlags flags = m_dlg.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(flags & Qt::WindowTitleHint);
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
}

TEST_F(MainDialogTest, LabelsTakeNoFocusAndNameTheTinyButtons) {
  const QList<QLabel*> labels = m_dlg.findChildren<QLabel*>();
  QStringList texts;
  for (QLabel* pLabel : labels) {
    texts.append(pLabel->text());
    EXPECT_EQ(pLabel->focusPolicy(), Qt::NoFocus);
  }
  texts.sort();
  EXPECT_EQ(texts, (QStringList{U("Изменить"), U("Удалить")}));
}

TEST_F(MainDialogTest, EveryControlHasAnAccessibleName) {
  struct Row {
    int nID;
    const char* want;  // nullptr: any non-empty name
  };
  const Row rows[] = {
      {IDC_ENTRY_EDIT, nullptr},      {IDC_ENTRY_LIST, nullptr}, {IDC_FIND, "Найти"},
      {IDC_SHOW_ALL, "Показать всё"}, {IDOK, "Добавить"},        {IDC_CHANGE, "Изменить"},
      {IDC_DELETE, "Удалить"},        {IDC_SAVE, "Сохранить"},   {IDCANCEL, "Выход"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.nID);
    QAccessibleInterface* pAccessible = QAccessible::queryAccessibleInterface(Item(r.nID));
    ASSERT_NE(pAccessible, nullptr);
    const QString name = pAccessible->text(QAccessible::Name);
    if (r.want != nullptr) {
      EXPECT_EQ(name, U(r.want));
    } else {
      EXPECT_FALSE(name.isEmpty());
    }
  }
}

TEST_F(MainDialogTest, TheButtonsWithoutCaptionSayWhatTheyDo) {
  struct Row {
    int nID;
    const char* name;
    const char* description;
    QSize size;  // 14 x 7 and 6 x 7 dialog units, as the template makes them
  };
  const CDialogUnits& u = m_dlg.Units();
  const Row rows[] = {
      {IDC_CHANGE, "Изменить", "Заменить выделенную в списке запись текстом из нижнего поля",
       QSize(u.ToPixelsX(14), u.ToPixelsY(7))},
      {IDC_DELETE, "Удалить", "Удалить запись, которую показывает нижнее поле",
       QSize(u.ToPixelsX(6), u.ToPixelsY(7))},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    QAccessibleInterface* pAccessible = QAccessible::queryAccessibleInterface(Item(r.nID));
    ASSERT_NE(pAccessible, nullptr);
    EXPECT_EQ(pAccessible->text(QAccessible::Name), U(r.name));
    EXPECT_EQ(pAccessible->text(QAccessible::Description), U(r.description));
    EXPECT_EQ(Item(r.nID)->toolTip(), U(r.description));
    EXPECT_EQ(Item(r.nID)->size(), r.size);
  }
  // The buttons with captions need no description.
  EXPECT_TRUE(Item(IDC_FIND)->toolTip().isEmpty());
}

TEST_F(MainDialogTest, OpensWithTheFieldFocusedAndItsTextSelected) {
  EXPECT_EQ(m_dlg.m_nInitCalls, 1);
  EXPECT_TRUE(Edit()->hasFocus());
  EXPECT_EQ(Edit()->selectedText(), "hint text");
  Letter("ж");
  EXPECT_EQ(Edit()->text(), U("ж"));
  EXPECT_TRUE(m_commands.empty());
}

TEST_F(MainDialogTest, OpensCentredInTheWorkArea) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  const QRect frame = m_dlg.frameGeometry();
  if (frame.width() <= area.width()) {
    EXPECT_EQ(frame.x(), area.x() + (area.width() - frame.width()) / 2);
  } else {
    EXPECT_EQ(frame.x(), area.x());
  }
  if (frame.height() <= area.height()) {
    EXPECT_EQ(frame.y(), area.y() + (area.height() - frame.height()) / 2);
  } else {
    EXPECT_EQ(frame.y(), area.y());
  }
}

TEST_F(MainDialogTest, TabFollowsTheTemplateOrderAndWraps) {
  const int order[] = {IDC_ENTRY_LIST, IDC_FIND, IDC_SHOW_ALL, IDOK,          IDC_CHANGE,
                       IDC_DELETE,     IDC_SAVE, IDCANCEL,     IDC_ENTRY_EDIT};
  for (const int nID : order) {
    Key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Item(nID)) << "expected " << nID;
  }
  Key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), Item(IDCANCEL));
}

TEST_F(MainDialogTest, EnterPressesTheFocusedButtonElseTheDefaultOne) {
  struct Row {
    int nFocus;
    Qt::Key key;
    int nWant;
  };
  const Row rows[] = {
      {IDC_ENTRY_EDIT, Qt::Key_Return, IDOK},   {IDC_ENTRY_LIST, Qt::Key_Return, IDOK},
      {IDC_ENTRY_LIST, Qt::Key_Enter, IDOK},    {IDC_FIND, Qt::Key_Return, IDC_FIND},
      {IDC_CHANGE, Qt::Key_Return, IDC_CHANGE}, {IDCANCEL, Qt::Key_Enter, IDCANCEL},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.nFocus);
    m_commands.clear();
    Item(r.nFocus)->setFocus();
    Key(r.key, r.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    EXPECT_EQ(m_commands, std::vector<int>{r.nWant});
  }
}

TEST_F(MainDialogTest, SpacePressesTheFocusedButton) {
  Item(IDC_SAVE)->setFocus();
  Key(Qt::Key_Space, Qt::NoModifier, " ");
  EXPECT_EQ(m_commands, std::vector<int>{IDC_SAVE});
}

TEST_F(MainDialogTest, EscapeAndClosingSendCancelAndTheWindowStaysUnlessItEnds) {
  for (const int nFocus : {IDC_ENTRY_EDIT, IDC_ENTRY_LIST, IDC_SAVE}) {
    SCOPED_TRACE(nFocus);
    m_commands.clear();
    Item(nFocus)->setFocus();
    Key(Qt::Key_Escape);
    EXPECT_EQ(m_commands, std::vector<int>{IDCANCEL});
  }
  m_commands.clear();
  EXPECT_FALSE(m_dlg.close());  // the bound command did not end the window
  EXPECT_TRUE(m_dlg.isVisible());
  Key(Qt::Key_F4, Qt::AltModifier);
  EXPECT_EQ(m_commands, (std::vector<int>{IDCANCEL, IDCANCEL}));

  // A command that ends the window lets the close go through.
  m_dlg.BindCommand(IDCANCEL, BN_CLICKED, [this] { m_dlg.EndDialog(IDCANCEL); });
  EXPECT_TRUE(m_dlg.close());
  EXPECT_FALSE(m_dlg.isVisible());
  EXPECT_EQ(m_dlg.result(), IDCANCEL);
}

TEST_F(MainDialogTest, DisabledCancelButtonRefusesEscape) {
  Item(IDCANCEL)->setEnabled(false);
  Key(Qt::Key_Escape);
  EXPECT_TRUE(m_commands.empty());
}

TEST_F(MainDialogTest, AltWithAMnemonicPressesItsButton) {
  struct Row {
    const char* letter;
    int nWant;
  };
  const Row rows[] = {
      {"й", IDC_FIND}, {"ё", IDC_SHOW_ALL}, {"в", IDOK}, {"с", IDC_SAVE}, {"ы", IDCANCEL}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.letter);
    m_commands.clear();
    Edit()->setFocus();
    Letter(r.letter, Qt::AltModifier);
    QTRY_COMPARE_WITH_TIMEOUT(m_commands.size(), std::size_t{1}, 2000);
    EXPECT_EQ(m_commands[0], r.nWant);
  }
}

TEST_F(MainDialogTest, LetterAlonePressesItsButtonWhileAButtonHasFocus) {
  struct Row {
    const char* letter;
    int nWant;
  };
  const Row rows[] = {
      {"й", IDC_FIND}, {"Й", IDC_FIND}, {"Ё", IDC_SHOW_ALL}, {"С", IDC_SAVE}, {"ы", IDCANCEL}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.letter);
    m_commands.clear();
    Item(IDC_CHANGE)->setFocus();
    Letter(r.letter);
    QTRY_COMPARE_WITH_TIMEOUT(m_commands.size(), std::size_t{1}, 2000);
    EXPECT_EQ(m_commands[0], r.nWant);
  }
  // In the field the same letter is text.
  m_commands.clear();
  Edit()->setFocus();
  Edit()->SetEntryText("");
  Letter("й");
  QTest::qWait(200);
  EXPECT_TRUE(m_commands.empty());
  EXPECT_EQ(Edit()->text(), U("й"));
}

TEST_F(MainDialogTest, F1ChangesNothing) {
  Edit()->SetEntryText("kept");
  Key(Qt::Key_F1);
  EXPECT_TRUE(m_commands.empty());
  EXPECT_TRUE(m_boxes.m_boxes.empty());
  EXPECT_EQ(Edit()->text(), "kept");
  EXPECT_TRUE(m_dlg.isVisible());
}

TEST_F(MainDialogTest, SystemMenuOpensOutsideTheFieldAndSendsItsValues) {
  m_dlg.AppendSysMenuSeparator();
  m_dlg.AppendSysMenuItem(IDM_ABOUTBOX, U("&О программе"));
  QMenu* pMenu = m_dlg.GetSystemMenu();
  const QList<QAction*> actions = pMenu->actions();
  ASSERT_EQ(actions.size(), 3);
  EXPECT_EQ(actions[0]->text(), U("&Закрыть\tAlt+F4"));
  EXPECT_TRUE(actions[1]->isSeparator());
  EXPECT_EQ(actions[2]->text(), U("&О программе"));

  // A right click in the list, and on a button: the window's menu.
  for (const int nID : {IDC_ENTRY_LIST, IDC_FIND}) {
    SCOPED_TRACE(nID);
    QWidget* pTarget = Item(nID);
    if (auto* pList = qobject_cast<CListBoxView*>(pTarget)) pTarget = pList->viewport();
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                            pTarget->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(pTarget, &click);
    EXPECT_EQ(QApplication::activePopupWidget(), pMenu);
    pMenu->close();
  }
  // The field keeps its own edit menu.
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
  EXPECT_EQ(m_dlg.m_sysCommands, std::vector<unsigned>{IDM_ABOUTBOX});
  EXPECT_TRUE(m_commands.empty());
  actions[0]->trigger();
  EXPECT_EQ(m_dlg.m_sysCommands, (std::vector<unsigned>{IDM_ABOUTBOX, SC_CLOSE}));
  EXPECT_EQ(m_commands, std::vector<int>{IDCANCEL});
}

TEST_F(MainDialogTest, SystemCloseIgnoresTheLowFourBits) {
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

TEST_F(MainDialogTest, CommandFailuresAreReportedAndTheWindowGoesOn) {
  m_dlg.BindCommand(IDC_SAVE, BN_CLICKED, [] {
    throw CFileException(CFileException::diskFull, 28, "/tmp/Папка/velunar.txt");
  });
  m_dlg.BindCommand(IDC_FIND, BN_CLICKED,
                    [] { throw CFileException(CFileException::generic, 5, "/tmp/velunar.txt"); });
  m_dlg.BindCommand(IDC_SHOW_ALL, BN_CLICKED, [] { throw std::bad_alloc(); });

  Button(IDC_SAVE)->click();
  Button(IDC_FIND)->click();
  Button(IDC_SHOW_ALL)->click();
  ASSERT_EQ(m_boxes.m_boxes.size(), 3u);
  const QString title = AppTitle();
  EXPECT_EQ(title, "dialog_test");
  EXPECT_EQ(m_boxes.m_boxes[0].text, U("Disk full while accessing /tmp/Папка/velunar.txt."));
  EXPECT_EQ(m_boxes.m_boxes[0].nType, MB_ICONSTOP);
  EXPECT_EQ(m_boxes.m_boxes[1].text, "An unknown error occurred while accessing /tmp/velunar.txt.");
  EXPECT_EQ(m_boxes.m_boxes[1].nType, MB_ICONSTOP);
  EXPECT_EQ(m_boxes.m_boxes[2].text, "Out of memory.");
  EXPECT_EQ(m_boxes.m_boxes[2].nType, MB_ICONEXCLAMATION);
  for (const CRecordedBoxes::Box& box : m_boxes.m_boxes) EXPECT_EQ(box.caption, title);

  EXPECT_TRUE(m_dlg.isVisible());
  Button(IDOK)->click();
  EXPECT_EQ(m_commands, std::vector<int>{IDOK});
}

TEST_F(MainDialogTest, MessageBoxGoesThroughTheChosenBoxes) {
  EXPECT_EQ(m_dlg.MessageBox(U("Текст"), U("Внимание!")), IDOK);
  ASSERT_EQ(m_boxes.m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes.m_boxes[0].text, U("Текст"));
  EXPECT_EQ(m_boxes.m_boxes[0].caption, U("Внимание!"));
  EXPECT_EQ(m_boxes.m_boxes[0].nType, MB_OK);
}

// The About box: no commands bound, so OK and Cancel are the dialog's own.
class AboutBoxTest : public testing::Test {
 protected:
  AboutBoxTest() : m_dlg(IDD_ABOUTBOX) {}
  CTestDlg m_dlg;
};

TEST_F(AboutBoxTest, OkHasTheFocusAndEndsTheRun) {
  ASSERT_TRUE(m_dlg.Create());
  EXPECT_EQ(m_dlg.windowTitle(), U("О программе \"Велунар\""));
  m_dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&m_dlg));
  EXPECT_EQ(QApplication::focusWidget(), m_dlg.GetDlgItem(IDOK));
  QTest::keyClick(m_dlg.windowHandle(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), m_dlg.GetDlgItem(IDC_SITE_LINK));
  QTest::keyClick(m_dlg.windowHandle(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), m_dlg.GetDlgItem(IDOK));
  QTest::keyClick(m_dlg.windowHandle(), Qt::Key_Return);
  EXPECT_FALSE(m_dlg.isVisible());
  EXPECT_EQ(m_dlg.result(), IDOK);
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

TEST_F(AboutBoxTest, SiteButtonCaptionWrapsWithinTheButton) {
  ASSERT_TRUE(m_dlg.Create());
  const QString caption = U("Бесплатные программы на сайте https://example.org/");
  auto* pButton = qobject_cast<QPushButton*>(m_dlg.GetDlgItem(IDC_SITE_LINK));
  ASSERT_NE(pButton, nullptr);
  // Set as the About box does it, after the window is built.
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

TEST_F(AboutBoxTest, IconStaticShowsTheWindowIcon) {
  ASSERT_TRUE(m_dlg.Create());
  QPixmap red(48, 48);
  red.fill(Qt::red);
  m_dlg.setWindowIcon(QIcon(red));
  const QList<QLabel*> labels = m_dlg.findChildren<QLabel*>();
  int nIcons = 0;
  for (QLabel* pLabel : labels) {
    if (pLabel->pixmap().isNull()) continue;
    ++nIcons;
    EXPECT_EQ(pLabel->pixmap().toImage().pixelColor(10, 10), QColor(Qt::red));
  }
  EXPECT_EQ(nIcons, 1);
}

TEST_F(AboutBoxTest, DoModalRunsUntilEscapeAndReturnsCancel) {
  QTimer::singleShot(0, &m_dlg, [this] {
    EXPECT_TRUE(m_dlg.isModal());
    QTest::keyClick(m_dlg.windowHandle(), Qt::Key_Escape);
  });
  EXPECT_EQ(m_dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(m_dlg.m_nInitCalls, 1);
}

TEST_F(AboutBoxTest, DoModalIsOwnedByTheMainWindowAndCentredOverIt) {
  class CApp : public CWinApp {
  } app;
  CTestDlg main(IDD_VELUNAR_DIALOG);
  ASSERT_TRUE(main.Create());
  main.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  app.m_pMainWnd = &main;

  QWidget* pOwnerSeen = nullptr;
  QRect frameSeen;
  QTimer::singleShot(0, &m_dlg, [&] {
    pOwnerSeen = m_dlg.parentWidget();
    frameSeen = m_dlg.frameGeometry();
    m_dlg.EndDialog(IDOK);
  });
  EXPECT_EQ(m_dlg.DoModal(), IDOK);
  EXPECT_EQ(pOwnerSeen, &main);
  const QRect owner = main.frameGeometry();
  EXPECT_EQ(frameSeen.x(), owner.x() + (owner.width() - frameSeen.width()) / 2);
  EXPECT_EQ(frameSeen.y(), owner.y() + (owner.height() - frameSeen.height()) / 2);
  EXPECT_EQ(m_dlg.parentWidget(), nullptr);  // borrowed for the run only
}

TEST_F(AboutBoxTest, EndDialogDuringInitialisationEndsTheRunAtOnce) {
  m_dlg.m_onInit = [this] { m_dlg.EndDialog(7); };
  EXPECT_EQ(m_dlg.DoModal(), 7);
  EXPECT_FALSE(m_dlg.isVisible());
}

TEST(DialogWithoutTemplate, DoModalReturnsMinusOne) {
  CTestDlg dlg(999);
  EXPECT_FALSE(dlg.Create());
  EXPECT_EQ(dlg.DoModal(), -1);
  EXPECT_EQ(dlg.m_nInitCalls, 0);
}

TEST(MainWindowReference, ClearedWhenTheMainWindowGoes) {
  class CApp : public CWinApp {
  } app;
  {
    CTestDlg main(IDD_VELUNAR_DIALOG);
    app.m_pMainWnd = &main;
  }
  EXPECT_EQ(app.m_pMainWnd, nullptr);
}

}  // namespace
}  // namespace velunar

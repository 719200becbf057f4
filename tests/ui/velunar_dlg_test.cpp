// The main window as a whole, driven in-process as a user would drive it:
// keys go to the window, message boxes are recorded, and each window works
// on velunar.txt in a fresh current directory. The commands' own rules are
// tested beside this file (Select, and failures of the entry file, among
// them); here it is the window around them: start-up, the keyboard, the
// controls the template makes, the exchange of the entry field and the
// system menu.
#include "ui/velunar_dlg.h"

#include "ui/platform/qt/list_box_view.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "store/file/entry_file.h"
#include "store/file/posix/file_system.h"
#include "tests/store/file/faulty_file_system.h"
#include "tests/ui/window_driver.h"
#include "tests/ui/window_texts.h"
#include "ui/about_dlg.h"
#include "ui/platform/qt/entry_edit.h"
#include "ui/platform/list_box.h"
#include "ui/platform/qt/dialog_units.h"
#include "ui/platform/win_app.h"
#include "ui/platform/win_defs.h"
#include "ui/resource_ids.h"

namespace velunar {
namespace {

using testing::CFaultyFileSystem;
using testing::CMessageBoxRecorder;
using testing::CScratchDir;
using testing::EOp;
using testing::kAddStatusMsg;
using testing::kCountPrefix;
using testing::Key;
using testing::kHint;
using testing::Type;
using testing::U;

// Windows-1251 bytes of the entries, written out by hand.
const std::string kAnna = "\xC0\xED\xED\xE0";                                      // Анна
const std::string kAnnaPetrova = "\xC0\xED\xED\xE0 \xCF\xE5\xF2\xF0\xEE\xE2\xE0";  // Анна Петрова
const std::string kBoris = "\xC1\xEE\xF0\xE8\xF1";                                 // Борис
const std::string kBorsch = "\xE1\xEE\xF0\xF9";                                    // борщ
const std::string kVera = "\xC2\xE5\xF0\xE0";                                      // Вера
const std::string kZhanna = "\xC6\xE0\xED\xED\xE0";                                // Жанна

// Four entries out of order; the list shows Анна, Борис, борщ, Вера.
const std::string kFourEntries =
    kVera + "\r\n" + kBorsch + "\r\n" + kAnna + "\r\n" + kBoris + "\r\n";
const std::string kFourSorted =
    kAnna + "\r\n" + kBoris + "\r\n" + kBorsch + "\r\n" + kVera + "\r\n";

// The caption of the failure reports: this test program's file name.
const char kAppTitle[] = "velunar_dlg_test";

QString CountLine(const char* number) { return U(kCountPrefix) + number; }

// One main window in a fresh current directory, its message boxes
// recorded. The directory is made first and removed last, after the window
// has let go of the entry file.
class CWindowRun {
 public:
  // Writes `fileBytes` as velunar.txt (nullopt: no file) and builds the
  // window object; nothing is opened until Create.
  explicit CWindowRun(const std::optional<std::string>& fileBytes,
                      IFileSystem& fs = PosixFileSystem())
      : dlg(nullptr, fs) {
    if (fileBytes) dir.WriteEntryFile(*fileBytes);
    dlg.SetMessageBoxes(&boxes);
  }

  // Creates the window and shows it, as the modal run does.
  void Open() {
    ASSERT_TRUE(dlg.Create());
    dlg.Window().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg.Window()));
  }

  QWidget* Item(int nID) const { return dlg.Window().GetDlgItem(nID); }
  CEntryEdit* Edit() const { return qobject_cast<CEntryEdit*>(Item(IDC_ENTRY_EDIT)); }
  CListBoxView* ListView() const { return qobject_cast<CListBoxView*>(Item(IDC_ENTRY_LIST)); }
  QPushButton* Button(int nID) const { return qobject_cast<QPushButton*>(Item(nID)); }

  // The list's rows as the user sees them.
  QStringList Rows() const {
    QStringList rows;
    const QAbstractItemModel* pModel = ListView()->model();
    for (int i = 0; i < pModel->rowCount(); ++i)
      rows.append(pModel->data(pModel->index(i, 0)).toString());
    return rows;
  }
  // The row the view shows selected, -1 for none.
  int ViewSelection() const {
    const QModelIndexList rows = ListView()->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
  }
  void ClickRow(int nRow) const {
    const QRect rect = ListView()->visualRect(ListView()->model()->index(nRow, 0));
    QTest::mouseClick(ListView()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
  }
  // Selects the field's whole text from the keyboard, so that typing
  // replaces it.
  void SelectFieldText() { Key(&dlg.Window(), Qt::Key_A, Qt::ControlModifier); }
  // Alt with a mnemonic letter; its command has run when this returns.
  void Alt(const char* letter) { testing::Letter(&dlg.Window(), letter, Qt::AltModifier); }
  // A command value of the system menu, as the menu delivers it.
  void SysCommand(unsigned nID) { static_cast<CDialog&>(dlg).OnSysCommand(nID); }

  CScratchDir dir;
  CMessageBoxRecorder boxes;
  CVelunarDlg dlg;
};

class MainWindowTest : public ::testing::Test {
 protected:
  // A new window, in a new directory, in place of any earlier one.
  CWindowRun& Open(const std::optional<std::string>& fileBytes,
                   IFileSystem& fs = PosixFileSystem()) {
    m_pRun.reset();
    m_pRun = std::make_unique<CWindowRun>(fileBytes, fs);
    m_pRun->Open();
    return *m_pRun;
  }

  std::unique_ptr<CWindowRun> m_pRun;
};

// --- Start-up -------------------------------------------------------------

class MainWindowStartTest : public MainWindowTest {};

TEST_F(MainWindowStartTest, NonEmptyFileShowsSortedEntriesItemZeroHighlightedAndTheHintSelected) {
  CWindowRun& run = Open(kFourEntries);
  EXPECT_EQ(run.Rows(), (QStringList{U("Анна"), U("Борис"), U("борщ"), U("Вера")}));
  EXPECT_EQ(run.dlg.ListBox().GetCurSel(), 0);
  EXPECT_EQ(run.ViewSelection(), 0);
  EXPECT_EQ(run.dlg.CurIndex(), 0);
  EXPECT_FALSE(run.dlg.IsFiltered());

  // Select did not run: the field shows the hint, not Анна, wholly selected.
  EXPECT_TRUE(run.Edit()->hasFocus());
  EXPECT_EQ(run.Edit()->text(), U(kHint));
  EXPECT_EQ(run.Edit()->selectedText(), U(kHint));
  EXPECT_TRUE(run.boxes.boxes.empty());
  EXPECT_EQ(run.dlg.EntryFile().State(), CStdioFile::EState::held);
  EXPECT_EQ(run.dir.ReadEntryFile(), kFourEntries);

  Type(&run.dlg.Window(), U("ж"));
  EXPECT_EQ(run.Edit()->text(), U("ж"));
}

TEST_F(MainWindowStartTest, EmptyOrMissingFileOpensAnEmptyListAndLeavesAnEmptyFile) {
  struct Row {
    const char* name;
    std::optional<std::string> file;
  };
  const Row rows[] = {{"empty file", std::string()}, {"no file", std::nullopt}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    CWindowRun& run = Open(r.file);
    EXPECT_TRUE(run.Rows().isEmpty());
    EXPECT_EQ(run.dlg.ListBox().GetCurSel(), -1);
    EXPECT_EQ(run.ViewSelection(), -1);
    EXPECT_EQ(run.Edit()->text(), U(kHint));
    EXPECT_EQ(run.Edit()->selectedText(), U(kHint));
    EXPECT_TRUE(run.boxes.boxes.empty());
    EXPECT_EQ(run.dir.Names(), std::vector<std::string>{"velunar.txt"});
    EXPECT_EQ(std::filesystem::file_size(run.dir.Path() + "/velunar.txt"), 0u);
  }
}

// The window's one box names the file and why it cannot be had; the window
// ends without showing itself and leaves the file as it was.
TEST_F(MainWindowStartTest, UnloadableFileIsReportedWithItsCauseAndTheWindowEndsWithoutWriting) {
  const std::string kClosing = ".\nПрограмма закрывается, не изменяя его.";
  struct Row {
    const char* name;
    // Prepares the directory and the file system; returns whatever must
    // live as long as the window.
    std::function<std::shared_ptr<void>(const CScratchDir&, CFaultyFileSystem&)> prepare;
    std::string before, after;  // the box's text around the entry file's path
  };
  const auto none = std::shared_ptr<void>();
  // The file, whose first `op` fails with `error`.
  const auto fileThatFails = [&](EOp op, int error) {
    return [&none, op, error](const CScratchDir& dir, CFaultyFileSystem& fs) {
      dir.WriteEntryFile(kFourEntries);
      fs.Fail(op, 0, error);
      return none;
    };
  };
  // No file, and its creation fails with `error`.
  const auto fileThatCannotBeCreated = [&](int error) {
    return [&none, error](const CScratchDir&, CFaultyFileSystem& fs) {
      fs.Fail(EOp::create, 0, error);
      return none;
    };
  };
  const Row rows[] = {
      {"a directory named velunar.txt",
       [&](const CScratchDir& dir, CFaultyFileSystem&) {
         std::filesystem::create_directory(dir.EntryFilePath());
         return none;
       },
       "Файл ", " не может быть прочитан: это каталог" + kClosing},
      {"a FIFO named velunar.txt",
       [&](const CScratchDir& dir, CFaultyFileSystem&) {
         EXPECT_EQ(::mkfifo(dir.EntryFilePath().c_str(), 0644), 0);
         return none;
       },
       "Файл ", " не может быть прочитан: это не обычный файл" + kClosing},
      {"the file held by another copy",
       [](const CScratchDir& dir, CFaultyFileSystem&) {
         dir.WriteEntryFile(kFourEntries);
         auto pOther = std::make_shared<CStdioFile>();
         EXPECT_TRUE(pOther->OpenForReading());
         return std::shared_ptr<void>(pOther);
       },
       "Файл ", " занят другой запущенной копией программы" + kClosing},
      {"no permission to read it", fileThatFails(EOp::open, EACCES), "Файл ",
       " не может быть прочитан: нет прав на его чтение" + kClosing},
      {"another error opening it", fileThatFails(EOp::open, ELOOP), "Файл ",
       " не может быть прочитан: системная ошибка ELOOP" + kClosing},
      {"no file, and a folder that cannot be written", fileThatCannotBeCreated(EACCES), "Файла ",
       " нет, и создать его не удаётся: нет прав на запись в каталог.\nПрограмма закрывается."},
      {"a failed read", fileThatFails(EOp::read, EIO), "An unknown error occurred while accessing ",
       ".\nПричина: ошибка ввода-вывода."},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    CScratchDir dir;
    CFaultyFileSystem fs;
    const std::shared_ptr<void> keep = r.prepare(dir, fs);
    CMessageBoxRecorder boxes;
    CVelunarDlg dlg(nullptr, fs);
    dlg.SetMessageBoxes(&boxes);
    // Should the window run after all, end it rather than hang the test.
    QTimer::singleShot(5000, &dlg.Window(), [&dlg] { dlg.EndDialog(12345); });

    EXPECT_EQ(dlg.DoModal(), CVelunarDlg::kLoadFailed);
    EXPECT_FALSE(dlg.Window().isVisible());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.toStdString(), r.before + dir.EntryFilePath() + r.after);
    EXPECT_EQ(boxes.boxes[0].caption, U(kAppTitle));
    EXPECT_EQ(boxes.boxes[0].nType, MB_ICONSTOP);
    EXPECT_EQ(dlg.ListBox().GetCount(), 0);

    fs.Clear();
    const auto type = std::filesystem::status(dir.EntryFilePath()).type();
    EXPECT_EQ(dir.Names(), type == std::filesystem::file_type::not_found
                               ? std::vector<std::string>{}
                               : std::vector<std::string>{"velunar.txt"});
    if (type == std::filesystem::file_type::not_found) {
      EXPECT_EQ(std::string(r.before), "Файла ");  // only where none was to begin with
    } else if (type == std::filesystem::file_type::directory) {
      EXPECT_TRUE(std::filesystem::is_empty(dir.EntryFilePath()));
    } else if (type == std::filesystem::file_type::regular) {
      EXPECT_EQ(dir.ReadEntryFile(), kFourEntries);
    } else {
      EXPECT_EQ(type, std::filesystem::file_type::fifo);
    }
  }
}

// --- Keyboard -------------------------------------------------------------

class MainWindowKeyboardTest : public MainWindowTest {};

TEST_F(MainWindowKeyboardTest, TabFollowsTheTemplateOrderAndWraps) {
  CWindowRun& run = Open(kFourEntries);
  const int order[] = {IDC_ENTRY_LIST, IDC_FIND, IDC_SHOW_ALL, IDOK,          IDC_CHANGE,
                       IDC_DELETE,     IDC_SAVE, IDCANCEL,     IDC_ENTRY_EDIT};
  for (const int nID : order) {
    Key(&run.dlg.Window(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), run.Item(nID)) << "expected " << nID;
  }
  Key(&run.dlg.Window(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), run.Item(IDCANCEL));
  // Moving the focus is not a user selection in the list.
  EXPECT_EQ(run.Edit()->text(), U(kHint));
}

TEST_F(MainWindowKeyboardTest, EnterInTheFieldRunsAdd) {
  CWindowRun& run = Open(kFourEntries);
  Type(&run.dlg.Window(), U("Жанна"));
  Key(&run.dlg.Window(), Qt::Key_Return);
  EXPECT_EQ(run.Rows(), (QStringList{U("Анна"), U("Борис"), U("борщ"), U("Вера"), U("Жанна")}));
  EXPECT_EQ(run.dlg.ListBox().GetCurSel(), 4);
  EXPECT_EQ(run.Edit()->text(), U("Жанна"));
  EXPECT_TRUE(run.boxes.boxes.empty());
  EXPECT_TRUE(run.dlg.Window().isVisible());
  EXPECT_EQ(run.dir.ReadEntryFile(), kFourEntries);  // nothing written before Save or Exit
}

TEST_F(MainWindowKeyboardTest, EnterInTheListRunsAddNotSelect) {
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
    SCOPED_TRACE(key);
    CWindowRun& run = Open(kFourEntries);
    Key(&run.dlg.Window(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), run.ListView());
    Key(&run.dlg.Window(), key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    // Add read the hint from the field and refused it; Select would have
    // shown Анна.
    ASSERT_EQ(run.boxes.boxes.size(), 1u);
    EXPECT_EQ(run.boxes.boxes[0].text, U(kAddStatusMsg));
    EXPECT_EQ(run.boxes.boxes[0].caption, U("Внимание!"));
    EXPECT_EQ(run.boxes.boxes[0].nType, MB_OK);
    EXPECT_EQ(run.Edit()->text(), U(kHint));
    EXPECT_EQ(run.Rows().size(), 4);
  }
}

TEST_F(MainWindowKeyboardTest, EnterOnTheFindButtonRunsFind) {
  CWindowRun& run = Open(kFourEntries);
  Type(&run.dlg.Window(), U("бОр"));
  Key(&run.dlg.Window(), Qt::Key_Tab);
  Key(&run.dlg.Window(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), run.Item(IDC_FIND));
  Key(&run.dlg.Window(), Qt::Key_Return);
  EXPECT_EQ(run.Rows(), (QStringList{U("Борис"), U("борщ")}));
  EXPECT_EQ(run.Edit()->text(), CountLine("2"));
  EXPECT_TRUE(run.dlg.IsFiltered());
  EXPECT_TRUE(run.boxes.boxes.empty());
}

TEST_F(MainWindowKeyboardTest, EveryWayOfLeavingRunsExitAndWritesTheFile) {
  struct Row {
    const char* name;
    std::function<void(CWindowRun&)> leave;
  };
  const Row rows[] = {
      {"Escape in the field", [](CWindowRun& run) { Key(&run.dlg.Window(), Qt::Key_Escape); }},
      {"Escape in the list",
       [](CWindowRun& run) {
         Key(&run.dlg.Window(), Qt::Key_Tab);
         Key(&run.dlg.Window(), Qt::Key_Escape);
       }},
      {"Escape on the Save button",
       [](CWindowRun& run) {
         run.Item(IDC_SAVE)->setFocus();
         Key(&run.dlg.Window(), Qt::Key_Escape);
       }},
      {"Exit button", [](CWindowRun& run) { run.Button(IDCANCEL)->click(); }},
      {"close button", [](CWindowRun& run) { run.dlg.Window().close(); }},
      {"Alt+F4", [](CWindowRun& run) { Key(&run.dlg.Window(), Qt::Key_F4, Qt::AltModifier); }},
      {"Close in the system menu",
       [](CWindowRun& run) { run.dlg.Window().GetSystemMenu()->actions().at(0)->trigger(); }},
      {"SC_CLOSE", [](CWindowRun& run) { run.SysCommand(0xF060); }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    // Line feeds alone, no line end after the last entry, out of order.
    CWindowRun& run = Open(kVera + "\n" + kAnna);
    Type(&run.dlg.Window(), U("Жанна"));
    Key(&run.dlg.Window(), Qt::Key_Return);
    r.leave(run);
    EXPECT_FALSE(run.dlg.Window().isVisible());
    EXPECT_EQ(run.dlg.Window().result(), IDCANCEL);
    EXPECT_TRUE(run.boxes.boxes.empty());
    EXPECT_EQ(run.dir.ReadEntryFile(), kAnna + "\r\n" + kVera + "\r\n" + kZhanna + "\r\n");
    EXPECT_EQ(run.dir.Names(), std::vector<std::string>{"velunar.txt"});
  }
}

TEST_F(MainWindowKeyboardTest, AltWithAMnemonicRunsItsCommand) {
  CWindowRun& run = Open(kFourEntries);
  Type(&run.dlg.Window(), U("бор"));
  run.Alt("й");
  EXPECT_EQ(run.Rows(), (QStringList{U("Борис"), U("борщ")}));
  EXPECT_EQ(run.Edit()->text(), CountLine("2"));

  run.Alt("ё");
  EXPECT_EQ(run.Rows().size(), 4);
  EXPECT_EQ(run.Edit()->text(), CountLine("4"));

  run.SelectFieldText();
  Type(&run.dlg.Window(), U("Жанна"));
  run.Alt("в");
  EXPECT_EQ(run.Rows().size(), 5);
  EXPECT_EQ(run.dir.ReadEntryFile(), kFourEntries);

  run.Alt("с");
  EXPECT_EQ(run.dir.ReadEntryFile(), kFourSorted + kZhanna + "\r\n");
  EXPECT_EQ(run.Edit()->text(), CountLine("5"));
  EXPECT_TRUE(run.dlg.Window().isVisible());

  run.Alt("ы");
  EXPECT_FALSE(run.dlg.Window().isVisible());
  EXPECT_EQ(run.dlg.Window().result(), IDCANCEL);
  EXPECT_TRUE(run.boxes.boxes.empty());
}

// Keys typed faster than the window handles them wait in the event queue;
// each is taken in turn, and a mnemonic's command runs before the next key.
struct CQueuedKey {
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
  QString text;
};
CQueuedKey Letter(const char* utf8, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const QString text = U(utf8);
  return {static_cast<Qt::Key>(text[0].toUpper().unicode()), modifiers, text};
}
std::vector<CQueuedKey> Letters(const char* utf8) {
  std::vector<CQueuedKey> keys;
  for (const QChar c : U(utf8)) keys.push_back(Letter(QString(c).toUtf8().constData()));
  return keys;
}
// Posts the keys, presses and releases, to the focused control all at once,
// then lets the window take them.
void QueueKeys(const std::vector<CQueuedKey>& keys) {
  QWidget* pTarget = QApplication::focusWidget();
  ASSERT_NE(pTarget, nullptr);
  for (const CQueuedKey& k : keys) {
    QCoreApplication::postEvent(pTarget,
                                new QKeyEvent(QEvent::KeyPress, k.key, k.modifiers, k.text));
    QCoreApplication::postEvent(pTarget,
                                new QKeyEvent(QEvent::KeyRelease, k.key, k.modifiers, k.text));
  }
  QCoreApplication::processEvents();
}
std::vector<CQueuedKey> operator+(std::vector<CQueuedKey> a, const std::vector<CQueuedKey>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::string kZhan = "\xC6\xE0\xED";  // Жан

TEST_F(MainWindowKeyboardTest, AMnemonicRunsItsCommandBeforeTheKeysQueuedBehindIt) {
  const CQueuedKey escape{Qt::Key_Escape, Qt::NoModifier, QString()};
  struct Row {
    const char* name;
    bool bFocusFind;  // the keys go to the Find button, else to the entry field
    std::vector<CQueuedKey> keys;
    bool bClosed;
    QStringList wantRows;  // what the list shows afterwards
    const char* wantField;
    std::string wantFile;
    const char* wantBox = nullptr;  // the one message box shown, if any
  };
  const QStringList four{U("Анна"), U("Борис"), U("борщ"), U("Вера")};
  const Row rows[] = {
      {"typing, Alt+в, Escape: the entry is added before Exit writes the file", false,
       Letters("Жанна") + std::vector{Letter("в", Qt::AltModifier), escape}, true,
       four + QStringList{U("Жанна")}, "Жанна", kFourSorted + kZhanna + "\r\n"},
      {"typing, Alt+в, more typing: the entry is what was typed before the mnemonic", false,
       Letters("Жан") + std::vector{Letter("в", Qt::AltModifier)} + Letters("на"), false,
       four + QStringList{U("Жан")}, "Жанна", kFourEntries},
      {"typing, Alt+в, Alt+с: Save writes the added entry", false,
       Letters("Жанна") + std::vector{Letter("в", Qt::AltModifier), Letter("с", Qt::AltModifier)},
       false, four + QStringList{U("Жанна")}, "Количество показанных записей — 5",
       kFourSorted + kZhanna + "\r\n"},
      {"typing, Alt+й, Alt+в: Add finds the count line that Find has shown", false,
       Letters("бор") + std::vector{Letter("й", Qt::AltModifier), Letter("в", Qt::AltModifier)},
       false, QStringList{U("Борис"), U("борщ")}, "Количество показанных записей — 2", kFourEntries,
       kAddStatusMsg},
      {"the letter alone on a button, then Escape",
       true,
       {Letter("ё"), escape},
       true,
       four,
       "Количество показанных записей — 4",
       kFourSorted},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    CWindowRun& run = Open(kFourEntries);
    if (r.bFocusFind) run.Item(IDC_FIND)->setFocus();
    QueueKeys(r.keys);
    EXPECT_EQ(run.dlg.Window().isVisible(), !r.bClosed);
    EXPECT_EQ(run.Rows(), r.wantRows);
    EXPECT_EQ(run.Edit()->text(), U(r.wantField));
    EXPECT_EQ(run.dir.ReadEntryFile(), r.wantFile);
    if (r.wantBox == nullptr) {
      EXPECT_TRUE(run.boxes.boxes.empty());
    } else {
      ASSERT_EQ(run.boxes.boxes.size(), 1u);
      EXPECT_EQ(run.boxes.boxes[0].text, U(r.wantBox));
    }
    // Nothing is left to come later, as an animated click would.
    QTest::qWait(200);
    EXPECT_EQ(run.Rows(), r.wantRows);
    EXPECT_EQ(run.dir.ReadEntryFile(), r.wantFile);
  }
}

// --- Controls, size and language -------------------------------------------

class MainWindowLookTest : public MainWindowTest {};

TEST_F(MainWindowLookTest, ControlsStandWhereTheTemplatePutsThemInDialogUnits) {
  CWindowRun& run = Open(kFourEntries);
  EXPECT_EQ(run.dlg.Window().windowTitle(), U("Велунар"));
  EXPECT_EQ(run.dlg.Window().font().pointSize(), 8);
  EXPECT_EQ(run.dlg.Window().size(), run.dlg.Window().Units().ToPixels(QSize(673, 423)));
  struct Row {
    int nID;
    QRect rcDlgUnits;
    const char* caption;  // nullptr: not a button
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
    ASSERT_NE(run.Item(r.nID), nullptr);
    EXPECT_EQ(run.Item(r.nID)->geometry(), run.dlg.Window().Units().ToPixels(r.rcDlgUnits));
    if (r.caption != nullptr) {
      ASSERT_NE(run.Button(r.nID), nullptr);
      EXPECT_EQ(run.Button(r.nID)->text(), U(r.caption));
      EXPECT_EQ(run.Button(r.nID)->isDefault(), r.nID == IDOK);
    }
  }
  EXPECT_EQ(run.Item(IDC_SITE_LINK), nullptr);
  EXPECT_EQ(run.dlg.Window().findChildren<QPushButton*>().size(), 7);

  // The two labels name the small buttons beneath them.
  QStringList labels;
  for (const QLabel* pLabel : run.dlg.Window().findChildren<QLabel*>()) labels.append(pLabel->text());
  labels.sort();
  EXPECT_EQ(labels, (QStringList{U("Изменить"), U("Удалить")}));
}

TEST_F(MainWindowLookTest, EveryControlHasANameAndTheSmallButtonsSayWhatTheyDo) {
  CWindowRun& run = Open(kFourEntries);
  struct Row {
    int nID;
    const char* name;
    const char* description;  // also the tooltip
  };
  const Row rows[] = {
      {IDC_ENTRY_EDIT, "Текст записи", ""},
      {IDC_ENTRY_LIST, "Записи", ""},
      {IDC_FIND, "Найти", ""},
      {IDC_SHOW_ALL, "Показать всё", ""},
      {IDOK, "Добавить", ""},
      {IDC_CHANGE, "Изменить", "Заменить выделенную в списке запись текстом из нижнего поля"},
      {IDC_DELETE, "Удалить", "Удалить запись, которую показывает нижнее поле"},
      {IDC_SAVE, "Сохранить", ""},
      {IDCANCEL, "Выход", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    QAccessibleInterface* pAccessible = QAccessible::queryAccessibleInterface(run.Item(r.nID));
    ASSERT_NE(pAccessible, nullptr);
    EXPECT_EQ(pAccessible->text(QAccessible::Name), U(r.name));
    EXPECT_EQ(pAccessible->text(QAccessible::Description), U(r.description));
    EXPECT_EQ(run.Item(r.nID)->toolTip(), U(r.description));
  }
}

TEST_F(MainWindowLookTest, BothWindowsHaveTheirTemplateSizeInTheStandInFont) {
  if (DialogFontFamily() != "DejaVu Sans Condensed") {
    GTEST_SKIP() << "DejaVu Sans Condensed (fonts-dejavu-extra) is not installed";
  }
  if (QGuiApplication::primaryScreen()->logicalDotsPerInch() != 96) {
    GTEST_SKIP() << "the screen is not at 96 DPI";
  }
  CWindowRun& run = Open(kFourEntries);
  CAboutDlg about(&run.dlg);
  ASSERT_TRUE(about.Create());
  struct Row {
    const char* name;
    CDialog* pDlg;
    QSize want;  // 673 x 423 and 185 x 116 dialog units at 6 x 13 px
  };
  const Row rows[] = {
      {"main window", &run.dlg, QSize(1010, 687)},
      {"About box", &about, QSize(278, 189)},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.pDlg->Window().Units().BaseX(), 6);
    EXPECT_EQ(r.pDlg->Window().Units().BaseY(), 13);
    EXPECT_EQ(r.pDlg->Window().size(), r.want);
    // The controls draw in the font the units were measured in.
    for (QWidget* pChild : r.pDlg->Window().findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (pChild->isWindow()) continue;
      SCOPED_TRACE(pChild->objectName().toStdString());
      EXPECT_EQ(QFontInfo(pChild->font()).family(), "DejaVu Sans Condensed");
      EXPECT_EQ(pChild->font().pointSize(), 8);
    }
  }
}

TEST_F(MainWindowLookTest, TheFieldsMenuIsInRussian) {
  if (!InstallQtTranslation())
    GTEST_SKIP() << "Qt's Russian texts (qt6-translations-l10n) are not installed";
  CWindowRun& run = Open(kFourEntries);
  std::unique_ptr<QMenu> menu(run.Edit()->createStandardContextMenu());
  QStringList texts;
  for (QAction* pAction : menu->actions()) {
    if (pAction->isSeparator()) continue;
    // The caption without its mnemonic marker and the shortcut after the tab.
    texts.append(pAction->text().section(u'\t', 0, 0).remove(u'&'));
  }
  ASSERT_GE(texts.size(), 7) << texts.join(", ").toStdString();
  EXPECT_TRUE(texts.contains(U("Копировать"))) << texts.join(", ").toStdString();
  EXPECT_TRUE(texts.contains(U("Вставить"))) << texts.join(", ").toStdString();
  static const QRegularExpression kLatin(QStringLiteral("[A-Za-z]"));
  for (const QString& text : texts) {
    SCOPED_TRACE(text.toStdString());
    EXPECT_FALSE(text.contains(kLatin));
  }
}

// --- Data exchange of the entry field -------------------------------------

class MainWindowExchangeTest : public MainWindowTest {};

TEST_F(MainWindowExchangeTest, ShowingTheSameTextKeepsCaretAndSelection) {
  CWindowRun& run = Open(kFourEntries);
  run.Button(IDC_SHOW_ALL)->click();
  ASSERT_EQ(run.Edit()->text(), CountLine("4"));
  Key(&run.dlg.Window(), Qt::Key_Home);
  for (int i = 0; i < 3; ++i) Key(&run.dlg.Window(), Qt::Key_Right, Qt::ShiftModifier);
  ASSERT_EQ(run.Edit()->selectedText(), U("Кол"));

  run.Button(IDC_SHOW_ALL)->click();  // the same count line again
  EXPECT_EQ(run.Edit()->selectedText(), U("Кол"));
  EXPECT_EQ(run.Edit()->cursorPosition(), 3);

  // Another text replaces the field's, selection and all.
  run.SelectFieldText();
  Type(&run.dlg.Window(), U("Жанна"));
  Key(&run.dlg.Window(), Qt::Key_Return);
  Key(&run.dlg.Window(), Qt::Key_Home);
  Key(&run.dlg.Window(), Qt::Key_Right, Qt::ShiftModifier);
  ASSERT_TRUE(run.Edit()->hasSelectedText());
  run.Button(IDC_SHOW_ALL)->click();
  EXPECT_EQ(run.Edit()->text(), CountLine("5"));
  EXPECT_FALSE(run.Edit()->hasSelectedText());
  EXPECT_TRUE(run.boxes.boxes.empty());
}

TEST_F(MainWindowExchangeTest, SelectingALongEntryShowsItsBeginning) {
  // Wider than the field, shorter than 256 bytes: the same-text rule holds.
  std::string longEntry = kAnnaPetrova;
  while (longEntry.size() < 240) longEntry += " \xCC\xEE\xF1\xEA\xE2\xE0";  // Москва
  CWindowRun& run = Open(longEntry + "\r\n" + kVera + "\r\n");
  run.ClickRow(1);
  run.ClickRow(0);
  ASSERT_EQ(run.dlg.EntryText(), longEntry);
  ASSERT_GT(run.Edit()->fontMetrics().horizontalAdvance(run.Edit()->text()), run.Edit()->width());
  EXPECT_EQ(run.Edit()->cursorPosition(), 0);
  EXPECT_FALSE(run.Edit()->hasSelectedText());
  EXPECT_LT(run.Edit()->inputMethodQuery(Qt::ImCursorRectangle).toRect().left(), 10);

  // The user moves the caret; selecting the same entry again keeps it (the
  // field's selection goes with the focus, as it always does).
  run.Edit()->setFocus();
  Key(&run.dlg.Window(), Qt::Key_End);
  Key(&run.dlg.Window(), Qt::Key_Left);
  ASSERT_EQ(run.Edit()->cursorPosition(), static_cast<int>(longEntry.size()) - 1);
  run.ClickRow(0);
  EXPECT_EQ(run.Edit()->cursorPosition(), static_cast<int>(longEntry.size()) - 1);
  EXPECT_TRUE(run.boxes.boxes.empty());
}

TEST_F(MainWindowExchangeTest, EntryOf100000BytesShowsAndReadsBackWhole) {
  // Анна, then a telephone note repeated, cut to exactly 100,000 bytes.
  std::string entry = kAnna + " ";
  while (entry.size() < 100000) entry += "\xF2\xE5\xEB. 8-912-345-67-89; ";  // тел.
  entry.resize(100000);
  const std::string file = entry + "\r\n" + kVera + "\r\n";
  CWindowRun& run = Open(file);

  Key(&run.dlg.Window(), Qt::Key_Tab);
  Key(&run.dlg.Window(), Qt::Key_Down);
  Key(&run.dlg.Window(), Qt::Key_Up);  // Select of the long entry
  ASSERT_EQ(run.dlg.CurIndex(), 0);
  EXPECT_EQ(run.Edit()->text().size(), 100000);
  EXPECT_EQ(run.dlg.EntryText(), entry);

  // Change takes the field's whole text back in place of the item.
  run.Button(IDC_CHANGE)->click();
  EXPECT_EQ(run.dlg.EntryText(), entry);
  EXPECT_EQ(run.dlg.ListBox().GetCount(), 2);
  run.Button(IDC_SAVE)->click();
  EXPECT_TRUE(run.boxes.boxes.empty());
  EXPECT_EQ(run.dir.ReadEntryFile(), file);
}

TEST_F(MainWindowExchangeTest, EntriesWithALoneCarriageReturnSurviveSelectChangeAndSave) {
  // Анна CR Петрова, and Борис with a CR as its last byte.
  const std::string file =
      kAnna + "\r\xCF\xE5\xF2\xF0\xEE\xE2\xE0\r\n" + kBoris + "\r\r\n" + kVera + "\r\n";
  CWindowRun& run = Open(file);
  ASSERT_EQ(run.dlg.ListBox().GetCount(), 3);

  run.ClickRow(2);  // away from item 0, which the program selected
  for (const int nItem : {0, 1}) {
    SCOPED_TRACE(nItem);
    run.ClickRow(nItem);
    ASSERT_EQ(run.dlg.CurIndex(), nItem);
    run.Button(IDC_CHANGE)->click();
  }
  EXPECT_EQ(run.dlg.EntryText(), kBoris + "\r");
  run.Button(IDC_SAVE)->click();
  EXPECT_TRUE(run.boxes.boxes.empty());
  EXPECT_EQ(run.dir.ReadEntryFile(), file);
}

TEST_F(MainWindowExchangeTest, CharactersWithoutAWindows1251ByteAreRefusedWhenTyped) {
  CWindowRun& run = Open(std::string());
  // é and 中 have no Windows-1251 byte; € and № have (0x88, 0xB9).
  Type(&run.dlg.Window(), U("Жé中а€№"));
  EXPECT_EQ(run.Edit()->text(), U("Жа€№"));
  Key(&run.dlg.Window(), Qt::Key_Return);
  run.Button(IDC_SAVE)->click();
  EXPECT_TRUE(run.boxes.boxes.empty());
  EXPECT_EQ(run.dir.ReadEntryFile(), "\xC6\xE0\x88\xB9\r\n");
}

// --- System menu and system commands --------------------------------------

class MainWindowSystemCommandTest : public MainWindowTest {
 protected:
  // Runs `command` while watching for a modal About box; every box that
  // opens is recorded and closed again at once.
  void WatchForAboutBox(CWindowRun& run, const std::function<void()>& command) {
    QTimer::singleShot(0, &run.dlg.Window(), [this, &run] {
      auto* pWindow = qobject_cast<CDialogWindow*>(QApplication::activeModalWidget());
      auto* pAbout = pWindow != nullptr ? dynamic_cast<CAboutDlg*>(&pWindow->Owner()) : nullptr;
      if (pAbout == nullptr) return;
      m_aboutTitles.append(pAbout->Window().windowTitle());
      // Owned by the main window, and centred over it.
      EXPECT_EQ(pAbout->Window().parentWidget(), &run.dlg.Window());
      const QRect owner = run.dlg.Window().frameGeometry();
      const QRect box = pAbout->Window().frameGeometry();
      EXPECT_EQ(box.x(), owner.x() + (owner.width() - box.width()) / 2);
      EXPECT_EQ(box.y(), owner.y() + (owner.height() - box.height()) / 2);
      static_cast<QDialog*>(&pAbout->Window())->reject();  // Escape, the close button
      if (pAbout->Window().isVisible()) {
        ADD_FAILURE() << "the About box did not close";
        pAbout->EndDialog(IDCANCEL);
      }
    });
    command();
    QCoreApplication::processEvents();  // a timer not taken by a box fires here
  }

  QStringList m_aboutTitles;
};

TEST_F(MainWindowSystemCommandTest, SystemMenuEndsWithTheAboutItem) {
  CWindowRun& run = Open(kFourEntries);
  const QList<QAction*> actions = run.dlg.Window().GetSystemMenu()->actions();
  ASSERT_EQ(actions.size(), 3);
  EXPECT_EQ(actions[0]->data().toUInt(), 0xF060u);
  EXPECT_TRUE(actions[1]->isSeparator());
  EXPECT_EQ(actions[2]->text(), U("&О программе"));
  EXPECT_EQ(actions[2]->data().toUInt(), 0x0010u);

  WatchForAboutBox(run, [&] { actions[2]->trigger(); });
  EXPECT_EQ(m_aboutTitles, QStringList{U("О программе \"Велунар\"")});
  EXPECT_TRUE(run.dlg.Window().isVisible());
}

TEST_F(MainWindowSystemCommandTest, ValuesFrom0x10To0x1FOpenTheAboutBoxAndChangeNothing) {
  CWindowRun& run = Open(kFourEntries);
  Key(&run.dlg.Window(), Qt::Key_Tab);
  Key(&run.dlg.Window(), Qt::Key_Down);  // Борис in the field
  run.Edit()->setFocus();
  run.Edit()->setSelection(1, 2);
  for (unsigned nID = 0x0010; nID <= 0x001F; ++nID) {
    SCOPED_TRACE(nID);
    m_aboutTitles.clear();
    WatchForAboutBox(run, [&] { run.SysCommand(nID); });
    EXPECT_EQ(m_aboutTitles, QStringList{U("О программе \"Велунар\"")});
  }
  // Back in the main window, all is as it was.
  EXPECT_TRUE(run.dlg.Window().isVisible());
  EXPECT_EQ(run.Edit()->text(), U("Борис"));
  EXPECT_EQ(run.Edit()->selectedText(), U("ор"));
  EXPECT_EQ(run.dlg.ListBox().GetCurSel(), 1);
  EXPECT_EQ(run.dlg.CurIndex(), 1);
  EXPECT_EQ(run.Rows().size(), 4);
  EXPECT_TRUE(run.boxes.boxes.empty());
  EXPECT_EQ(run.dir.ReadEntryFile(), kFourEntries);
}

TEST_F(MainWindowSystemCommandTest, OtherValuesOpenNothing) {
  CWindowRun& run = Open(kFourEntries);
  for (const unsigned nID :
       {0x0000u, 0x0001u, 0x000Fu, 0x0020u, 0x0110u, 0x1010u, 0xF010u, 0xF020u, 0xF030u}) {
    SCOPED_TRACE(nID);
    WatchForAboutBox(run, [&] { run.SysCommand(nID); });
    EXPECT_TRUE(m_aboutTitles.isEmpty());
    EXPECT_TRUE(run.dlg.Window().isVisible());
  }
  EXPECT_TRUE(run.boxes.boxes.empty());
  EXPECT_EQ(run.dir.ReadEntryFile(), kFourEntries);
}

}  // namespace
}  // namespace velunar

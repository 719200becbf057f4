// The main window's commands, driven as a user drives them: text typed into
// the entry field, items clicked in the list, buttons pressed. After each
// command the test reads back everything the user could see or the next
// command depends on: the list, every entry kept, the view mode, the current
// index, the selection, the entry field, the message boxes and the entry
// file's bytes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "store/text/cp1251.h"
#include "tests/store/file/faulty_file_system.h"
#include "tests/ui/window_driver.h"
#include "ui/platform/qt/list_box_view.h"
#include "tests/ui/window_texts.h"
#include "ui/platform/qt/entry_edit.h"
#include "ui/platform/list_box.h"
#include "ui/platform/win_defs.h"
#include "ui/resource_ids.h"
#include "ui/velunar_dlg.h"

namespace velunar {
namespace {

using testing::CFaultyFileSystem;
using testing::CMessageBoxRecorder;
using testing::Cp;
using testing::CScratchDir;
using testing::EOp;
using testing::kAddEmptyMsg;
using testing::kAddStatusMsg;
using testing::kChangeMsg;
using testing::kDeleteMsg;
using testing::Key;
using testing::kFindMsg;
using testing::kHint;
using testing::kNotFound;
using testing::Type;
using testing::U;
using testing::Utf8;

// Count lines as the user reads them.
constexpr char kCount0[] = "Количество показанных записей — 0";
constexpr char kCount1[] = "Количество показанных записей — 1";
constexpr char kCount2[] = "Количество показанных записей — 2";
constexpr char kCount3[] = "Количество показанных записей — 3";
constexpr char kCount4[] = "Количество показанных записей — 4";
constexpr char kCount5[] = "Количество показанных записей — 5";

// Failure reports carry the program's name: the name of this test program.
constexpr char kAppTitle[] = "velunar_dlg_commands_test";

using Texts = std::vector<std::string>;  // UTF-8

Texts Sorted(Texts texts) {
  std::sort(texts.begin(), texts.end());
  return texts;
}

// What the window shows and keeps after a command.
struct Expected {
  Texts view;         // the list, top to bottom
  Texts master;       // every entry kept, in any order
  bool filtered;      // the view mode
  int curIndex;       // m_nCurIndex
  int selected;       // the highlighted item, -1 for none
  std::string field;  // the entry field's text, and m_strEntry
};

class VelunarDlgCommandsTest : public ::testing::Test {
 protected:
  ~VelunarDlgCommandsTest() override { m_pDlg.reset(); }

  // Opens the window on an entry file holding `entries`, one per line.
  void Open(const Texts& entries) {
    std::string bytes;
    for (const std::string& entry : entries) bytes += Cp(entry.c_str()) + "\r\n";
    OpenOnFile(bytes);
  }
  void OpenOnFile(const std::string& bytes) {
    m_pDlg.reset();  // the previous window lets go of the file first
    m_dir.WriteEntryFile(bytes);
    m_boxes.boxes.clear();
    m_pDlg = std::make_unique<CVelunarDlg>(nullptr, m_fs);
    m_pDlg->SetMessageBoxes(&m_boxes);
    ASSERT_TRUE(m_pDlg->Create());
    m_pDlg->Window().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(QtWindowOf(m_pDlg.get())));
  }

  CVelunarDlg& Dlg() { return *m_pDlg; }
  CEntryEdit* Edit() { return qobject_cast<CEntryEdit*>(Dlg().Window().GetDlgItem(IDC_ENTRY_EDIT)); }
  CListBoxView* List() { return qobject_cast<CListBoxView*>(Dlg().Window().GetDlgItem(IDC_ENTRY_LIST)); }

  // Replaces the entry field's text by typing, as the user would.
  void TypeEntry(const std::string& utf8) {
    QTest::mouseClick(Edit(), Qt::LeftButton);
    Key(QtWindowOf(m_pDlg.get()), Qt::Key_A, Qt::ControlModifier);
    if (utf8.empty()) {
      Key(QtWindowOf(m_pDlg.get()), Qt::Key_Backspace);
    } else {
      Type(QtWindowOf(m_pDlg.get()), U(utf8.c_str()));
    }
    ASSERT_EQ(Edit()->text(), U(utf8.c_str()));
  }
  void Press(int nID) {
    auto* pButton = qobject_cast<QPushButton*>(Dlg().Window().GetDlgItem(nID));
    ASSERT_NE(pButton, nullptr);
    QTest::mouseClick(pButton, Qt::LeftButton);
  }
  // Types `utf8` into the field, then presses button `nID`.
  void Run(int nID, const std::string& utf8) {
    TypeEntry(utf8);
    Press(nID);
  }
  void ClickItem(int row) {
    const QModelIndex index = List()->model()->index(row, 0);
    ASSERT_TRUE(index.isValid()) << row;
    List()->scrollTo(index);
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      List()->visualRect(index).center());
  }

  Texts ViewTexts() {
    Texts texts;
    Dlg().ListBox().View().Items().ForEach(
        [&](std::string_view item) { texts.push_back(Utf8(item)); });
    return texts;
  }
  // The rows the list control itself shows.
  Texts ShownRows() {
    Texts rows;
    QAbstractItemModel* pModel = List()->model();
    for (int row = 0; row < pModel->rowCount(); ++row) {
      rows.push_back(pModel->index(row, 0).data().toString().toStdString());
    }
    return rows;
  }
  Texts MasterTexts() {
    Texts texts;
    Dlg().MasterList().Items().ForEach([&](std::string_view item) { texts.push_back(Utf8(item)); });
    return texts;
  }
  // The highlighted row in the list control: -1 for none, -2 for several.
  int ShownSelection() {
    const QModelIndexList rows = List()->selectionModel()->selectedRows();
    if (rows.isEmpty()) return -1;
    if (rows.size() > 1) return -2;
    return rows.first().row();
  }

  void ExpectState(const Expected& want) {
    EXPECT_EQ(ViewTexts(), want.view);
    EXPECT_EQ(ShownRows(), want.view);
    EXPECT_EQ(Sorted(MasterTexts()), Sorted(want.master));
    EXPECT_EQ(Dlg().IsFiltered(), want.filtered);
    EXPECT_EQ(Dlg().CurIndex(), want.curIndex);
    EXPECT_EQ(Dlg().ListBox().GetCurSel(), want.selected);
    EXPECT_EQ(ShownSelection(), want.selected);
    if (want.selected >= 0) {
      EXPECT_EQ(List()->currentIndex().row(), want.selected);
    }
    EXPECT_EQ(Edit()->text().toStdString(), want.field);
    EXPECT_EQ(Utf8(Dlg().EntryText()), want.field);
  }

  // The warnings shown since the last call, each under "Внимание!" with
  // one OK button and no icon; forgets them.
  void ExpectWarnings(const Texts& texts) {
    ASSERT_EQ(m_boxes.boxes.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
      EXPECT_EQ(m_boxes.boxes[i].text.toStdString(), texts[i]);
      EXPECT_EQ(m_boxes.boxes[i].caption, U("Внимание!"));
      EXPECT_EQ(m_boxes.boxes[i].nType, MB_OK);
    }
    m_boxes.boxes.clear();
  }
  // The report of a failed write with `cause` in its second line, and that
  // of a save the read-only file did not let start.
  std::string WriteFailedReport(const std::string& cause) const {
    return "Disk full while accessing " + FullPath() + ".\nПричина: " + cause + ".";
  }
  std::string NotOpenedReport() const {
    return "Файл " + FullPath() +
           " не удаётся открыть для записи. Ничего не записано.\nПричина: нет прав на запись.";
  }
  // One failure report: stop icon, the program's name as caption. After a
  // failed Exit with unsaved changes (`bQuestion`) the question whether to
  // close without saving follows, answered as the recorder was told.
  void ExpectFailureReport(const std::string& text, bool bQuestion = false) {
    ASSERT_EQ(m_boxes.boxes.size(), bQuestion ? 2u : 1u);
    EXPECT_EQ(m_boxes.boxes[0].text.toStdString(), text);
    EXPECT_EQ(m_boxes.boxes[0].caption, U(kAppTitle));
    EXPECT_EQ(m_boxes.boxes[0].nType, MB_ICONSTOP);
    if (bQuestion) {
      EXPECT_EQ(m_boxes.boxes[1].text.toStdString(),
                "Записи не сохранены в файл " + FullPath() +
                    ".\nЗакрыть программу без сохранения? Всё, что изменено после последнего "
                    "сохранения, будет потеряно.");
      EXPECT_EQ(m_boxes.boxes[1].caption, U(kAppTitle));
      EXPECT_EQ(m_boxes.boxes[1].nType, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    }
    m_boxes.boxes.clear();
  }

  std::string FullPath() const { return m_dir.EntryFilePath(); }
  // The window ended as Exit ends it: hidden, with the result IDCANCEL.
  bool Ended() { return !Dlg().Window().isVisible() && Dlg().Window().result() == IDCANCEL; }

  CScratchDir m_dir;
  CFaultyFileSystem m_fs;
  CMessageBoxRecorder m_boxes;
  std::unique_ptr<CVelunarDlg> m_pDlg;
};

// ---------------------------------------------------------------------------
// Select

// Every way the user picks an item makes it current and shows it in the
// field, the text typed there before included; one after another, from the
// item the program highlighted at start.
TEST_F(VelunarDlgCommandsTest, UserSelectionMakesTheItemCurrentAndFillsTheField) {
  const Texts entries = {"Анна", "Борис", "борщ", "Вера"};
  Open({"Вера", "борщ", "Анна", "Борис"});
  Key(QtWindowOf(m_pDlg.get()), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), List());
  const int interval = QApplication::keyboardInputInterval();
  QApplication::setKeyboardInputInterval(0);  // every letter starts a new search
  const auto key = [this](Qt::Key k) { return [this, k] { Key(QtWindowOf(m_pDlg.get()), k); }; };
  struct Row {
    const char* name;
    std::function<void()> act;
    int row;
    const char* field;
  };
  const Row rows[] = {
      {"Down", key(Qt::Key_Down), 1, "Борис"},
      {"Down again", key(Qt::Key_Down), 2, "борщ"},
      {"Up", key(Qt::Key_Up), 1, "Борис"},
      {"End", key(Qt::Key_End), 3, "Вера"},
      {"Home", key(Qt::Key_Home), 0, "Анна"},
      {"Page Down", key(Qt::Key_PageDown), 3, "Вера"},
      {"click over a text typed in the field",
       [this] {
         TypeEntry("что-то своё");
         ClickItem(2);
       },
       2, "борщ"},
      {"click", [this] { ClickItem(1); }, 1, "Борис"},
      {"type-ahead в", [this] { Type(QtWindowOf(m_pDlg.get()), U("в")); }, 3, "Вера"},
      {"type-ahead б wraps to the top", [this] { Type(QtWindowOf(m_pDlg.get()), U("б")); }, 1, "Борис"},
      {"Up to the top", key(Qt::Key_Up), 0, "Анна"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    r.act();
    ExpectState({entries, entries, false, r.row, r.row, r.field});
  }
  QApplication::setKeyboardInputInterval(interval);
  ExpectWarnings({});
}

// Choosing the highlighted item again is a selection all the same: the field
// shows the item, whether the program highlighted it at start (the field
// shows the hint) or the user chose it and has typed over the field since.
TEST_F(VelunarDlgCommandsTest, ChoosingTheHighlightedItemAgainFillsTheField) {
  struct Row {
    const char* name;
    int row;      // -1: item 0, as the program highlighted it at start
    Qt::Key key;  // Qt::Key_unknown: a click on the row; else Tab, then the key
    const char* field;
  };
  const Row rows[] = {
      {"at start, click", -1, Qt::Key_unknown, "Анна"},
      {"at start, Home", -1, Qt::Key_Home, "Анна"},
      {"at start, Up", -1, Qt::Key_Up, "Анна"},
      {"click again", 1, Qt::Key_unknown, "Борис"},
      {"Down on the last item", 2, Qt::Key_Down, "Иван"},
      {"Up on the first item", 0, Qt::Key_Up, "Анна"},
      {"Home on the first item", 0, Qt::Key_Home, "Анна"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Open({"Иван", "Анна", "Борис"});
    const int row = std::max(r.row, 0);
    if (r.row >= 0) {
      ClickItem(r.row);
      TypeEntry("набранный текст");
    }
    ASSERT_EQ(ShownSelection(), row);
    if (r.key == Qt::Key_unknown) {
      ClickItem(row);
    } else {
      Key(QtWindowOf(m_pDlg.get()), Qt::Key_Tab);
      ASSERT_EQ(QApplication::focusWidget(), List());
      Key(QtWindowOf(m_pDlg.get()), r.key);
    }
    ExpectState({{"Анна", "Борис", "Иван"}, {"Анна", "Борис", "Иван"}, false, row, row, r.field});
  }
}

// Only the user's selections fill the field: when a command selects an item
// other than the one the field names, the field keeps its text. Add's cases
// are with Add (Анна beside Анна Петрова, and the duplicate in a filtered
// view).
TEST_F(VelunarDlgCommandsTest, SelectionMadeByACommandLeavesTheFieldAlone) {
  Open({"Анна Петрова", "Борис"});
  ClickItem(1);
  Run(IDC_CHANGE, "Анна");
  ExpectState({{"Анна", "Анна Петрова"}, {"Анна", "Анна Петрова"}, false, 1, 1, "Анна"});
  ExpectWarnings({});
}

// ---------------------------------------------------------------------------
// Add

TEST_F(VelunarDlgCommandsTest, AddRefusesStatusTextsAndTheEmptyField) {
  struct Row {
    std::string text;
    const char* message;  // nullptr: the text is an entry like any other
  };
  const Row rows[] = {
      {kHint, kAddStatusMsg},
      {kCount2, kAddStatusMsg},
      {"Количество показанных записей — ", kAddStatusMsg},
      {"Количество показанных записей — много", kAddStatusMsg},
      {kNotFound, kAddStatusMsg},
      {"", kAddEmptyMsg},
      // Near misses are entries: equality, not prefix, and the exact dash.
      {std::string(kHint) + " ", nullptr},
      {std::string(kNotFound) + " ", nullptr},
      {"Количество показанных записей - 2", nullptr},
      {" Количество показанных записей — 2", nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    Open({"Борис", "Анна"});
    ClickItem(1);
    Run(IDOK, r.text);
    if (r.message != nullptr) {
      ExpectWarnings({r.message});
      ExpectState({{"Анна", "Борис"}, {"Анна", "Борис"}, false, 1, 1, r.text});
    } else {
      ExpectWarnings({});
      EXPECT_EQ(Dlg().ListBox().GetCount(), 3);
      EXPECT_EQ(Dlg().MasterList().GetSize(), 3);
      ASSERT_GE(Dlg().CurIndex(), 0);
      EXPECT_EQ(ViewTexts()[Dlg().CurIndex()], r.text);
    }
  }
}

TEST_F(VelunarDlgCommandsTest, AddPutsTheEntryInItsSortedPlaceAndSelectsIt) {
  struct Row {
    Texts file;
    std::string text;
    Texts view;
    int curIndex;
  };
  const Row rows[] = {
      {{"Иван", "Анна"}, "Борис", {"Анна", "Борис", "Иван"}, 1},
      {{"Иван", "Анна"}, "Яна", {"Анна", "Иван", "Яна"}, 2},
      {{}, "Яна", {"Яна"}, 0},
      // Letter case does not order; the later one goes after.
      {{"иван", "Анна"}, "Иван", {"Анна", "иван", "Иван"}, 1},
      // A text equal to an entry but for letter case is a new entry.
      {{"Иван"}, "ИВАН", {"Иван", "ИВАН"}, 1},
      // Ё sorts after Е, before Ж.
      {{"Жанна", "Елена"}, "Ёлкин", {"Елена", "Ёлкин", "Жанна"}, 1},
      {{"Борис"}, "ivan", {"ivan", "Борис"}, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    Open(r.file);
    Run(IDOK, r.text);
    ExpectWarnings({});
    ExpectState({r.view, r.view, false, r.curIndex, r.curIndex, r.text});
  }
}

// The new item lands at index 0, but find-prefix looks at item 0 last, so
// the current index goes to "Анна Петрова"; where "Анна" is not item 0 it is
// found first. The field keeps "Анна" either way: Add's own selection does
// not fill it.
TEST_F(VelunarDlgCommandsTest, AddOfAnnaBesideAnnaPetrovaSelectsAnnaPetrova) {
  struct Row {
    Texts file;
    Texts view;
    int curIndex;
  };
  const Row rows[] = {
      {{"Анна Петрова", "Борис"}, {"Анна", "Анна Петрова", "Борис"}, 1},
      {{"Анна Петрова"}, {"Анна", "Анна Петрова"}, 1},
      {{"Анна Петрова", "Алла"}, {"Алла", "Анна", "Анна Петрова"}, 1},
      {{"Анна Петрова", "анна"}, {"анна", "Анна", "Анна Петрова"}, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.view.front());
    Open(r.file);
    Run(IDOK, "Анна");
    ExpectState({r.view, r.view, false, r.curIndex, r.curIndex, "Анна"});
  }
}

TEST_F(VelunarDlgCommandsTest, AddOfAnExactDuplicateAddsNothingAndSaysNothing) {
  Open({"Иван", "Анна", "Борис"});
  ClickItem(2);
  Run(IDOK, "Анна");
  ExpectWarnings({});
  // The item at the current index is selected again; the field keeps the text.
  ExpectState({{"Анна", "Борис", "Иван"}, {"Анна", "Борис", "Иван"}, false, 2, 2, "Анна"});
}

TEST_F(VelunarDlgCommandsTest, AddLooksForDuplicatesAmongEntriesTheFilterHides) {
  Open({"Иван Петров", "Анна", "Борис"});
  Run(IDC_FIND, "петров");
  ExpectState({{"Иван Петров"}, {"Анна", "Борис", "Иван Петров"}, true, 0, -1, kCount1});

  // Nothing was selected; Add selects the item at the current index and the
  // field keeps the text.
  Run(IDOK, "Анна");
  ExpectWarnings({});
  ExpectState({{"Иван Петров"}, {"Анна", "Борис", "Иван Петров"}, true, 0, 0, "Анна"});

  // Differing only in letter case, it is new: into the view and the master list.
  Run(IDOK, "АННА");
  ExpectState(
      {{"АННА", "Иван Петров"}, {"Анна", "АННА", "Борис", "Иван Петров"}, true, 0, 0, "АННА"});
}

TEST_F(VelunarDlgCommandsTest, AddInTheFilteredModeAddsToTheViewAndToEveryEntry) {
  Open({"Иван Петров", "Анна", "Петр", "Борис"});
  Run(IDC_FIND, "ПЕТР");
  ExpectState(
      {{"Иван Петров", "Петр"}, {"Анна", "Борис", "Иван Петров", "Петр"}, true, 0, -1, kCount2});
  Run(IDOK, "Яков");
  ExpectState({{"Иван Петров", "Петр", "Яков"},
               {"Анна", "Борис", "Иван Петров", "Петр", "Яков"},
               true,
               2,
               2,
               "Яков"});
  Press(IDC_SHOW_ALL);
  ExpectState({{"Анна", "Борис", "Иван Петров", "Петр", "Яков"},
               {"Анна", "Борис", "Иван Петров", "Петр", "Яков"},
               false,
               0,
               -1,
               kCount5});
}

// A refused Find leaves the mode filtered over an unfiltered list; Add then
// works on that list as it stands.
TEST_F(VelunarDlgCommandsTest, AddAfterARefusedFindAddsToTheListAsItStands) {
  Open({"Иван", "Анна"});
  Run(IDC_FIND, "");
  ExpectWarnings({kFindMsg});
  Run(IDOK, "Борис");
  ExpectState({{"Анна", "Борис", "Иван"}, {"Анна", "Борис", "Иван"}, true, 1, 1, "Борис"});
}

// ---------------------------------------------------------------------------
// Change

TEST_F(VelunarDlgCommandsTest, ChangeRefusesStatusTextsAndTheEmptyField) {
  const std::string texts[] = {"", kHint, kCount3, "Количество показанных записей — x", kNotFound};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    // The all mode: the list is refilled before the field is looked at, which
    // leaves the items but not the selection.
    Open({"Иван", "Анна"});
    ClickItem(1);
    Run(IDC_CHANGE, text);
    ExpectWarnings({kChangeMsg});
    ExpectState({{"Анна", "Иван"}, {"Анна", "Иван"}, false, 1, -1, text});

    // The filtered mode: nothing is refilled.
    Open({"Иван", "Анна", "Иванов"});
    Run(IDC_FIND, "иван");
    ClickItem(1);
    Run(IDC_CHANGE, text);
    ExpectWarnings({kChangeMsg});
    ExpectState({{"Иван", "Иванов"}, {"Анна", "Иван", "Иванов"}, true, 1, 1, text});
  }
}

TEST_F(VelunarDlgCommandsTest, ChangeReplacesTheItemAtTheCurrentIndex) {
  Open({"Иван", "Анна", "Борис"});
  ClickItem(1);
  Run(IDC_CHANGE, "Вера");
  ExpectWarnings({});
  ExpectState({{"Анна", "Вера", "Иван"}, {"Анна", "Вера", "Иван"}, false, 1, 1, "Вера"});

  // It acts on the index, not on the text, and makes no duplicate test.
  ClickItem(0);
  Run(IDC_CHANGE, "Иван");
  ExpectState({{"Вера", "Иван", "Иван"}, {"Вера", "Иван", "Иван"}, false, 1, 1, "Иван"});
}

TEST_F(VelunarDlgCommandsTest, ChangeAfterShowAllReplacesTheFirstItem) {
  Open({"Иван", "Анна", "Борис"});
  ClickItem(2);
  Press(IDC_SHOW_ALL);
  Run(IDC_CHANGE, "Яна");
  ExpectState({{"Борис", "Иван", "Яна"}, {"Борис", "Иван", "Яна"}, false, 2, 2, "Яна"});
}

// In the filtered mode the old text leaves the master list by exact
// equality: of two equal entries only one goes.
TEST_F(VelunarDlgCommandsTest, ChangeInTheFilteredModeRemovesOneOfTwoEqualEntries) {
  Open({"Иван Петров", "Анна", "Иван Петров", "иван петров"});
  Run(IDC_FIND, "петров");
  ExpectState({{"Иван Петров", "Иван Петров", "иван петров"},
               {"Анна", "Иван Петров", "Иван Петров", "иван петров"},
               true,
               0,
               -1,
               kCount3});
  ClickItem(1);
  Run(IDC_CHANGE, "Иван Петрович");
  ExpectWarnings({});
  ExpectState({{"Иван Петров", "иван петров", "Иван Петрович"},
               {"Анна", "Иван Петров", "иван петров", "Иван Петрович"},
               true,
               2,
               2,
               "Иван Петрович"});

  // The case variant goes by itself, the equal one stays.
  ClickItem(1);
  Run(IDC_CHANGE, "Пётр");
  ExpectState({{"Иван Петров", "Иван Петрович", "Пётр"},
               {"Анна", "Иван Петров", "Иван Петрович", "Пётр"},
               true,
               2,
               2,
               "Пётр"});
}

TEST_F(VelunarDlgCommandsTest, ChangeWithAnEmptyListAddsTheTextAsANewEntry) {
  Open({});
  Run(IDC_CHANGE, "Анна");
  ExpectWarnings({});
  ExpectState({{"Анна"}, {"Анна"}, false, 0, 0, "Анна"});

  // Filtered: a Find over no entries finds nothing and shows the empty list.
  Open({});
  Run(IDC_FIND, "анна");
  ExpectState({{}, {}, true, 0, -1, kNotFound});
  Run(IDC_CHANGE, "Анна");
  ExpectWarnings({});
  ExpectState({{"Анна"}, {"Анна"}, true, 0, 0, "Анна"});
}

// ---------------------------------------------------------------------------
// Delete

TEST_F(VelunarDlgCommandsTest, DeleteWithAnEmptyFieldRefusesAndKeepsTheCurrentIndex) {
  Open({"Иван", "Анна", "Борис"});
  ClickItem(2);
  Run(IDC_DELETE, "");
  ExpectWarnings({kDeleteMsg});
  // Refilled in the all mode: the same items, no selection.
  ExpectState({{"Анна", "Борис", "Иван"}, {"Анна", "Борис", "Иван"}, false, 2, -1, ""});

  Run(IDC_FIND, "и");
  ClickItem(1);
  Run(IDC_DELETE, "");
  ExpectWarnings({kDeleteMsg});
  ExpectState({{"Борис", "Иван"}, {"Анна", "Борис", "Иван"}, true, 1, 1, ""});
}

TEST_F(VelunarDlgCommandsTest, DeleteOfTextNoItemBeginsWithRefusesAndResetsTheCurrentIndex) {
  const std::string texts[] = {"Яна", "Иванов", "ван", kHint, kCount3};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    Open({"Иван", "Анна", "Борис"});
    ClickItem(2);
    Run(IDC_DELETE, text);
    ExpectWarnings({kDeleteMsg});
    ExpectState({{"Анна", "Борис", "Иван"}, {"Анна", "Борис", "Иван"}, false, 0, -1, text});
  }
}

TEST_F(VelunarDlgCommandsTest, DeleteRemovesTheItemTheFieldNamesAndShowsTheNextOne) {
  struct Row {
    std::string field;  // typed, or left from clicking the item
    Texts view;
    int curIndex;
  };
  const Row rows[] = {
      {"Борис", {"Анна", "Иван"}, 1},
      {"Анна", {"Борис", "Иван"}, 0},
      // The last item: the new last one is shown.
      {"Иван", {"Анна", "Борис"}, 1},
      // Found by its beginning, in any letter case.
      {"бор", {"Анна", "Иван"}, 1},
      {"ИВ", {"Анна", "Борис"}, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.field);
    Open({"Иван", "Анна", "Борис"});
    Run(IDC_DELETE, r.field);
    ExpectWarnings({});
    ExpectState({r.view, r.view, false, r.curIndex, r.curIndex, r.view[r.curIndex]});
  }
}

TEST_F(VelunarDlgCommandsTest, DeleteOfTheClickedItemTakesItsTextFromTheField) {
  Open({"Иван", "Анна", "Борис"});
  ClickItem(1);
  Press(IDC_DELETE);
  ExpectState({{"Анна", "Иван"}, {"Анна", "Иван"}, false, 1, 1, "Иван"});
  Press(IDC_DELETE);
  ExpectState({{"Анна"}, {"Анна"}, false, 0, 0, "Анна"});
}

// When the field's text begins several items, the one whose whole text it is
// goes; among equal items the first in find-prefix's order (item 1 on, item
// 0 last); with no whole match, the one find-prefix finds.
TEST_F(VelunarDlgCommandsTest, DeletePrefersTheItemWhoseWholeTextTheFieldShows) {
  struct Row {
    Texts file;
    std::string field;
    Texts view;
    int curIndex;
  };
  const Row rows[] = {
      {{"Анна Петрова", "Анна", "Борис"}, "Анна", {"Анна Петрова", "Борис"}, 0},
      {{"Анна Петрова", "Анна", "Алла"}, "Анна", {"Алла", "Анна Петрова"}, 1},
      // No item is exactly "анна": find-prefix finds item 1.
      {{"Анна Петрова", "Анна", "Борис"}, "анна", {"Анна", "Борис"}, 1},
      // Two equal items: item 1 goes, so the current index stays at 1.
      {{"Анна", "Анна", "Анна Петрова"}, "Анна", {"Анна", "Анна Петрова"}, 1},
      {{"Анна Петрова", "Анна Петровна"}, "Анна Петров", {"Анна Петрова"}, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.field);
    Open(r.file);
    Run(IDC_DELETE, r.field);
    ExpectWarnings({});
    ExpectState({r.view, r.view, false, r.curIndex, r.curIndex, r.view[r.curIndex]});
  }
}

TEST_F(VelunarDlgCommandsTest, DeleteOfTheOnlyEntryLeavesAnEmptyListAndTheText) {
  Open({"Анна"});
  Run(IDC_DELETE, "анн");
  ExpectWarnings({});
  ExpectState({{}, {}, false, 0, -1, "анн"});
  Press(IDC_DELETE);
  ExpectWarnings({kDeleteMsg});
  ExpectState({{}, {}, false, 0, -1, "анн"});
}

TEST_F(VelunarDlgCommandsTest, DeleteInTheFilteredModeRemovesFromEveryEntry) {
  Open({"Иван Петров", "Анна", "Мария Петрова", "Иван Петров"});
  Run(IDC_FIND, "петров");
  ExpectState({{"Иван Петров", "Иван Петров", "Мария Петрова"},
               {"Анна", "Иван Петров", "Иван Петров", "Мария Петрова"},
               true,
               0,
               -1,
               kCount3});
  Run(IDC_DELETE, "Мария Петрова");
  ExpectState({{"Иван Петров", "Иван Петров"},
               {"Анна", "Иван Петров", "Иван Петров"},
               true,
               1,
               1,
               "Иван Петров"});
  // One of the two equal entries goes from the master list.
  Press(IDC_DELETE);
  ExpectState({{"Иван Петров"}, {"Анна", "Иван Петров"}, true, 0, 0, "Иван Петров"});
  ExpectWarnings({});
}

TEST_F(VelunarDlgCommandsTest, DeleteThatEmptiesTheFilteredViewShowsEveryEntry) {
  Open({"Иван Петров", "Борис", "Анна"});
  Run(IDC_FIND, "петр");
  Run(IDC_DELETE, "иван");
  ExpectWarnings({});
  ExpectState({{"Анна", "Борис"}, {"Анна", "Борис"}, false, 0, 0, "Анна"});

  // When nothing is left at all, the field keeps the deleted text.
  Open({"Иван Петров"});
  Run(IDC_FIND, "петр");
  Run(IDC_DELETE, "Иван Петров");
  ExpectState({{}, {}, false, 0, -1, "Иван Петров"});
}

// ---------------------------------------------------------------------------
// Find

TEST_F(VelunarDlgCommandsTest, FindMatchesLettersOfEitherCase) {
  const Texts all = {"Иван Петров", "Ёлкин", "Иван", "Ivan", "Анна"};
  struct Row {
    std::string query;
    Texts view;
    std::string count;
  };
  const Row rows[] = {
      {"ПЕТР", {"Иван Петров"}, kCount1},
      {"ё", {"Ёлкин"}, kCount1},
      // Е is not Ё.
      {"е", {"Иван Петров"}, kCount1},
      {"ivan", {"Ivan"}, kCount1},
      {"иВАН", {"Иван", "Иван Петров"}, kCount2},
      {"а", {"Анна", "Иван", "Иван Петров"}, kCount3},
      // Cyrillic н only, never Latin n.
      {"н", {"Анна", "Ёлкин", "Иван", "Иван Петров"}, kCount4},
      {"н п", {"Иван Петров"}, kCount1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.query);
    Open(all);
    ClickItem(1);
    Run(IDC_FIND, r.query);
    ExpectWarnings({});
    ExpectState({r.view, all, true, 0, -1, r.count});
  }
}

TEST_F(VelunarDlgCommandsTest, FindSearchesEveryEntryNotOnlyTheShownOnes) {
  Open({"Иван Петров", "Анна", "Иван"});
  Run(IDC_FIND, "иван");
  Run(IDC_FIND, "анна");
  ExpectState({{"Анна"}, {"Анна", "Иван", "Иван Петров"}, true, 0, -1, kCount1});
}

TEST_F(VelunarDlgCommandsTest, FindWithoutMatchShowsEveryEntryAndTheNotFoundLine) {
  const Texts all = {"Иван Петров", "Ёлкин", "Иван"};
  Open(all);
  Run(IDC_FIND, "Елкин");
  ExpectWarnings({});
  const Texts view = {"Ёлкин", "Иван", "Иван Петров"};
  ExpectState({view, all, true, 0, -1, kNotFound});

  // The not-found line is no query.
  Press(IDC_FIND);
  ExpectWarnings({kFindMsg});
  ExpectState({view, all, true, 0, -1, kNotFound});
}

TEST_F(VelunarDlgCommandsTest, RefusedFindLeavesTheListButNotTheMode) {
  const std::string texts[] = {"", kHint, kCount2, "Количество показанных записей — ?", kNotFound};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    Open({"Иван", "Анна", "Борис"});
    ClickItem(1);
    Run(IDC_FIND, text);
    ExpectWarnings({kFindMsg});
    ExpectState({{"Анна", "Борис", "Иван"}, {"Анна", "Борис", "Иван"}, true, 1, 1, text});
  }
}

// ---------------------------------------------------------------------------
// Show all

TEST_F(VelunarDlgCommandsTest, ShowAllShowsEveryEntryAndTheirCount) {
  Open({"Иван Петров", "Анна", "Иван", "Борис"});
  Run(IDC_FIND, "иван");
  ClickItem(1);
  TypeEntry("набранный текст");
  Press(IDC_SHOW_ALL);
  ExpectWarnings({});
  const Texts all = {"Анна", "Борис", "Иван", "Иван Петров"};
  ExpectState({all, all, false, 0, -1, kCount4});

  Open({});
  Press(IDC_SHOW_ALL);
  ExpectState({{}, {}, false, 0, -1, kCount0});
}

// ---------------------------------------------------------------------------
// Save and Exit

// Entries loaded out of order with bare line feeds go back sorted, each
// with CR LF, in Windows-1251.
TEST_F(VelunarDlgCommandsTest, SaveWritesEveryEntrySortedWithCrLf) {
  OpenOnFile(Cp("Борис\nанна\nИван\nАнна\nivan\n"));
  ClickItem(3);
  Press(IDC_SAVE);
  ExpectWarnings({});
  EXPECT_EQ(m_dir.ReadEntryFile(),
            "ivan\r\n"
            "\xE0\xED\xED\xE0\r\n"      // анна
            "\xC0\xED\xED\xE0\r\n"      // Анна
            "\xC1\xEE\xF0\xE8\xF1\r\n"  // Борис
            "\xC8\xE2\xE0\xED\r\n");    // Иван
  const Texts all = {"ivan", "анна", "Анна", "Борис", "Иван"};
  ExpectState({all, all, false, 0, -1, kCount5});
  EXPECT_EQ(Dlg().EntryFile().State(), CStdioFile::EState::held);
}

TEST_F(VelunarDlgCommandsTest, SaveInTheFilteredModeWritesEveryEntry) {
  Open({"Иван Петров", "Борис", "Анна", "Иван"});
  Run(IDC_FIND, "иван");
  Run(IDOK, "Яна");
  Run(IDC_DELETE, "Иван Петров");
  ASSERT_TRUE(Dlg().IsFiltered());
  Press(IDC_SAVE);
  EXPECT_EQ(m_dir.ReadEntryFile(),
            "\xC0\xED\xED\xE0\r\n"      // Анна
            "\xC1\xEE\xF0\xE8\xF1\r\n"  // Борис
            "\xC8\xE2\xE0\xED\r\n"      // Иван
            "\xDF\xED\xE0\r\n");        // Яна
  const Texts all = {"Анна", "Борис", "Иван", "Яна"};
  ExpectState({all, all, false, 0, -1, kCount4});
}

TEST_F(VelunarDlgCommandsTest, ExitWritesEveryEntryAndEndsTheWindow) {
  Open({"Иван", "Анна"});
  Run(IDC_FIND, "ив");
  Run(IDOK, "ёж Ёжиков");
  Press(IDCANCEL);
  ExpectWarnings({});
  EXPECT_EQ(m_dir.ReadEntryFile(),
            "\xC0\xED\xED\xE0\r\n"                   // Анна
            "\xB8\xE6 \xA8\xE6\xE8\xEA\xEE\xE2\r\n"  // ёж Ёжиков
            "\xC8\xE2\xE0\xED\r\n");                 // Иван
  EXPECT_TRUE(Ended());
  EXPECT_EQ(Dlg().EntryFile().State(), CStdioFile::EState::closed);
}

TEST_F(VelunarDlgCommandsTest, ExitWithNoEntriesLeavesAnEmptyFile) {
  Open({"Анна"});
  Run(IDC_DELETE, "Анна");
  Press(IDCANCEL);
  EXPECT_TRUE(Ended());
  EXPECT_EQ(m_dir.ReadEntryFile(), "");
  EXPECT_TRUE(std::filesystem::exists(FullPath()));
}

// A save that fails is reported under the program's name; the file keeps
// what it held, the window stays open with every entry, and the next Save
// writes them all.
TEST_F(VelunarDlgCommandsTest, FailedSaveKeepsTheFileAndTheWindow) {
  struct Row {
    const char* name;
    int nCommand;
    EOp op;
    int error;
    const char* cause;
  };
  // The second line of the report names the cause the system gave.
  const Row rows[] = {
      {"Save, write", IDC_SAVE, EOp::write, ENOSPC, "нет места на диске"},
      {"Save, sync", IDC_SAVE, EOp::fsync, EIO, "ошибка ввода-вывода"},
      {"Save, exchange", IDC_SAVE, EOp::exchange, EIO, "ошибка ввода-вывода"},
      {"Exit, write", IDCANCEL, EOp::write, ENOSPC, "нет места на диске"},
      {"Exit, sync", IDCANCEL, EOp::fsync, EIO, "ошибка ввода-вывода"},
      {"Exit, exchange", IDCANCEL, EOp::exchange, EXDEV, "системная ошибка EXDEV"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Open({"Борис", "Анна"});
    const std::string before = m_dir.ReadEntryFile();
    Run(IDC_FIND, "анна");
    Run(IDOK, "Вера");
    ASSERT_TRUE(m_boxes.boxes.empty());

    m_fs.Fail(r.op, 1, r.error);
    Press(r.nCommand);
    ExpectFailureReport(WriteFailedReport(r.cause), r.nCommand == IDCANCEL);
    EXPECT_EQ(m_dir.ReadEntryFile(), before);
    EXPECT_EQ(m_dir.Names(), Texts{"velunar.txt"});
    EXPECT_TRUE(Dlg().Window().isVisible());
    EXPECT_NE(Dlg().Window().result(), IDCANCEL);
    // Every entry is shown; Save did not go on to Show all.
    ExpectState({{"Анна", "Борис", "Вера"}, {"Анна", "Борис", "Вера"}, true, 1, -1, "Вера"});

    m_fs.Clear();
    Press(IDC_SAVE);
    EXPECT_TRUE(m_boxes.boxes.empty());
    EXPECT_EQ(m_dir.ReadEntryFile(), Cp("Анна\r\nБорис\r\nВера\r\n"));
    EXPECT_EQ(m_dir.Names(), Texts{"velunar.txt"});
    ExpectState({{"Анна", "Борис", "Вера"}, {"Анна", "Борис", "Вера"}, false, 0, -1, kCount3});
  }
}

// Running out of memory in a save is reported as such; nothing is lost and
// a later Exit writes every entry.
TEST_F(VelunarDlgCommandsTest, SaveThatRunsOutOfMemoryKeepsTheFileAndTheWindow) {
  Open({"Борис", "Анна"});
  const std::string before = m_dir.ReadEntryFile();
  Run(IDOK, "Вера");
  m_fs.RunOutOfMemory(EOp::write, 0);
  Press(IDC_SAVE);
  ASSERT_EQ(m_boxes.boxes.size(), 1u);
  EXPECT_EQ(m_boxes.boxes[0].text, "Out of memory.");
  EXPECT_EQ(m_boxes.boxes[0].caption, U(kAppTitle));
  EXPECT_EQ(m_boxes.boxes[0].nType, MB_ICONEXCLAMATION);
  m_boxes.boxes.clear();
  EXPECT_TRUE(Dlg().Window().isVisible());
  EXPECT_EQ(m_dir.ReadEntryFile(), before);
  EXPECT_EQ(m_dir.Names(), Texts{"velunar.txt"});
  ExpectState({{"Анна", "Борис", "Вера"}, {"Анна", "Борис", "Вера"}, false, 2, -1, "Вера"});

  m_fs.Clear();
  Press(IDCANCEL);
  EXPECT_TRUE(m_boxes.boxes.empty());
  EXPECT_TRUE(Ended());
  EXPECT_EQ(m_dir.ReadEntryFile(), Cp("Анна\r\nБорис\r\nВера\r\n"));
}

// Enough entries that the save writes part of them before the failing write:
// the old file still stands whole, and so does every entry in the window.
TEST_F(VelunarDlgCommandsTest, SaveThatFailsPartWayKeepsTheOldFile) {
  Texts entries;
  std::string bytes;
  for (int i = 0; i < 4000; ++i) {
    char number[8];
    std::snprintf(number, sizeof number, "%04d", i);
    entries.push_back(std::string("Запись ") + number + ", Москва, ул. Тверская");
    bytes += Cp(entries.back().c_str()) + "\r\n";
  }
  ASSERT_GT(bytes.size(), 2u * 64 * 1024);
  Open(entries);
  Run(IDOK, "Яна");

  struct Row {
    const char* name;
    int nCommand;
    int nthWrite;
  };
  const Row rows[] = {{"Save, second write", IDC_SAVE, 2}, {"Exit, first write", IDCANCEL, 1}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    m_fs.Fail(EOp::write, r.nthWrite, ENOSPC);
    Press(r.nCommand);
    ExpectFailureReport(WriteFailedReport("нет места на диске"), r.nCommand == IDCANCEL);
    EXPECT_EQ(m_dir.ReadEntryFile(), bytes);
    EXPECT_EQ(m_dir.Names(), Texts{"velunar.txt"});
    EXPECT_TRUE(Dlg().Window().isVisible());
    EXPECT_EQ(Dlg().ListBox().GetCount(), 4001);
    EXPECT_EQ(Dlg().MasterList().GetSize(), 4001);
    m_fs.Clear();
  }

  Press(IDCANCEL);
  EXPECT_TRUE(m_boxes.boxes.empty());
  EXPECT_TRUE(Ended());
  EXPECT_EQ(m_dir.ReadEntryFile(), bytes + Cp("Яна\r\n"));
}

TEST_F(VelunarDlgCommandsTest, ReadOnlyEntryFileIsReportedAndNothingIsLost) {
  const int commands[] = {IDC_SAVE, IDCANCEL};
  for (const int nCommand : commands) {
    SCOPED_TRACE(nCommand);
    Open({"Борис", "Анна"});
    const std::string before = m_dir.ReadEntryFile();
    Run(IDOK, "Вера");
    ASSERT_EQ(::chmod(FullPath().c_str(), 0444), 0);

    Press(nCommand);
    ExpectFailureReport(NotOpenedReport(), nCommand == IDCANCEL);
    EXPECT_EQ(m_dir.ReadEntryFile(), before);
    EXPECT_EQ(m_dir.Names(), Texts{"velunar.txt"});
    EXPECT_TRUE(Dlg().Window().isVisible());
    ExpectState({{"Анна", "Борис", "Вера"}, {"Анна", "Борис", "Вера"}, false, 2, -1, "Вера"});

    ASSERT_EQ(::chmod(FullPath().c_str(), 0644), 0);
    Press(IDCANCEL);
    EXPECT_TRUE(m_boxes.boxes.empty());
    EXPECT_TRUE(Ended());
    EXPECT_EQ(m_dir.ReadEntryFile(), Cp("Анна\r\nБорис\r\nВера\r\n"));
  }
}

// ---------------------------------------------------------------------------
// The file against other programs and the end of the session

TEST_F(VelunarDlgCommandsTest, AnotherProgramsEntriesAreMergedAtSaveAndExit) {
  for (const int nCommand : {IDC_SAVE, IDCANCEL}) {
    SCOPED_TRACE(nCommand);
    Open({"Борис", "Анна", "Дина"});
    Run(IDOK, "Вера");
    ClickItem(3);  // Дина
    Press(IDC_DELETE);
    // Meanwhile another program appends a line and takes one away.
    m_dir.WriteEntryFile(Cp("Борис\r\nДина\r\nГлеб\r\n"));
    Press(nCommand);
    EXPECT_TRUE(m_boxes.boxes.empty());
    EXPECT_EQ(m_dir.ReadEntryFile(), Cp("Борис\r\nВера\r\nГлеб\r\n"));
    if (nCommand == IDC_SAVE) {
      ExpectState({{"Борис", "Вера", "Глеб"}, {"Борис", "Вера", "Глеб"}, false, 0, -1, kCount3});
      // What the save wrote is what the window now holds.
      Run(IDOK, "Яна");
      Press(IDCANCEL);
      EXPECT_EQ(m_dir.ReadEntryFile(), Cp("Борис\r\nВера\r\nГлеб\r\nЯна\r\n"));
    }
    EXPECT_TRUE(Ended());
  }
}

// Another program's change that would take out more than half of the
// window's entries, and at least ten, is asked about before Save and Exit
// write: «Да» takes them out, «Нет» (the default) keeps them, with the other
// program's additions. A few entries removed outside are merged at once.
TEST_F(VelunarDlgCommandsTest, MassRemovalOutsideIsAskedAboutFirst) {
  Texts twelve;
  std::string bytes;
  for (int i = 10; i < 22; ++i) {
    twelve.push_back("Запись " + std::to_string(i));
    bytes += Cp(twelve.back().c_str()) + "\r\n";
  }
  struct Row {
    const char* name;
    int nCommand;
    std::string outside;   // the file another program leaves
    int nAnswer;           // 0: no question
    std::string after;     // the file after the command
  };
  const Row rows[] = {
      {"a truncation, kept", IDC_SAVE, "", IDNO, bytes},
      {"a blank first line, kept", IDCANCEL, "\r\n" + bytes + Cp("Новая\r\n"), IDNO,
       bytes + "\r\n" + bytes + Cp("Новая\r\n")},
      {"a truncation, taken out", IDC_SAVE, Cp("Новая\r\n"), IDYES, Cp("Новая\r\n")},
      {"two removed, no question", IDCANCEL, bytes.substr(bytes.find('\n', 20) + 1), 0,
       bytes.substr(bytes.find('\n', 20) + 1)},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Open(twelve);
    m_dir.WriteEntryFile(r.outside);
    if (r.nAnswer != 0) m_boxes.yesNoAnswers = {r.nAnswer};
    Press(r.nCommand);
    ASSERT_EQ(m_boxes.boxes.size(), r.nAnswer != 0 ? 1u : 0u);
    if (r.nAnswer != 0) {
      const std::string text = m_boxes.boxes[0].text.toStdString();
      EXPECT_NE(text.find(FullPath()), std::string::npos) << text;
      EXPECT_NE(text.find(" 12 "), std::string::npos) << text;  // of the window's 12
      EXPECT_EQ(m_boxes.boxes[0].nType, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
      m_boxes.boxes.clear();
    }
    EXPECT_EQ(m_dir.ReadEntryFile(), r.after);
    EXPECT_EQ(Ended(), r.nCommand == IDCANCEL);
  }
}

// A program that appends a line at every step of a save, as a logger
// writing all the time does: Save and Exit merge its lines and finish, and
// none of them is lost.
TEST_F(VelunarDlgCommandsTest, SteadyWriterNeitherBlocksNorLosesAnything) {
  for (const int nCommand : {IDC_SAVE, IDCANCEL}) {
    SCOPED_TRACE(nCommand);
    Open({"Борис", "Анна"});
    Run(IDOK, "Вера");
    int nLines = 0;
    std::string written;
    const std::function<void()> writer = [&] {
      const std::string line = "w" + std::to_string(nLines++) + "\r\n";
      written += line;
      const int fd = ::open(FullPath().c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
      ASSERT_GE(fd, 0);
      ASSERT_EQ(::write(fd, line.data(), line.size()), static_cast<ssize_t>(line.size()));
      ::close(fd);
    };
    // Before each step of a save: the naming, the exchange, the syncs, the
    // reads of what was appended.
    for (const EOp op : {EOp::linkat, EOp::exchange, EOp::fsync, EOp::read}) {
      m_fs.BeforeCall(op, 1, writer);
    }
    Press(nCommand);
    m_fs.Clear();
    EXPECT_TRUE(m_boxes.boxes.empty());
    const std::string after = m_dir.ReadEntryFile();
    for (int i = 0; i < nLines; ++i) {
      const std::string line = "w" + std::to_string(i) + "\r\n";
      EXPECT_NE(after.find(line), std::string::npos) << line << " lost: " << after;
    }
    EXPECT_NE(after.find(Cp("Вера\r\n")), std::string::npos);
    EXPECT_EQ(Ended(), nCommand == IDCANCEL);
  }
}

// A failed Exit with unsaved entries asks, however the user left; «Нет»
// keeps the window, «Да» closes it without writing.
TEST_F(VelunarDlgCommandsTest, FailedExitClosesWithoutSavingOnlyWhenTheUserSaysYes) {
  Open({"Борис", "Анна"});
  const std::string before = m_dir.ReadEntryFile();
  Run(IDOK, "Вера");
  ASSERT_EQ(::chmod(FullPath().c_str(), 0444), 0);
  m_boxes.yesNoAnswers = {IDNO, IDNO, IDYES};
  Press(IDCANCEL);
  ExpectFailureReport(NotOpenedReport(), true);
  EXPECT_TRUE(Dlg().Window().isVisible());
  EXPECT_FALSE(Dlg().Window().close());  // the close button runs the same Exit
  ExpectFailureReport(NotOpenedReport(), true);
  EXPECT_TRUE(Dlg().Window().isVisible());
  ExpectState({{"Анна", "Борис", "Вера"}, {"Анна", "Борис", "Вера"}, false, 2, -1, "Вера"});
  Key(&Dlg().Window(), Qt::Key_Escape);
  ExpectFailureReport(NotOpenedReport(), true);
  EXPECT_FALSE(Dlg().Window().isVisible());
  EXPECT_EQ(Dlg().Window().result(), CVelunarDlg::kSaveFailed);
  EXPECT_EQ(m_dir.ReadEntryFile(), before);
}

// With nothing to lose, a failed Exit reports and ends without a question.
TEST_F(VelunarDlgCommandsTest, FailedExitWithNothingChangedEnds) {
  Open({"Борис", "Анна"});
  Run(IDOK, "Вера");
  ClickItem(2);
  Press(IDC_DELETE);  // back to what the file holds
  ASSERT_EQ(::chmod(FullPath().c_str(), 0444), 0);
  Press(IDCANCEL);
  ExpectFailureReport(NotOpenedReport());
  EXPECT_FALSE(Dlg().Window().isVisible());
  EXPECT_EQ(Dlg().Window().result(), CVelunarDlg::kSaveFailed);
}

// SIGTERM, SIGHUP and SIGINT save as Exit does and end the window; when the
// save fails, nobody is asked and the window ends all the same.
TEST_F(VelunarDlgCommandsTest, SignalsSaveOnceAndEnd) {
  for (const int signo : {SIGTERM, SIGHUP, SIGINT}) {
    for (const bool bWritable : {true, false}) {
      SCOPED_TRACE(std::to_string(signo) + (bWritable ? " writable" : " read-only"));
      std::filesystem::remove(FullPath());
      Open({"Борис", "Анна"});
      const std::string before = m_dir.ReadEntryFile();
      Run(IDOK, "Вера");
      if (!bWritable) {
        ASSERT_EQ(::chmod(FullPath().c_str(), 0444), 0);
      }
      ASSERT_EQ(::raise(signo), 0);
      EXPECT_TRUE(QTest::qWaitFor([&] { return !Dlg().Window().isVisible(); }, 5000));
      EXPECT_TRUE(m_boxes.boxes.empty());
      if (bWritable) {
        EXPECT_TRUE(Ended());
        EXPECT_EQ(Dlg().EntryFile().SaveCount(), 1u);
        EXPECT_EQ(m_dir.ReadEntryFile(), Cp("Анна\r\nБорис\r\nВера\r\n"));
      } else {
        EXPECT_EQ(Dlg().Window().result(), CVelunarDlg::kSaveFailed);
        EXPECT_EQ(m_dir.ReadEntryFile(), before);
      }
    }
  }
}

// Once per click or key, however the user reaches the long entry. The box
// runs the event loop while it is up, as a real one does.
TEST_F(VelunarDlgCommandsTest, EntryTooLongForTheFieldLeavesItAsItWas) {
  const std::string longEntry = "Б" + std::string(CVelunarDlg::kMaxFieldEntry, 'x');
  const std::string warning = "Эта строка слишком длинная для нижнего поля (" +
                              std::to_string(Cp(longEntry.c_str()).size()) +
                              " байт), поэтому оно её не показывает.\nСтрока остаётся в списке и "
                              "в файле без изменений.";
  struct CLoopingBoxes : CMessageBoxRecorder {
    int Show(CDialog* owner, const std::string& text, const std::string& caption,
             unsigned nType) override {
      QCoreApplication::processEvents();
      return CMessageBoxRecorder::Show(owner, text, caption, nType);
    }
  };
  for (const bool bKey : {false, true}) {
    SCOPED_TRACE(bKey ? "a key" : "a click");
    Open({"Анна", longEntry});
    CLoopingBoxes boxes;
    Dlg().SetMessageBoxes(&boxes);
    TypeEntry("своё");
    if (bKey) {
      List()->setFocus();
      Key(List(), Qt::Key_Down);
    } else {
      ClickItem(1);
    }
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.toStdString(), warning);
    EXPECT_EQ(Edit()->text().toStdString(), "своё");
    EXPECT_EQ(Dlg().ListBox().GetCurSel(), 0);
    // The row shows the entry's beginning; the file keeps it whole.
    EXPECT_EQ(ShownRows()[1].substr(0, 4), "Бxx");
    Dlg().SetMessageBoxes(&m_boxes);
    Press(IDCANCEL);
    EXPECT_EQ(m_dir.ReadEntryFile(), Cp("Анна\r\n") + Cp(longEntry.c_str()) + "\r\n");
  }
}

}  // namespace
}  // namespace velunar

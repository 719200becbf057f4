// The main window against a reference model of its commands.
//
// The model below is the commands written out plainly, step by step: a
// master list in a vector, a view list kept sorted by inserting each text
// after every item it sorts together with, the view mode, the current index,
// the selection, the entry field and the message of each refusal. It shares
// nothing with the window but the list order itself (CompareListOrder).
// Seeded random sequences of what a user does (typing, clicking and
// arrowing in the list, pressing the buttons, Enter) run on the window and
// on the model side by side; after every step they must agree on everything
// the user can see or the next command depends on.
//
// A failure names the seed and the step and lists the steps that led there.
// VELUNAR_MODEL_STEPS (steps per seed) and VELUNAR_MODEL_SEED_OFFSET (added
// to each seed) run longer or different sequences by hand.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "store/text/cp1251.h"
#include "store/text/text_rules.h"
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

using testing::CMessageBoxRecorder;
using testing::Cp;
using testing::CScratchDir;
using testing::kAddEmptyMsg;
using testing::kAddStatusMsg;
using testing::kChangeMsg;
using testing::kCountPrefix;
using testing::kDeleteMsg;
using testing::Key;
using testing::kFindMsg;
using testing::kHint;
using testing::kNotFound;
using testing::Type;
using testing::U;
using testing::Utf8;

// The texts a user types: case variants, equal texts, shared prefixes,
// letters Find must tell apart (е and ё, Latin and Cyrillic), pieces that
// serve as queries.
const char* const kEntries[] = {
    "Анна",  "анна",  "АННА", "Анна Петрова", "анна петрова", "Ан",          "Анна ",
    "Иван",  "иван",  "Ivan", "ivan",         "Иван Петров",  "ИВАН ПЕТРОВ", "Ёлкин",
    "ёлкин", "Елкин", "Петр", "ПЕТР",         "Пётр",         "Борис",       "Б",
    "е",     "ё",     "н",    "zz",           "12",           "а-б",
};
// Texts the program writes into the field itself, and near misses.
const char* const kOtherTexts[] = {
    kHint,
    "Количество показанных записей — 3",
    "Количество показанных записей — 0",
    "Количество показанных записей — зз",
    kNotFound,
    "Записи по введённому запросу не были найдены ",
    "Количество показанных записей - 3",
};

std::string Quoted(const std::vector<std::string>& cp1251) {
  std::string out = "[";
  for (std::size_t i = 0; i < cp1251.size(); ++i) {
    if (i > 0) out += ", ";
    out += "\"" + Utf8(cp1251[i]) + "\"";
  }
  return out + "]";
}

// Folding by the Windows-1251 case table: A-Z and А-Я fold by adding
// 0x20, the other Cyrillic capitals as listed here; 73 capitals in all.
struct CCapital {
  unsigned char upper, lower;
};
constexpr CCapital kOtherCapitals[] = {
    {0xA8, 0xB8} /* Ё */, {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C},
    {0x8D, 0x9D},         {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC},
    {0xA5, 0xB4},         {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE},
};

unsigned char FoldByteModel(unsigned char b) {
  if ((b >= 0x41 && b <= 0x5A) || (b >= 0xC0 && b <= 0xDF)) {
    return static_cast<unsigned char>(b + 0x20);
  }
  for (const CCapital& capital : kOtherCapitals) {
    if (capital.upper == b) return capital.lower;
  }
  return b;
}

std::string Folded(const std::string& s) {
  std::string out = s;
  for (char& c : out) c = static_cast<char>(FoldByteModel(static_cast<unsigned char>(c)));
  return out;
}

// The commands, as plain as they can be written.
class CCommandModel {
 public:
  CCommandModel() : m_hint(Cp(kHint)), m_countPrefix(Cp(kCountPrefix)), m_notFound(Cp(kNotFound)) {}

  // Window initialisation over a file holding `entries`.
  void Load(const std::vector<std::string>& entries) {
    field = strEntry = m_hint;
    for (const std::string& entry : entries) {
      master.push_back(entry);
      AddString(entry);
    }
    curIndex = 0;
    SetCurSel(0);
    filtered = false;
  }

  void TypeText(const std::string& text) { field = text; }

  // A selection by the user, with the mouse or a moving key: Select runs,
  // also when the item was selected already.
  void UserSelects(int row) {
    curSel = row;
    curIndex = curSel;
    GetText(curIndex, strEntry);
    field = strEntry;
  }

  void Add() {
    strEntry = field;
    if (IsStatusText(strEntry)) return Warn(kAddStatusMsg);
    if (strEntry.empty()) return Warn(kAddEmptyMsg);
    if (!filtered) Refill();
    if (std::find(master.begin(), master.end(), strEntry) != master.end()) {
      SetCurSel(curIndex);
      return;
    }
    AddString(strEntry);
    master.push_back(strEntry);
    curIndex = FindString(strEntry);
    SetCurSel(curIndex);
    if (!filtered) master = view;
  }

  void Change() {
    if (!filtered) Refill();
    strEntry = field;
    if (strEntry.empty() || IsStatusText(strEntry)) return Warn(kChangeMsg);
    // With no item at the current index nothing leaves the master list.
    std::string item;
    if (filtered && GetText(curIndex, item)) RemoveFirstEqual(item);
    DeleteString(curIndex);
    AddString(strEntry);
    if (filtered) master.push_back(strEntry);
    curIndex = FindString(strEntry);
    SetCurSel(curIndex);
    if (!filtered) master = view;
  }

  void Delete() {
    strEntry = field;
    if (!filtered) Refill();
    if (strEntry.empty()) return Warn(kDeleteMsg);
    // The item whose whole text the field shows, else find-prefix's.
    curIndex = FindEqual(strEntry);
    if (curIndex < 0) curIndex = FindString(strEntry);
    if (curIndex < 0) {
      curIndex = 0;
      return Warn(kDeleteMsg);
    }
    std::string item;
    GetText(curIndex, item);
    RemoveFirstEqual(item);
    DeleteString(curIndex);
    if (view.empty()) {
      filtered = false;
      Refill();
      if (view.empty()) return;
    }
    if (curIndex == Count()) --curIndex;
    if (curIndex < 0) curIndex = 0;
    SetCurSel(curIndex);
    GetText(curIndex, strEntry);
    field = strEntry;
    if (!filtered) master = view;
  }

  void Find() {
    filtered = true;
    strEntry = field;
    const std::string query = strEntry;
    if (query.empty() || IsStatusText(query)) return Warn(kFindMsg);
    ResetContent();
    for (const std::string& entry : master) {
      if (Folded(entry).find(Folded(query)) != std::string::npos) AddString(entry);
    }
    curIndex = 0;
    field = strEntry = m_countPrefix + std::to_string(Count());
    if (Count() == 0) {
      field = strEntry = m_notFound;
      for (const std::string& entry : master) AddString(entry);
    }
  }

  void ShowAll() {
    filtered = false;
    Refill();
    curIndex = 0;
    field = strEntry = m_countPrefix + std::to_string(master.size());
  }

  void Save() {
    Refill();
    file = WriteAll();
    ShowAll();
  }

  void Exit() {
    Refill();
    file = WriteAll();
  }

  std::vector<std::string> master;  // in the order the steps give
  std::vector<std::string> view;    // in list order
  bool filtered = false;
  int curIndex = 0;
  int curSel = -1;
  std::string strEntry;
  std::string field;
  std::vector<std::string> messages;  // UTF-8, since the last step
  std::string file;                   // the bytes the last save wrote

  int Count() const { return static_cast<int>(view.size()); }

 private:
  bool IsStatusText(const std::string& s) const {
    return s == m_hint || s.compare(0, m_countPrefix.size(), m_countPrefix) == 0 || s == m_notFound;
  }
  void Warn(const char* text) { messages.push_back(text); }

  // The view list's operations, as a sorted list box has them.
  int AddString(const std::string& text) {
    std::size_t at = 0;
    while (at < view.size() && CompareListOrder(view[at], text) <= 0) ++at;
    view.insert(view.begin() + static_cast<std::ptrdiff_t>(at), text);
    if (curSel >= static_cast<int>(at)) ++curSel;
    return static_cast<int>(at);
  }
  bool Names(int i) const { return i >= 0 && i < Count(); }
  void DeleteString(int i) {
    if (!Names(i)) return;
    view.erase(view.begin() + i);
    if (curSel == i) {
      curSel = -1;
    } else if (curSel > i) {
      --curSel;
    }
  }
  void ResetContent() {
    view.clear();
    curSel = -1;
  }
  bool GetText(int i, std::string& target) const {
    if (!Names(i)) return false;
    target = view[static_cast<std::size_t>(i)];
    return true;
  }
  void SetCurSel(int i) { curSel = Names(i) ? i : -1; }
  // Items 1, 2, ..., last, then 0.
  template <class Match>
  int Search(Match match) const {
    for (int k = 1; k < Count(); ++k) {
      if (match(view[static_cast<std::size_t>(k)])) return k;
    }
    return Count() > 0 && match(view[0]) ? 0 : -1;
  }
  int FindString(const std::string& prefix) const {
    const std::string folded = Folded(prefix);
    return Search([&](const std::string& item) {
      return item.size() >= prefix.size() && Folded(item.substr(0, prefix.size())) == folded;
    });
  }
  int FindEqual(const std::string& text) const {
    return Search([&](const std::string& item) { return item == text; });
  }
  void Refill() {
    ResetContent();
    for (const std::string& entry : master) AddString(entry);
  }
  void RemoveFirstEqual(const std::string& text) {
    const auto it = std::find(master.begin(), master.end(), text);
    if (it != master.end()) master.erase(it);
  }
  std::string WriteAll() const {
    std::string bytes;
    for (const std::string& item : view) bytes += item + "\r\n";
    return bytes;
  }

  const std::string m_hint;
  const std::string m_countPrefix;
  const std::string m_notFound;
};

// A small generator of our own, so that a seed means the same sequence
// wherever the test runs.
class CRandom {
 public:
  explicit CRandom(std::uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 1) {}
  // 0 <= result < n.
  int Below(int n) {
    m_state ^= m_state << 13;
    m_state ^= m_state >> 7;
    m_state ^= m_state << 17;
    return static_cast<int>(m_state % static_cast<std::uint64_t>(n));
  }

 private:
  std::uint64_t m_state;
};

int EnvInt(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::atoi(value) : fallback;
}

class VelunarDlgModelTest : public ::testing::TestWithParam<int> {
 protected:
  ~VelunarDlgModelTest() override { m_pDlg.reset(); }

  void Open(const std::vector<std::string>& entries) {
    std::string bytes;
    for (const std::string& entry : entries) bytes += entry + "\r\n";
    m_dir.WriteEntryFile(bytes);
    m_pDlg = std::make_unique<CVelunarDlg>();
    m_pDlg->SetMessageBoxes(&m_boxes);
    ASSERT_TRUE(m_pDlg->Create());
    m_pDlg->Window().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(QtWindowOf(m_pDlg.get())));
    m_model.Load(entries);
  }

  CEntryEdit* Edit() { return qobject_cast<CEntryEdit*>(m_pDlg->Window().GetDlgItem(IDC_ENTRY_EDIT)); }
  CListBoxView* List() { return qobject_cast<CListBoxView*>(m_pDlg->Window().GetDlgItem(IDC_ENTRY_LIST)); }

  // One random user action, on the window and on the model; returns what
  // it was, for the report.
  std::string Step(CRandom& random) {
    const int roll = random.Below(100);
    const bool bListFocused = QApplication::focusWidget() == List();
    if (roll < 28) {
      const int nEntries = static_cast<int>(std::size(kEntries));
      const int nOthers = static_cast<int>(std::size(kOtherTexts));
      const int kind = random.Below(100);
      const char* text = kind < 75   ? kEntries[random.Below(nEntries)]
                         : kind < 80 ? ""
                                     : kOtherTexts[random.Below(nOthers)];
      TypeText(text);
      return std::string("type \"") + text + "\"";
    }
    if (roll < 46 && m_model.Count() > 0) {
      if (roll >= 40 && bListFocused && m_model.curSel >= 0) {
        const bool bDown = random.Below(2) == 0;
        Key(QtWindowOf(m_pDlg.get()), bDown ? Qt::Key_Down : Qt::Key_Up);
        const int row = std::clamp(m_model.curSel + (bDown ? 1 : -1), 0, m_model.Count() - 1);
        m_model.UserSelects(row);
        return bDown ? "arrow down" : "arrow up";
      }
      const int row = random.Below(m_model.Count());
      ClickItem(row);
      m_model.UserSelects(row);
      return "click item " + std::to_string(row);
    }
    if (roll < 54) {
      Press(IDOK);
      m_model.Add();
      return "Add";
    }
    if (roll < 60) {
      // Enter runs Add from the field and from the list alike.
      if (!bListFocused) QTest::mouseClick(Edit(), Qt::LeftButton);
      Key(QtWindowOf(m_pDlg.get()), Qt::Key_Return);
      m_model.Add();
      return bListFocused ? "Enter in the list" : "Enter in the field";
    }
    if (roll < 70) {
      Press(IDC_CHANGE);
      m_model.Change();
      return "Change";
    }
    if (roll < 82) {
      Press(IDC_DELETE);
      m_model.Delete();
      return "Delete";
    }
    if (roll < 92) {
      Press(IDC_FIND);
      m_model.Find();
      return "Find";
    }
    if (roll < 96) {
      Press(IDC_SHOW_ALL);
      m_model.ShowAll();
      return "Show all";
    }
    Press(IDC_SAVE);
    m_model.Save();
    return "Save";
  }

  void TypeText(const char* utf8) {
    QTest::mouseClick(Edit(), Qt::LeftButton);
    Key(QtWindowOf(m_pDlg.get()), Qt::Key_A, Qt::ControlModifier);
    if (*utf8 == '\0') {
      Key(QtWindowOf(m_pDlg.get()), Qt::Key_Backspace);
    } else {
      Type(QtWindowOf(m_pDlg.get()), U(utf8));
    }
    m_model.TypeText(Cp(utf8));
  }
  void Press(int nID) {
    QTest::mouseClick(qobject_cast<QPushButton*>(m_pDlg->Window().GetDlgItem(nID)), Qt::LeftButton);
  }
  void ClickItem(int row) {
    const QModelIndex index = List()->model()->index(row, 0);
    List()->scrollTo(index);
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      List()->visualRect(index).center());
  }

  // Everything the window and the model must agree on; the differences, or
  // success.
  ::testing::AssertionResult Agree() {
    std::ostringstream diff;
    std::vector<std::string> view;
    m_pDlg->ListBox().View().Items().ForEach(
        [&](std::string_view item) { view.emplace_back(item); });
    if (view != m_model.view)
      diff << "view: window " << Quoted(view) << ", model " << Quoted(m_model.view) << "\n";
    if (List()->model()->rowCount() != m_model.Count()) {
      diff << "rows in the list control: " << List()->model()->rowCount() << "\n";
    }

    std::vector<std::string> master;
    m_pDlg->MasterList().Items().ForEach([&](std::string_view item) { master.emplace_back(item); });
    std::vector<std::string> modelMaster = m_model.master;
    std::sort(master.begin(), master.end());
    std::sort(modelMaster.begin(), modelMaster.end());
    if (master != modelMaster) {
      diff << "master list: window " << Quoted(master) << ", model " << Quoted(modelMaster) << "\n";
    }

    if (m_pDlg->IsFiltered() != m_model.filtered) {
      diff << "filtered: window " << m_pDlg->IsFiltered() << ", model " << m_model.filtered << "\n";
    }
    if (m_pDlg->CurIndex() != m_model.curIndex) {
      diff << "current index: window " << m_pDlg->CurIndex() << ", model " << m_model.curIndex
           << "\n";
    }

    const QModelIndexList selected = List()->selectionModel()->selectedRows();
    const int shown = selected.isEmpty() ? -1 : selected.size() > 1 ? -2 : selected.first().row();
    if (m_pDlg->ListBox().GetCurSel() != m_model.curSel || shown != m_model.curSel) {
      diff << "selection: window " << m_pDlg->ListBox().GetCurSel() << " (shown " << shown
           << "), model " << m_model.curSel << "\n";
    }
    if (m_model.curSel >= 0 && List()->currentIndex().row() != m_model.curSel) {
      diff << "current item of the list control: " << List()->currentIndex().row() << "\n";
    }

    const std::string field = Edit()->text().toStdString();
    if (field != Utf8(m_model.field))
      diff << "field: window \"" << field << "\", model \"" << Utf8(m_model.field) << "\"\n";
    if (m_pDlg->EntryText() != m_model.strEntry) {
      diff << "m_strEntry: window \"" << Utf8(m_pDlg->EntryText()) << "\", model \""
           << Utf8(m_model.strEntry) << "\"\n";
    }

    std::vector<std::string> boxes;
    for (const CMessageBoxRecorder::Box& box : m_boxes.boxes) {
      boxes.push_back(box.text.toStdString());
      if (box.caption != U("Внимание!") || box.nType != MB_OK) {
        diff << "box \"" << box.text.toStdString() << "\" under \"" << box.caption.toStdString()
             << "\", type " << box.nType << "\n";
      }
    }
    if (boxes != m_model.messages) {
      diff << "messages: window";
      for (const std::string& text : boxes) diff << " \"" << text << "\"";
      diff << "; model";
      for (const std::string& text : m_model.messages) diff << " \"" << text << "\"";
      diff << "\n";
    }
    m_boxes.boxes.clear();
    m_model.messages.clear();

    if (m_dir.ReadEntryFile() != m_model.file) diff << "entry file differs\n";

    if (diff.str().empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << diff.str() << "model: view " << Quoted(m_model.view) << ", master "
           << Quoted(m_model.master) << (m_model.filtered ? ", filtered" : ", all")
           << ", current index " << m_model.curIndex << ", selection " << m_model.curSel << "\n";
  }

  CScratchDir m_dir;
  CMessageBoxRecorder m_boxes;
  CCommandModel m_model;
  std::unique_ptr<CVelunarDlg> m_pDlg;
};

TEST_P(VelunarDlgModelTest, WindowFollowsTheModel) {
  const int seed = GetParam() + EnvInt("VELUNAR_MODEL_SEED_OFFSET", 0);
  const int steps = EnvInt("VELUNAR_MODEL_STEPS", 150);
  CRandom random(static_cast<std::uint64_t>(seed));

  std::vector<std::string> entries;
  for (int n = random.Below(11); n > 0; --n) {
    entries.push_back(Cp(kEntries[random.Below(static_cast<int>(std::size(kEntries)))]));
  }
  Open(entries);
  m_model.file = m_dir.ReadEntryFile();  // nothing is written before a save

  std::string history = "file " + Quoted(entries) + "\n";
  auto failed = [&](int step, const std::string& what) {
    return ::testing::AssertionFailure()
           << "seed " << seed << ", step " << step << " (" << what << ")\n"
           << history;
  };
  if (::testing::AssertionResult agree = Agree(); !agree) {
    FAIL() << failed(0, "opening").message() << agree.message();
  }
  for (int step = 1; step <= steps; ++step) {
    const std::string what = Step(random);
    history += std::to_string(step) + ": " + what + "\n";
    if (::testing::AssertionResult agree = Agree(); !agree) {
      FAIL() << failed(step, what).message() << agree.message();
    }
  }

  Press(IDCANCEL);
  m_model.Exit();
  EXPECT_FALSE(m_pDlg->Window().isVisible()) << "seed " << seed;
  EXPECT_EQ(m_pDlg->Window().result(), IDCANCEL) << "seed " << seed;
  EXPECT_EQ(m_dir.ReadEntryFile(), m_model.file) << "seed " << seed << ", Exit\n" << history;
}

INSTANTIATE_TEST_SUITE_P(Seeds, VelunarDlgModelTest, ::testing::Range(1, 21));

}  // namespace
}  // namespace velunar

#include "ui/velunar_dlg.h"

#include <chrono>
#include <new>
#include <string>
#include <optional>
#include <vector>

#include "res/texts/main_window_texts.h"
#include "store/lists/entry_merge.h"
#include "store/lists/entry_runs.h"
#include "store/text/status_texts.h"
#include "store/text/text_rules.h"
#include "ui/about_dlg.h"
#include "ui/platform/app_icon.h"
#include "ui/platform/dialog_exchange.h"
#include "ui/platform/win_app.h"
#include "ui/platform/win_defs.h"
#include "ui/resource_ids.h"
#include "ui/platform/session_end.h"
#include "ui/text_format.h"

namespace velunar {

CVelunarDlg::CVelunarDlg(CDialog* pParent, IFileSystem& fs)
    : CProgramDialog(IDD_VELUNAR_DIALOG, pParent),
      m_pTexts(std::make_shared<CTextPool>()),
      m_hIcon(LoadAppIcon()),
      m_file(fs),
      m_listEntries(m_pTexts),
      m_arrAll(m_pTexts) {
  // The list's selections by the user reach the window as its notification.
  m_listEntries.SetSelChangeHandler([this] { OnCommand(IDC_ENTRY_LIST, LBN_SELCHANGE); });
  // The command table: which control and notification runs which command.
  BindCommand(IDC_ENTRY_LIST, LBN_SELCHANGE, [this] { OnSelchangeEntryList(); });
  BindCommand(IDOK, BN_CLICKED, [this] { OnAdd(); });
  BindCommand(IDC_CHANGE, BN_CLICKED, [this] { OnChange(); });
  BindCommand(IDC_DELETE, BN_CLICKED, [this] { OnDelete(); });
  BindCommand(IDC_FIND, BN_CLICKED, [this] { OnFind(); });
  BindCommand(IDC_SHOW_ALL, BN_CLICKED, [this] { OnShowAll(); });
  BindCommand(IDC_SAVE, BN_CLICKED, [this] { OnSave(); });
  BindCommand(IDCANCEL, BN_CLICKED, [this] { OnExit(); });
}

CVelunarDlg::~CVelunarDlg() = default;

void CVelunarDlg::DoDataExchange(bool bSaveAndValidate) {
  DDX_Text(bSaveAndValidate, this, IDC_ENTRY_EDIT, m_strEntry);
  DDX_Control(this, IDC_ENTRY_LIST, m_listEntries);
}

bool CVelunarDlg::OnInitDialog() {
  CProgramDialog::OnInitDialog();

  AppendSysMenuSeparator();
  AppendSysMenuItem(IDM_ABOUTBOX, texts::kAboutMenuItem);
  SetIcon(m_hIcon, true);
  SetIcon(m_hIcon, false);

  m_strEntry = kHintText;
  ShowEntryField();

  // A file that cannot be loaded whole is never written: the dispatch tells
  // the user, and the window ends before any command can run.
  if (!Dispatch([this] { LoadEntryFile(); })) {
    EndDialog(kLoadFailed);
    return false;
  }

  m_nCurIndex = 0;
  m_listEntries.SetCurSel(0);
  m_bFiltered = false;
  // From here on the file holds entries worth saving when the session ends.
  m_pSessionEnd = std::make_unique<CSessionEndWatcher>([this] { OnEndSession(); });
  return true;
}

void CVelunarDlg::LoadEntryFile() {
  CLoadedEntries loaded = m_file.Load();
  if (loaded.keys.empty()) {
    m_arrAll.AddLoaded(std::move(loaded.buffer), loaded.entries);
  } else {
    m_arrAll.AddLoaded(std::move(loaded.buffer), std::move(loaded.keys));
  }
  m_files.SetNamed(m_arrAll.Items());
  RefillView();
}

void CVelunarDlg::MergeOutsideChanges() {
  std::vector<COutsideChange> changes = m_file.ReadOutsideChanges();
  if (changes.empty()) return;
  try {
    // Another program's change that would take out most of the window's
    // entries (a file emptied or cut short, a blank first line) is asked
    // about first; with nobody to ask, the entries stay.
    EMerge mode = EMerge::byTheRule;
    const std::size_t nRemoved = m_files.CountRemoved(m_arrAll.Items(), changes);
    const auto nHeld = static_cast<std::size_t>(m_arrAll.GetSize());
    if (nRemoved >= kManyRemoved && nRemoved * 2 > nHeld) {
      mode = m_bEnding || !AskToRemove(nRemoved, nHeld) ? EMerge::keepingMine : EMerge::byTheRule;
    }
    m_files.Merge(m_arrAll, std::move(changes), mode);
  } catch (...) {
    // The lists are as they were, so the files must be read and merged
    // again at the next save.
    m_file.ForgetFileState();
    throw;
  }
}

bool CVelunarDlg::AskToRemove(std::size_t nRemoved, std::size_t nHeld) {
  const std::string text = FormatText(
      texts::kManyRemovedOutside,
      {m_file.FullPath(), std::to_string(nRemoved), std::to_string(nHeld)});
  return MessageBox(text, AppTitle(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void CVelunarDlg::OnSysCommand(unsigned nID) {
  if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg dlgAbout(this);
    dlgAbout.DoModal();
  } else {
    CProgramDialog::OnSysCommand(nID);
  }
}

void CVelunarDlg::Warn(const std::string& text) {
  MessageBox(text, texts::kWarningCaption, MB_OK);
}

void CVelunarDlg::ShowCountLine(int nCount) {
  m_strEntry = CountLine(nCount);
  ShowEntryField();
}

// Select: the entry field follows the item the user selected.
void CVelunarDlg::OnSelchangeEntryList() {
  const int nSelected = m_listEntries.GetCurSel();
  if (nSelected >= 0 && nSelected < m_listEntries.GetCount() &&
      m_listEntries.View().TextAt(nSelected).size() > static_cast<std::size_t>(kMaxFieldEntry)) {
    // The selection goes back to the item the field belongs to, so that
    // Change cannot put the field's text in the long entry's place.
    m_listEntries.SetCurSel(m_nCurIndex);
    Warn(FormatText(texts::kEntryTooLongForField,
                    {std::to_string(m_listEntries.View().TextAt(nSelected).size())}));
    return;
  }
  m_nCurIndex = nSelected;
  m_listEntries.GetText(m_nCurIndex, m_strEntry);
  ShowEntryField();
}

// Add: the field's text becomes a new entry unless an equal one exists.
void CVelunarDlg::OnAdd() {
  ReadEntryField();
  if (IsStatusText(m_strEntry)) {
    Warn(texts::kAddStatusText);
    return;
  }
  if (m_strEntry.empty()) {
    Warn(texts::kAddEmpty);
    return;
  }
  if (!m_bFiltered) RefillView();
  // The duplicate test looks at every entry, also those a search hides.
  if (m_arrAll.ContainsEqual(m_strEntry)) {
    m_listEntries.SetCurSel(m_nCurIndex);
    return;
  }
  // The text is kept once, for both lists.
  const int nAdded = m_listEntries.AddString(m_strEntry);
  m_arrAll.AddKept(m_listEntries.View().TextAt(nAdded));
  m_nCurIndex = m_listEntries.FindString(0, m_strEntry);
  m_listEntries.SetCurSel(m_nCurIndex);
  if (!m_bFiltered) RebuildMasterList();
}

// Change: the item at the current index is replaced by the field's text.
void CVelunarDlg::OnChange() {
  if (!m_bFiltered) RefillView();
  ReadEntryField();
  if (m_strEntry.empty() || IsStatusText(m_strEntry)) {
    Warn(texts::kChangeWithoutText);
    return;
  }
  // With no item at the current index there is nothing to take out of the
  // master list; the text is then added as a new entry.
  if (m_bFiltered && m_listEntries.GetText(m_nCurIndex, m_strItem))
    m_arrAll.RemoveFirstEqual(m_strItem);
  m_listEntries.DeleteString(m_nCurIndex);
  const int nAdded = m_listEntries.AddString(m_strEntry);
  if (m_bFiltered) m_arrAll.AddKept(m_listEntries.View().TextAt(nAdded));
  m_nCurIndex = m_listEntries.FindString(0, m_strEntry);
  m_listEntries.SetCurSel(m_nCurIndex);
  if (!m_bFiltered) RebuildMasterList();
}

// Delete: removes the item the entry field shows, found by its text.
void CVelunarDlg::OnDelete() {
  ReadEntryField();
  if (!m_bFiltered) RefillView();
  if (m_strEntry.empty()) {
    Warn(texts::kDeleteWithoutSelection);
    return;
  }
  // When the field's text begins several items, the one it shows whole is
  // meant: a field showing a name must not delete the longer entry of the
  // same name and a surname beside it.
  m_nCurIndex = m_listEntries.FindEqual(0, m_strEntry);
  if (m_nCurIndex < 0) m_nCurIndex = m_listEntries.FindString(0, m_strEntry);
  if (m_nCurIndex < 0) {
    m_nCurIndex = 0;
    Warn(texts::kDeleteWithoutSelection);
    return;
  }
  m_listEntries.GetText(m_nCurIndex, m_strItem);
  m_arrAll.RemoveFirstEqual(m_strItem);
  m_listEntries.DeleteString(m_nCurIndex);
  if (m_listEntries.GetCount() == 0) {
    m_bFiltered = false;
    RefillView();
    if (m_listEntries.GetCount() == 0) return;
  }
  if (m_nCurIndex == m_listEntries.GetCount()) --m_nCurIndex;
  if (m_nCurIndex < 0) m_nCurIndex = 0;
  m_listEntries.SetCurSel(m_nCurIndex);
  m_listEntries.GetText(m_nCurIndex, m_strEntry);
  ShowEntryField();
  if (!m_bFiltered) RebuildMasterList();
}

// Find: the view shows the entries that contain the field's text, in any
// letter case.
void CVelunarDlg::OnFind() {
  m_bFiltered = true;
  ReadEntryField();
  m_strQuery = m_strEntry;
  if (m_strQuery.empty() || IsStatusText(m_strQuery)) {
    Warn(texts::kFindWithoutText);
    return;
  }
  m_listEntries.FillMatching(m_arrAll, CQueryMatcher(m_strQuery));
  m_nCurIndex = 0;
  ShowCountLine(m_listEntries.GetCount());
  if (m_listEntries.GetCount() == 0) {
    m_strEntry = kNotFoundLine;
    ShowEntryField();
    RefillView();
  }
}

// Show all: every entry again, and their number in the field.
void CVelunarDlg::OnShowAll() {
  m_bFiltered = false;
  RefillView();
  m_nCurIndex = 0;
  ShowCountLine(m_arrAll.GetSize());
}

void CVelunarDlg::WriteAllEntries() {
  const CEntrySequence written = m_listEntries.View().Items();
  const auto nSaves = m_file.SaveCount();
  CSaveResult result;
  try {
    m_file.WriteAll(RunsOf(written), result);
  } catch (...) {
    // A save whose new file took the name (only the directory's sync
    // failed) wrote these entries all the same.
    if (m_file.SaveCount() != nSaves) m_files.Saved(m_arrAll, written, std::move(result));
    throw;
  }
  // Lines another program appended while the save ran are in the file now,
  // and in the list too.
  m_files.Saved(m_arrAll, written, std::move(result));
  m_files.Keep(m_file.WatchedSources());
}

void CVelunarDlg::SaveAllEntries() {
  m_file.Close();
  // Another program that writes while the save runs has its change merged
  // and the save made again, for about a second; a program that never
  // pauses that long is reported, and the entries stay in the window.
  const auto deadline = std::chrono::steady_clock::now() + kRetrySaveFor;
  for (;;) {
    MergeOutsideChanges();
    RefillView();
    try {
      WriteAllEntries();
      return;
    } catch (const CFileException& e) {
      if (e.m_cause != CFileException::changedOutside ||
          std::chrono::steady_clock::now() >= deadline) {
        throw;
      }
    }
  }
}

// Save: every entry to the file, then all of them shown again. Entries
// another program put into the file meanwhile are kept, and shown too.
void CVelunarDlg::OnSave() {
  SaveAllEntries();
  m_file.OpenForReading();
  OnShowAll();
}

// Exit: every entry to the file, then the window ends. When the save fails
// the dispatch reports it, and the window stays open with every entry
// unless the user chooses to close without saving.
void CVelunarDlg::OnExit() {
  m_bExiting = true;
  SaveAllEntries();
  m_bExiting = false;
  CProgramDialog::OnCancel();
}

void CVelunarDlg::ReportFileError(const CFileException& e) {
  if (m_bEnding) return;
  CProgramDialog::ReportFileError(e);
  AfterFailedExit();
}

void CVelunarDlg::ReportOutOfMemory() {
  if (m_bEnding) return;
  CProgramDialog::ReportOutOfMemory();
  AfterFailedExit();
}

void CVelunarDlg::AfterFailedExit() {
  if (!m_bExiting || m_bEnding) return;
  m_bExiting = false;
  // Nothing to lose: the file holds what the window holds. Without the
  // memory to compare, the question is asked.
  bool bUnchanged = false;
  try {
    bUnchanged = SameEntries(m_arrAll.Items(), m_files.Named());
  } catch (const std::bad_alloc&) {
  }
  if (bUnchanged) {
    EndDialog(kSaveFailed);
    return;
  }
  const std::string text = FormatText(texts::kCloseWithoutSaving, {m_file.FullPath()});
  if (MessageBox(text, AppTitle(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES) {
    EndDialog(kSaveFailed);
  }
}

void CVelunarDlg::OnEndSession() {
  if (m_bEnding) return;
  m_bEnding = true;
  // Nobody may be there to read a report (the reports say nothing while the
  // session ends): a failed save leaves the file as it was, and the program
  // ends all the same.
  const int nResult = Dispatch([this] { SaveAllEntries(); }) ? IDCANCEL : kSaveFailed;
  // Boxes over the window (a message, the About box) go first, so that the
  // window's own run can end.
  EndBoxesAbove();
  EndDialog(nResult);
}

}  // namespace velunar

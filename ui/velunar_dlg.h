// The main window: the list of entries, the entry field and seven buttons.
//
// The window owns every piece of entry state: the master list, the view
// list the list control shows, the view mode, the current index, the entry
// field's text and the entry file, held open and locked from loading until
// the window ends. Each button runs one command (velunar_dlg.cpp) to
// completion; wrong input is answered with a message box, file and memory
// failures by the dialog's one dispatch (program_dialog.h).
#ifndef VELUNAR_UI_VELUNAR_DLG_H_
#define VELUNAR_UI_VELUNAR_DLG_H_

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "store/file/entry_file.h"
#include "store/lists/entry_sequence.h"
#include "store/lists/list_exchange.h"
#include "store/lists/file_entries.h"
#include "store/lists/master_list.h"
#include "store/lists/text_pool.h"
#include "ui/platform/app_icon.h"
#include "ui/platform/list_box.h"
#include "ui/program_dialog.h"

namespace velunar {

class CSessionEndWatcher;

class CVelunarDlg : public CProgramDialog {
 public:
  // The dialog's result when the entry file could not be loaded: the window
  // ended at once and wrote nothing.
  static constexpr int kLoadFailed = -2;
  // The dialog's result when the window ended without its entries in the
  // file: the user chose to close after a failed Exit, or the session ended
  // and its save failed.
  static constexpr int kSaveFailed = -3;
  // The longest entry the entry field shows, in bytes: longer ones are
  // shown in the list, cut at its edge, but selecting one leaves the field
  // as it was, so that no entry is ever cut and written back cut.
  static constexpr int kMaxFieldEntry = 1 << 20;
  // A merge that would take out more than half of the window's entries,
  // and at least this many, is asked about first.
  static constexpr std::size_t kManyRemoved = 10;
  // How long a save goes on merging and saving again while another program
  // keeps changing the file.
  static constexpr std::chrono::milliseconds kRetrySaveFor{1000};

  // `fs` reaches the entry file; it must outlive the window.
  explicit CVelunarDlg(CDialog* pParent = nullptr, IFileSystem& fs = DefaultFileSystem());
  ~CVelunarDlg() override;

  // For tests: the state the commands work on.
  const std::string& EntryText() const { return m_strEntry; }
  int CurIndex() const { return m_nCurIndex; }
  bool IsFiltered() const { return m_bFiltered; }
  const CListBox& ListBox() const { return m_listEntries; }
  const CMasterList& MasterList() const { return m_arrAll; }
  const CStdioFile& EntryFile() const { return m_file; }

 protected:
  bool OnInitDialog() override;
  void OnSysCommand(unsigned nID) override;
  // After the report of a failed Exit, the question whether to close
  // without saving. While the session ends, no report at all.
  void ReportFileError(const CFileException& e) override;
  void ReportOutOfMemory() override;

 private:
  // Data exchange of the entry field, and the list binding on the first.
  void DoDataExchange(bool bSaveAndValidate) override;
  void ReadEntryField() { UpdateData(true); }
  void ShowEntryField() { UpdateData(false); }

  // The commands.
  void OnSelchangeEntryList();
  void OnAdd();
  void OnChange();
  void OnDelete();
  void OnFind();
  void OnShowAll();
  void OnSave();
  void OnExit();

  void RefillView() { m_listEntries.Refill(m_arrAll); }
  void RebuildMasterList() { RebuildMaster(m_arrAll, m_listEntries.View()); }
  void ShowCountLine(int nCount);
  void LoadEntryFile();
  // Other programs' changes to the file, merged into the master list before
  // a save.
  void MergeOutsideChanges();
  // Whether the user lets a merge take out `nRemoved` of the `nHeld`
  // entries the window holds.
  bool AskToRemove(std::size_t nRemoved, std::size_t nHeld);
  void WriteAllEntries();
  // Exit's steps up to the end of the window: close, merge, refill, write.
  void SaveAllEntries();
  // A failed Exit: with unsaved changes, asks whether to close anyway.
  void AfterFailedExit();
  // The session ends (a signal, a logout): Exit's save once, whatever boxes
  // are open, and the end of the window, with no question to anyone.
  void OnEndSession();
  void Warn(const std::string& text);

  // Shared by the two lists: the bytes of every entry.
  std::shared_ptr<CTextPool> m_pTexts;

  CIcon m_hIcon;
  std::string m_strEntry;
  int m_nCurIndex = 0;
  CStdioFile m_file;
  std::string m_strItem;
  std::string m_strQuery;
  CListBox m_listEntries;
  CMasterList m_arrAll;
  bool m_bFiltered = false;

  // What the files hold as the window last knew: what a merge compares the
  // window's entries and the files' with.
  CFileEntries m_files;
  // Set while Exit runs, so that its failure report asks the question.
  bool m_bExiting = false;
  // Set once the session has begun to end.
  bool m_bEnding = false;
  std::unique_ptr<CSessionEndWatcher> m_pSessionEnd;
};

}  // namespace velunar

#endif  // VELUNAR_UI_VELUNAR_DLG_H_

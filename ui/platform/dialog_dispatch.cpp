// Dispatch: the one road by which commands, the window's start and data
// exchanges run, and the one place where their failures end.
#include <new>

#include "ui/platform/dialog.h"
#include "res/texts/dialog_texts.h"
#include "ui/platform/win_app.h"

namespace velunar {

void CDialog::BindCommand(int nID, int nCode, std::function<void()> handler) {
  m_commands[{nID, nCode}] = std::move(handler);
}

void CDialog::OnCommand(int nID, int nCode) noexcept {
  Dispatch([this, nID, nCode] {
    const auto it = m_commands.find({nID, nCode});
    if (it != m_commands.end()) {
      // A copy: the handler may bind anew while it runs.
      const std::function<void()> handler = it->second;
      handler();
    } else if (nID == IDOK && nCode == BN_CLICKED) {
      OnOK();
    } else if (nID == IDCANCEL && nCode == BN_CLICKED) {
      OnCancel();
    }
  });
}

bool CDialog::Dispatch(const std::function<void()>& step) noexcept {
  try {
    step();
    return true;
  } catch (...) {
    ReportFailure(std::current_exception());
    return false;
  }
}

bool CDialog::UpdateData(bool bSaveAndValidate) {
  return Dispatch([this, bSaveAndValidate] { DoDataExchange(bSaveAndValidate); });
}

void CDialog::ReportFailure(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::bad_alloc&) {
    ReportOutOfMemory();
  }
}

void CDialog::ReportOutOfMemory() {
  MessageBox(QString::fromUtf8(texts::kOutOfMemory), AppTitle(), MB_ICONEXCLAMATION);
}

}  // namespace velunar

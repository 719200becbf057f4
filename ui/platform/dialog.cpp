// What every toolkit's dialog shares: the command table and the one
// dispatch by which commands, the window's start and data exchanges run
// (the one place where their failures end), and the default handlers.
#include "ui/platform/dialog.h"

#include <new>

#include "res/texts/dialog_texts.h"
#include "ui/platform/message_boxes.h"
#include "ui/platform/win_app.h"

namespace velunar {

IMessageBoxes::~IMessageBoxes() = default;

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

int CDialog::MessageBox(const std::string& text, const std::string& caption, unsigned nType) {
  IMessageBoxes& boxes = m_pMessageBoxes != nullptr ? *m_pMessageBoxes : DefaultMessageBoxes();
  return boxes.Show(this, text, caption, nType);
}

void CDialog::SetMessageBoxes(IMessageBoxes* pBoxes) { m_pMessageBoxes = pBoxes; }

void CDialog::OnSysCommand(unsigned nID) {
  if ((nID & 0xFFF0) == SC_CLOSE) OnCommand(IDCANCEL, BN_CLICKED);
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::DoDataExchange(bool /*bSaveAndValidate*/) {}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::ReportFailure(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::bad_alloc&) {
    ReportOutOfMemory();
  }
}

void CDialog::ReportOutOfMemory() {
  MessageBox(texts::kOutOfMemory, AppTitle(), MB_ICONEXCLAMATION);
}

}  // namespace velunar

// The exchange of an edit field's text with memory, on Windows: the
// dialog's control found by its id, exchanged as an entry field.
#include "ui/platform/dialog_exchange.h"

#include "ui/platform/win32/dialog_window.h"
#include "ui/platform/win32/entry_edit.h"

namespace velunar {

void DDX_Text(bool bSaveAndValidate, CDialog* pDlg, int nIDC, std::string& value) {
  HWND hEdit = pDlg != nullptr ? pDlg->Window().GetDlgItem(nIDC) : nullptr;
  if (hEdit != nullptr && win32::IsWindowClass(hEdit, L"Edit")) {
    win32::ExchangeEntryText(bSaveAndValidate, hEdit, value);
  }
}

}  // namespace velunar

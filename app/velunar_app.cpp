#include "app/velunar_app.h"

#include "ui/velunar_dlg.h"

namespace velunar {

bool CVelunarApp::InitInstance() {
  CWinApp::InitInstance();
  CVelunarDlg dlg;
  m_pMainWnd = &dlg;
  int nResponse = dlg.DoModal();
  m_pMainWnd = nullptr;
  // A file that could not be loaded, and a window that ended without its
  // entries in the file, are what the caller must hear of.
  m_nExitCode =
      nResponse == CVelunarDlg::kLoadFailed || nResponse == CVelunarDlg::kSaveFailed ? 1 : 0;
  return false;
}

}  // namespace velunar

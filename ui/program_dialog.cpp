#include "ui/program_dialog.h"

#include "store/file/entry_file.h"
#include "ui/file_reports.h"
#include "ui/platform/win_app.h"
#include "ui/resource_ids.h"

namespace velunar {

CProgramDialog::CProgramDialog(int nIDTemplate, CDialog* pParentWnd)
    : CDialog(nIDTemplate, kResourceNames, pParentWnd) {}

void CProgramDialog::ReportFailure(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const CFileUnavailableException& e) {
    ReportFileUnavailable(e);
  } catch (const CFileException& e) {
    ReportFileError(e);
  } catch (...) {
    CDialog::ReportFailure(std::current_exception());
  }
}

void CProgramDialog::ReportFileUnavailable(const CFileUnavailableException& e) {
  MessageBox(FileUnavailableReport(e), AppTitle(), MB_ICONSTOP);
}

void CProgramDialog::ReportFileError(const CFileException& e) {
  // The path keeps the file system's bytes, which are UTF-8 here.
  MessageBox(FileErrorReport(e), AppTitle(), MB_ICONSTOP);
}

}  // namespace velunar

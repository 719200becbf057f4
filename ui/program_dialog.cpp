#include "ui/program_dialog.h"

#include <QString>

#include "store/file/entry_file.h"
#include "ui/entry_edit.h"
#include "ui/file_reports.h"
#include "ui/list_box.h"
#include "ui/platform/win_app.h"
#include "ui/resource_ids.h"

namespace velunar {

CProgramDialog::CProgramDialog(int nIDTemplate, QWidget* pParentWnd)
    : CDialog(nIDTemplate, kResourceNames, pParentWnd) {}

QWidget* CProgramDialog::CreateCustomControl(const CDialogItemTemplate& item) {
  switch (item.eKind) {
    case EControlKind::edit:
      return new CEntryEdit(this);
    case EControlKind::listBox:
      return new CListBoxView(this);
    default:
      return nullptr;
  }
}

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
  MessageBox(QString::fromStdString(FileUnavailableReport(e)), AppTitle(), MB_ICONSTOP);
}

void CProgramDialog::ReportFileError(const CFileException& e) {
  // The path keeps the file system's bytes, which are UTF-8 here.
  MessageBox(QString::fromStdString(FileErrorReport(e)), AppTitle(), MB_ICONSTOP);
}

}  // namespace velunar

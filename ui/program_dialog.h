// CProgramDialog: what the program's own windows add to the dialog layer.
//
// Their controls are named by the program's resource table
// (resource_ids.h), and the failures of the entry file are reported to the
// user (file_reports.h), with the stop icon: a file that cannot be loaded
// at start (CFileUnavailableException), and a failed read, write or close
// (CFileException). Running out of memory is the dialog layer's report.
// Every box is under the application title.
#ifndef VELUNAR_UI_PROGRAM_DIALOG_H_
#define VELUNAR_UI_PROGRAM_DIALOG_H_

#include "ui/platform/dialog.h"

namespace velunar {

class CFileException;
class CFileUnavailableException;

class CProgramDialog : public CDialog {
 public:
  explicit CProgramDialog(int nIDTemplate, CDialog* pParentWnd = nullptr);

 protected:
  void ReportFailure(std::exception_ptr failure) override;
  // The reports above. A window that must do more after a failure
  // overrides them and calls these first.
  virtual void ReportFileUnavailable(const CFileUnavailableException& e);
  virtual void ReportFileError(const CFileException& e);
};

}  // namespace velunar

#endif  // VELUNAR_UI_PROGRAM_DIALOG_H_

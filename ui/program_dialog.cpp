#include "ui/program_dialog.h"

#include <QString>
#include <cerrno>
#include <cstring>

#include "res/texts/main_window_texts.h"
#include "store/file/entry_file.h"
#include "ui/entry_edit.h"
#include "ui/list_box.h"
#include "ui/platform/win_app.h"
#include "ui/resource_ids.h"

namespace velunar {
namespace {

// The start-up box for a file that could not be loaded: in use by another
// copy, or unreadable and why.
QString UnavailableText(const CFileUnavailableException& e) {
  const QString path = QString::fromUtf8(e.m_strFileName);
  if (e.IsHeldByAnotherCopy()) return QString::fromUtf8(texts::kFileInUse).arg(path);
  QString reason;
  switch (e.m_lOsError) {
    case EISDIR:
      reason = QString::fromUtf8(texts::kReasonDirectory);
      break;
    case ENODEV:
      reason = QString::fromUtf8(texts::kReasonNotRegularFile);
      break;
    case EACCES:
    case EPERM:
      reason = QString::fromUtf8(texts::kReasonNoPermission);
      break;
    case EBUSY:
      reason = QString::fromUtf8(texts::kReasonLockedByAnotherProgram);
      break;
    default:
      reason = QString::fromLocal8Bit(std::strerror(e.m_lOsError));
      break;
  }
  return QString::fromUtf8(texts::kFileUnreadable).arg(path, reason);
}

}  // namespace

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
  MessageBox(UnavailableText(e), AppTitle(), MB_ICONSTOP);
}

void CProgramDialog::ReportFileError(const CFileException& e) {
  // The path keeps the file system's bytes, which are UTF-8 here.
  MessageBox(QString::fromUtf8(e.ReportText()), AppTitle(), MB_ICONSTOP);
}

}  // namespace velunar

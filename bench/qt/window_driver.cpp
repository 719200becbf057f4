// The window driver on Qt's offscreen platform: the window's own widgets,
// then QCoreApplication::processEvents(), which runs the layout and the
// paint that a change of the list asks for.
#include "bench/window_driver.h"

#include <QApplication>
#include <QListView>
#include <QTest>

#include "store/text/cp1251.h"
#include "ui/platform/qt/dialog_window.h"
#include "ui/platform/qt/entry_edit.h"
#include "ui/platform/win_defs.h"
#include "ui/resource_ids.h"
#include "ui/velunar_dlg.h"

namespace velunar::bench {

struct CToolkit::CImpl {
  explicit CImpl(char** argv) : app(argc, argv) {}
  int argc = 1;  // the program's name alone: the flags are the benchmarks'
  QApplication app;
};

CToolkit::CToolkit(int /*argc*/, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  m_pImpl = std::make_unique<CImpl>(argv);
}

CToolkit::~CToolkit() = default;

struct CWindowDriver::CImpl {
  CVelunarDlg& dlg;
  CEntryEdit* edit;
  QListView* list;
};

CWindowDriver::CWindowDriver(CVelunarDlg& dlg) {
  dlg.Window().show();
  (void)QTest::qWaitForWindowExposed(&dlg.Window());
  m_pImpl.reset(new CImpl{dlg, static_cast<CEntryEdit*>(dlg.Window().GetDlgItem(IDC_ENTRY_EDIT)),
                          static_cast<QListView*>(dlg.Window().GetDlgItem(IDC_ENTRY_LIST))});
}

CWindowDriver::~CWindowDriver() = default;

void CWindowDriver::SetField(const std::string& cp1251) {
  std::u16string text = DecodeCp1251(cp1251);
  m_pImpl->edit->SetEntryText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
}

void CWindowDriver::Run(int nID) {
  m_pImpl->dlg.OnCommand(nID, BN_CLICKED);
  QCoreApplication::processEvents();
}

void CWindowDriver::FocusList() { m_pImpl->list->setFocus(); }

void CWindowDriver::SelectNext() {
  QTest::keyClick(m_pImpl->list, Qt::Key_Down);
  QCoreApplication::processEvents();
}

}  // namespace velunar::bench

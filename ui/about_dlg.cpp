#include "ui/about_dlg.h"

#include <QAbstractButton>
#include <QDesktopServices>

#include "res/version.h"
#include "ui/platform/win_defs.h"
#include "ui/resource_ids.h"

namespace velunar {

CAboutDlg::CAboutDlg(QWidget* pParent)
    : CProgramDialog(IDD_ABOUTBOX, pParent),
      m_openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
  BindCommand(IDC_SITE_LINK, BN_CLICKED, [this] { OnSiteLink(); });
}

CAboutDlg::~CAboutDlg() = default;

QUrl CAboutDlg::SiteUrl() { return QUrl(QStringLiteral(VELUNAR_SITE_URL)); }

bool CAboutDlg::OnInitDialog() {
  CProgramDialog::OnInitDialog();
  // The template leaves the address out of the button's caption: it is
  // settable when the program is configured.
  if (auto* pSite = qobject_cast<QAbstractButton*>(GetDlgItem(IDC_SITE_LINK))) {
    pSite->setText(pSite->text().replace(QStringLiteral("%SITE%"), SiteUrl().toString()));
  }
  return true;
}

void CAboutDlg::OnSiteLink() { m_openUrl(SiteUrl()); }

}  // namespace velunar

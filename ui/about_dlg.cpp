#include "ui/about_dlg.h"

#include "res/version.h"
#include "ui/platform/shell.h"
#include "ui/platform/win_defs.h"
#include "ui/resource_ids.h"

namespace velunar {

CAboutDlg::CAboutDlg(CDialog* pParent)
    : CProgramDialog(IDD_ABOUTBOX, pParent), m_openUrl(OpenWebAddress) {
  BindCommand(IDC_SITE_LINK, BN_CLICKED, [this] { OnSiteLink(); });
}

CAboutDlg::~CAboutDlg() = default;

std::string CAboutDlg::SiteUrl() { return VELUNAR_SITE_URL; }

bool CAboutDlg::OnInitDialog() {
  CProgramDialog::OnInitDialog();
  // The template leaves the address out of the button's caption: it is
  // settable when the program is configured.
  std::string caption = GetDlgItemText(IDC_SITE_LINK);
  constexpr std::string_view kPlace = "%SITE%";
  if (const std::size_t at = caption.find(kPlace); at != std::string::npos) {
    caption.replace(at, kPlace.size(), SiteUrl());
    SetDlgItemText(IDC_SITE_LINK, caption);
  }
  return true;
}

void CAboutDlg::OnSiteLink() { m_openUrl(SiteUrl()); }

}  // namespace velunar

// The About box: the program's icon, name and version, a note inviting a
// voluntary payment, OK, and a button that opens the site of free programs
// in the desktop's browser.
#ifndef VELUNAR_UI_ABOUT_DLG_H_
#define VELUNAR_UI_ABOUT_DLG_H_

#include <functional>
#include <string>

#include "ui/program_dialog.h"

namespace velunar {

class CAboutDlg : public CProgramDialog {
 public:
  // Opens a web address; returns false when it could not. The default hands
  // the address to the desktop (OpenWebAddress), never to a shell.
  using UrlOpener = std::function<bool(const std::string&)>;

  explicit CAboutDlg(CDialog* pParent = nullptr);
  ~CAboutDlg() override;

  // The site's address, set when the program is configured.
  static std::string SiteUrl();

  // For tests: replaces the opener.
  void SetUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }

 protected:
  bool OnInitDialog() override;

 private:
  // Opens the site. A failure is silent and the box stays open.
  void OnSiteLink();

  UrlOpener m_openUrl;
};

}  // namespace velunar

#endif  // VELUNAR_UI_ABOUT_DLG_H_

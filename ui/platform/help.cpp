#include "ui/platform/help.h"

#include "res/texts/dialog_texts.h"
#include "ui/platform/dialog.h"
#include "ui/platform/shell.h"
#include "ui/platform/win_app.h"
#include "ui/platform/win_defs.h"

namespace velunar {

void RequestHelp(CDialog& dlg) {
  const unsigned nContext = kHelpContextBase + static_cast<unsigned>(dlg.TemplateId());
  if (LaunchHelp(HelpFilePathFromPath(ExecutablePath()), nContext) == EHelpLaunch::failed) {
    dlg.MessageBox(texts::kFailedToLaunchHelp, AppTitle(), MB_OK | MB_ICONEXCLAMATION);
  }
}

}  // namespace velunar

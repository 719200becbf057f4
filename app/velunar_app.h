// The application: starts Qt, runs the main window until the user leaves
// it, and gives the process its exit status.
#ifndef VELUNAR_APP_VELUNAR_APP_H_
#define VELUNAR_APP_VELUNAR_APP_H_

#include "ui/platform/win_app.h"

namespace velunar {

class CVelunarApp : public CWinApp {
 public:
  CVelunarApp() = default;
  ~CVelunarApp() override = default;

 protected:
  // Runs the main window modally. Returns false: there is no message loop
  // to run after it.
  bool InitInstance() override;
};

}  // namespace velunar

#endif  // VELUNAR_APP_VELUNAR_APP_H_

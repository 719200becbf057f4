// The program as main starts it, ended by force at the main window's first
// paint: startup_bench times this process from its start to its end.
// It never writes the entry file.
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include "app/velunar_app.h"

namespace {

class CFirstPaintExit : public QObject {
 public:
  bool eventFilter(QObject* pObject, QEvent* pEvent) override {
    if (pEvent->type() == QEvent::Paint && pObject->isWidgetType() &&
        static_cast<QWidget*>(pObject)->isWindow()) {
      _exit(0);
    }
    return false;
  }
};

class CProbeApp : public velunar::CVelunarApp {
 protected:
  bool InitInstance() override {
    static CFirstPaintExit filter;
    qApp->installEventFilter(&filter);
    return CVelunarApp::InitInstance();
  }
};

}  // namespace

int main(int /*argc*/, char** argv) {
  CProbeApp app;
  return app.Run(argv[0]);
}

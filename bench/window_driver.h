// The main window as window_bench drives it, in the same terms on every
// toolkit, so that its command benchmarks are written once: each toolkit's
// piece (qt/window_driver.cpp, win32/window_driver.cpp) shows the window,
// puts a text into the entry field, runs a command followed by the events
// that bring the list on screen up to date, and moves the selection down
// as the user does.
#ifndef VELUNAR_BENCH_WINDOW_DRIVER_H_
#define VELUNAR_BENCH_WINDOW_DRIVER_H_

#include <memory>
#include <string>

namespace velunar {
class CVelunarDlg;
}  // namespace velunar

namespace velunar::bench {

// The toolkit, started for the whole run: Qt's application object on the
// offscreen platform; on Windows the common controls, as the program
// starts them.
class CToolkit {
 public:
  CToolkit(int argc, char** argv);
  ~CToolkit();
  CToolkit(const CToolkit&) = delete;
  CToolkit& operator=(const CToolkit&) = delete;

 private:
  struct CImpl;
  std::unique_ptr<CImpl> m_pImpl;
};

class CWindowDriver {
 public:
  // Shows `dlg`, which Create has made, and waits until it is on screen.
  explicit CWindowDriver(CVelunarDlg& dlg);
  ~CWindowDriver();
  CWindowDriver(const CWindowDriver&) = delete;
  CWindowDriver& operator=(const CWindowDriver&) = delete;

  // Puts `cp1251` (Windows-1251 bytes) into the entry field, as the
  // program shows a text there.
  void SetField(const std::string& cp1251);
  // Runs the command `nID` through the window's dispatch, then the events
  // that bring the window up to date, its repaint included.
  void Run(int nID);
  // Gives the list the keyboard focus.
  void FocusList();
  // The Down key on the list, as the user presses it, then the events.
  void SelectNext();

 private:
  struct CImpl;
  std::unique_ptr<CImpl> m_pImpl;
};

}  // namespace velunar::bench

#endif  // VELUNAR_BENCH_WINDOW_DRIVER_H_

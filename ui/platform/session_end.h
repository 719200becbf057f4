// The end of the session, as the program hears of it: the desktop session
// ending (a logout, a shutdown), and on Linux SIGTERM (kill), SIGHUP (the
// terminal the program was started from went away) and SIGINT (Ctrl+C
// there).
//
// A watcher turns each of them into one call of its handler on the
// user-interface thread, from the event loop, never from inside a signal
// handler. While a watcher lives, those events no longer end the program by
// themselves; the handler must end it. A second signal of the same kind
// does end it (the first one's save may hang), and a signal the program was
// started with ignored (nohup) stays ignored. When the last watcher goes,
// the signals' earlier handling comes back.
//
// The newest watcher gets the calls; watchers are made and destroyed in
// nested order (one per main window).
#ifndef VELUNAR_UI_PLATFORM_SESSION_END_H_
#define VELUNAR_UI_PLATFORM_SESSION_END_H_

#include <functional>
#include <memory>

namespace velunar {

class CSessionEndWatcher {
 public:
  // `onEnd` runs once for each signal or session-end request that arrives;
  // it must not wait for a person. Needs the toolkit running.
  explicit CSessionEndWatcher(std::function<void()> onEnd);
  ~CSessionEndWatcher();
  CSessionEndWatcher(const CSessionEndWatcher&) = delete;
  CSessionEndWatcher& operator=(const CSessionEndWatcher&) = delete;

  // Runs the handler: for the toolkit's notifications.
  void Notify() const { m_onEnd(); }

 private:
  class CImpl;
  std::function<void()> m_onEnd;
  std::unique_ptr<CImpl> m_pImpl;
};

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_SESSION_END_H_

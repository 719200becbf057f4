// The end of the session, as the program hears of it: SIGTERM (a logout, a
// shutdown, kill), SIGHUP (the terminal it was started from went away),
// SIGINT (Ctrl+C there) and the desktop session manager's request to save
// before the session ends.
//
// A watcher turns each of them into one call of its handler on the
// user-interface thread, from the event loop, never from inside a signal
// handler: the signal handler only writes a byte to a pipe that the event
// loop watches. While a watcher lives, those signals no longer end the
// program by themselves; the handler must end it. A second signal of the
// same kind does end it (the first one's save may hang), and a signal the
// program was started with ignored (nohup) stays ignored. When the last
// watcher goes, the signals' earlier handling comes back.
//
// The newest watcher gets the calls; watchers are made and destroyed in
// nested order (one per main window).
#ifndef VELUNAR_UI_SESSION_END_H_
#define VELUNAR_UI_SESSION_END_H_

#include <QObject>
#include <functional>

class QSessionManager;

namespace velunar {

class CSessionEndWatcher : public QObject {
  Q_OBJECT

 public:
  // `onEnd` runs once for each signal or session-end request that arrives;
  // it must not wait for a person. Needs a QGuiApplication.
  explicit CSessionEndWatcher(std::function<void()> onEnd);
  ~CSessionEndWatcher() override;
  CSessionEndWatcher(const CSessionEndWatcher&) = delete;
  CSessionEndWatcher& operator=(const CSessionEndWatcher&) = delete;

 private:
  void OnCommitData(QSessionManager& manager);

  std::function<void()> m_onEnd;
};

}  // namespace velunar

#endif  // VELUNAR_UI_SESSION_END_H_

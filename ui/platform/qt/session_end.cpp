// The end of the session on Qt and Linux: the signals through a pipe that
// the event loop watches, and the session manager's request to save.
#include "ui/platform/session_end.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <utility>
#include <vector>

namespace velunar {

namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGHUP, SIGINT};

// The pipe from the signal handler to the event loop, made once and kept
// for the life of the process.
int g_pipe[2] = {-1, -1};

void OnSignal(int /*signo*/) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds a wake-up; losing this one loses nothing.
  (void)!::write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

// Hears the session manager's request for this watcher.
class CSessionEndWatcher::CImpl : public QObject {
 public:
  explicit CImpl(const CSessionEndWatcher& watcher) : m_watcher(watcher) {}
  void OnCommitData(QSessionManager& manager);

 private:
  const CSessionEndWatcher& m_watcher;
};

namespace {

// What the watchers share: the notifier on the pipe, the signals' earlier
// actions, and the watchers themselves, newest last.
struct CWatchers {
  std::vector<CSessionEndWatcher*> stack;
  QSocketNotifier* pNotifier = nullptr;
  std::array<struct sigaction, kSignals.size()> previous{};
};

CWatchers& Watchers() {
  static CWatchers watchers;
  return watchers;
}

bool MakePipe() {
  if (g_pipe[0] >= 0) return true;
  return ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) == 0;
}

}  // namespace

CSessionEndWatcher::CSessionEndWatcher(std::function<void()> onEnd)
    : m_onEnd(std::move(onEnd)), m_pImpl(std::make_unique<CImpl>(*this)) {
  CWatchers& w = Watchers();
  w.stack.push_back(this);
  if (w.stack.size() == 1 && MakePipe()) {
    w.pNotifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read);
    QObject::connect(w.pNotifier, &QSocketNotifier::activated, [] {
      char bytes[64];
      bool bSignalled = false;
      while (::read(g_pipe[0], bytes, sizeof bytes) > 0) bSignalled = true;
      CWatchers& now = Watchers();
      if (bSignalled && !now.stack.empty()) now.stack.back()->Notify();
    });
    // SA_RESETHAND: a second signal ends the program at once, should the
    // save of the first hang (a file system that no longer answers).
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
      ::sigaction(kSignals[i], nullptr, &w.previous[i]);
      // A signal ignored from the start stays ignored: started with nohup,
      // the program outlives its terminal as asked.
      if (w.previous[i].sa_handler == SIG_IGN) continue;
      ::sigaction(kSignals[i], &action, nullptr);
    }
  }
  // Direct: the session manager waits for the answer, and the handler
  // saves before it returns.
  if (auto* pApp = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    QObject::connect(pApp, &QGuiApplication::commitDataRequest, m_pImpl.get(),
                     [impl = m_pImpl.get()](QSessionManager& manager) { impl->OnCommitData(manager); },
                     Qt::DirectConnection);
  }
}

CSessionEndWatcher::~CSessionEndWatcher() {
  CWatchers& w = Watchers();
  std::erase(w.stack, this);
  if (!w.stack.empty() || w.pNotifier == nullptr) return;
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    ::sigaction(kSignals[i], &w.previous[i], nullptr);
  }
  delete w.pNotifier;
  w.pNotifier = nullptr;
}

void CSessionEndWatcher::CImpl::OnCommitData(QSessionManager& /*manager*/) {
  // Only the newest watcher answers; the request reaches every one.
  CWatchers& w = Watchers();
  if (!w.stack.empty() && w.stack.back() == &m_watcher) m_watcher.Notify();
}

}  // namespace velunar

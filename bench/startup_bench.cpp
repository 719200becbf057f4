// Start-up of the real program, from process start to the first paint of
// its window, on Qt's offscreen platform, in a directory holding a generated
// phone book of 100k or 1M entries:
//
//   StartToFirstPaint   exec of startup_probe (the program, ended at its
//                       first paint) until it has exited
//   LoadOnly            the store's load of the same file, for comparison
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "bench/scratch_dir.h"
#include "store/file/entry_file.h"
#include "store/lists/list_exchange.h"
#include "store/lists/master_list.h"
#include "store/lists/view_list.h"

extern char** environ;

namespace velunar {
namespace {

namespace fs = std::filesystem;

// A directory per size holding velunar.txt.
const fs::path& PhoneBookDir(int count) {
  static std::map<int, fs::path> dirs;
  auto it = dirs.find(count);
  if (it != dirs.end()) return it->second;
  return dirs[count] = bench::EntryFileDir("startup-" + std::to_string(count), count);
}

fs::path ProbePath() { return fs::read_symlink("/proc/self/exe").parent_path() / "startup_probe"; }

void BM_StartToFirstPaint(benchmark::State& state) {
  const fs::path& dir = PhoneBookDir(static_cast<int>(state.range(0)));
  std::string probe = ProbePath().string();
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  fs::path previous = fs::current_path();
  fs::current_path(dir);
  for (auto _ : state) {
    char* argv[] = {probe.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, probe.c_str(), nullptr, nullptr, argv, environ) != 0) {
      state.SkipWithError("cannot start startup_probe");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("startup_probe did not reach its first paint");
      break;
    }
  }
  fs::current_path(previous);
}

void BM_LoadOnly(benchmark::State& state) {
  fs::path file = PhoneBookDir(static_cast<int>(state.range(0))) / "velunar.txt";
  for (auto _ : state) {
    auto texts = std::make_shared<CTextPool>();
    CViewList view(texts);
    CMasterList master(texts);
    CStdioFile entryFile(DefaultFileSystem(), file.string());
    // As the window loads.
    CLoadedEntries loaded = entryFile.Load();
    master.AddLoaded(std::move(loaded.buffer), std::move(loaded.keys));
    RefillView(view, master);
    benchmark::DoNotOptimize(view.GetCount());
  }
}

BENCHMARK(BM_StartToFirstPaint)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_LoadOnly)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velunar

BENCHMARK_MAIN();

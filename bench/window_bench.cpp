// The commands of the real main window, with a generated phone book of 100k
// and 1M entries loaded: each figure is one command through the window's
// dispatch, plus the events that bring the list on screen up to date. The
// window is shown by the toolkit's own driver (window_driver.h): on Qt's
// offscreen platform on Linux, on Windows' dialog manager on Windows.
//
//   Add, Change, Delete   one entry, in the "all" view and after a Find
//   Select                the user moves the selection one item down
//   Find, ShowAll         one search over every entry; every entry again
//   Save                  every entry written, synced and renamed into place
//
// The Qt build also measures the candidate list views on their own
// (qt/list_view_bench.cpp).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "bench/scratch_dir.h"
#include "bench/window_driver.h"
#include "ui/platform/list_box.h"
#include "ui/platform/message_boxes.h"
#include "ui/platform/win_defs.h"
#include "ui/resource_ids.h"
#include "ui/velunar_dlg.h"

namespace velunar {
namespace {

namespace fs = std::filesystem;

class CNoBoxes : public IMessageBoxes {
 public:
  int Show(CDialog*, const std::string&, const std::string&, unsigned) override { return IDOK; }
};

// A window over a fresh copy of the phone book of `count` entries, in a
// directory of its own.
struct CWindowFixture {
  explicit CWindowFixture(int count) {
    dir = bench::EntryFileDir("window-" + std::to_string(count), count);
    previous = fs::current_path();
    fs::current_path(dir);
    dlg = std::make_unique<CVelunarDlg>();
    dlg->SetMessageBoxes(&boxes);
    dlg->Create();
    driver = std::make_unique<bench::CWindowDriver>(*dlg);
  }
  ~CWindowFixture() {
    driver.reset();
    dlg.reset();
    fs::current_path(previous);
    fs::remove_all(dir);
  }
  void SetField(const std::string& cp1251) { driver->SetField(cp1251); }
  void Run(int nID) { driver->Run(nID); }

  CNoBoxes boxes;
  fs::path dir;
  fs::path previous;
  std::unique_ptr<CVelunarDlg> dlg;
  std::unique_ptr<bench::CWindowDriver> driver;
};

// "петр" in Windows-1251.
const std::string kQuery = "\xEF\xE5\xF2\xF0";

void Filter(CWindowFixture& w, bool filtered) {
  if (!filtered) return;
  // A Find that matches nothing leaves every entry shown in the filtered
  // view: the commands then take their filtered path over all entries.
  w.SetField("\xFF\xFF\xFF");
  w.Run(IDC_FIND);
}

template <bool kFiltered>
void BM_Add(benchmark::State& state) {
  CWindowFixture w(static_cast<int>(state.range(0)));
  Filter(w, kFiltered);
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    w.SetField("\xCD\xEE\xE2\xE0\xFF " + std::to_string(n++));
    state.ResumeTiming();
    w.Run(IDOK);
  }
}

template <bool kFiltered>
void BM_Change(benchmark::State& state) {
  CWindowFixture w(static_cast<int>(state.range(0)));
  Filter(w, kFiltered);
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    w.SetField("\xC8\xE7\xEC\xE5\xED\xE0 " + std::to_string(n++));
    state.ResumeTiming();
    w.Run(IDC_CHANGE);
  }
}

template <bool kFiltered>
void BM_Delete(benchmark::State& state) {
  CWindowFixture w(static_cast<int>(state.range(0)));
  Filter(w, kFiltered);
  std::string item;
  int step = 0;
  for (auto _ : state) {
    state.PauseTiming();
    w.dlg->ListBox().GetText((step++ * 7919) % w.dlg->ListBox().GetCount(), item);
    w.SetField(item);
    state.ResumeTiming();
    w.Run(IDC_DELETE);
  }
}

void BM_Select(benchmark::State& state) {
  CWindowFixture w(static_cast<int>(state.range(0)));
  w.driver->FocusList();
  for (auto _ : state) w.driver->SelectNext();
}

void BM_Find(benchmark::State& state) {
  CWindowFixture w(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    w.SetField(kQuery);
    state.ResumeTiming();
    w.Run(IDC_FIND);
  }
}

void BM_ShowAll(benchmark::State& state) {
  CWindowFixture w(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    w.SetField(kQuery);
    w.Run(IDC_FIND);
    state.ResumeTiming();
    w.Run(IDC_SHOW_ALL);
  }
}

void BM_Save(benchmark::State& state) {
  CWindowFixture w(static_cast<int>(state.range(0)));
  for (auto _ : state) w.Run(IDC_SAVE);
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_Add<false>)->Name("BM_Add/all")->Apply(Sizes);
BENCHMARK(BM_Add<true>)->Name("BM_Add/filtered")->Apply(Sizes);
BENCHMARK(BM_Change<false>)->Name("BM_Change/all")->Apply(Sizes);
BENCHMARK(BM_Change<true>)->Name("BM_Change/filtered")->Apply(Sizes);
BENCHMARK(BM_Delete<false>)->Name("BM_Delete/all")->Apply(Sizes);
BENCHMARK(BM_Delete<true>)->Name("BM_Delete/filtered")->Apply(Sizes);
BENCHMARK(BM_Select)->Apply(Sizes);
BENCHMARK(BM_Find)->Apply(Sizes);
BENCHMARK(BM_ShowAll)->Apply(Sizes);
BENCHMARK(BM_Save)->Apply(Sizes);

}  // namespace
}  // namespace velunar

int main(int argc, char** argv) {
  const velunar::bench::CToolkit toolkit(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

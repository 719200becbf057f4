// Benchmarks of the entry store on generated phone books of 10k, 100k and
// 1M entries (about 48 bytes each):
//
//   ReadAndSortBaseline  read the file, split it into lines, std::sort them
//                        bytewise: the floor under any load
//   Load                 CStdioFile::Load, master list and view list filled
//                        (read, parse, sort in list order)
//   ViewAddDelete        the view list's AddString and DeleteString of one
//                        new item; "shared" while the view shares its
//                        sequence with the master list (as after a rebuild),
//                        so that the edit copies the root
//   MasterAddRemove      the master list's Add and RemoveFirstEqual of one
//                        new text
//   ContainsEqual        the master list's exact search of an entry
//   FindEqual/FindString the view list's exact and prefix searches
//   Refill               RefillView after a Find
//   Rebuild              RebuildMaster from the view
//   Find                 one Find over every entry (fold, search, fill)
//   FindBaseline         the bare pass: fold each entry, search it
//   WriteAll             save every entry, as the window does: the bytes built
//                        piece by piece as they are written, fsync, rename
//   SaveBytes            the bytes of a save built piece by piece in memory,
//                        without the file
//
// The second argument picks the file: 0 the project's own generator, 1 the
// shared generator (gen_entries.py, run with python3 from
// VELUNAR_SHARED_GENERATOR or the default path beside the source tree), which
// has more shared beginnings and equal lines. bench/compare.sh runs these
// beside the measuring program where the processor has its instructions.
// The Windows build has no python3 to run, and measures the own file only.
//   Memory               bytes held per entry after load, and peak bytes
//                        during load per byte of file
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "bench/phonebook_generator.h"
#include "bench/scratch_dir.h"
#include "store/file/entry_file.h"
#include "store/file/entry_format.h"
#include "store/lists/entry_runs.h"
#include "store/lists/list_exchange.h"
#include "store/lists/master_list.h"
#include "store/text/text_rules.h"
#include "store/lists/view_list.h"

// Counting allocator: the store's memory is measured, not guessed, in the
// sizes the C library really hands out.
#ifdef _WIN32
#define VELUNAR_USABLE_SIZE _msize
#else
#define VELUNAR_USABLE_SIZE malloc_usable_size
#endif
// GCC sees the replaced delete's free() inlined into code that allocated with
// new and calls it a mismatch; here new is malloc, so it is not one.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
namespace {
std::atomic<long long> g_liveBytes{0};
std::atomic<long long> g_peakBytes{0};
}  // namespace

void* operator new(std::size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  long long live = g_liveBytes += static_cast<long long>(VELUNAR_USABLE_SIZE(p));
  long long peak = g_peakBytes.load();
  while (live > peak && !g_peakBytes.compare_exchange_weak(peak, live)) {
  }
  return p;
}
void operator delete(void* p) noexcept {
  if (!p) return;
  g_liveBytes -= static_cast<long long>(VELUNAR_USABLE_SIZE(p));
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace velunar {
namespace {

namespace fs = std::filesystem;

// One generated file per size and generator, written once into the run's
// directory. Empty when the shared generator cannot be run.
const std::string& PhoneBookPath(int count, int source = 0) {
  static std::map<std::pair<int, int>, std::string> paths;
  auto it = paths.find({count, source});
  if (it != paths.end()) return it->second;
  const char* suffix = source == 0 ? "" : "-shared";
  fs::path file = bench::ScratchDir() / ("phonebook-" + std::to_string(count) + suffix + ".txt");
  if (source == 0) {
    bench::WriteGeneratedFile(file.string(), count);
  } else {
#ifdef _WIN32
    file.clear();
#else
    const char* env = std::getenv("VELUNAR_SHARED_GENERATOR");
    const std::string generator = env != nullptr ? env : VELUNAR_DEFAULT_SHARED_GENERATOR;
    const std::string command =
        "python3 '" + generator + "' " + std::to_string(count) + " '" + file.string() + "'";
    if (!fs::exists(generator) || std::system(command.c_str()) != 0) file.clear();
#endif
  }
  return paths[{count, source}] = file.string();
}

bool SkipWithoutFile(benchmark::State& state, const std::string& path) {
  if (!path.empty()) return false;
  state.SkipWithError("the shared generator could not be run");
  return true;
}

struct CLists {
  std::shared_ptr<CTextPool> texts = std::make_shared<CTextPool>();
  CViewList view{texts};
  CMasterList master{texts};
};

std::unique_ptr<CLists> LoadLists(int count, int source = 0) {
  auto lists = std::make_unique<CLists>();
  CStdioFile file(DefaultFileSystem(), PhoneBookPath(count, source));
  // As the window loads.
  CLoadedEntries loaded = file.Load();
  lists->master.AddLoaded(std::move(loaded.buffer), std::move(loaded.keys));
  RefillView(lists->view, lists->master);
  return lists;
}

// Entries of the loaded list, picked all over it, to look for.
std::vector<std::string> SomeEntries(const CLists& lists) {
  std::vector<std::string> entries;
  for (long long k = 0; k < 1024; ++k)
    entries.emplace_back(lists.view.TextAt(static_cast<int>(k * 7919 % lists.view.GetCount())));
  return entries;
}

// "петр" in Windows-1251: a query that matches a few percent of entries.
const std::string kQuery = "\xEF\xE5\xF2\xF0";

void BM_ReadAndSortBaseline(benchmark::State& state) {
  const std::string& path = PhoneBookPath(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\n') {
        lines.emplace_back(bytes.data() + start, i - start);
        start = i + 1;
      }
    }
    std::sort(lines.begin(), lines.end());
    benchmark::DoNotOptimize(lines.data());
  }
}

void BM_Load(benchmark::State& state) {
  int count = static_cast<int>(state.range(0));
  int source = static_cast<int>(state.range(1));
  if (SkipWithoutFile(state, PhoneBookPath(count, source))) return;
  for (auto _ : state) {
    auto lists = LoadLists(count, source);
    benchmark::DoNotOptimize(lists->view.GetCount());
    state.PauseTiming();
    lists.reset();
    state.ResumeTiming();
  }
}

void BM_Memory(benchmark::State& state) {
  int count = static_cast<int>(state.range(0));
  int source = static_cast<int>(state.range(1));
  if (SkipWithoutFile(state, PhoneBookPath(count, source))) return;
  auto fileBytes = static_cast<double>(fs::file_size(PhoneBookPath(count, source)));
  for (auto _ : state) {
    long long before = g_liveBytes.load();
    g_peakBytes = before;
    auto lists = LoadLists(count, source);
    long long held = g_liveBytes.load() - before;
    long long peak = g_peakBytes.load() - before;
    state.counters["bytes_per_entry"] = static_cast<double>(held) / count;
    state.counters["held_per_file_byte"] = static_cast<double>(held) / fileBytes;
    state.counters["peak_per_file_byte"] = static_cast<double>(peak) / fileBytes;
  }
}

// "Новая запись": sorts into the middle of the generated names.
const std::string kNewText = "\xCD\xEE\xE2\xE0\xFF \xE7\xE0\xEF\xE8\xF1\xFC";

template <bool kShared>
void BM_ViewAddDelete(benchmark::State& state) {
  auto lists = LoadLists(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    if (kShared) RebuildMaster(lists->master, lists->view);
    const int i = lists->view.AddString(kNewText);
    benchmark::DoNotOptimize(lists->view.DeleteString(i));
  }
}

void BM_MasterAddRemove(benchmark::State& state) {
  auto lists = LoadLists(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    lists->master.Add(kNewText);
    benchmark::DoNotOptimize(lists->master.RemoveFirstEqual(kNewText));
  }
}

void BM_ContainsEqual(benchmark::State& state) {
  auto lists = LoadLists(static_cast<int>(state.range(0)));
  const std::vector<std::string> entries = SomeEntries(*lists);
  std::size_t step = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(lists->master.ContainsEqual(entries[step++ % entries.size()]));
}

template <bool kEqual>
void BM_ViewSearch(benchmark::State& state) {
  auto lists = LoadLists(static_cast<int>(state.range(0)));
  const std::vector<std::string> entries = SomeEntries(*lists);
  std::size_t step = 0;
  for (auto _ : state) {
    const std::string& entry = entries[step++ % entries.size()];
    benchmark::DoNotOptimize(kEqual ? lists->view.FindEqual(0, entry)
                                    : lists->view.FindString(0, entry));
  }
}

void BM_Refill(benchmark::State& state) {
  auto lists = LoadLists(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    FillMatching(lists->view, lists->master, CQueryMatcher(kQuery));
    state.ResumeTiming();
    benchmark::DoNotOptimize(RefillView(lists->view, lists->master));
  }
}

void BM_Rebuild(benchmark::State& state) {
  auto lists = LoadLists(static_cast<int>(state.range(0)));
  for (auto _ : state) RebuildMaster(lists->master, lists->view);
}

void BM_Find(benchmark::State& state) {
  int source = static_cast<int>(state.range(1));
  if (SkipWithoutFile(state, PhoneBookPath(static_cast<int>(state.range(0)), source))) return;
  auto lists = LoadLists(static_cast<int>(state.range(0)), source);
  for (auto _ : state) {
    FillMatching(lists->view, lists->master, CQueryMatcher(kQuery));
    benchmark::DoNotOptimize(lists->view.GetCount());
  }
  state.counters["matches"] = lists->view.GetCount();
}

void BM_FindBaseline(benchmark::State& state) {
  std::vector<std::string> entries = bench::GenerateEntries(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    int matches = 0;
    std::string folded;
    for (const std::string& entry : entries) {
      folded = entry;
      for (char& c : folded) c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
      if (folded.find(kQuery) != std::string::npos) ++matches;
    }
    benchmark::DoNotOptimize(matches);
  }
}

void BM_WriteAll(benchmark::State& state) {
  int count = static_cast<int>(state.range(0));
  auto lists = LoadLists(count);
  fs::path target =
      fs::path(PhoneBookPath(count)).parent_path() / ("save-" + std::to_string(count) + ".txt");
  CStdioFile file(DefaultFileSystem(), target.string());
  for (auto _ : state) {
    file.Close();
    CSaveResult result;
    file.WriteAll(RunsOf(lists->view.Items()), result);
    file.OpenForReading();
  }
  state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                          static_cast<long long>(fs::file_size(target)));
}

void BM_SaveBytes(benchmark::State& state) {
  int source = static_cast<int>(state.range(1));
  if (SkipWithoutFile(state, PhoneBookPath(static_cast<int>(state.range(0)), source))) return;
  auto lists = LoadLists(static_cast<int>(state.range(0)), source);
  std::string piece(64 * 1024, '\0');
  for (auto _ : state) {
    std::size_t written = 0;
    WriteEntries(RunsOf(lists->view.Items()), "", piece, [&](std::string_view bytes) {
      written += bytes.size();
      benchmark::DoNotOptimize(bytes.data());
      return true;
    });
    benchmark::DoNotOptimize(written);
  }
}

// The files: the own generator's, and the shared generator's where python3
// can run it.
#ifdef _WIN32
const std::vector<std::int64_t> kFiles = {0};
#else
const std::vector<std::int64_t> kFiles = {0, 1};
#endif

void SizesBothFiles(benchmark::internal::Benchmark* b) {
  b->ArgsProduct({{100'000, 1'000'000}, kFiles})->Unit(benchmark::kMillisecond);
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
}
void SizesMicro(benchmark::internal::Benchmark* b) {
  b->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);
}

// The fastest of the repetitions, beside the median: on a shared machine
// other programs only ever add time, so the fastest run is the one to set
// against the measuring program's fastest (compare.sh asks for repetitions).
double Fastest(const std::vector<double>& times) {
  return times.empty() ? 0.0 : *std::min_element(times.begin(), times.end());
}

BENCHMARK(BM_ReadAndSortBaseline)->Apply(Sizes);
BENCHMARK(BM_Load)->Apply(SizesBothFiles)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_Memory)->Apply(SizesBothFiles)->Iterations(1);
BENCHMARK(BM_ViewAddDelete<false>)->Name("BM_ViewAddDelete/own")->Apply(SizesMicro);
BENCHMARK(BM_ViewAddDelete<true>)->Name("BM_ViewAddDelete/shared")->Apply(SizesMicro);
BENCHMARK(BM_MasterAddRemove)->Apply(SizesMicro);
BENCHMARK(BM_ContainsEqual)->Apply(SizesMicro);
BENCHMARK(BM_ViewSearch<true>)->Name("BM_FindEqual")->Apply(SizesMicro);
BENCHMARK(BM_ViewSearch<false>)->Name("BM_FindString")->Apply(SizesMicro);
BENCHMARK(BM_Refill)
    ->Apply(SizesMicro)
    ->Iterations(20);  // each iteration first runs a Find, untimed
BENCHMARK(BM_Rebuild)->Apply(SizesMicro);
BENCHMARK(BM_Find)->Apply(SizesBothFiles)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_FindBaseline)->Apply(Sizes);
BENCHMARK(BM_WriteAll)->Apply(Sizes)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_SaveBytes)->Apply(SizesBothFiles);

}  // namespace
}  // namespace velunar

BENCHMARK_MAIN();

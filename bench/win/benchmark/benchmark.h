// A small timing harness for the Windows build of the benchmarks, with the
// part of Google Benchmark's interface that store_bench and window_bench
// use, so that the same sources build against either.
//
// Why it exists: Debian packages Google Benchmark for Linux only, and the
// Windows build takes nothing from outside Debian's archive. On Linux the
// real Google Benchmark is used and this folder is not on the include path.
//
// What it does, as Google Benchmark does it: each benchmark with each of its
// arguments is run with 1 iteration, then with more (up to ten times as
// many a round), until one run takes at least the minimum time; that run is
// reported. Wall time by std::chrono::steady_clock (QueryPerformanceCounter
// under mingw-w64), CPU time as the thread's user + kernel time
// (GetThreadTimes), both only while the timer runs. The table has Google
// Benchmark's columns: name, time and CPU time per iteration, iterations,
// then the counters.
//
// Flags: --benchmark_filter=REGEX (ECMAScript; a leading '-' excludes),
// --benchmark_min_time=SECONDS (or Nx: N iterations),
// --benchmark_repetitions=N, --benchmark_list_tests.
#ifndef VELUNAR_BENCH_WIN_BENCHMARK_BENCHMARK_H_
#define VELUNAR_BENCH_WIN_BENCHMARK_BENCHMARK_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace benchmark {

struct Runner;

using IterationCount = std::int64_t;
enum TimeUnit { kNanosecond, kMicrosecond, kMillisecond, kSecond };

// Keeps `value` from being optimised away.
template <class T>
inline void DoNotOptimize(const T& value) {
  asm volatile("" : : "r,m"(value) : "memory");
}

class State {
 public:
  struct __attribute__((unused)) Value {};
  class Iterator {
   public:
    Iterator() = default;
    explicit Iterator(State* state) : m_state(state), m_left(state->m_maxIterations) {}
    Value operator*() const { return {}; }
    Iterator& operator++() {
      --m_left;
      return *this;
    }
    bool operator!=(const Iterator&) const {
      if (m_left > 0) return true;
      m_state->Finish();
      return false;
    }

   private:
    State* m_state = nullptr;
    IterationCount m_left = 0;
  };

  State(std::vector<std::int64_t> args, IterationCount iterations)
      : m_args(std::move(args)), m_maxIterations(iterations) {}

  Iterator begin();
  Iterator end() { return {}; }

  std::int64_t range(std::size_t i = 0) const { return m_args.at(i); }
  // The iterations of the loop, once it has ended.
  IterationCount iterations() const { return m_done; }

  void PauseTiming();
  void ResumeTiming();
  // Ends the benchmark's runs; the table shows `message` instead of times.
  void SkipWithError(const char* message);
  void SetBytesProcessed(std::int64_t bytes) { m_bytes = bytes; }

  std::map<std::string, double> counters;

 private:
  friend struct Runner;
  void Finish();

  std::vector<std::int64_t> m_args;
  IterationCount m_maxIterations;
  IterationCount m_done = 0;
  bool m_running = false;
  bool m_finished = false;
  bool m_error = false;
  std::string m_errorMessage;
  std::int64_t m_bytes = 0;
  double m_realSeconds = 0;
  double m_cpuSeconds = 0;
  double m_realStart = 0;
  double m_cpuStart = 0;
};

namespace internal {

class Benchmark {
 public:
  Benchmark(std::string name, std::function<void(State&)> function)
      : m_name(std::move(name)), m_function(std::move(function)) {}

  Benchmark* Name(const std::string& name) {
    m_name = name;
    return this;
  }
  Benchmark* Arg(std::int64_t x) { return Args({x}); }
  Benchmark* Args(const std::vector<std::int64_t>& args) {
    m_args.push_back(args);
    return this;
  }
  // Every combination, the first list's values changing fastest.
  Benchmark* ArgsProduct(const std::vector<std::vector<std::int64_t>>& lists);
  Benchmark* Apply(void (*custom)(Benchmark*)) {
    custom(this);
    return this;
  }
  Benchmark* Unit(TimeUnit unit) {
    m_unit = unit;
    return this;
  }
  Benchmark* UseRealTime() {
    m_realTime = true;
    return this;
  }
  Benchmark* Iterations(IterationCount n) {
    m_iterations = n;
    return this;
  }
  // A statistic over the repetitions (--benchmark_repetitions), beside the
  // mean, median and standard deviation.
  Benchmark* ComputeStatistics(const std::string& name,
                               double (*statistic)(const std::vector<double>&)) {
    m_statistics.emplace_back(name, statistic);
    return this;
  }

 private:
  friend struct ::benchmark::Runner;
  std::string m_name;
  std::function<void(State&)> m_function;
  std::vector<std::vector<std::int64_t>> m_args;
  TimeUnit m_unit = kNanosecond;
  bool m_realTime = false;
  IterationCount m_iterations = 0;
  std::vector<std::pair<std::string, double (*)(const std::vector<double>&)>> m_statistics;
};

}  // namespace internal

internal::Benchmark* RegisterBenchmark(const char* name, void (*function)(State&));

void Initialize(int* argc, char** argv);
// Fails, with the arguments' names, when any is left that was not a flag.
bool ReportUnrecognizedArguments(int argc, char** argv);
std::size_t RunSpecifiedBenchmarks();
void Shutdown();

}  // namespace benchmark

#define BENCHMARK_NAME_JOIN_(a, b) a##b
#define BENCHMARK_NAME_(n) BENCHMARK_NAME_JOIN_(benchmark_registered_, n)
#define BENCHMARK(...)                                                                     \
  [[maybe_unused]] static ::benchmark::internal::Benchmark* BENCHMARK_NAME_(__COUNTER__) = \
      ::benchmark::RegisterBenchmark(#__VA_ARGS__, __VA_ARGS__)

#define BENCHMARK_MAIN()                                                \
  int main(int argc, char** argv) {                                     \
    ::benchmark::Initialize(&argc, argv);                               \
    if (::benchmark::ReportUnrecognizedArguments(argc, argv)) return 1; \
    ::benchmark::RunSpecifiedBenchmarks();                              \
    ::benchmark::Shutdown();                                            \
    return 0;                                                           \
  }                                                                     \
  int main(int, char**)

#endif  // VELUNAR_BENCH_WIN_BENCHMARK_BENCHMARK_H_

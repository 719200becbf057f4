// The runner of the Windows build's timing harness (benchmark/benchmark.h):
// the registry, the flags, the timers, the runs and the table.
#include "benchmark/benchmark.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numeric>
#include <regex>
#include <string_view>

namespace benchmark {
namespace {

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The calling thread's user and kernel time. Windows counts it in 100 ns
// units; Wine takes it from Linux, a clock tick (10 ms) at a time, so a
// short run's CPU figure there is coarse.
double CpuSeconds() {
  FILETIME created, exited, kernel, user;
  if (!::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
  auto ticks = [](const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(ticks(kernel) + ticks(user)) * 1e-7;
}

struct CFlags {
  std::string filter = ".";
  double minTime = 0.5;                // seconds a reported run takes at least
  IterationCount fixedIterations = 0;  // --benchmark_min_time=Nx
  int repetitions = 1;
  bool list = false;
};
CFlags g_flags;

std::vector<std::unique_ptr<internal::Benchmark>>& Registered() {
  static std::vector<std::unique_ptr<internal::Benchmark>> benchmarks;
  return benchmarks;
}

[[noreturn]] void BadFlag(const char* arg) {
  std::fprintf(stderr, "benchmark: cannot use the flag %s\n", arg);
  std::exit(1);
}

// "--name=value" gives value when `arg` is that flag.
bool FlagValue(const char* arg, std::string_view name, std::string& value) {
  std::string_view a(arg);
  if (a.substr(0, name.size()) != name || a.size() <= name.size() || a[name.size()] != '=') {
    return false;
  }
  value = a.substr(name.size() + 1);
  return true;
}

}  // namespace

State::Iterator State::begin() {
  // A benchmark that gave up before its loop runs no iteration.
  if (m_error) m_maxIterations = 0;
  ResumeTiming();
  return Iterator(this);
}

void State::PauseTiming() {
  if (!m_running) return;
  m_realSeconds += WallSeconds() - m_realStart;
  m_cpuSeconds += CpuSeconds() - m_cpuStart;
  m_running = false;
}

void State::ResumeTiming() {
  if (m_running || m_finished) return;
  m_running = true;
  m_cpuStart = CpuSeconds();
  m_realStart = WallSeconds();
}

void State::SkipWithError(const char* message) {
  m_error = true;
  m_errorMessage = message;
}

void State::Finish() {
  if (m_finished) return;
  PauseTiming();
  m_finished = true;
  m_done = m_error ? 0 : m_maxIterations;
}

namespace internal {

Benchmark* Benchmark::ArgsProduct(const std::vector<std::vector<std::int64_t>>& lists) {
  std::size_t total = 1;
  for (const auto& list : lists) total *= list.size();
  std::vector<std::size_t> at(lists.size(), 0);
  for (std::size_t n = 0; n < total; ++n) {
    std::vector<std::int64_t> args;
    for (std::size_t j = 0; j < lists.size(); ++j) args.push_back(lists[j][at[j]]);
    m_args.push_back(std::move(args));
    for (std::size_t j = 0; j < lists.size(); ++j) {
      at[j] = (at[j] + 1) % lists[j].size();
      if (at[j] != 0) break;
    }
  }
  return this;
}

}  // namespace internal

internal::Benchmark* RegisterBenchmark(const char* name, void (*function)(State&)) {
  Registered().push_back(std::make_unique<internal::Benchmark>(name, function));
  return Registered().back().get();
}

void Initialize(int* argc, char** argv) {
  int kept = 1;
  for (int i = 1; i < *argc; ++i) {
    const char* arg = argv[i];
    std::string value;
    if (FlagValue(arg, "--benchmark_filter", value)) {
      g_flags.filter = value;
    } else if (FlagValue(arg, "--benchmark_min_time", value)) {
      char* end = nullptr;
      const double number = std::strtod(value.c_str(), &end);
      if (end == value.c_str() || number <= 0) BadFlag(arg);
      if (std::strcmp(end, "x") == 0) {
        g_flags.fixedIterations = static_cast<IterationCount>(number);
      } else if (*end == '\0' || std::strcmp(end, "s") == 0) {
        g_flags.minTime = number;
      } else {
        BadFlag(arg);
      }
    } else if (FlagValue(arg, "--benchmark_repetitions", value)) {
      g_flags.repetitions = std::atoi(value.c_str());
      if (g_flags.repetitions < 1) BadFlag(arg);
    } else if (std::strcmp(arg, "--benchmark_list_tests") == 0 ||
               std::strcmp(arg, "--benchmark_list_tests=true") == 0) {
      g_flags.list = true;
    } else if (std::strncmp(arg, "--benchmark_", 12) == 0) {
      BadFlag(arg);
    } else {
      argv[kept++] = argv[i];
    }
  }
  *argc = kept;
}

bool ReportUnrecognizedArguments(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    std::fprintf(stderr, "%s: unrecognized argument '%s'\n", argv[0], argv[i]);
  return argc > 1;
}

void Shutdown() {}

struct Runner {
  struct CResult {
    std::string name;
    IterationCount iterations = 0;
    double real = 0;  // per iteration, seconds
    double cpu = 0;
    std::string error;
    std::map<std::string, double> counters;
  };

  static std::string InstanceName(const internal::Benchmark& b,
                                  const std::vector<std::int64_t>& args) {
    std::string name = b.m_name;
    for (std::int64_t arg : args) name += "/" + std::to_string(arg);
    if (b.m_iterations > 0) name += "/iterations:" + std::to_string(b.m_iterations);
    if (b.m_realTime) name += "/real_time";
    return name;
  }

  static CResult RunOnce(const internal::Benchmark& b, const std::vector<std::int64_t>& args,
                         IterationCount n) {
    State state(args, n);
    b.m_function(state);
    // A loop left by break (after SkipWithError) has not stopped the timer.
    state.Finish();
    CResult r;
    r.iterations = state.m_done;
    if (state.m_error) {
      r.error = state.m_errorMessage;
      return r;
    }
    const double count = static_cast<double>(std::max<IterationCount>(r.iterations, 1));
    r.real = state.m_realSeconds / count;
    r.cpu = state.m_cpuSeconds / count;
    r.counters = state.counters;
    if (state.m_bytes > 0) {
      const double seconds = b.m_realTime ? state.m_realSeconds : state.m_cpuSeconds;
      if (seconds > 0)
        r.counters["bytes_per_second"] = static_cast<double>(state.m_bytes) / seconds;
    }
    return r;
  }

  // As Google Benchmark: more iterations each round, aiming at 1.4 times
  // the minimum time, at most ten times as many, until a run is long enough.
  static CResult Run(const internal::Benchmark& b, const std::vector<std::int64_t>& args) {
    if (b.m_iterations > 0) return RunOnce(b, args, b.m_iterations);
    if (g_flags.fixedIterations > 0) return RunOnce(b, args, g_flags.fixedIterations);
    constexpr IterationCount kMaxIterations = 1'000'000'000;
    for (IterationCount n = 1;;) {
      CResult r = RunOnce(b, args, n);
      if (!r.error.empty()) return r;
      const double seconds = static_cast<double>(n) * (b.m_realTime ? r.real : r.cpu);
      if (seconds >= g_flags.minTime || n >= kMaxIterations) return r;
      double multiplier = g_flags.minTime * 1.4 / std::max(seconds, 1e-9);
      if (seconds / g_flags.minTime <= 0.1) multiplier = 10.0;
      const auto next =
          static_cast<IterationCount>(std::llround(multiplier * static_cast<double>(n)));
      n = std::min(std::max(next, n + 1), kMaxIterations);
    }
  }

  static std::string Time(double seconds, TimeUnit unit) {
    static const double kScale[] = {1e9, 1e6, 1e3, 1};
    static const char* const kName[] = {"ns", "us", "ms", "s"};
    const double t = seconds * kScale[unit];
    const char* format = t < 1       ? "%10.3f %-4s"
                         : t < 10    ? "%10.2f %-4s"
                         : t < 100   ? "%10.1f %-4s"
                         : t < 10000 ? "%10.0f %-4s"
                                     : "%10.3e %-4s";
    char text[48];
    std::snprintf(text, sizeof text, format, t, kName[unit]);
    return text;
  }

  static std::string Human(double value, bool b1024) {
    const double k = b1024 ? 1024 : 1000;
    const char* const kSuffix[] = {"", "k", "M", "G", "T"};
    int i = 0;
    while (std::fabs(value) >= k && i < 4) {
      value /= k;
      ++i;
    }
    char text[48];
    std::snprintf(text, sizeof text, "%.6g%s", value, kSuffix[i]);
    return text;
  }

  static void Print(const CResult& r, TimeUnit unit, std::size_t width) {
    std::printf("%-*s ", static_cast<int>(width), r.name.c_str());
    if (!r.error.empty()) {
      std::printf("ERROR OCCURRED: '%s'\n", r.error.c_str());
    } else {
      std::printf("%s %s %10lld", Time(r.real, unit).c_str(), Time(r.cpu, unit).c_str(),
                  static_cast<long long>(r.iterations));
      for (const auto& [name, value] : r.counters) {
        if (name == "bytes_per_second") {
          std::printf(" %s=%sB/s", name.c_str(), Human(value, true).c_str());
        } else {
          std::printf(" %s=%s", name.c_str(), Human(value, false).c_str());
        }
      }
      std::printf("\n");
    }
    std::fflush(stdout);
  }

  static void PrintStatistics(const internal::Benchmark& b, const std::string& name,
                              const std::vector<CResult>& runs, std::size_t width) {
    std::vector<double> real, cpu;
    for (const CResult& r : runs) {
      if (!r.error.empty()) return;
      real.push_back(r.real);
      cpu.push_back(r.cpu);
    }
    auto mean = [](const std::vector<double>& v) {
      return std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
    };
    auto median = [](std::vector<double> v) {
      std::sort(v.begin(), v.end());
      const std::size_t h = v.size() / 2;
      return v.size() % 2 ? v[h] : (v[h - 1] + v[h]) / 2;
    };
    auto stddev = [&mean](const std::vector<double>& v) {
      const double m = mean(v);
      double sum = 0;
      for (double x : v) sum += (x - m) * (x - m);
      return v.size() > 1 ? std::sqrt(sum / static_cast<double>(v.size() - 1)) : 0.0;
    };
    std::vector<std::pair<std::string, std::function<double(const std::vector<double>&)>>> stats = {
        {"mean", mean}, {"median", median}, {"stddev", stddev}};
    for (const auto& [statName, statistic] : b.m_statistics)
      stats.emplace_back(statName, statistic);
    for (const auto& [statName, statistic] : stats) {
      CResult r;
      r.name = name + "_" + statName;
      r.iterations = static_cast<IterationCount>(runs.size());
      r.real = statistic(real);
      r.cpu = statistic(cpu);
      Print(r, b.m_unit, width);
    }
  }

  static std::size_t RunAll() {
    bool exclude = false;
    std::string pattern = g_flags.filter;
    if (!pattern.empty() && pattern[0] == '-') {
      exclude = true;
      pattern.erase(0, 1);
    }
    if (pattern == "all") pattern = ".";
    std::regex filter;
    try {
      filter = std::regex(pattern);
    } catch (const std::regex_error&) {
      std::fprintf(stderr, "benchmark: not a regular expression: %s\n", pattern.c_str());
      std::exit(1);
    }

    struct CInstance {
      const internal::Benchmark* b;
      std::vector<std::int64_t> args;
      std::string name;
    };
    std::vector<CInstance> instances;
    std::size_t width = 10;
    for (const auto& b : Registered()) {
      std::vector<std::vector<std::int64_t>> argsList = b->m_args;
      if (argsList.empty()) argsList.emplace_back();
      for (const auto& args : argsList) {
        std::string name = InstanceName(*b, args);
        if (std::regex_search(name, filter) == exclude) continue;
        width = std::max(width, name.size() + (g_flags.repetitions > 1 ? 7 : 0));
        instances.push_back({b.get(), args, std::move(name)});
      }
    }
    if (g_flags.list) {
      for (const CInstance& i : instances) std::printf("%s\n", i.name.c_str());
      return instances.size();
    }

    std::printf(
        "Timing: wall by steady_clock, CPU by GetThreadTimes (the Windows build's own"
        " harness, bench/win/)\n");
    const std::string rule(width + 52, '-');
    std::printf("%s\n%-*s %13s %15s %12s\n%s\n", rule.c_str(), static_cast<int>(width), "Benchmark",
                "Time", "CPU", "Iterations", rule.c_str());
    std::fflush(stdout);
    for (const CInstance& i : instances) {
      std::vector<CResult> runs;
      for (int k = 0; k < g_flags.repetitions; ++k) {
        runs.push_back(Run(*i.b, i.args));
        runs.back().name = i.name;
        Print(runs.back(), i.b->m_unit, width);
      }
      if (runs.size() > 1) PrintStatistics(*i.b, i.name, runs, width);
    }
    return instances.size();
  }
};

std::size_t RunSpecifiedBenchmarks() { return Runner::RunAll(); }

}  // namespace benchmark

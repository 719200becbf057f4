// Which instructions the byte scans use: the search of Find and the split of
// a loaded file into lines. Each scan has a plain path and, where the
// processor has them, vector paths, and every path gives exactly the same
// result. The path is picked when the program runs, never when it is built.
#ifndef VELUNAR_STORE_FAST_SCAN_PATH_H_
#define VELUNAR_STORE_FAST_SCAN_PATH_H_

#include <vector>

#if defined(__x86_64__) || defined(_M_X64)
#define VELUNAR_SCAN_X86 1
#endif

namespace velunar {

enum class EScanPath {
  plain,  // one byte at a time; on every machine
  sse2,   // sixteen bytes at a time; every x86-64 processor has SSE2
  avx2,   // thirty-two bytes at a time, where the processor has AVX2 (with POPCNT and BMI1)
};

// The paths this machine can run, plain first.
std::vector<EScanPath> AvailableScanPaths();

// The fastest of them.
EScanPath FastestScanPath();

}  // namespace velunar

#endif  // VELUNAR_STORE_FAST_SCAN_PATH_H_

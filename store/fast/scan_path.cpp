#include "store/fast/scan_path.h"

namespace velunar {

namespace {

#if VELUNAR_SCAN_X86
// AVX2, and the bit instructions every processor with AVX2 has beside it,
// which the AVX2 paths also use; a virtual machine may hide some of them.
bool HasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt") &&
         __builtin_cpu_supports("bmi");
}
#endif

}  // namespace

std::vector<EScanPath> AvailableScanPaths() {
  std::vector<EScanPath> paths{EScanPath::plain};
#if VELUNAR_SCAN_X86
  paths.push_back(EScanPath::sse2);
  if (HasAvx2()) paths.push_back(EScanPath::avx2);
#endif
  return paths;
}

EScanPath FastestScanPath() {
  static const EScanPath fastest = AvailableScanPaths().back();
  return fastest;
}

}  // namespace velunar

#include "store/scan_path.h"

namespace velunar {

namespace {

#if VELUNAR_SCAN_X86
bool HasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
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

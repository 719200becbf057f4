// Where the benchmarks write their phone books: one directory for the run.
#ifndef VELUNAR_BENCH_SCRATCH_DIR_H_
#define VELUNAR_BENCH_SCRATCH_DIR_H_

#include <filesystem>
#include <string>

namespace velunar::bench {

// A directory of this run's own under the temporary directory, made on
// first use and removed with everything in it when the program ends, so
// that a run leaves no phone books behind.
const std::filesystem::path& ScratchDir();

// ScratchDir()/name, made if need be, holding velunar.txt: a generated phone
// book of `count` entries, written afresh (the window's commands change it).
std::filesystem::path EntryFileDir(const std::string& name, int count);

}  // namespace velunar::bench

#endif  // VELUNAR_BENCH_SCRATCH_DIR_H_

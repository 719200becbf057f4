#include "bench/scratch_dir.h"

#include <unistd.h>

#include <system_error>

#include "bench/phonebook_generator.h"

namespace velunar::bench {

namespace fs = std::filesystem;

namespace {

struct CRunDir {
  CRunDir() : path(fs::temp_directory_path() / ("velunar-bench-" + std::to_string(getpid()))) {
    fs::create_directories(path);
  }
  ~CRunDir() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  fs::path path;
};

}  // namespace

const fs::path& ScratchDir() {
  static const CRunDir dir;
  return dir.path;
}

fs::path EntryFileDir(const std::string& name, int count) {
  const fs::path dir = ScratchDir() / name;
  fs::create_directories(dir);
  WriteGeneratedFile((dir / "velunar.txt").string(), count);
  return dir;
}

}  // namespace velunar::bench

#include "tests/support/scratch_dir.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace velunar::testing {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> NamesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

CScratchDir::CScratchDir() {
  std::string templ = (std::filesystem::temp_directory_path() / "velunar-test-XXXXXX").string();
  if (mkdtemp(templ.data()) == nullptr) std::abort();
  m_strPath = std::filesystem::canonical(templ).string();
  m_strPrevious = std::filesystem::current_path().string();
  std::filesystem::current_path(m_strPath);
}

CScratchDir::~CScratchDir() {
  std::error_code ignored;
  std::filesystem::current_path(m_strPrevious, ignored);
  std::filesystem::permissions(m_strPath, std::filesystem::perms::owner_all, ignored);
  std::filesystem::remove_all(m_strPath, ignored);
}

}  // namespace velunar::testing

#include "tests/ui/scratch_dir.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace velunar::testing {

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

std::vector<std::string> CScratchDir::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(m_strPath)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string CScratchDir::ReadEntryFile() const {
  std::ifstream in(EntryFilePath(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void CScratchDir::WriteEntryFile(const std::string& bytes) const {
  std::ofstream(EntryFilePath(), std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace velunar::testing

#include "store/file/new_file_name.h"

#include <algorithm>

namespace velunar {

namespace {

constexpr std::string_view kSuffix = ".tmp";

}  // namespace

std::string NewFileName(std::string_view base, unsigned long pid, int n) {
  std::string name = ".";
  name += base;
  name += '.';
  name += std::to_string(pid);
  name += '.';
  name += std::to_string(n);
  name += kSuffix;
  return name;
}

std::string NewFileNamePattern(std::string_view base) {
  std::string pattern = ".";
  pattern += base;
  pattern += ".*";
  pattern += kSuffix;
  return pattern;
}

bool IsNewFileName(std::string_view name, std::string_view base) {
  if (name.size() <= base.size() + 2 || name[0] != '.' || name.substr(1, base.size()) != base ||
      name[base.size() + 1] != '.') {
    return false;
  }
  name.remove_prefix(base.size() + 2);
  if (name.size() <= kSuffix.size() || name.substr(name.size() - kSuffix.size()) != kSuffix) {
    return false;
  }
  name.remove_suffix(kSuffix.size());
  const std::size_t dot = name.find('.');
  if (dot == std::string_view::npos) return false;
  const auto digits = [](std::string_view part) {
    return !part.empty() &&
           std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  return digits(name.substr(0, dot)) && digits(name.substr(dot + 1));
}

}  // namespace velunar

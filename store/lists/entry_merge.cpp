#include "store/lists/entry_merge.h"

#include <cstddef>
#include <unordered_map>

namespace velunar {

namespace {

// For each distinct text: how many more times `mine` holds it than `base`
// (negative: the program removed it).
using CCountChange = std::unordered_map<std::string_view, long>;

CCountChange ChangeFrom(const CEntrySequence& base, const CEntrySequence& mine) {
  CCountChange change;
  change.reserve(static_cast<std::size_t>(mine.Count()));
  base.ForEach([&](std::string_view text) { --change[text]; });
  mine.ForEach([&](std::string_view text) { ++change[text]; });
  return change;
}

}  // namespace

std::vector<std::string_view> MergeEntries(const CEntrySequence& base, const CEntrySequence& mine,
                                           const std::vector<std::string_view>& theirs) {
  CCountChange change = ChangeFrom(base, mine);
  std::vector<std::string_view> merged;
  merged.reserve(theirs.size() + static_cast<std::size_t>(mine.Count()));
  for (std::string_view text : theirs) {
    const auto it = change.find(text);
    if (it != change.end() && it->second < 0) {
      ++it->second;  // removed by the program: one copy fewer
      continue;
    }
    merged.push_back(text);
  }
  mine.ForEach([&](std::string_view text) {
    const auto it = change.find(text);
    if (it->second > 0) {
      --it->second;  // added by the program
      merged.push_back(text);
    }
  });
  return merged;
}

bool SameEntries(const CEntrySequence& a, const CEntrySequence& b) {
  if (a.Count() != b.Count()) return false;
  for (const auto& [text, count] : ChangeFrom(a, b)) {
    if (count != 0) return false;
  }
  return true;
}

}  // namespace velunar

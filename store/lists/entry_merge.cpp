#include "store/lists/entry_merge.h"

#include <algorithm>
#include <cstddef>
#include <unordered_map>

namespace velunar {

namespace {

// How often each distinct text stands in each version, and how often the
// merge has put it out so far.
struct CCounts {
  long base = 0;
  long mine = 0;
  long theirs = 0;
  long emitted = 0;
};
using CCountTable = std::unordered_map<std::string_view, CCounts>;

CCountTable CountAll(const CEntrySequence& base, const CEntrySequence& mine,
                     const std::vector<std::string_view>& theirs) {
  CCountTable counts;
  counts.reserve(static_cast<std::size_t>(mine.Count()) + theirs.size());
  base.ForEach([&](std::string_view text) { ++counts[text].base; });
  mine.ForEach([&](std::string_view text) { ++counts[text].mine; });
  for (std::string_view text : theirs) ++counts[text].theirs;
  return counts;
}

}  // namespace

std::vector<std::string_view> MergeEntries(const CEntrySequence& base, const CEntrySequence& mine,
                                           const std::vector<std::string_view>& theirs,
                                           EMerge mode) {
  CCountTable counts = CountAll(base, mine, theirs);
  const auto wanted = [mode](const CCounts& c) {
    const long merged = c.theirs + c.mine - c.base;
    return mode == EMerge::keepingMine ? std::max(c.mine, merged) : std::max(0L, merged);
  };
  std::vector<std::string_view> merged;
  merged.reserve(theirs.size() + static_cast<std::size_t>(mine.Count()));
  const auto take = [&](std::string_view text) {
    CCounts& c = counts.find(text)->second;
    if (c.emitted < wanted(c)) {
      ++c.emitted;
      merged.push_back(text);
    }
  };
  for (std::string_view text : theirs) take(text);
  mine.ForEach(take);
  return merged;
}

std::size_t CountRemovedByMerge(const CEntrySequence& base, const CEntrySequence& mine,
                                const std::vector<std::string_view>& theirs) {
  std::size_t removed = 0;
  for (const auto& [text, c] : CountAll(base, mine, theirs)) {
    removed += static_cast<std::size_t>(std::min(c.mine, std::max(0L, c.base - c.theirs)));
  }
  return removed;
}

bool SameEntries(const CEntrySequence& a, const CEntrySequence& b) {
  if (a.Count() != b.Count()) return false;
  for (const auto& [text, c] : CountAll(a, b, {})) {
    if (c.base != c.mine) return false;
  }
  return true;
}

}  // namespace velunar

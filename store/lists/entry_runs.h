// The lists' entries as a save takes them (file/entry_format.h): in runs
// that lie together in memory, in list order.
#ifndef VELUNAR_STORE_LISTS_ENTRY_RUNS_H_
#define VELUNAR_STORE_LISTS_ENTRY_RUNS_H_

#include <functional>

#include "store/file/entry_format.h"
#include "store/lists/entry_sequence.h"

namespace velunar {

// The entries of `items`, run by run. `items` must outlive the result.
inline CEntryRuns RunsOf(const CEntrySequence& items) {
  return [&items](const std::function<void(CEntryRun)>& visit) {
    items.ForEachRun([&](const std::vector<std::string_view>& run) { visit(run); });
  };
}

}  // namespace velunar

#endif  // VELUNAR_STORE_LISTS_ENTRY_RUNS_H_

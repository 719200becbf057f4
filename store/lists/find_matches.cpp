#include "store/lists/find_matches.h"

#include <cstdint>
#include <functional>
#include <vector>

#include "store/fast/query_scan.h"

namespace velunar {

CEntrySequence MatchingItems(const CEntrySequence& items, const CTextPool& texts,
                             const CQueryMatcher& matcher) {
  std::vector<std::string_view> matches;
  const std::vector<CByteBuffer>& buffers = texts.Buffers();
  if (matcher.Query().empty() || buffers.empty()) {
    items.ForEach([&](std::string_view item) {
      if (matcher.Matches(item)) matches.push_back(item);
    });
    return CEntrySequence::FromSorted(matches);
  }
  // The loaded texts lie in file order, the items in list order: asking
  // each item in turn would wait for memory at nearly every one. So the
  // buffers are searched front to back first, marking where the query
  // starts, and the items then only look at the marks. Texts typed since
  // the load lie elsewhere and are searched one by one.
  const CQueryScan scan(matcher.Query());
  const std::size_t m = scan.QuerySize();
  std::vector<std::vector<std::uint64_t>> marks(buffers.size());
  std::vector<std::vector<std::uint64_t>> summaries(buffers.size());
  for (std::size_t b = 0; b < buffers.size(); ++b) {
    marks[b].assign(buffers[b].size() / 64 + 1, 0);
    summaries[b].assign(buffers[b].size() / (64 * kSummaryBytes) + 1, 0);
    scan.Mark(std::string_view(buffers[b].data(), buffers[b].size()), marks[b], summaries[b]);
  }
  std::size_t last = 0;  // the buffer of the last item found in one
  auto inBuffer = [&](const char* p, std::size_t b) {
    const CByteBuffer& buffer = buffers[b];
    return !buffer.empty() && std::less_equal<>()(buffer.data(), p) &&
           std::less<>()(p, buffer.data() + buffer.size());
  };
  // Each run of items is taken in two passes. The first asks the summary
  // only and writes down the items it does not rule out, with no branch on
  // the answer; the second reads the marks of those. So the reads of the
  // marks, which mostly wait for memory, are under way together instead of
  // one after another behind a mispredicted branch each.
  std::vector<std::uint32_t> candidates;  // places in the run
  items.ForEachRun([&](const std::vector<std::string_view>& run) {
    candidates.resize(run.size());
    std::size_t count = 0;
    for (std::size_t i = 0; i < run.size(); ++i) {
      const std::string_view item = run[i];
      if (item.size() < m) continue;
      candidates[count] = static_cast<std::uint32_t>(i);
      if (!inBuffer(item.data(), last)) {
        // Another buffer, or a text typed since the load: the second pass
        // finds out which.
        ++count;
        continue;
      }
      const auto first = static_cast<std::size_t>(item.data() - buffers[last].data());
      count += AnyMarkIn(summaries[last], first / kSummaryBytes,
                         (first + item.size() - m) / kSummaryBytes);
    }
    constexpr std::size_t kAhead = 16;
    for (std::size_t k = 0; k < count; ++k) {
      if (k + kAhead < count) {
        // The marks lie far apart: ask for the ones a few items ahead.
        const char* ahead = run[candidates[k + kAhead]].data();
        if (inBuffer(ahead, last)) {
          __builtin_prefetch(
              &marks[last][static_cast<std::size_t>(ahead - buffers[last].data()) / 64]);
        }
      }
      const std::string_view item = run[candidates[k]];
      std::size_t b = last;
      if (!inBuffer(item.data(), b)) {
        for (b = 0; b < buffers.size() && !inBuffer(item.data(), b); ++b) {
        }
      }
      if (b == buffers.size()) {
        if (matcher.Matches(item)) matches.push_back(item);
        continue;
      }
      last = b;
      const auto first = static_cast<std::size_t>(item.data() - buffers[b].data());
      if (AnyMarkIn(marks[b], first, first + item.size() - m)) matches.push_back(item);
    }
  });
  // Every part of a sequence in list order is in list order.
  return CEntrySequence::FromSorted(matches);
}

}  // namespace velunar

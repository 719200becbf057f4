#include "store/lists/entry_sequence.h"

#include <algorithm>
#include <cassert>
#include <new>
#include <tuple>

#include "store/text/text_rules.h"

namespace velunar {

namespace {
// A chunk smaller than this after an erase is merged into a neighbour, so
// that deleting many entries cannot leave a long tail of tiny chunks.
constexpr int kMinChunk = CEntrySequence::kMaxChunk / 8;
}  // namespace

CEntrySequence CEntrySequence::FromSorted(const std::vector<std::string_view>& items) {
  return FromSorted(items.size(), [&items](std::size_t i) { return items[i]; });
}

std::pair<int, int> CEntrySequence::Locate(int i) const {
  assert(i >= 0 && i < Count());
  const std::vector<int>& starts = m_pRoot->starts;
  int k = static_cast<int>(std::upper_bound(starts.begin(), starts.end(), i) - starts.begin()) - 1;
  return {k, i - starts[static_cast<std::size_t>(k)]};
}

std::string_view CEntrySequence::At(int i) const {
  auto [k, offset] = Locate(i);
  return m_pRoot->chunks[static_cast<std::size_t>(k)]->items[static_cast<std::size_t>(offset)];
}

template <class Pred>
int CEntrySequence::PartitionPoint(Pred pred) const {
  if (!m_pRoot) return 0;
  const auto& chunks = m_pRoot->chunks;
  // The first chunk whose last item fails the predicate holds the point.
  auto chunkIt = std::partition_point(chunks.begin(), chunks.end(),
                                      [&](const auto& chunk) { return pred(chunk->items.back()); });
  if (chunkIt == chunks.end()) return m_pRoot->nCount;
  const auto& items = (*chunkIt)->items;
  auto itemIt = std::partition_point(items.begin(), items.end(), pred);
  std::size_t k = static_cast<std::size_t>(chunkIt - chunks.begin());
  return m_pRoot->starts[k] + static_cast<int>(itemIt - items.begin());
}

int CEntrySequence::UpperBound(std::string_view text) const {
  return PartitionPoint(
      [text](std::string_view item) { return CompareListOrder(item, text) <= 0; });
}

int CEntrySequence::LowerBound(std::string_view text) const {
  return PartitionPoint([text](std::string_view item) { return CompareListOrder(item, text) < 0; });
}

std::pair<int, int> CEntrySequence::PrefixRange(std::string_view prefix) const {
  int first = PartitionPoint(
      [prefix](std::string_view item) { return ComparePrefixRange(item, prefix) < 0; });
  int last = PartitionPoint(
      [prefix](std::string_view item) { return ComparePrefixRange(item, prefix) <= 0; });
  return {first, last};
}

CEntrySequence::Root& CEntrySequence::MutableRoot() {
  if (!m_pRoot) {
    m_pRoot = std::make_shared<Root>();
  } else if (m_pRoot.use_count() > 1) {
    m_pRoot = std::make_shared<Root>(*m_pRoot);
  }
  return *m_pRoot;
}

CEntrySequence::Chunk& CEntrySequence::MutableChunk(Root& root, int k) {
  std::shared_ptr<Chunk>& chunk = root.chunks[static_cast<std::size_t>(k)];
  if (chunk.use_count() > 1) chunk = std::make_shared<Chunk>(*chunk);
  return *chunk;
}

void CEntrySequence::Renumber(Root& root, int fromChunk) {
  root.starts.resize(root.chunks.size());
  int next = fromChunk == 0
                 ? 0
                 : root.starts[static_cast<std::size_t>(fromChunk - 1)] +
                       static_cast<int>(
                           root.chunks[static_cast<std::size_t>(fromChunk - 1)]->items.size());
  for (std::size_t k = static_cast<std::size_t>(fromChunk); k < root.chunks.size(); ++k) {
    root.starts[k] = next;
    next += static_cast<int>(root.chunks[k]->items.size());
  }
  root.nCount = next;
}

void CEntrySequence::Insert(int i, std::string_view text) {
  assert(i >= 0 && i <= Count());
  // Build every new piece before changing the sequence, so that running out
  // of memory halfway leaves it as it was.
  Root& root = MutableRoot();
  root.chunks.reserve(root.chunks.size() + 1);
  root.starts.reserve(root.chunks.size() + 1);
  if (root.chunks.empty()) {
    auto chunk = std::make_shared<Chunk>();
    chunk->items.push_back(text);
    root.chunks.push_back(std::move(chunk));
    Renumber(root, 0);
    return;
  }
  // An index at the very end belongs to the last chunk.
  int k;
  int offset;
  if (i == root.nCount) {
    k = static_cast<int>(root.chunks.size()) - 1;
    offset = static_cast<int>(root.chunks.back()->items.size());
  } else {
    std::tie(k, offset) = Locate(i);
  }
  Chunk& chunk = MutableChunk(root, k);
  if (static_cast<int>(chunk.items.size()) >= kMaxChunk) {
    // Split the full chunk in halves and insert into the half that holds i.
    auto upper = std::make_shared<Chunk>();
    std::size_t half = chunk.items.size() / 2;
    upper->items.reserve(chunk.items.size() - half + 1);
    upper->items.assign(chunk.items.begin() + static_cast<std::ptrdiff_t>(half), chunk.items.end());
    root.chunks.insert(root.chunks.begin() + k + 1, upper);
    chunk.items.resize(half);
    if (offset > static_cast<int>(half)) {
      upper->items.insert(upper->items.begin() + (offset - static_cast<int>(half)), text);
    } else {
      chunk.items.insert(chunk.items.begin() + offset, text);
    }
  } else {
    chunk.items.insert(chunk.items.begin() + offset, text);
  }
  Renumber(root, k);
}

void CEntrySequence::Erase(int i) {
  assert(i >= 0 && i < Count());
  Root& root = MutableRoot();
  auto [k, offset] = Locate(i);
  Chunk& chunk = MutableChunk(root, k);
  chunk.items.erase(chunk.items.begin() + offset);
  if (chunk.items.empty()) {
    root.chunks.erase(root.chunks.begin() + k);
  } else if (static_cast<int>(chunk.items.size()) < kMinChunk && root.chunks.size() > 1) {
    // Merge with the smaller neighbour when the two fit in one chunk.
    int other = k + 1 < static_cast<int>(root.chunks.size()) ? k + 1 : k - 1;
    int lower = std::min(k, other);
    const auto& a = root.chunks[static_cast<std::size_t>(lower)]->items;
    const auto& b = root.chunks[static_cast<std::size_t>(lower + 1)]->items;
    if (static_cast<int>(a.size() + b.size()) <= kMaxChunk) {
      try {
        auto merged = std::make_shared<Chunk>();
        merged->items.reserve(a.size() + b.size());
        merged->items.insert(merged->items.end(), a.begin(), a.end());
        merged->items.insert(merged->items.end(), b.begin(), b.end());
        root.chunks[static_cast<std::size_t>(lower)] = std::move(merged);
        root.chunks.erase(root.chunks.begin() + lower + 1);
        k = lower;
      } catch (const std::bad_alloc&) {
        // Merging only saves space later; the erase stands without it.
      }
    }
  }
  if (root.chunks.empty()) {
    m_pRoot.reset();
    return;
  }
  Renumber(root, std::min(k, static_cast<int>(root.chunks.size()) - 1));
}

}  // namespace velunar

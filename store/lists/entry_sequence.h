// A sequence of entry texts in list order, cheap to copy and to edit.
//
// The master list and the view list are both held as one of these. The
// window's commands bring the two into step after every edit (the view is
// refilled from the master list, the master list rebuilt from the view), and
// with a hundred thousand entries a literal copy would cost more than the
// edit itself. Here a copy shares everything with its original and takes
// constant time; the first change to either side copies only what it
// touches.
//
// Layout: the items live in chunks of at most kMaxChunk references; a root
// holds the chunk pointers and the index at which each chunk starts. A copy
// shares the root. A change clones the root when it is shared (a vector of
// pointers, one per chunk) and the one chunk it edits when that is shared.
// Insert, erase and index lookups cost O(n / kMaxChunk + kMaxChunk) at
// worst, searches O(log n) comparisons.
//
// The items are std::string_view references; the sequence never owns text
// (see text_pool.h). Single-threaded: copies share reference counts.
//
// Invariant: the items are in list order (CompareListOrder) whenever the
// owner only inserts at the places the search functions return. The
// sequence itself does not check it.
#ifndef VELUNAR_STORE_LISTS_ENTRY_SEQUENCE_H_
#define VELUNAR_STORE_LISTS_ENTRY_SEQUENCE_H_

#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace velunar {

class CEntrySequence {
 public:
  static constexpr int kMaxChunk = 1024;

  CEntrySequence() = default;

  // A sequence of `items`, which must already be in list order.
  static CEntrySequence FromSorted(const std::vector<std::string_view>& items);
  // A sequence of the `count` items at(0), at(1), ..., in list order.
  template <class ItemAt>
  static CEntrySequence FromSorted(std::size_t count, ItemAt&& at);

  int Count() const { return m_pRoot ? m_pRoot->nCount : 0; }
  // REQUIRES: 0 <= i < Count().
  std::string_view At(int i) const;

  // The index of the first item that sorts after `text`: where a new `text`
  // goes after every item it sorts together with.
  int UpperBound(std::string_view text) const;
  // The index of the first item that does not sort before `text`.
  int LowerBound(std::string_view text) const;
  // The items whose text begins with `prefix`, ignoring letter case, as the
  // index range [first, second).
  std::pair<int, int> PrefixRange(std::string_view prefix) const;

  // REQUIRES: 0 <= i <= Count() for Insert, 0 <= i < Count() for Erase.
  void Insert(int i, std::string_view text);
  void Erase(int i);
  void Clear() { m_pRoot.reset(); }

  // True when this and `other` are copies of one another with no change on
  // either side since (or both empty): then they hold the same items.
  bool SharesWith(const CEntrySequence& other) const {
    return m_pRoot == other.m_pRoot || (Count() == 0 && other.Count() == 0);
  }

  // Calls f(const std::vector<std::string_view>&) for each run of items
  // that lie together in memory, in order: for passes that prefetch.
  template <class F>
  void ForEachRun(F&& f) const {
    if (!m_pRoot) return;
    for (const auto& chunk : m_pRoot->chunks) f(chunk->items);
  }

  // Calls f(std::string_view) for every item, in order.
  template <class F>
  void ForEach(F&& f) const {
    if (!m_pRoot) return;
    for (const auto& chunk : m_pRoot->chunks)
      for (std::string_view item : chunk->items) f(item);
  }

 private:
  struct Chunk {
    std::vector<std::string_view> items;
  };
  struct Root {
    std::vector<std::shared_ptr<Chunk>> chunks;
    std::vector<int> starts;  // starts[k]: the index of chunk k's first item
    int nCount = 0;
  };

  // The chunk holding index i, and i's offset in it. REQUIRES: 0 <= i < Count().
  std::pair<int, int> Locate(int i) const;
  // The first index at which pred(item) is false; pred must be true for a
  // leading part of the sequence and false for the rest.
  template <class Pred>
  int PartitionPoint(Pred pred) const;
  Root& MutableRoot();
  Chunk& MutableChunk(Root& root, int k);
  static void Renumber(Root& root, int fromChunk);

  std::shared_ptr<Root> m_pRoot;
};

template <class ItemAt>
CEntrySequence CEntrySequence::FromSorted(std::size_t count, ItemAt&& at) {
  // Chunks start half full, so that the first edits of a freshly loaded list
  // do not split them at once.
  constexpr std::size_t kFill = kMaxChunk / 2;
  CEntrySequence seq;
  if (count == 0) return seq;
  auto root = std::make_shared<Root>();
  root->chunks.reserve(count / kFill + 1);
  for (std::size_t pos = 0; pos < count; pos += kFill) {
    auto chunk = std::make_shared<Chunk>();
    std::size_t end = pos + kFill < count ? pos + kFill : count;
    chunk->items.reserve(end - pos);
    for (std::size_t i = pos; i < end; ++i) chunk->items.push_back(at(i));
    root->chunks.push_back(std::move(chunk));
  }
  Renumber(*root, 0);
  seq.m_pRoot = std::move(root);
  return seq;
}

}  // namespace velunar

#endif  // VELUNAR_STORE_LISTS_ENTRY_SEQUENCE_H_

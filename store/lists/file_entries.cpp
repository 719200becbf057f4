#include "store/lists/file_entries.h"

#include <algorithm>
#include <utility>

namespace velunar {

namespace {

// `items` with `added` inserted at their places in list order.
CEntrySequence WithAdded(const CEntrySequence& items, const std::vector<std::string_view>& added,
                         const std::shared_ptr<CTextPool>& texts) {
  CMasterList list(texts);
  list.SetItems(items);
  for (std::string_view text : added) list.AddKept(text);
  return list.Items();
}

}  // namespace

std::size_t CFileEntries::CountRemoved(const CEntrySequence& mine,
                                       const std::vector<COutsideChange>& changes) const {
  std::size_t removed = 0;
  for (const COutsideChange& change : changes) {
    if (change.bAppended) continue;
    const auto base = m_bases.find(change.source);
    removed += CountRemovedByMerge(base != m_bases.end() ? base->second : CEntrySequence(), mine,
                                   change.loaded.entries);
  }
  return removed;
}

void CFileEntries::AddAppended(CMasterList& master, COutsideChange& change,
                               std::initializer_list<unsigned> sources) {
  const std::vector<std::string_view>& added = change.loaded.entries;
  std::vector<std::pair<unsigned, CEntrySequence>> bases;
  for (unsigned source : sources) {
    bases.emplace_back(source, WithAdded(m_bases[source], added, master.Texts()));
  }
  const CEntrySequence all = WithAdded(master.Items(), added, master.Texts());
  // Nothing can fail from here on.
  master.Texts()->Adopt(std::move(change.loaded.buffer));
  master.SetItems(all);
  for (auto& [source, base] : bases) m_bases[source] = std::move(base);
}

void CFileEntries::Merge(CMasterList& master, std::vector<COutsideChange>&& changes,
                         EMerge mode) {
  // Worked out on copies and committed at the end, so that memory running
  // out halfway leaves the lists as they were.
  std::map<unsigned, CEntrySequence> bases = m_bases;
  CMasterList merged(master.Texts());
  merged.SetItems(master.Items());
  std::vector<CByteBuffer> buffers;
  for (COutsideChange& change : changes) {
    if (change.retired != 0) bases[change.retired] = bases[0];
    CEntrySequence& base = bases[change.source];
    if (change.bAppended) {
      base = WithAdded(base, change.loaded.entries, master.Texts());
      merged.SetItems(WithAdded(merged.Items(), change.loaded.entries, master.Texts()));
    } else {
      const std::vector<std::string_view> entries =
          MergeEntries(base, merged.Items(), change.loaded.entries, mode);
      CMasterList theirs(master.Texts());
      theirs.AddLoaded(CByteBuffer(), change.loaded.entries);
      CMasterList all(master.Texts());
      all.AddLoaded(CByteBuffer(), entries);
      base = theirs.Items();
      merged.SetItems(all.Items());
    }
    buffers.push_back(std::move(change.loaded.buffer));
  }
  for (CByteBuffer& buffer : buffers) master.Texts()->Adopt(std::move(buffer));
  master.SetItems(merged.Items());
  m_bases = std::move(bases);
}

void CFileEntries::Saved(CMasterList& master, const CEntrySequence& written,
                         CSaveResult&& result) {
  if (result.retired != 0) m_bases[result.retired] = m_bases[0];
  m_bases[0] = written;
  for (COutsideChange& change : result.appended) {
    if (change.source == 0) {
      AddAppended(master, change, {0});
    } else {
      AddAppended(master, change, {0, change.source});
    }
  }
}

void CFileEntries::Keep(const std::vector<unsigned>& watched) {
  std::erase_if(m_bases, [&](const auto& entry) {
    return entry.first != 0 &&
           std::find(watched.begin(), watched.end(), entry.first) == watched.end();
  });
}

}  // namespace velunar

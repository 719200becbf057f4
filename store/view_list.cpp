#include "store/view_list.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "store/master_list.h"
#include "store/query_scan.h"
#include "store/text_rules.h"

namespace velunar {

CViewList::CViewList(std::shared_ptr<CTextPool> texts) : m_pTexts(std::move(texts)) {}

int CViewList::InsertPosition(std::string_view text) const { return m_items.UpperBound(text); }

int CViewList::AddString(std::string_view text) {
  int at = m_items.UpperBound(text);
  m_items.Insert(at, m_pTexts->Keep(text));
  if (m_nCurSel >= at) ++m_nCurSel;
  return at;
}

int CViewList::DeleteString(int i) {
  if (i < 0 || i >= GetCount()) return -1;
  m_items.Erase(i);
  if (m_nCurSel == i) {
    m_nCurSel = -1;
  } else if (m_nCurSel > i) {
    --m_nCurSel;
  }
  return GetCount();
}

void CViewList::ResetContent() {
  m_items.Clear();
  m_nCurSel = -1;
}

bool CViewList::GetText(int i, std::string& target) const {
  if (i < 0 || i >= GetCount()) return false;
  target.assign(m_items.At(i));
  return true;
}

int CViewList::SetCurSel(int i) {
  m_nCurSel = (i >= 0 && i < GetCount()) ? i : -1;
  return m_nCurSel;
}

int CViewList::FindString(int start, std::string_view prefix) const {
  auto [first, last] = m_items.PrefixRange(prefix);
  if (first == last) return -1;
  // The matching items are one run [first, last) in list order, so the first
  // match in the order start+1, ..., last, 0, ..., start is the run's first
  // index after start, or the run's start when the run ends before that.
  if (start < 0 || start >= GetCount()) return first;
  if (last > start + 1) return std::max(first, start + 1);
  return first;
}

int CViewList::FindEqual(int start, std::string_view text) const {
  // Exactly equal items sort together, inside the group of text's folded form.
  int first = -1;
  int afterStart = -1;
  for (int i = m_items.LowerBound(text); i < GetCount(); ++i) {
    std::string_view item = m_items.At(i);
    if (CompareListOrder(item, text) != 0) break;
    if (!IsEqual(item, text)) continue;
    if (first < 0) first = i;
    if (i > start && start >= 0 && start < GetCount()) {
      afterStart = i;
      break;
    }
  }
  return afterStart >= 0 ? afterStart : first;
}

void CViewList::Refill(const CMasterList& master) {
  m_items = master.Items();
  m_nCurSel = -1;
}

bool CViewList::IsRefillOf(const CMasterList& master) const {
  return m_items.SharesWith(master.Items());
}

void CViewList::FillMatching(const CMasterList& master, const CQueryMatcher& matcher) {
  std::vector<std::string_view> matches;
  const std::vector<std::vector<char>>& buffers = master.Texts()->Buffers();
  if (matcher.Query().empty() || buffers.empty()) {
    master.Items().ForEach([&](std::string_view item) {
      if (matcher.Matches(item)) matches.push_back(item);
    });
  } else {
    // The loaded texts lie in file order, the items in list order: asking
    // each item in turn would wait for memory at nearly every one. So the
    // buffers are searched front to back first, marking where the query
    // starts, and the items then only look at the marks. Texts typed since
    // the load lie elsewhere and are searched one by one.
    const CQueryScan scan(matcher.Query());
    const std::size_t m = scan.QuerySize();
    std::vector<std::vector<std::uint64_t>> marks(buffers.size());
    for (std::size_t b = 0; b < buffers.size(); ++b) {
      marks[b].assign(buffers[b].size() / 64 + 1, 0);
      scan.Mark(std::string_view(buffers[b].data(), buffers[b].size()), marks[b]);
    }
    std::size_t last = 0;  // the buffer of the last item found in one
    auto inBuffer = [&](const char* p, std::size_t b) {
      const std::vector<char>& buffer = buffers[b];
      return !buffer.empty() && std::less_equal<>()(buffer.data(), p) &&
             std::less<>()(p, buffer.data() + buffer.size());
    };
    master.Items().ForEach([&](std::string_view item) {
      if (item.size() < m) return;
      std::size_t b = last;
      if (!inBuffer(item.data(), b)) {
        for (b = 0; b < buffers.size() && !inBuffer(item.data(), b); ++b) {
        }
      }
      if (b == buffers.size()) {
        if (matcher.Matches(item)) matches.push_back(item);
        return;
      }
      last = b;
      const auto first = static_cast<std::size_t>(item.data() - buffers[b].data());
      if (AnyMarkIn(marks[b], first, first + item.size() - m)) matches.push_back(item);
    });
  }
  // The master list is in list order already, and so is every part of it.
  CEntrySequence items = CEntrySequence::FromSorted(matches);
  m_items = std::move(items);
  m_nCurSel = -1;
}

}  // namespace velunar

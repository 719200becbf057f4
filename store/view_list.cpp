#include "store/view_list.h"

#include <algorithm>

#include "store/master_list.h"
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
  master.Items().ForEachRun([&](const std::vector<std::string_view>& run) {
    // The texts lie scattered in memory (in file order, the items in list
    // order): ask for the next ones early so that the search is not left
    // waiting for each.
    constexpr std::size_t kAhead = 8;
    for (std::size_t i = 0; i < run.size(); ++i) {
      if (i + kAhead < run.size()) __builtin_prefetch(run[i + kAhead].data());
      if (matcher.Matches(run[i])) matches.push_back(run[i]);
    }
  });
  // The master list is in list order already, and so is every part of it.
  CEntrySequence items = CEntrySequence::FromSorted(matches);
  m_items = std::move(items);
  m_nCurSel = -1;
}

}  // namespace velunar

#include "store/lists/view_list.h"

#include <algorithm>

#include "store/text/text_rules.h"

namespace velunar {

CViewList::CViewList(std::shared_ptr<CTextPool> texts) : m_pTexts(std::move(texts)) {}

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

void CViewList::SetItems(const CEntrySequence& items) {
  m_items = items;
  m_nCurSel = -1;
}

}  // namespace velunar

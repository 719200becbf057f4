#include "ui/platform/list_box.h"

#include "store/lists/list_exchange.h"
#include "ui/platform/dialog.h"
#include "ui/platform/list_control.h"

namespace velunar {

IListControl::~IListControl() = default;

CListBox::CListBox(std::shared_ptr<CTextPool> texts) : m_view(std::move(texts)) {}

CListBox::~CListBox() = default;

bool CListBox::SubclassDlgItem(int nID, CDialog* pParent) {
  return pParent != nullptr && !m_pControl && Attach(AttachListControl(*pParent, nID, *this));
}

bool CListBox::Attach(std::unique_ptr<IListControl> control) {
  if (control == nullptr || m_pControl) return false;
  m_pControl = std::move(control);
  return true;
}

int CListBox::AddString(std::string_view text) {
  // The list changes first: should it throw, the control has been told
  // nothing. Controls read no row between the change and its end.
  const int i = m_view.AddString(text);
  if (m_pControl) {
    m_pControl->BeginInsert(i);
    m_pControl->EndInsert();
  }
  return i;
}

int CListBox::DeleteString(int i) {
  if (!m_pControl || i < 0 || i >= m_view.GetCount()) return m_view.DeleteString(i);
  // Here the control is told first: while a row is removed it reads the
  // rows around it, which must still be there.
  m_pControl->BeginRemove(i);
  int count = 0;
  try {
    count = m_view.DeleteString(i);
  } catch (...) {
    m_pControl->EndRemove();
    m_pControl->BeginReset();
    m_pControl->EndReset();
    throw;
  }
  m_pControl->EndRemove();
  return count;
}

template <typename Change>
void CListBox::ResetWith(Change change) {
  if (!m_pControl) {
    change();
    return;
  }
  m_pControl->BeginReset();
  try {
    change();
  } catch (...) {
    m_pControl->EndReset();
    throw;
  }
  m_pControl->EndReset();
}

void CListBox::Refill(const CMasterList& master) {
  // Same items: the rows stay, only the selection goes.
  const bool bChanged = RefillView(m_view, master, [this] {
    if (m_pControl) m_pControl->BeginReset();
  });
  if (!m_pControl) return;
  if (bChanged) {
    m_pControl->EndReset();
  } else {
    m_pControl->ShowSelection(false);
  }
}

void CListBox::FillMatching(const CMasterList& master, const CQueryMatcher& matcher) {
  ResetWith([this, &master, &matcher] { velunar::FillMatching(m_view, master, matcher); });
}

int CListBox::SetCurSel(int i) {
  const int selected = m_view.SetCurSel(i);
  if (m_pControl) m_pControl->ShowSelection(selected >= 0);
  return selected;
}

void CListBox::OnUserSelection(int row, bool bNotify) {
  const int before = m_view.GetCurSel();
  m_view.SetCurSel(row);
  if (bNotify && row >= 0 && row != before) Notify();
}

void CListBox::OnUserMoved(int from) {
  const int row = m_view.GetCurSel();
  if (row >= 0 && row != from) Notify();
}

void CListBox::OnUserReselected() {
  if (m_view.GetCurSel() >= 0) Notify();
}

void CListBox::Notify() {
  ++m_nNotified;
  if (m_onSelChange) m_onSelChange();
}

void DDX_Control(CDialog* pDlg, int nIDC, CListBox& rControl) {
  if (!rControl.IsBound()) rControl.SubclassDlgItem(nIDC, pDlg);
}

}  // namespace velunar

#include "ui/list_box.h"

#include <QAbstractListModel>
#include <QItemSelectionModel>
#include <cstddef>

#include "store/text/cp1251.h"
#include "store/lists/list_exchange.h"
#include "ui/platform/dialog.h"

namespace velunar {

// The view list as Qt sees it: rows answered from the CViewList directly.
class CListBox::CModel : public QAbstractListModel {
 public:
  explicit CModel(const CViewList& view) : m_view(view) {}

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : m_view.GetCount();
  }

  // Asked for every row painted, hit or moved to; the base class's checks
  // go through the virtual rowCount and columnCount.
  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override {
    if (parent.isValid() || column != 0 || row < 0 || row >= m_view.GetCount()) return {};
    return createIndex(row, column);
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= m_view.GetCount()) return {};
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
    // A row shows only the beginning of a very long entry: the list cuts
    // wide entries at its edge anyway, and Qt's text layout cannot take a
    // line of millions of characters.
    constexpr std::size_t kMaxRowText = 4096;
    const std::u16string text = DecodeCp1251(m_view.TextAt(index.row()).substr(0, kMaxRowText));
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  }

  // The change notifications are protected in Qt; the list box is the one
  // that knows when they happen.
  using QAbstractListModel::beginInsertRows;
  using QAbstractListModel::beginRemoveRows;
  using QAbstractListModel::beginResetModel;
  using QAbstractListModel::endInsertRows;
  using QAbstractListModel::endRemoveRows;
  using QAbstractListModel::endResetModel;

 private:
  const CViewList& m_view;
};

namespace {

// Marks the program's own changes for as long as it lives.
class CProgramChange {
 public:
  explicit CProgramChange(int& nDepth) : m_nDepth(nDepth) { ++m_nDepth; }
  CProgramChange(const CProgramChange&) = delete;
  CProgramChange& operator=(const CProgramChange&) = delete;
  ~CProgramChange() { --m_nDepth; }

 private:
  int& m_nDepth;
};

// Keeps the view from scrolling to its current item for as long as it
// lives. When the program removes or inserts a row, Qt moves the current item
// and scrolls to it; the program's own selection afterwards (SetCurSel)
// scrolls anyway, so the view scrolls once per command.
class CNoAutoScroll {
 public:
  explicit CNoAutoScroll(QAbstractItemView* pView)
      : m_pView(pView), m_bWas(pView->hasAutoScroll()) {
    m_pView->setAutoScroll(false);
  }
  CNoAutoScroll(const CNoAutoScroll&) = delete;
  CNoAutoScroll& operator=(const CNoAutoScroll&) = delete;
  ~CNoAutoScroll() { m_pView->setAutoScroll(m_bWas); }

 private:
  QAbstractItemView* m_pView;
  bool m_bWas;
};

}  // namespace

CListBox::CListBox(std::shared_ptr<CTextPool> texts)
    : m_view(std::move(texts)), m_pModel(std::make_unique<CModel>(m_view)) {}

CListBox::~CListBox() {
  ++m_nProgramChange;  // whatever the view does now is not the user's
  if (m_pView) {
    m_pView->SetOwner(nullptr);
    m_pView->setModel(nullptr);
  }
}

bool CListBox::Attach(QWidget* pControl) {
  auto* pView = qobject_cast<CListBoxView*>(pControl);
  if (pView == nullptr || m_pView || pView->Owner() != nullptr) return false;
  CProgramChange change(m_nProgramChange);
  m_pView = pView;
  pView->SetOwner(this);
  pView->setModel(m_pModel.get());
  QObject::connect(pView->selectionModel(), &QItemSelectionModel::selectionChanged, m_pModel.get(),
                   [this] { OnViewSelectionChanged(); });
  SyncSelection();
  return true;
}

bool CListBox::SubclassDlgItem(int nID, CDialog* pParent) {
  return pParent != nullptr && Attach(pParent->GetDlgItem(nID));
}

int CListBox::AddString(std::string_view text) {
  // The list changes first: should it throw, the view has been told
  // nothing. Views do not read the model between the change and the signal.
  const int i = m_view.AddString(text);
  if (m_pView) {
    CProgramChange change(m_nProgramChange);
    CNoAutoScroll noScroll(m_pView);
    m_pModel->beginInsertRows(QModelIndex(), i, i);
    m_pModel->endInsertRows();
    SyncSelection();
  }
  return i;
}

int CListBox::DeleteString(int i) {
  if (!m_pView || i < 0 || i >= m_view.GetCount()) return m_view.DeleteString(i);
  // Here the view is told first: while rows are removed it reads the rows
  // around them, which must still be there.
  CProgramChange change(m_nProgramChange);
  CNoAutoScroll noScroll(m_pView);
  m_pModel->beginRemoveRows(QModelIndex(), i, i);
  int count = 0;
  try {
    count = m_view.DeleteString(i);
  } catch (...) {
    m_pModel->endRemoveRows();
    m_pModel->beginResetModel();
    m_pModel->endResetModel();
    SyncSelection();
    throw;
  }
  m_pModel->endRemoveRows();
  // The view picks a neighbour when the selected row goes; the list has no
  // selection then.
  SyncSelection();
  return count;
}

template <typename Change>
void CListBox::ResetWith(Change change) {
  if (!m_pView) {
    change();
    return;
  }
  CProgramChange programChange(m_nProgramChange);
  m_pModel->beginResetModel();
  try {
    change();
  } catch (...) {
    m_pModel->endResetModel();
    SyncSelection();
    throw;
  }
  m_pModel->endResetModel();
  SyncSelection();
}

void CListBox::Refill(const CMasterList& master) {
  CProgramChange change(m_nProgramChange);
  // Same items: the rows stay, only the selection goes.
  const bool bChanged = RefillView(m_view, master, [this] {
    if (m_pView) m_pModel->beginResetModel();
  });
  if (!m_pView) return;
  if (bChanged) m_pModel->endResetModel();
  SyncSelection();
}

void CListBox::FillMatching(const CMasterList& master, const CQueryMatcher& matcher) {
  ResetWith([this, &master, &matcher] { velunar::FillMatching(m_view, master, matcher); });
}

int CListBox::SetCurSel(int i) {
  const int selected = m_view.SetCurSel(i);
  if (m_pView) {
    CProgramChange change(m_nProgramChange);
    SyncSelection();
    if (selected >= 0) m_pView->scrollTo(m_pModel->index(selected, 0));
  }
  return selected;
}

void CListBox::SyncSelection() {
  if (!m_pView) return;
  QItemSelectionModel* pSelection = m_pView->selectionModel();
  const int selected = m_view.GetCurSel();
  if (selected < 0) {
    if (pSelection->hasSelection() || pSelection->currentIndex().isValid()) pSelection->clear();
    return;
  }
  const QModelIndex index = m_pModel->index(selected, 0);
  if (pSelection->currentIndex() != index ||
      pSelection->selectedIndexes() != QModelIndexList{index}) {
    pSelection->setCurrentIndex(index,
                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
}

void CListBox::OnViewSelectionChanged() {
  if (m_nProgramChange > 0) return;
  QItemSelectionModel* pSelection = m_pView->selectionModel();
  const QModelIndexList rows = pSelection->selectedRows();
  if (rows.isEmpty()) {
    // Some road through Qt cleared it: the user cannot, so it comes back.
    CProgramChange change(m_nProgramChange);
    SyncSelection();
    return;
  }
  const int row = rows.first().row();
  const int before = m_view.GetCurSel();
  m_view.SetCurSel(row);
  if (pSelection->currentIndex().row() != row) {
    CProgramChange change(m_nProgramChange);
    pSelection->setCurrentIndex(rows.first(), QItemSelectionModel::NoUpdate);
  }
  if (m_nUserMove > 0) return;  // passed on at the end of the move
  if (row != before && m_onSelChange) {
    ++m_nNotified;
    m_onSelChange();
  }
}

void CListBox::BeginUserMove() {
  if (m_nUserMove++ == 0) m_nMoveFrom = m_view.GetCurSel();
}

void CListBox::EndUserMove() {
  if (--m_nUserMove > 0) return;
  const int row = m_view.GetCurSel();
  if (row >= 0 && row != m_nMoveFrom && m_onSelChange) {
    ++m_nNotified;
    m_onSelChange();
  }
}

void CListBox::OnUserReselected() {
  if (m_view.GetCurSel() < 0 || !m_onSelChange) return;
  ++m_nNotified;
  m_onSelChange();
}

int CListBox::FindTyped(int start, const QString& typed) const {
  std::string prefix;
  prefix.reserve(static_cast<std::size_t>(typed.size()));
  for (const QChar c : typed) {
    const auto b = UnicodeToCp1251(c.unicode());
    if (!b) return -1;  // no item can begin with a character the list cannot hold
    prefix.push_back(static_cast<char>(*b));
  }
  return m_view.FindString(start, prefix);
}

void DDX_Control(CDialog* pDlg, int nIDC, CListBox& rControl) {
  if (rControl.GetView() == nullptr) rControl.SubclassDlgItem(nIDC, pDlg);
}

}  // namespace velunar

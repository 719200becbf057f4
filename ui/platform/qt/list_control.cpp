// The list box control on Qt: a CListBoxView over a model that answers
// each row from the list's CViewList as the view asks for it.
#include <QAbstractListModel>
#include <QItemSelectionModel>
#include <QPointer>
#include <cstddef>
#include <memory>

#include "store/text/cp1251.h"
#include "ui/platform/list_box.h"
#include "ui/platform/list_control.h"
#include "ui/platform/qt/dialog_window.h"
#include "ui/platform/qt/list_box_view.h"
#include "ui/platform/qt/list_control.h"

namespace velunar {

namespace {

// The view list as Qt sees it: rows answered from the CViewList directly.
class CListModel : public QAbstractListModel {
 public:
  explicit CListModel(const CViewList& view) : m_view(view) {}

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

// The control: binds the view to the list, shows the list's selection and
// passes on the user's.
class CQtListControl final : public IListControl, private IListBoxOwner {
 public:
  CQtListControl(CListBoxView* pView, CListBox& list)
      : m_list(list), m_model(list.View()), m_pView(pView) {
    CProgramChange change(m_nProgramChange);
    pView->SetOwner(this);
    pView->setModel(&m_model);
    QObject::connect(pView->selectionModel(), &QItemSelectionModel::selectionChanged, &m_model,
                     [this] { OnViewSelectionChanged(); });
    SyncSelection();
  }
  ~CQtListControl() override {
    ++m_nProgramChange;  // whatever the view does now is not the user's
    if (m_pView) {
      m_pView->SetOwner(nullptr);
      m_pView->setModel(nullptr);
    }
  }

  void BeginInsert(int i) override {
    Begin();
    m_model.beginInsertRows(QModelIndex(), i, i);
  }
  void EndInsert() override {
    m_model.endInsertRows();
    End();
  }
  void BeginRemove(int i) override {
    Begin();
    m_model.beginRemoveRows(QModelIndex(), i, i);
  }
  void EndRemove() override {
    m_model.endRemoveRows();
    // The view picks a neighbour when the selected row goes; the list has
    // no selection then.
    End();
  }
  void BeginReset() override {
    Begin();
    m_model.beginResetModel();
  }
  void EndReset() override {
    m_model.endResetModel();
    End();
  }
  void ShowSelection(bool bScroll) override {
    if (!m_pView) return;
    CProgramChange change(m_nProgramChange);
    SyncSelection();
    const int selected = m_list.GetCurSel();
    if (bScroll && selected >= 0) m_pView->scrollTo(m_model.index(selected, 0));
  }

 private:
  // A change of rows is the program's, and does not scroll the view: the
  // program's own selection afterwards does, once per command.
  void Begin() {
    ++m_nProgramChange;
    if (m_pView && m_nNoScroll++ == 0) {
      m_bAutoScroll = m_pView->hasAutoScroll();
      m_pView->setAutoScroll(false);
    }
  }
  void End() {
    if (m_pView) {
      SyncSelection();
      if (--m_nNoScroll == 0) m_pView->setAutoScroll(m_bAutoScroll);
    }
    --m_nProgramChange;
  }

  // Makes the view's current item and selection agree with GetCurSel().
  void SyncSelection() {
    if (!m_pView) return;
    QItemSelectionModel* pSelection = m_pView->selectionModel();
    const int selected = m_list.GetCurSel();
    if (selected < 0) {
      if (pSelection->hasSelection() || pSelection->currentIndex().isValid()) pSelection->clear();
      return;
    }
    const QModelIndex index = m_model.index(selected, 0);
    if (pSelection->currentIndex() != index ||
        pSelection->selectedIndexes() != QModelIndexList{index}) {
      pSelection->setCurrentIndex(index,
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
  }

  void OnViewSelectionChanged() {
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
    if (pSelection->currentIndex().row() != row) {
      CProgramChange change(m_nProgramChange);
      pSelection->setCurrentIndex(rows.first(), QItemSelectionModel::NoUpdate);
    }
    // During a key the move is passed on once, at its end.
    m_list.OnUserSelection(row, m_nUserMove == 0);
  }

  // What the view asks of its list (list_box_view.h).
  int NotificationCount() const override { return m_list.NotificationCount(); }
  void OnUserReselected() override { m_list.OnUserReselected(); }
  int FindTyped(int start, const QString& typed) const override {
    std::string prefix;
    prefix.reserve(static_cast<std::size_t>(typed.size()));
    for (const QChar c : typed) {
      const auto b = UnicodeToCp1251(c.unicode());
      if (!b) return -1;  // no item can begin with a character the list cannot hold
      prefix.push_back(static_cast<char>(*b));
    }
    return m_list.FindString(start, prefix);
  }
  void BeginUserMove() override {
    if (m_nUserMove++ == 0) m_nMoveFrom = m_list.GetCurSel();
  }
  void EndUserMove() override {
    if (--m_nUserMove > 0) return;
    m_list.OnUserMoved(m_nMoveFrom);
  }

  CListBox& m_list;
  CListModel m_model;
  QPointer<CListBoxView> m_pView;
  // Above zero while the program changes the list: the view's selection
  // signals are then the program's own and notify nobody.
  int m_nProgramChange = 0;
  int m_nNoScroll = 0;
  bool m_bAutoScroll = true;
  // Above zero while a key of the user's is handled: its selections are
  // passed on once, at the end, as one move from m_nMoveFrom.
  int m_nUserMove = 0;
  int m_nMoveFrom = -1;
};

}  // namespace

std::unique_ptr<IListControl> MakeListControl(QWidget* pControl, CListBox& list) {
  auto* pView = qobject_cast<CListBoxView*>(pControl);
  if (pView == nullptr || pView->Owner() != nullptr) return nullptr;
  return std::make_unique<CQtListControl>(pView, list);
}

std::unique_ptr<IListControl> AttachListControl(CDialog& dlg, int nID, CListBox& list) {
  return MakeListControl(dlg.Window().GetDlgItem(nID), list);
}

}  // namespace velunar

// The candidate list views of the window on their own, over a plain model
// of as many rows as the window's benchmarks load: one row inserted in the
// middle and removed again, each followed by the events that bring the
// view up to date (until its scroll bar covers the rows again). Qt only;
// linked into window_bench, which starts the application object.
//
//   ViewEdit/0   QListView, items of one size (what the window had)
//   ViewEdit/1   the same, laid out in batches (QListView::Batched)
//   ViewEdit/2   a one-column QTableView with rows of fixed height
//   ViewEdit/3   CListBoxView, the window's list
#include <benchmark/benchmark.h>

#include <QAbstractListModel>
#include <QApplication>
#include <QHeaderView>
#include <QListView>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <memory>

#include "ui/platform/qt/list_box_view.h"

namespace velunar {
namespace {

// Rows "row N", as many as asked for.
class CCountingModel : public QAbstractListModel {
 public:
  explicit CCountingModel(int count) : m_count(count) {}
  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : m_count; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return QStringLiteral("row %1").arg(index.row());
  }
  void Insert(int row) {
    beginInsertRows(QModelIndex(), row, row);
    ++m_count;
    endInsertRows();
  }
  void Remove(int row) {
    beginRemoveRows(QModelIndex(), row, row);
    --m_count;
    endRemoveRows();
  }

 private:
  int m_count;
};

std::unique_ptr<QAbstractItemView> MakeView(int kind) {
  switch (kind) {
    case 0:
    case 1: {
      auto view = std::make_unique<QListView>();
      view->setUniformItemSizes(true);
      if (kind == 1) view->setLayoutMode(QListView::Batched);
      return view;
    }
    case 2: {
      auto view = std::make_unique<QTableView>();
      view->horizontalHeader()->hide();
      view->horizontalHeader()->setStretchLastSection(true);
      view->verticalHeader()->hide();
      view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
      view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 2);
      view->setShowGrid(false);
      return view;
    }
    default:
      return std::make_unique<CListBoxView>();
  }
}

// Runs events until the view's scroll bar reaches `maximum`, or, for
// maximum < 0, until it covers all but a page of `count` rows.
bool Settle(QAbstractItemView& view, int maximum, int count) {
  const QScrollBar* pBar = view.verticalScrollBar();
  for (int pass = 0; pass < 10'000'000; ++pass) {
    QCoreApplication::processEvents();
    if (maximum >= 0 ? pBar->maximum() == maximum : pBar->maximum() > count - 200) return true;
  }
  return false;
}

void BM_ViewEdit(benchmark::State& state) {
  const int count = static_cast<int>(state.range(1));
  CCountingModel model(count);
  std::unique_ptr<QAbstractItemView> view = MakeView(static_cast<int>(state.range(0)));
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  view->setModel(&model);
  view->resize(400, 500);
  view->show();
  (void)QTest::qWaitForWindowExposed(view.get());
  view->setCurrentIndex(model.index(count / 2 + 10, 0));
  if (!Settle(*view, -1, count)) {
    state.SkipWithError("the view never laid out its rows");
    return;
  }
  const int maximum = view->verticalScrollBar()->maximum();
  for (auto _ : state) {
    model.Insert(count / 2);
    bool bSettled = Settle(*view, maximum + 1, count);
    model.Remove(count / 2);
    bSettled = Settle(*view, maximum, count) && bSettled;
    if (!bSettled) {
      state.SkipWithError("the view lost its rows");
      break;
    }
  }
}

BENCHMARK(BM_ViewEdit)
    ->ArgsProduct({{0, 1, 2, 3}, {100'000, 1'000'000}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace velunar

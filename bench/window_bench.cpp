// The commands of the real main window, on Qt's offscreen platform, with a
// generated phone book of 100k and 1M entries loaded: each figure is one
// command through the window's dispatch, plus the event processing that
// brings the list on screen up to date.
//
//   Add, Change, Delete   one entry, in the "all" view and after a Find
//   Select                the user moves the selection one item down
//   Find, ShowAll         one search over every entry; every entry again
//   Save                  every entry written, synced and renamed into place
//
// Beside them, the candidate list views on their own, over a plain model of
// as many rows: one row inserted in the middle and removed again, each
// followed by the events that bring the view up to date (until its scroll
// bar covers the rows again):
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
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/scratch_dir.h"
#include "store/text/cp1251.h"
#include "ui/platform/list_box.h"
#include "ui/platform/message_boxes.h"
#include "ui/platform/qt/dialog_window.h"
#include "ui/platform/qt/entry_edit.h"
#include "ui/platform/qt/list_box_view.h"
#include "ui/platform/win_defs.h"
#include "ui/resource_ids.h"
#include "ui/velunar_dlg.h"

namespace velunar {
namespace {

namespace fs = std::filesystem;

class CNoBoxes : public IMessageBoxes {
 public:
  int Show(CDialog*, const std::string&, const std::string&, unsigned) override { return IDOK; }
};

// A window over a fresh copy of the phone book of `count` entries, in a
// directory of its own.
struct CWindowFixture {
  explicit CWindowFixture(int count) {
    dir = bench::EntryFileDir("window-" + std::to_string(count), count);
    previous = fs::current_path();
    fs::current_path(dir);
    dlg = std::make_unique<CVelunarDlg>();
    dlg->SetMessageBoxes(&boxes);
    dlg->Create();
    dlg->Window().show();
    (void)QTest::qWaitForWindowExposed(&dlg->Window());
    edit = static_cast<CEntryEdit*>(dlg->Window().GetDlgItem(IDC_ENTRY_EDIT));
    list = static_cast<QListView*>(dlg->Window().GetDlgItem(IDC_ENTRY_LIST));
  }
  ~CWindowFixture() {
    dlg.reset();
    fs::current_path(previous);
    fs::remove_all(dir);
  }
  void SetField(const std::string& cp1251) {
    std::u16string text = DecodeCp1251(cp1251);
    edit->SetEntryText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
  }
  void Run(int nID) {
    dlg->OnCommand(nID, BN_CLICKED);
    QCoreApplication::processEvents();
  }

  CNoBoxes boxes;
  fs::path dir;
  fs::path previous;
  std::unique_ptr<CVelunarDlg> dlg;
  CEntryEdit* edit = nullptr;
  QListView* list = nullptr;
};

// "петр" in Windows-1251.
const std::string kQuery = "\xEF\xE5\xF2\xF0";

void Filter(CWindowFixture& w, bool filtered) {
  if (!filtered) return;
  // A Find that matches nothing leaves every entry shown in the filtered
  // view: the commands then take their filtered path over all entries.
  w.SetField("\xFF\xFF\xFF");
  w.Run(IDC_FIND);
}

template <bool kFiltered>
void BM_Add(benchmark::State& state) {
  CWindowFixture w(static_cast<int>(state.range(0)));
  Filter(w, kFiltered);
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    w.SetField("\xCD\xEE\xE2\xE0\xFF " + std::to_string(n++));
    state.ResumeTiming();
    w.Run(IDOK);
  }
}

template <bool kFiltered>
void BM_Change(benchmark::State& state) {
  CWindowFixture w(static_cast<int>(state.range(0)));
  Filter(w, kFiltered);
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    w.SetField("\xC8\xE7\xEC\xE5\xED\xE0 " + std::to_string(n++));
    state.ResumeTiming();
    w.Run(IDC_CHANGE);
  }
}

template <bool kFiltered>
void BM_Delete(benchmark::State& state) {
  CWindowFixture w(static_cast<int>(state.range(0)));
  Filter(w, kFiltered);
  std::string item;
  int step = 0;
  for (auto _ : state) {
    state.PauseTiming();
    w.dlg->ListBox().GetText((step++ * 7919) % w.dlg->ListBox().GetCount(), item);
    w.SetField(item);
    state.ResumeTiming();
    w.Run(IDC_DELETE);
  }
}

void BM_Select(benchmark::State& state) {
  CWindowFixture w(static_cast<int>(state.range(0)));
  w.list->setFocus();
  for (auto _ : state) {
    QTest::keyClick(w.list, Qt::Key_Down);
    QCoreApplication::processEvents();
  }
}

void BM_Find(benchmark::State& state) {
  CWindowFixture w(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    w.SetField(kQuery);
    state.ResumeTiming();
    w.Run(IDC_FIND);
  }
}

void BM_ShowAll(benchmark::State& state) {
  CWindowFixture w(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    w.SetField(kQuery);
    w.Run(IDC_FIND);
    state.ResumeTiming();
    w.Run(IDC_SHOW_ALL);
  }
}

void BM_Save(benchmark::State& state) {
  CWindowFixture w(static_cast<int>(state.range(0)));
  for (auto _ : state) w.Run(IDC_SAVE);
}

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

void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_Add<false>)->Name("BM_Add/all")->Apply(Sizes);
BENCHMARK(BM_Add<true>)->Name("BM_Add/filtered")->Apply(Sizes);
BENCHMARK(BM_Change<false>)->Name("BM_Change/all")->Apply(Sizes);
BENCHMARK(BM_Change<true>)->Name("BM_Change/filtered")->Apply(Sizes);
BENCHMARK(BM_Delete<false>)->Name("BM_Delete/all")->Apply(Sizes);
BENCHMARK(BM_Delete<true>)->Name("BM_Delete/filtered")->Apply(Sizes);
BENCHMARK(BM_Select)->Apply(Sizes);
BENCHMARK(BM_Find)->Apply(Sizes);
BENCHMARK(BM_ShowAll)->Apply(Sizes);
BENCHMARK(BM_Save)->Apply(Sizes);
BENCHMARK(BM_ViewEdit)
    ->ArgsProduct({{0, 1, 2, 3}, {100'000, 1'000'000}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace velunar

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

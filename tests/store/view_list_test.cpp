// The view list and the master list against a literal reference.
//
// The reference keeps the master list as a plain array in true arrival
// order and the view list as a plain array into which each text is inserted
// by a linear scan; refill, rebuild and find-prefix are the slow loops they
// are described as. The store keeps the master list in list order and shares
// sequences between the lists. Driven side by side through the editing and
// view commands, both must always show the same view, the same selection,
// and master lists that fill the view identically.
#include "store/view_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "store/cp1251.h"
#include "store/entry_format.h"
#include "store/master_list.h"
#include "store/text_rules.h"

namespace velunar {
namespace {

std::string Cp(std::u16string_view text) { return EncodeCp1251(text).value(); }

// ---------------------------------------------------------------------------
// The reference: arrays and loops, nothing shared, nothing clever.
class CReferenceLists {
 public:
  std::vector<std::string> master;
  std::vector<std::string> view;
  int sel = -1;

  int ViewAdd(const std::string& text) {
    std::size_t i = 0;
    while (i < view.size() && CompareListOrder(view[i], text) <= 0) ++i;
    view.insert(view.begin() + static_cast<std::ptrdiff_t>(i), text);
    if (sel >= static_cast<int>(i)) ++sel;
    return static_cast<int>(i);
  }
  void ViewDelete(int i) {
    if (i < 0 || i >= ViewCount()) return;
    view.erase(view.begin() + i);
    if (sel == i) {
      sel = -1;
    } else if (sel > i) {
      --sel;
    }
  }
  int ViewCount() const { return static_cast<int>(view.size()); }
  void ViewText(int i, std::string& target) const {
    if (i >= 0 && i < ViewCount()) target = view[static_cast<std::size_t>(i)];
  }
  void ViewSelect(int i) { sel = (i >= 0 && i < ViewCount()) ? i : -1; }
  int ViewFind(int start, const std::string& prefix) const {
    int n = ViewCount();
    if (n == 0) return -1;
    std::vector<int> order;
    for (int i = start + 1; i < n; ++i) order.push_back(i);
    for (int i = 0; i <= start && i < n; ++i) order.push_back(i);
    const std::string folded = FoldedCopy(prefix);
    for (int i : order) {
      const std::string& item = view[static_cast<std::size_t>(i)];
      if (item.size() >= prefix.size() && FoldedCopy(item.substr(0, prefix.size())) == folded)
        return i;
    }
    return -1;
  }
  void ViewReset() {
    view.clear();
    sel = -1;
  }
  void Refill() {
    ViewReset();
    for (const std::string& entry : master) ViewAdd(entry);
  }
  void Rebuild() { master = view; }
  void MasterAppend(const std::string& text) { master.push_back(text); }
  void MasterRemoveFirstEqual(const std::string& text) {
    for (std::size_t i = 0; i < master.size(); ++i) {
      if (master[i] == text) {
        master.erase(master.begin() + static_cast<std::ptrdiff_t>(i));
        return;
      }
    }
  }
  bool MasterContains(const std::string& text) const {
    return std::find(master.begin(), master.end(), text) != master.end();
  }
  void FindFill(const std::string& query) {
    ViewReset();
    for (const std::string& entry : master) {
      if (QueryMatches(entry, query)) ViewAdd(entry);
    }
  }
  void AddAll() {
    for (const std::string& entry : master) ViewAdd(entry);
  }
};

// The store, behind the same operation names.
class CStoreLists {
 public:
  std::shared_ptr<CTextPool> texts = std::make_shared<CTextPool>();
  CViewList viewList{texts};
  CMasterList masterList{texts};

  int ViewAdd(const std::string& text) { return viewList.AddString(text); }
  void ViewDelete(int i) { viewList.DeleteString(i); }
  int ViewCount() const { return viewList.GetCount(); }
  void ViewText(int i, std::string& target) const { viewList.GetText(i, target); }
  void ViewSelect(int i) { viewList.SetCurSel(i); }
  int ViewFind(int start, const std::string& prefix) const {
    return viewList.FindString(start, prefix);
  }
  void ViewReset() { viewList.ResetContent(); }
  void Refill() { viewList.Refill(masterList); }
  void Rebuild() { masterList.RebuildFrom(viewList); }
  void MasterAppend(const std::string& text) { masterList.Add(text); }
  void MasterRemoveFirstEqual(const std::string& text) { masterList.RemoveFirstEqual(text); }
  bool MasterContains(const std::string& text) const { return masterList.ContainsEqual(text); }
  void FindFill(const std::string& query) {
    viewList.FillMatching(masterList, CQueryMatcher(query));
  }
  void AddAll() {
    masterList.Items().ForEach([&](std::string_view entry) { viewList.AddString(entry); });
  }
};

// The command steps, written once and run on both, as the window runs them
// (without the entry field's status-text tests, which are not list work).
template <class L>
struct CSession {
  L lists;
  bool filtered = false;
  int curIndex = 0;

  void Add(const std::string& text) {
    if (!filtered) lists.Refill();
    if (lists.MasterContains(text)) {
      lists.ViewSelect(curIndex);
      return;
    }
    lists.ViewAdd(text);
    lists.MasterAppend(text);
    curIndex = lists.ViewFind(0, text);
    lists.ViewSelect(curIndex);
    if (!filtered) lists.Rebuild();
  }
  void Change(const std::string& text) {
    if (!filtered) lists.Refill();
    if (filtered && curIndex >= 0 && curIndex < lists.ViewCount()) {
      std::string item;
      lists.ViewText(curIndex, item);
      lists.MasterRemoveFirstEqual(item);
    }
    lists.ViewDelete(curIndex);
    lists.ViewAdd(text);
    if (filtered) lists.MasterAppend(text);
    curIndex = lists.ViewFind(0, text);
    lists.ViewSelect(curIndex);
    if (!filtered) lists.Rebuild();
  }
  void Delete(const std::string& text) {
    if (!filtered) lists.Refill();
    curIndex = lists.ViewFind(0, text);
    if (curIndex < 0) {
      curIndex = 0;
      return;
    }
    std::string item;
    lists.ViewText(curIndex, item);
    lists.MasterRemoveFirstEqual(item);
    lists.ViewDelete(curIndex);
    if (lists.ViewCount() == 0) {
      filtered = false;
      lists.Refill();
      if (lists.ViewCount() == 0) return;
    }
    if (curIndex == lists.ViewCount()) --curIndex;
    if (curIndex < 0) curIndex = 0;
    lists.ViewSelect(curIndex);
    if (!filtered) lists.Rebuild();
  }
  void Find(const std::string& query) {
    filtered = true;
    lists.FindFill(query);
    curIndex = 0;
    if (lists.ViewCount() == 0) lists.AddAll();
  }
  void ShowAll() {
    filtered = false;
    lists.Refill();
    curIndex = 0;
  }
};

std::vector<std::string> StoreView(const CViewList& view) {
  std::vector<std::string> items;
  view.Items().ForEach([&](std::string_view item) { items.emplace_back(item); });
  return items;
}

std::vector<std::string> StoreMaster(const CMasterList& master) {
  std::vector<std::string> items;
  master.Items().ForEach([&](std::string_view item) { items.emplace_back(item); });
  return items;
}

// What a refill of the reference master list would show: its stable sort.
std::vector<std::string> StableSorted(std::vector<std::string> items) {
  std::stable_sort(items.begin(), items.end(), [](const std::string& a, const std::string& b) {
    return CompareListOrder(a, b) < 0;
  });
  return items;
}

TEST(ViewList, CommandsAgreeWithTheLiteralReference) {
  // Case variants, exactly equal texts, shared prefixes, е/ё.
  const std::vector<std::string> texts = {
      Cp(u"Анна"),
      Cp(u"анна"),
      Cp(u"Анна Петрова"),
      Cp(u"АННА ПЕТРОВА"),
      Cp(u"Борис"),
      Cp(u"борис"),
      Cp(u"Ёлкин"),
      Cp(u"Елкин"),
      Cp(u"Иван Петров"),
      Cp(u"иван"),
      "A",
      "a",
      "ab",
      "1",
      " x",
  };
  const std::vector<std::string> queries = {Cp(u"ан"), Cp(u"ПЕТР"), Cp(u"ё"), Cp(u"е"),
                                            "a",       "zz",        ""};
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    CSession<CReferenceLists> ref;
    CSession<CStoreLists> store;
    auto pick = [&](const std::vector<std::string>& from) { return from[rng() % from.size()]; };
    for (int step = 0; step < 400; ++step) {
      int op = static_cast<int>(rng() % 10);
      std::string text = pick(texts);
      switch (op) {
        case 0:
        case 1:
        case 2:
          ref.Add(text), store.Add(text);
          break;
        case 3:
          ref.Change(text), store.Change(text);
          break;
        case 4:
        case 5:
          ref.Delete(text), store.Delete(text);
          break;
        case 6: {
          std::string query = pick(queries);
          ref.Find(query), store.Find(query);
          break;
        }
        case 7:
          ref.ShowAll(), store.ShowAll();
          break;
        default: {
          // The user selects an item; the command reads it back.
          int i = static_cast<int>(rng() % (ref.lists.view.size() + 2)) - 1;
          ref.lists.ViewSelect(i), store.lists.ViewSelect(i);
          ref.curIndex = ref.lists.sel;
          store.curIndex = store.lists.viewList.GetCurSel();
          break;
        }
      }
      SCOPED_TRACE("step " + std::to_string(step) + " op " + std::to_string(op));
      ASSERT_EQ(StoreView(store.lists.viewList), ref.lists.view);
      ASSERT_EQ(store.lists.viewList.GetCurSel(), ref.lists.sel);
      ASSERT_EQ(store.curIndex, ref.curIndex);
      ASSERT_EQ(store.filtered, ref.filtered);
      ASSERT_EQ(StoreMaster(store.lists.masterList), StableSorted(ref.lists.master));
      // Find-prefix from every start index, for a couple of prefixes.
      for (const std::string& prefix : {Cp(u"анна"), std::string("A")}) {
        for (int s = -1; s <= ref.lists.ViewCount(); ++s) {
          ASSERT_EQ(store.lists.ViewFind(s, prefix),
                    ref.lists.ViewFind(s < 0 || s >= ref.lists.ViewCount() ? -1 : s, prefix))
              << "start " << s;
        }
      }
    }
  }
}

TEST(ViewList, AnnaBesideAnnaPetrova) {
  // "Анна" sorts before "Анна Петрова"; find-prefix from 0 looks at item 1
  // first, so it finds the longer entry.
  CStoreLists lists;
  lists.ViewAdd(Cp(u"Анна Петрова"));
  EXPECT_EQ(lists.ViewAdd(Cp(u"Анна")), 0);
  EXPECT_EQ(lists.ViewFind(0, Cp(u"анна")), 1);
  CStoreLists single;
  single.ViewAdd(Cp(u"Анна"));
  EXPECT_EQ(single.ViewFind(0, Cp(u"анна")), 0);
  CStoreLists other;
  other.ViewAdd(Cp(u"Борис"));
  EXPECT_EQ(other.ViewFind(0, Cp(u"анна")), -1);
  CStoreLists empty;
  EXPECT_EQ(empty.ViewFind(0, Cp(u"анна")), -1);
}

TEST(ViewList, ItemTextLeavesTargetForIndexNamingNoItem) {
  CStoreLists lists;
  lists.ViewAdd("b");
  lists.ViewAdd("a");
  std::string target = "before";
  EXPECT_FALSE(lists.viewList.GetText(-1, target));
  EXPECT_FALSE(lists.viewList.GetText(2, target));
  EXPECT_EQ(target, "before");
  EXPECT_TRUE(lists.viewList.GetText(1, target));
  EXPECT_EQ(target, "b");
}

TEST(ViewList, SelectionFollowsItsItemAndIsNeverInvalid) {
  CStoreLists lists;
  for (const char* t : {"b", "d", "f"}) lists.ViewAdd(t);
  EXPECT_EQ(lists.viewList.SetCurSel(1), 1);  // "d"
  lists.ViewAdd("a");                         // before it
  EXPECT_EQ(lists.viewList.GetCurSel(), 2);
  lists.ViewDelete(0);
  EXPECT_EQ(lists.viewList.GetCurSel(), 1);
  lists.ViewDelete(1);  // the selected item goes
  EXPECT_EQ(lists.viewList.GetCurSel(), -1);
  EXPECT_EQ(lists.viewList.SetCurSel(5), -1);  // names no item
  EXPECT_EQ(lists.viewList.DeleteString(7), -1);
  EXPECT_EQ(lists.ViewCount(), 2);
}

TEST(ViewList, RebuildKeepsCaseVariantsAndRefillIsShared) {
  CStoreLists lists;
  lists.MasterAppend(Cp(u"иван"));
  lists.MasterAppend(Cp(u"Иван"));
  lists.Refill();
  EXPECT_TRUE(lists.viewList.IsRefillOf(lists.masterList));
  lists.ViewAdd("x");
  EXPECT_FALSE(lists.viewList.IsRefillOf(lists.masterList));
  lists.Rebuild();
  EXPECT_EQ(StoreMaster(lists.masterList),
            (std::vector<std::string>{"x", Cp(u"иван"), Cp(u"Иван")}));
}

// Find over a loaded file and texts typed since: the entries of the file are
// searched in the file's bytes, the typed ones one by one, and the result
// is what asking each entry gives, in list order.
TEST(ViewList, FindCoversLoadedAndTypedTexts) {
  const std::vector<std::string> queries = {Cp(u"петр"), Cp(u"ПЕТР"), Cp(u"ё"), "\r",
                                            "a",         Cp(u"в П"),  "zz"};
  for (unsigned seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const std::vector<std::string> words = {Cp(u"Иван"), Cp(u"Петров"), Cp(u"петр"), Cp(u"Ёлкин"),
                                            "a",         "\r",          " ",         "A1"};
    // A file with CR LF and LF line ends, a lone CR, an empty line and a
    // tail after it that holds the queries too.
    std::string bytes;
    std::vector<std::string> loaded;
    for (int i = 0; i < 300; ++i) {
      std::string line;
      for (int k = 0, n = 1 + static_cast<int>(rng() % 4); k < n; ++k)
        line += words[rng() % words.size()];
      if (line == "\r") line = "x";
      loaded.push_back(line);
      bytes += line + (rng() % 2 ? "\r\n" : "\n");
    }
    bytes += "\r\n" + Cp(u"Петров петр") + "\r\n";
    const CParsedEntries parsed = ParseEntries(bytes);
    ASSERT_EQ(parsed.entries.size(), loaded.size());
    std::vector<char> buffer(bytes.begin(), bytes.end());
    std::vector<std::string_view> entries;
    for (std::string_view e : parsed.entries)
      entries.emplace_back(buffer.data() + (e.data() - bytes.data()), e.size());

    CStoreLists lists;
    lists.masterList.AddLoaded(std::move(buffer), entries);
    for (int i = 0; i < 20; ++i) lists.MasterAppend(words[rng() % words.size()] + Cp(u" петр"));
    for (const std::string& query : queries) {
      SCOPED_TRACE(query);
      std::vector<std::string> want;
      lists.masterList.Items().ForEach([&](std::string_view item) {
        if (QueryMatches(item, query)) want.emplace_back(item);
      });
      lists.FindFill(query);
      std::vector<std::string> got;
      for (int i = 0; i < lists.ViewCount(); ++i) {
        std::string item;
        lists.ViewText(i, item);
        got.push_back(item);
      }
      EXPECT_EQ(got, want);
    }
  }
}

}  // namespace
}  // namespace velunar

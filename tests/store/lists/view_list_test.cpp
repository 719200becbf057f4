// The view list, the master list and what passes between them, against a
// naive model.
//
// The model keeps the master list as a plain array in arrival order and the
// view list as a plain array into which each text is inserted by a linear
// scan; find, refill, Find's fill and rebuild are the slow loops they are
// described as. The store keeps the master list in list order and shares
// sequences between the lists. Random sequences of the lists' own
// operations run on both, and after every step both must hold the same
// items, the same selection, and answer every search alike. The seed is
// printed; VELUNAR_LIST_SEED repeats a run.
#include "store/lists/view_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "store/file/entry_format.h"
#include "store/lists/list_exchange.h"
#include "store/lists/master_list.h"
#include "store/text/text_rules.h"
#include "tests/support/entry_text.h"

namespace velunar {
namespace {

using testing::Cp;

// Arrays and loops, nothing shared, nothing clever.
class CNaiveLists {
 public:
  std::vector<std::string> master;  // in arrival order
  std::vector<std::string> view;
  int sel = -1;
  // Whether the view holds the master list's items from the last refill or
  // rebuild, with no edit on either side since: a refill then keeps them.
  bool bShared = true;

  int ViewCount() const { return static_cast<int>(view.size()); }

  int AddString(const std::string& text) {
    std::size_t i = 0;
    while (i < view.size() && CompareListOrder(view[i], text) <= 0) ++i;
    view.insert(view.begin() + static_cast<std::ptrdiff_t>(i), text);
    if (sel >= static_cast<int>(i)) ++sel;
    bShared = false;
    return static_cast<int>(i);
  }
  int DeleteString(int i) {
    if (i < 0 || i >= ViewCount()) return -1;
    view.erase(view.begin() + i);
    if (sel == i) {
      sel = -1;
    } else if (sel > i) {
      --sel;
    }
    bShared = false;
    return ViewCount();
  }
  int SetCurSel(int i) { return sel = (i >= 0 && i < ViewCount()) ? i : -1; }
  // The indices in the order start+1, ..., last, 0, ..., start.
  std::vector<int> SearchOrder(int start) const {
    if (start < 0 || start >= ViewCount()) start = -1;
    std::vector<int> order;
    for (int i = start + 1; i < ViewCount(); ++i) order.push_back(i);
    for (int i = 0; i <= start; ++i) order.push_back(i);
    return order;
  }
  int FindString(int start, const std::string& prefix) const {
    const std::string folded = FoldedCopy(prefix);
    for (int i : SearchOrder(start)) {
      const std::string& item = view[static_cast<std::size_t>(i)];
      if (item.size() >= prefix.size() && FoldedCopy(item.substr(0, prefix.size())) == folded)
        return i;
    }
    return -1;
  }
  int FindEqual(int start, const std::string& text) const {
    for (int i : SearchOrder(start)) {
      if (view[static_cast<std::size_t>(i)] == text) return i;
    }
    return -1;
  }

  void Add(const std::string& text) {
    master.push_back(text);
    bShared = false;
  }
  bool RemoveFirstEqual(const std::string& text) {
    auto it = std::find(master.begin(), master.end(), text);
    if (it == master.end()) return false;
    master.erase(it);
    bShared = false;
    return true;
  }
  bool ContainsEqual(const std::string& text) const {
    return std::find(master.begin(), master.end(), text) != master.end();
  }
  // What the view receives from the master list: every entry, inserted one
  // by one as AddString does.
  std::vector<std::string> Poured(const std::string* query) const {
    CNaiveLists poured;
    for (const std::string& entry : master) {
      if (query == nullptr || CQueryMatcher(*query).Matches(entry)) poured.AddString(entry);
    }
    return poured.view;
  }
  bool Refill() {
    const bool bChanged = !bShared && !(view.empty() && master.empty());
    view = Poured(nullptr);
    sel = -1;
    bShared = true;
    return bChanged;
  }
  void FillMatching(const std::string& query) {
    view = Poured(&query);
    sel = -1;
    bShared = false;
  }
  void Rebuild() {
    master = view;
    bShared = true;
  }
};

struct CStoreLists {
  std::shared_ptr<CTextPool> texts = std::make_shared<CTextPool>();
  CViewList view{texts};
  CMasterList master{texts};
};

std::vector<std::string> Items(const CEntrySequence& items) {
  std::vector<std::string> out;
  items.ForEach([&](std::string_view item) { out.emplace_back(item); });
  return out;
}

// A loaded file's entries: views into one buffer, as the entry file gives
// them.
struct CLoaded {
  CByteBuffer buffer;
  std::vector<std::string_view> entries;
};

CLoaded Load(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line;
  CLoaded loaded{CByteBuffer(bytes.size() + 1), {}};
  std::memcpy(loaded.buffer.data(), bytes.data(), bytes.size());
  loaded.buffer.SetSize(bytes.size());
  std::size_t at = 0;
  for (const std::string& line : lines) {
    loaded.entries.emplace_back(loaded.buffer.data() + at, line.size());
    at += line.size();
  }
  return loaded;
}

unsigned SeedOfRun() {
  const char* env = std::getenv("VELUNAR_LIST_SEED");
  const unsigned seed = env != nullptr ? static_cast<unsigned>(std::strtoul(env, nullptr, 10))
                                       : std::random_device{}();
  std::printf("seed %u (VELUNAR_LIST_SEED)\n", seed);
  return seed;
}

TEST(Lists, OperationsAgreeWithTheNaiveModel) {
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
  const std::vector<std::string> prefixes = {Cp(u"анна"), "A", Cp(u"Е"), ""};
  const unsigned base = SeedOfRun();
  for (unsigned run = 0; run < 40; ++run) {
    const unsigned seed = base + run;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    auto pick = [&](const std::vector<std::string>& from) { return from[rng() % from.size()]; };
    CNaiveLists naive;
    CStoreLists store;
    // Half the runs start from a loaded file, so that Find meets texts in a
    // buffer as well as texts added one by one.
    if (run % 2 == 0) {
      std::vector<std::string> lines;
      for (int i = 0; i < 30; ++i) lines.push_back(pick(texts));
      CLoaded loaded = Load(lines);
      store.master.AddLoaded(std::move(loaded.buffer), loaded.entries);
      for (const std::string& line : lines) naive.Add(line);
      EXPECT_TRUE(RefillView(store.view, store.master));
      naive.Refill();
    }
    for (int step = 0; step < 300; ++step) {
      const int op = static_cast<int>(rng() % 12);
      const std::string text = pick(texts);
      SCOPED_TRACE("step " + std::to_string(step) + " op " + std::to_string(op));
      switch (op) {
        case 0:
        case 1:
          ASSERT_EQ(store.view.AddString(text), naive.AddString(text));
          break;
        case 2: {
          const int i = static_cast<int>(rng() % (naive.view.size() + 2)) - 1;
          ASSERT_EQ(store.view.DeleteString(i), naive.DeleteString(i));
          break;
        }
        case 3: {
          const int i = static_cast<int>(rng() % (naive.view.size() + 4)) - 2;
          ASSERT_EQ(store.view.SetCurSel(i), naive.SetCurSel(i));
          break;
        }
        case 4:
          store.master.Add(text);
          naive.Add(text);
          break;
        case 5:
          // An item the view has just added goes to the master list as it
          // is, not copied again.
          if (!naive.view.empty()) {
            const int i = static_cast<int>(rng() % naive.view.size());
            store.master.AddKept(store.view.TextAt(i));
            naive.Add(naive.view[static_cast<std::size_t>(i)]);
          }
          break;
        case 6:
          ASSERT_EQ(store.master.RemoveFirstEqual(text), naive.RemoveFirstEqual(text));
          break;
        case 7: {
          int calls = 0;
          const bool bChanged = RefillView(store.view, store.master, [&] {
            // Still the items before the change.
            EXPECT_EQ(Items(store.view.Items()), naive.view);
            ++calls;
          });
          ASSERT_EQ(bChanged, naive.Refill());
          ASSERT_EQ(calls, bChanged ? 1 : 0);
          break;
        }
        case 8: {
          const std::string query = pick(queries);
          FillMatching(store.view, store.master, CQueryMatcher(query));
          naive.FillMatching(query);
          break;
        }
        case 9:
          RebuildMaster(store.master, store.view);
          naive.Rebuild();
          break;
        default:
          if (rng() % 8 == 0) {
            // Entries loaded into a list that holds some already.
            std::vector<std::string> lines = {pick(texts), pick(texts), pick(texts)};
            CLoaded loaded = Load(lines);
            store.master.AddLoaded(std::move(loaded.buffer), loaded.entries);
            for (const std::string& line : lines) naive.Add(line);
          }
          break;
      }
      ASSERT_EQ(Items(store.view.Items()), naive.view);
      ASSERT_EQ(store.view.GetCount(), naive.ViewCount());
      ASSERT_EQ(store.view.GetCurSel(), naive.sel);
      // The master list is held in list order: its arrival order, sorted
      // stably, is what a refill shows.
      ASSERT_EQ(Items(store.master.Items()), naive.Poured(nullptr));
      ASSERT_EQ(store.master.GetSize(), static_cast<int>(naive.master.size()));
      for (const std::string& t : texts)
        ASSERT_EQ(store.master.ContainsEqual(t), naive.ContainsEqual(t)) << t;
      for (int s = -2; s <= naive.ViewCount(); ++s) {
        for (const std::string& prefix : prefixes)
          ASSERT_EQ(store.view.FindString(s, prefix), naive.FindString(s, prefix))
              << "start " << s << " prefix " << prefix;
        for (const std::string& t : {texts[0], texts[2], texts[10], texts[11]})
          ASSERT_EQ(store.view.FindEqual(s, t), naive.FindEqual(s, t))
              << "start " << s << " text " << t;
      }
      std::string target = "before";
      for (int i = -1; i <= naive.ViewCount(); ++i) {
        const bool bNamesItem = i >= 0 && i < naive.ViewCount();
        ASSERT_EQ(store.view.GetText(i, target), bNamesItem);
        if (bNamesItem) {
          ASSERT_EQ(target, naive.view[static_cast<std::size_t>(i)]);
        }
      }
    }
  }
}

TEST(ViewList, FindPrefixBeginsAfterTheStart) {
  // "Анна" sorts before "Анна Петрова"; find-prefix from 0 looks at item 1
  // first, so it finds the longer entry, while the exact search finds the
  // shorter one.
  CStoreLists lists;
  lists.view.AddString(Cp(u"Анна Петрова"));
  EXPECT_EQ(lists.view.AddString(Cp(u"Анна")), 0);
  EXPECT_EQ(lists.view.FindString(0, Cp(u"анна")), 1);
  EXPECT_EQ(lists.view.FindEqual(0, Cp(u"Анна")), 0);
  EXPECT_EQ(lists.view.FindEqual(0, Cp(u"анна")), -1);
  CStoreLists single;
  single.view.AddString(Cp(u"Анна"));
  EXPECT_EQ(single.view.FindString(0, Cp(u"анна")), 0);
  CStoreLists other;
  other.view.AddString(Cp(u"Борис"));
  EXPECT_EQ(other.view.FindString(0, Cp(u"анна")), -1);
  CStoreLists empty;
  EXPECT_EQ(empty.view.FindString(0, Cp(u"анна")), -1);
  EXPECT_EQ(empty.view.FindEqual(0, Cp(u"анна")), -1);
}

TEST(ViewList, ItemTextLeavesTargetForIndexNamingNoItem) {
  CStoreLists lists;
  lists.view.AddString("b");
  lists.view.AddString("a");
  std::string target = "before";
  EXPECT_FALSE(lists.view.GetText(-1, target));
  EXPECT_FALSE(lists.view.GetText(2, target));
  EXPECT_EQ(target, "before");
  EXPECT_TRUE(lists.view.GetText(1, target));
  EXPECT_EQ(target, "b");
}

TEST(ViewList, SelectionFollowsItsItemAndIsNeverInvalid) {
  CStoreLists lists;
  for (const char* t : {"b", "d", "f"}) lists.view.AddString(t);
  EXPECT_EQ(lists.view.SetCurSel(1), 1);  // "d"
  lists.view.AddString("a");              // before it
  EXPECT_EQ(lists.view.GetCurSel(), 2);
  lists.view.DeleteString(0);
  EXPECT_EQ(lists.view.GetCurSel(), 1);
  lists.view.DeleteString(1);  // the selected item goes
  EXPECT_EQ(lists.view.GetCurSel(), -1);
  EXPECT_EQ(lists.view.SetCurSel(5), -1);  // names no item
  EXPECT_EQ(lists.view.DeleteString(7), -1);
  EXPECT_EQ(lists.view.GetCount(), 2);
}

TEST(Lists, RebuildKeepsCaseVariantsAndARefillAfterItChangesNothing) {
  CStoreLists lists;
  lists.master.Add(Cp(u"иван"));
  lists.master.Add(Cp(u"Иван"));
  EXPECT_TRUE(RefillView(lists.view, lists.master));
  lists.view.SetCurSel(0);
  EXPECT_FALSE(RefillView(lists.view, lists.master));
  EXPECT_EQ(lists.view.GetCurSel(), -1);  // only the selection went
  lists.view.AddString("x");
  RebuildMaster(lists.master, lists.view);
  EXPECT_EQ(Items(lists.master.Items()), (std::vector<std::string>{"x", Cp(u"иван"), Cp(u"Иван")}));
  EXPECT_FALSE(RefillView(lists.view, lists.master));
  lists.master.Add("y");
  EXPECT_TRUE(RefillView(lists.view, lists.master));
  EXPECT_EQ(Items(lists.view.Items()),
            (std::vector<std::string>{"x", "y", Cp(u"иван"), Cp(u"Иван")}));
}

// Find over a loaded file and texts typed since: the entries of the file are
// searched in the file's bytes, the typed ones one by one, and the result
// is what asking each entry gives, in list order.
TEST(Lists, FindCoversLoadedAndTypedTexts) {
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
    CByteBuffer buffer(bytes.size());
    std::memcpy(buffer.data(), bytes.data(), bytes.size());
    buffer.SetSize(bytes.size());
    const CParsedEntries parsed = ParseEntries(buffer.View());
    ASSERT_EQ(parsed.entries.size(), loaded.size());

    CStoreLists lists;
    lists.master.AddLoaded(std::move(buffer), parsed.entries);
    for (int i = 0; i < 20; ++i) lists.master.Add(words[rng() % words.size()] + Cp(u" петр"));
    for (const std::string& query : queries) {
      SCOPED_TRACE(query);
      std::vector<std::string> want;
      lists.master.Items().ForEach([&](std::string_view item) {
        if (CQueryMatcher(query).Matches(item)) want.emplace_back(item);
      });
      FillMatching(lists.view, lists.master, CQueryMatcher(query));
      EXPECT_EQ(Items(lists.view.Items()), want);
    }
  }
}

}  // namespace
}  // namespace velunar

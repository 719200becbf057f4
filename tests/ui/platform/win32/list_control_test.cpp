// The list box over the view list on Windows: an owner-data list box that
// holds only the number of rows, and the rule by which selections reach the
// window: the user's do, the program's never.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "store/lists/master_list.h"
#include "store/lists/text_pool.h"
#include "tests/support/entry_text.h"
#include "tests/ui/platform/win32/win32_test_support.h"
#include "ui/platform/list_box.h"
#include "ui/resource_ids.h"

namespace velunar {
namespace {

using testing::Cp;

const std::string kAnna = Cp(u"Анна");
const std::string kBelka = Cp(u"белка");
const std::string kBoris = Cp(u"Борис");
const std::string kBorsch = Cp(u"борщ");
const std::string kVera = Cp(u"Вера");

class ListControlTest : public ::testing::Test {
  // Public: the rows of a table act through them.
 public:
  ListControlTest() : m_pTexts(std::make_shared<CTextPool>()), m_list(m_pTexts) {}

  void SetUp() override {
    ASSERT_TRUE(m_dlg.Create());
    ::ShowWindow(m_dlg.Window().Handle(), SW_SHOW);
    m_hList = m_dlg.Item(IDC_ENTRY_LIST);
    ASSERT_TRUE(m_list.SubclassDlgItem(IDC_ENTRY_LIST, &m_dlg));
    m_list.SetSelChangeHandler([this] { m_notified.push_back(m_list.GetCurSel()); });
    for (const std::string& s : {kVera, kBoris, kAnna, kBorsch, kBelka}) m_list.AddString(s);
    ::SetFocus(m_hList);
  }

  int Count() const { return static_cast<int>(::SendMessageW(m_hList, LB_GETCOUNT, 0, 0)); }
  int Shown() const { return static_cast<int>(::SendMessageW(m_hList, LB_GETCURSEL, 0, 0)); }
  void Click(int row) {
    RECT rc{};
    ::SendMessageW(m_hList, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rc));
    const LPARAM at = MAKELPARAM(rc.left + 5, (rc.top + rc.bottom) / 2);
    ::SendMessageW(m_hList, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(m_hList, WM_LBUTTONUP, 0, at);
  }
  void Key(UINT vk) { ::SendMessageW(m_hList, WM_KEYDOWN, vk, 1); }
  void Type(wchar_t c) { ::SendMessageW(m_hList, WM_CHAR, c, 1); }

  testing::CRecordingDialog m_dlg{IDD_VELUNAR_DIALOG};
  std::shared_ptr<CTextPool> m_pTexts;
  CListBox m_list;
  HWND m_hList = nullptr;
  std::vector<int> m_notified;  // GetCurSel() at each notification
};

TEST_F(ListControlTest, HoldsTheNumberOfRowsAndNoStrings) {
  EXPECT_EQ(Count(), 5);
  EXPECT_GT(::SendMessageW(m_hList, LB_GETITEMHEIGHT, 0, 0), 0);
  m_list.DeleteString(1);
  EXPECT_EQ(Count(), 4);
  CMasterList master(m_pTexts);
  for (int i = 0; i < 1000; ++i) master.AddKept(m_list.View().TextAt(i % 4));
  m_list.Refill(master);
  EXPECT_EQ(Count(), 1000);
  // The scroll bar is there once the rows do not fit.
  EXPECT_NE(::GetWindowLongPtrW(m_hList, GWL_STYLE) & WS_VSCROLL, 0);
}

TEST_F(ListControlTest, ProgramSelectionsAreShownAndTellNobody) {
  EXPECT_EQ(m_list.SetCurSel(3), 3);
  EXPECT_EQ(Shown(), 3);
  // An insertion before the selected item keeps the same item selected.
  m_list.AddString(Cp(u"Аа"));  // first
  EXPECT_EQ(m_list.GetCurSel(), 4);
  EXPECT_EQ(Shown(), 4);
  m_list.SetCurSel(-1);
  EXPECT_EQ(Shown(), -1);
  EXPECT_TRUE(m_notified.empty());
}

TEST_F(ListControlTest, UserSelectionsTellTheWindowOnceEach) {
  struct Row {
    const char* name;
    std::function<void(ListControlTest&)> act;
    int want;  // the selection the notification sees
  };
  const Row rows[] = {
      {"a click", [](auto& t) { t.Click(2); }, 2},
      {"a click on the selected item", [](auto& t) { t.Click(2); }, 2},
      {"Down", [](auto& t) { t.Key(VK_DOWN); }, 3},
      {"Home", [](auto& t) { t.Key(VK_HOME); }, 0},
      {"typing the start of an item", [](auto& t) { t.Type(L'б'); }, 1},  // белка
      {"typing it again goes on to the next", [](auto& t) { t.Type(L'Б'); }, 2},  // Борис
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    m_notified.clear();
    r.act(*this);
    EXPECT_EQ(m_notified, std::vector<int>{r.want});
    EXPECT_EQ(Shown(), r.want);
  }
  // A character no item begins with selects nothing and tells nobody.
  m_notified.clear();
  Type(L'щ');
  EXPECT_TRUE(m_notified.empty());
  EXPECT_EQ(Shown(), 2);
}

}  // namespace
}  // namespace velunar

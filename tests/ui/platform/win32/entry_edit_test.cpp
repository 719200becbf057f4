// The entry field on Windows: its text exchanged as Windows-1251 bytes, and
// what typing and pasting may put into it.
#include "ui/platform/win32/entry_edit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/ui/platform/win32/win32_test_support.h"
#include "ui/platform/dialog_exchange.h"
#include "ui/platform/win32/wide_text.h"
#include "ui/resource_ids.h"

namespace velunar {
namespace {

class EntryEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dlg.Create());
    m_hEdit = m_dlg.Item(IDC_ENTRY_EDIT);
    ASSERT_NE(m_hEdit, nullptr);
  }
  void Show(std::string value) { DDX_Text(false, &m_dlg, IDC_ENTRY_EDIT, value); }
  std::string Read() {
    std::string value = "previous";
    DDX_Text(true, &m_dlg, IDC_ENTRY_EDIT, value);
    return value;
  }
  std::wstring Text() const { return win32::WindowText(m_hEdit); }
  void Select(int start, int end) { ::SendMessageW(m_hEdit, EM_SETSEL, start, end); }
  std::pair<int, int> Selection() const {
    DWORD start = 0, end = 0;
    ::SendMessageW(m_hEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
  }
  void Type(wchar_t c) { ::SendMessageW(m_hEdit, WM_CHAR, c, 1); }
  void Paste(const std::wstring& clipboard) {
    ASSERT_TRUE(::OpenClipboard(m_dlg.Window().Handle()));
    ::EmptyClipboard();
    const std::size_t bytes = (clipboard.size() + 1) * sizeof(wchar_t);
    HGLOBAL hData = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(::GlobalLock(hData), clipboard.c_str(), bytes);
    ::GlobalUnlock(hData);
    ::SetClipboardData(CF_UNICODETEXT, hData);
    ::CloseClipboard();
    ::SendMessageW(m_hEdit, WM_PASTE, 0, 0);
  }

  testing::CRecordingDialog m_dlg{IDD_VELUNAR_DIALOG};
  HWND m_hEdit = nullptr;
};

TEST_F(EntryEditTest, ExchangeIsInWindows1251Bytes) {
  struct Row {
    const wchar_t* shown;
    std::string bytes;
  };
  const Row rows[] = {
      {L"Иванов 123", "\xC8\xE2\xE0\xED\xEE\xE2 123"},
      {L"ёЁ№€", "\xB8\xA8\xB9\x88"},
      {L"  spaces kept  ", "  spaces kept  "},
      {L"", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.bytes);
    ::SetWindowTextW(m_hEdit, r.shown);
    EXPECT_EQ(Read(), r.bytes);
    Show("x");
    Show(r.bytes);
    EXPECT_EQ(Text(), r.shown);
  }
}

TEST_F(EntryEditTest, ShowingTheSameTextKeepsTheSelectionBelow256Bytes) {
  struct Row {
    std::size_t size;
    bool bKept;
  };
  for (const Row& r : {Row{255, true}, Row{256, false}}) {
    SCOPED_TRACE(r.size);
    const std::string value(r.size, '\xE0');  // а...
    Show(value);
    Select(3, 5);
    Show(value);
    EXPECT_EQ(Selection(), r.bKept ? std::make_pair(3, 5) : std::make_pair(0, 0));
  }
}

TEST_F(EntryEditTest, ANewTextStartsWithTheCaretAtItsBeginning) {
  Show("abcdef");
  Select(6, 6);
  Show("ghijkl");
  EXPECT_EQ(Selection(), std::make_pair(0, 0));
}

TEST_F(EntryEditTest, LongEntryIsShownReadAndTypedIntoWhole) {
  std::string value;
  for (int i = 0; i < 100000; ++i) value.push_back(static_cast<char>(0xC0 + i % 64));  // А..я
  Show(value);
  EXPECT_EQ(Read(), value);
  // The edit control's own limit would refuse this key.
  Select(100000, 100000);
  Type(L'z');
  EXPECT_EQ(Read(), value + "z");
}

TEST_F(EntryEditTest, EveryByteAnEntryCanHoldSurvivesShowAndRead) {
  // A lone CR among them; only the line feed and NUL cannot be in an entry.
  std::string value;
  for (int b = 1; b < 256; ++b) {
    if (b != '\n') value.push_back(static_cast<char>(b));
  }
  Show(value);
  EXPECT_EQ(Read(), value);
}

TEST_F(EntryEditTest, TypingACharacterWithoutAByteDoesNothing) {
  for (const wchar_t refused : {L'é', L'漢', wchar_t{0xD83D}}) {
    SCOPED_TRACE(static_cast<int>(refused));
    ::SetWindowTextW(m_hEdit, L"hello");
    Select(1, 4);
    Type(refused);
    EXPECT_EQ(Text(), L"hello");
    EXPECT_EQ(Selection(), std::make_pair(1, 4));
  }
  Type(L'ж');
  EXPECT_EQ(Text(), L"hжo");
}

TEST_F(EntryEditTest, PasteKeepsTheFirstLineAndCharactersWithBytes) {
  struct Row {
    const char* name;
    std::wstring clipboard;
    const wchar_t* want;
  };
  const Row rows[] = {
      {"line feed", L"ab\ncd", L"0ab3"},
      {"CR LF", L"ab\r\ncd", L"0ab3"},
      {"no byte, NUL-free", L"aé漢b", L"0ab3"},
      {"0x1A", L"a\x1A" L"b", L"0ab3"},
      {"nothing kept", L"\nnext line", L"0123"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ::SetWindowTextW(m_hEdit, L"0123");
    Select(1, 3);
    Paste(r.clipboard);
    EXPECT_EQ(Text(), r.want);
  }
}

TEST(EntryEditFilter, FilterInsertedText) {
  struct Row {
    std::wstring in, want;
  };
  const Row rows[] = {
      {L"plain", L"plain"},   {L"one\ntwo", L"one"},  {L"one\r\ntwo", L"one"}, {L"\nlater", L""},
      {L"cr\ronly", L"cr\ronly"}, {L"Ёж №1", L"Ёж №1"}, {L"a™b", L"a™b"},      {L"aßb", L"ab"},
      {std::wstring(L"x\0y", 3), L"xy"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(win32::FilterInsertedText(r.in), r.want);
  }
}

}  // namespace
}  // namespace velunar

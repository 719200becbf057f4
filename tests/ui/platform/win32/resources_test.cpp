// The program's Windows resources, as the program finds them: the window
// templates made from res/dialogs/, the icon, the version block and the
// manifest (res/windows/). The expected values are the program's design,
// written out here by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/ui/platform/win32/win32_test_support.h"
#include "ui/platform/win32/wide_text.h"
#include "ui/resource_ids.h"

namespace velunar {
namespace {

using testing::CRecordingDialog;

constexpr WORD kRussian = MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT);

struct CControlRow {
  int nID;
  const wchar_t* className;
  const char* caption;
  RECT rcDlgUnits;  // left, top, right, bottom
  DWORD style;      // styles it must have
  bool bBorder = false;
};

// The control of `dlg` with `nID` is `row`, and lies where its dialog
// units put it.
void ExpectControl(HWND hDlg, HWND hControl, const CControlRow& row) {
  ASSERT_NE(hControl, nullptr);
  EXPECT_TRUE(win32::IsWindowClass(hControl, row.className));
  EXPECT_EQ(win32::Utf8OfWide(win32::WindowText(hControl)), row.caption);
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(hControl, GWL_STYLE));
  EXPECT_EQ(style & row.style, row.style) << std::hex << style;
  // The dialog manager draws an edit's or a list's border as a sunken edge.
  const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(hControl, GWL_EXSTYLE));
  EXPECT_EQ((style & WS_BORDER) != 0 || (exStyle & WS_EX_CLIENTEDGE) != 0, row.bBorder);
  // The dialog manager converts the position and the size each on its own.
  RECT place{row.rcDlgUnits.left, row.rcDlgUnits.top, 0, 0};
  RECT size{0, 0, row.rcDlgUnits.right - row.rcDlgUnits.left,
            row.rcDlgUnits.bottom - row.rcDlgUnits.top};
  ::MapDialogRect(hDlg, &place);
  ::MapDialogRect(hDlg, &size);
  const RECT want{place.left, place.top, place.left + size.right, place.top + size.bottom};
  RECT got = testing::WindowRect(hControl);
  ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&got), 2);
  EXPECT_EQ(got.left, want.left);
  EXPECT_EQ(got.top, want.top);
  EXPECT_EQ(got.right, want.right);
  EXPECT_EQ(got.bottom, want.bottom);
}

TEST(Resources, MainWindowIsItsTemplate) {
  CRecordingDialog dlg(IDD_VELUNAR_DIALOG);
  ASSERT_TRUE(dlg.Create());
  HWND hDlg = dlg.Window().Handle();
  EXPECT_EQ(win32::Utf8OfWide(win32::WindowText(hDlg)), "Велунар");
  EXPECT_FALSE(::IsWindowVisible(hDlg));  // shown by the modal run
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(hDlg, GWL_STYLE));
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_POPUP), DWORD{WS_CAPTION | WS_SYSMENU | WS_POPUP});
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
  // 673 x 423 dialog units inside.
  RECT want{0, 0, 673, 423};
  ::MapDialogRect(hDlg, &want);
  RECT client;
  ::GetClientRect(hDlg, &client);
  EXPECT_EQ(client.right, want.right);
  EXPECT_EQ(client.bottom, want.bottom);

  constexpr DWORD kTab = WS_TABSTOP | WS_VISIBLE;
  const CControlRow rows[] = {
      {IDC_ENTRY_EDIT, L"Edit", "", {7, 382, 666, 394}, kTab | ES_AUTOHSCROLL, true},
      {IDC_ENTRY_LIST, L"ListBox", "", {7, 7, 666, 374},
       kTab | LBS_NOTIFY | LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT, true},
      {IDC_FIND, L"Button", "На&йти", {7, 401, 103, 417}, kTab},
      {IDC_SHOW_ALL, L"Button", "Показать вс&ё", {105, 401, 201, 417}, kTab},
      {IDOK, L"Button", "Доба&вить", {203, 401, 299, 417}, kTab | BS_DEFPUSHBUTTON},
      {IDC_CHANGE, L"Button", "", {384, 410, 398, 417}, kTab},
      {IDC_DELETE, L"Button", "", {457, 410, 463, 417}, kTab},
      {IDC_SAVE, L"Button", "&Сохранить", {539, 401, 589, 417}, kTab},
      {IDCANCEL, L"Button", "В&ыход", {616, 401, 666, 417}, kTab},
  };
  for (const CControlRow& row : rows) {
    SCOPED_TRACE(row.nID);
    ExpectControl(hDlg, dlg.Item(row.nID), row);
  }
  const auto listStyle = ::GetWindowLongPtrW(dlg.Item(IDC_ENTRY_LIST), GWL_STYLE);
  EXPECT_EQ(listStyle & (LBS_SORT | LBS_HASSTRINGS), 0);
  EXPECT_EQ(::GetWindowLongPtrW(dlg.Item(IDC_ENTRY_EDIT), GWL_STYLE) & ES_MULTILINE, 0);

  // Tab follows the template, the labels left out, around to the start.
  const int order[] = {IDC_ENTRY_EDIT, IDC_ENTRY_LIST, IDC_FIND, IDC_SHOW_ALL, IDOK,
                       IDC_CHANGE,     IDC_DELETE,     IDC_SAVE, IDCANCEL,     IDC_ENTRY_EDIT};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
    SCOPED_TRACE(order[i]);
    EXPECT_EQ(::GetNextDlgTabItem(hDlg, dlg.Item(order[i]), FALSE), dlg.Item(order[i + 1]));
  }
}

TEST(Resources, AboutBoxIsItsTemplate) {
  CRecordingDialog dlg(IDD_ABOUTBOX);
  ASSERT_TRUE(dlg.Create());
  HWND hDlg = dlg.Window().Handle();
  EXPECT_EQ(win32::Utf8OfWide(win32::WindowText(hDlg)), "О программе \"Велунар\"");
  EXPECT_EQ(LOWORD(::SendMessageW(hDlg, DM_GETDEFID, 0, 0)), IDOK);
  const CControlRow rows[] = {
      {IDOK, L"Button", "OK", {142, 83, 178, 109}, WS_TABSTOP | BS_DEFPUSHBUTTON},
      {IDC_SITE_LINK, L"Button", "Бесплатные программы на сайте %SITE%", {7, 83, 134, 109},
       WS_TABSTOP | BS_MULTILINE},
  };
  for (const CControlRow& row : rows) {
    SCOPED_TRACE(row.nID);
    ExpectControl(hDlg, dlg.Item(row.nID), row);
  }
  // The icon static shows IDR_MAINFRAME.
  HWND hIcon = ::GetWindow(hDlg, GW_CHILD);
  ASSERT_NE(hIcon, nullptr);
  EXPECT_EQ(::GetWindowLongPtrW(hIcon, GWL_STYLE) & SS_TYPEMASK, SS_ICON);
  EXPECT_NE(::SendMessageW(hIcon, STM_GETICON, 0, 0), 0);
}

TEST(Resources, DialogFontIsTheShellFontAt8Points) {
  CRecordingDialog dlg(IDD_VELUNAR_DIALOG);
  ASSERT_TRUE(dlg.Create());
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(dlg.Window().Handle(), WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  LOGFONTW lf{};
  ASSERT_NE(::GetObjectW(font, sizeof lf, &lf), 0);
  HDC dc = ::GetDC(nullptr);
  const int nDpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  ::ReleaseDC(nullptr, dc);
  EXPECT_EQ(lf.lfHeight, -::MulDiv(8, nDpi, 72));
  EXPECT_EQ(lf.lfWeight, FW_NORMAL);
  EXPECT_FALSE(lf.lfItalic);
}

TEST(Resources, AllAreRussian) {
  const struct {
    const wchar_t* type;
    int nID;
  } rows[] = {{RT_DIALOG, IDD_VELUNAR_DIALOG}, {RT_DIALOG, IDD_ABOUTBOX}, {RT_GROUP_ICON, 128},
              {RT_VERSION, 1},                {RT_MANIFEST, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.nID);
    EXPECT_NE(::FindResourceExW(nullptr, row.type, MAKEINTRESOURCEW(row.nID), kRussian), nullptr);
  }
}

// The bytes of resource `nID` of `type`.
std::string ResourceBytes(const wchar_t* type, int nID) {
  HRSRC hRes = ::FindResourceW(nullptr, MAKEINTRESOURCEW(nID), type);
  if (hRes == nullptr) return {};
  const auto* p = static_cast<const char*>(::LockResource(::LoadResource(nullptr, hRes)));
  return std::string(p, ::SizeofResource(nullptr, hRes));
}

TEST(Resources, IconHasEverySizeAndDepth) {
  const std::string group = ResourceBytes(RT_GROUP_ICON, 128);
  ASSERT_GE(group.size(), 6u);
  // GRPICONDIR: reserved, type, count; then 14 bytes an image: width,
  // height (0 for 256), colours, reserved, planes, bit count, size, id.
  const auto word = [&group](std::size_t at) {
    return static_cast<unsigned>(static_cast<unsigned char>(group[at]) |
                                 static_cast<unsigned char>(group[at + 1]) << 8);
  };
  std::vector<std::string> images;
  for (unsigned i = 0; i < word(4); ++i) {
    const std::size_t at = 6 + 14 * i;
    ASSERT_LE(at + 14, group.size());
    const unsigned width = static_cast<unsigned char>(group[at]);
    images.push_back(std::to_string(width == 0 ? 256 : width) + "x" + std::to_string(word(at + 6)));
  }
  std::sort(images.begin(), images.end());
  const std::vector<std::string> want = {"16x24", "16x4", "16x8", "256x32", "32x24",
                                         "32x4",  "32x8", "48x24", "48x4",   "48x8"};
  EXPECT_EQ(images, want);
}

TEST(Resources, VersionBlock) {
  wchar_t path[MAX_PATH];
  ASSERT_GT(::GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path, &handle);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(::GetFileVersionInfoW(path, 0, size, data.data()));
  VS_FIXEDFILEINFO* pFixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&pFixed), &length));
  EXPECT_EQ(pFixed->dwFileVersionMS, MAKELONG(4, 2006));
  EXPECT_EQ(pFixed->dwFileVersionLS, 0u);
  EXPECT_EQ(pFixed->dwProductVersionMS, MAKELONG(4, 2006));
  EXPECT_EQ(pFixed->dwFileType, DWORD{VFT_APP});
  WORD* pTranslation = nullptr;
  ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&pTranslation), &length));
  EXPECT_EQ(pTranslation[0], 0x0419);
  EXPECT_EQ(pTranslation[1], 1251);
  const struct {
    const wchar_t* name;
    const char* value;
  } rows[] = {{L"ProductName", "Велунар"},        {L"FileDescription", "Велунар"},
              {L"Comments", "Велунар"},           {L"FileVersion", "2006.04"},
              {L"ProductVersion", "2006.04"},     {L"OriginalFilename", "velunar.exe"},
              {L"InternalName", "velunar.exe"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(win32::Utf8OfWide(row.name));
    wchar_t* pValue = nullptr;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\041904e3\\") + row.name;
    ASSERT_TRUE(::VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void**>(&pValue), &length));
    EXPECT_EQ(win32::Utf8OfWide(pValue), row.value);
  }
}

TEST(Resources, ManifestAsksForCommonControls6AndPerMonitorDpi) {
  const std::string manifest = ResourceBytes(RT_MANIFEST, 1);
  for (const char* part : {"Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"",
                           "processorArchitecture=\"*\"", "PerMonitorV2", "true/pm"}) {
    SCOPED_TRACE(part);
    EXPECT_NE(manifest.find(part), std::string::npos);
  }
}

}  // namespace
}  // namespace velunar

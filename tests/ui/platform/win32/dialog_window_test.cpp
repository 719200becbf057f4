// The dialog services' window on Windows: the modal run, the keyboard
// before the controls see it, the system menu, the one dispatch of
// failures, and where windows open.
#include "ui/platform/win32/dialog_window.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <vector>

#include "tests/ui/platform/win32/win32_test_support.h"
#include "ui/platform/win32/dialog_fitting.h"
#include "ui/platform/win32/dialog_placement.h"
#include "ui/platform/win32/wide_text.h"
#include "ui/platform/win_app.h"
#include "ui/resource_ids.h"

namespace velunar {
namespace {

using testing::CRecordingDialog;
using testing::PostAltChar;
using testing::PostKey;
using testing::RunInLoop;

// Runs the main template modally: `act` acts once the window is up (the
// focus in the entry field), then Escape ends the run, if it still runs.
// Returns the commands in the order they ran, the Escape's IDCANCEL last.
std::vector<int> CommandsOf(const std::function<void(CRecordingDialog&)>& act) {
  CRecordingDialog dlg(IDD_VELUNAR_DIALOG);
  RunInLoop({[&] { act(dlg); }, [&] { PostKey(::GetFocus(), VK_ESCAPE); }});
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  testing::DropPendingSteps();
  return dlg.commands;
}

TEST(DialogWindow, RunShowsTheWindowWithTheEntryFieldFocusedAndWholeSelected) {
  CRecordingDialog dlg(IDD_VELUNAR_DIALOG);
  dlg.onInit = [&dlg] { ::SetWindowTextW(dlg.Item(IDC_ENTRY_EDIT), L"подсказка"); };
  bool bVisible = false;
  HWND hFocus = nullptr;
  HWND hEdit = nullptr;
  DWORD selection = 0;
  RunInLoop({[&] {
    bVisible = dlg.IsWindowVisible();
    hFocus = ::GetFocus();
    hEdit = dlg.Item(IDC_ENTRY_EDIT);
    selection = static_cast<DWORD>(::SendMessageW(hFocus, EM_GETSEL, 0, 0));
    dlg.EndDialog(42);
  }});
  EXPECT_EQ(dlg.DoModal(), 42);
  EXPECT_TRUE(bVisible);
  EXPECT_EQ(hFocus, hEdit);
  EXPECT_EQ(LOWORD(selection), 0);
  EXPECT_EQ(HIWORD(selection), 9);
  EXPECT_EQ(dlg.Window().Handle(), nullptr);  // destroyed when the run ends
}

TEST(DialogWindow, KeysRunTheirCommands) {
  struct Row {
    const char* name;
    std::function<void(CRecordingDialog&)> act;
    std::vector<int> want;
  };
  const Row rows[] = {
      {"Enter in the entry field", [](auto& d) { PostKey(d.Item(IDC_ENTRY_EDIT), VK_RETURN); },
       {IDOK, IDCANCEL}},
      {"Enter in the list",
       [](auto& d) {
         ::SetFocus(d.Item(IDC_ENTRY_LIST));
         PostKey(d.Item(IDC_ENTRY_LIST), VK_RETURN);
       },
       {IDOK, IDCANCEL}},
      {"Enter on a button",
       [](auto& d) {
         ::SendMessageW(d.Window().Handle(), WM_NEXTDLGCTL,
                        reinterpret_cast<WPARAM>(d.Item(IDC_FIND)), TRUE);
         PostKey(d.Item(IDC_FIND), VK_RETURN);
       },
       {IDC_FIND, IDCANCEL}},
      {"Alt and a lower-case mnemonic", [](auto& d) { PostAltChar(d.Item(IDC_ENTRY_EDIT), L'й', 0x10); },
       {IDC_FIND, IDCANCEL}},
      {"Alt and an upper-case mnemonic typed lower-case",
       [](auto& d) { PostAltChar(d.Item(IDC_ENTRY_EDIT), L'с', 0x2E); }, {IDC_SAVE, IDCANCEL}},
      {"Alt and the mnemonic typed upper-case",
       [](auto& d) { PostAltChar(d.Item(IDC_ENTRY_EDIT), L'Ё', 0x29); }, {IDC_SHOW_ALL, IDCANCEL}},
      {"Alt and the Latin letter on the mnemonic's key",
       [](auto& d) { PostAltChar(d.Item(IDC_ENTRY_EDIT), L'd', 0x20); }, {IDOK, IDCANCEL}},
      {"Alt and a letter of no mnemonic",
       [](auto& d) { PostAltChar(d.Item(IDC_ENTRY_EDIT), L'x', 0x2D); }, {IDCANCEL}},
      {"the letter alone on a button",
       [](auto& d) {
         ::SetFocus(d.Item(IDC_FIND));
         ::PostMessageW(d.Item(IDC_FIND), WM_CHAR, L'в', 0x200001);
       },
       {IDOK, IDCANCEL}},
      {"the letter alone in the entry field",
       [](auto& d) { ::PostMessageW(d.Item(IDC_ENTRY_EDIT), WM_CHAR, L'в', 0x200001); }, {IDCANCEL}},
      {"F1", [](auto& d) { PostKey(d.Item(IDC_ENTRY_EDIT), VK_F1); }, {IDCANCEL}},
      {"the close box",
       [](auto& d) { ::PostMessageW(d.Window().Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); },
       {IDCANCEL}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(CommandsOf(r.act), r.want);
  }
}

TEST(DialogWindow, EscapeAndClosingEndTheRunThroughIdCancel) {
  for (const UINT message : {UINT{WM_CLOSE}, UINT{WM_KEYDOWN}}) {
    SCOPED_TRACE(message);
    CRecordingDialog dlg(IDD_VELUNAR_DIALOG);
    RunInLoop({[&] {
      if (message == WM_CLOSE) {
        ::PostMessageW(dlg.Window().Handle(), WM_CLOSE, 0, 0);
      } else {
        PostKey(dlg.Item(IDC_ENTRY_LIST), VK_ESCAPE);
      }
    }});
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.commands, std::vector<int>{IDCANCEL});
  }
}

TEST(DialogWindow, SystemMenuItemsReachOnSysCommand) {
  CRecordingDialog dlg(IDD_VELUNAR_DIALOG);
  dlg.onInit = [&dlg] {
    dlg.AppendSysMenuSeparator();
    dlg.AppendSysMenuItem(IDM_ABOUTBOX, "&О программе");
  };
  std::wstring itemText;
  RunInLoop({[&] {
               HMENU hMenu = ::GetSystemMenu(dlg.Window().Handle(), FALSE);
               wchar_t text[64] = {};
               ::GetMenuStringW(hMenu, IDM_ABOUTBOX, text, 64, MF_BYCOMMAND);
               itemText = text;
               ::PostMessageW(dlg.Window().Handle(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
               ::PostMessageW(dlg.Window().Handle(), WM_SYSCOMMAND, IDM_ABOUTBOX | 0xF, 0);
             },
             [&] { dlg.EndDialog(IDCANCEL); }});
  dlg.DoModal();
  EXPECT_EQ(itemText, L"&О программе");
  EXPECT_EQ(dlg.sysCommands, (std::vector<unsigned>{IDM_ABOUTBOX, IDM_ABOUTBOX | 0xF}));
}

// A dialog whose Find command throws.
class CThrowingDialog : public CRecordingDialog {
 public:
  CThrowingDialog() : CRecordingDialog(IDD_VELUNAR_DIALOG) {
    BindCommand(IDC_FIND, BN_CLICKED, [] { throw std::bad_alloc(); });
    SetMessageBoxes(&recorder);
  }
  testing::CMessageBoxRecorder recorder;
};

TEST(DialogWindow, AFailingCommandIsReportedAndTheWindowGoesOn) {
  CThrowingDialog dlg;
  RunInLoop({[&] { PostAltChar(dlg.Item(IDC_ENTRY_EDIT), L'й', 0x10); },
             [&] { PostAltChar(dlg.Item(IDC_ENTRY_EDIT), L'в', 0x20); },
             [&] { PostKey(dlg.Item(IDC_ENTRY_EDIT), VK_ESCAPE); }});
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  ASSERT_EQ(dlg.recorder.boxes.size(), 1u);
  EXPECT_EQ(dlg.recorder.boxes[0].text, "Out of memory.");
  EXPECT_EQ(dlg.recorder.boxes[0].caption, AppTitle());
  EXPECT_EQ(dlg.recorder.boxes[0].nType, MB_ICONEXCLAMATION);
  EXPECT_EQ(dlg.commands, (std::vector<int>{IDOK, IDCANCEL}));
}

TEST(DialogWindow, EndedWhileStartingTheRunReturnsAtOnce) {
  CRecordingDialog dlg(IDD_VELUNAR_DIALOG);
  dlg.onInit = [&dlg] { dlg.EndDialog(-2); };
  EXPECT_EQ(dlg.DoModal(), -2);
  EXPECT_EQ(dlg.Window().Handle(), nullptr);
}

TEST(DialogWindow, AMissingTemplateCannotRun) {
  CRecordingDialog dlg(4242);
  EXPECT_FALSE(dlg.Create());
  EXPECT_EQ(dlg.DoModal(), -1);
}

TEST(DialogWindow, OwnedBoxIsCentredOverItsDisabledOwner) {
  CRecordingDialog main(IDD_VELUNAR_DIALOG);
  CRecordingDialog about(IDD_ABOUTBOX, &main);
  RECT rcMain{}, rcAbout{}, rcWork{};
  bool bMainEnabled = true;
  RunInLoop({[&] { about.DoModal(); },
             [&] {
               rcMain = testing::WindowRect(main.Window().Handle());
               rcAbout = testing::WindowRect(about.Window().Handle());
               bMainEnabled = ::IsWindowEnabled(main.Window().Handle()) != FALSE;
               about.EndDialog(IDOK);
             },
             [&] {
               ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
               main.EndDialog(IDCANCEL);
             }});
  main.DoModal();
  EXPECT_FALSE(bMainEnabled);
  EXPECT_LE(std::abs((rcAbout.left + rcAbout.right) - (rcMain.left + rcMain.right)), 1);
  EXPECT_LE(std::abs((rcAbout.top + rcAbout.bottom) - (rcMain.top + rcMain.bottom)), 1);
  // The main window, with no owner, in the middle of the work area.
  EXPECT_LE(std::abs((rcMain.left + rcMain.right) - (rcWork.left + rcWork.right)), 1);
}

TEST(DialogPlacement, CentredAndKeptInsideTheWorkArea) {
  const RECT work{0, 40, 1000, 740};  // 1000 x 700 below a panel
  struct Row {
    const char* name;
    SIZE size;
    std::optional<RECT> owner;
    POINT want;
  };
  const Row rows[] = {
      {"in the work area", {400, 300}, std::nullopt, {300, 240}},
      {"over the owner", {100, 100}, RECT{100, 100, 300, 300}, {150, 150}},
      {"owner near the right edge", {300, 100}, RECT{800, 100, 1000, 300}, {700, 150}},
      {"owner above the work area", {100, 100}, RECT{100, -200, 300, 0}, {150, 40}},
      {"larger than the work area", {1200, 900}, std::nullopt, {0, 40}},
      {"odd room rounds toward zero", {401, 301}, std::nullopt, {299, 239}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const POINT at = win32::CentredPosition(r.size, r.owner ? &*r.owner : nullptr, work);
    EXPECT_EQ(at.x, r.want.x);
    EXPECT_EQ(at.y, r.want.y);
  }
}

TEST(DialogFitting, TheLargestFontAtWhichTheWindowFitsDownToHalfTheTemplates) {
  // A window of 120 x 80 pixels a point, as the dialog manager would make it.
  const auto sizeAt = [](int points) { return SIZE{120 * points, 80 * points}; };
  struct Row {
    const char* name;
    SIZE area;
    int want;
  };
  const Row rows[] = {
      {"fits as it is", {960, 640}, 8},
      {"a pixel short in height", {960, 639}, 7},
      {"narrow", {730, 2000}, 6},
      {"too small for half the size", {100, 100}, 4},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(win32::FittingPointSize(8, r.area, sizeAt), r.want);
  }
}

TEST(DialogFitting, FindsTheFontSizeInTheProgramsTemplates) {
  for (const int nID : {IDD_VELUNAR_DIALOG, IDD_ABOUTBOX}) {
    SCOPED_TRACE(nID);
    HRSRC hRes = ::FindResourceW(nullptr, MAKEINTRESOURCEW(nID), RT_DIALOG);
    ASSERT_NE(hRes, nullptr);
    const auto* p = static_cast<const std::byte*>(::LockResource(::LoadResource(nullptr, hRes)));
    const std::span<const std::byte> bytes(p, ::SizeofResource(nullptr, hRes));
    const auto at = win32::PointSizeOffset(bytes);
    ASSERT_TRUE(at.has_value());
    WORD points = 0;
    std::memcpy(&points, bytes.data() + *at, sizeof points);
    EXPECT_EQ(points, 8);
    // Cut before the font: no size to give.
    EXPECT_FALSE(win32::PointSizeOffset(bytes.first(*at)).has_value());
  }
}

TEST(WinApp, TitleComesFromTheExecutable) {
  const std::string path = ExecutablePath();
  EXPECT_NE(path.find("dialog_window_test.exe"), std::string::npos) << path;
  EXPECT_EQ(AppTitleFromPath(path), "dialog_window_test");
}

}  // namespace
}  // namespace velunar

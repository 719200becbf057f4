// The message boxes on Windows: MessageBoxW, with the texts in UTF-16 and
// the buttons «Да» and «Нет» in Russian on a Windows of any language. A
// Yes/No box answers «Нет» to Escape and to its close box, where Windows'
// own would refuse both: a hook on the thread catches the box as it is
// activated, before the user sees it, to rename its buttons and to let it
// be closed.
#include "ui/platform/message_boxes.h"

#include "res/texts/dialog_texts.h"
#include "ui/platform/win32/dialog_window.h"
#include "ui/platform/win32/wide_text.h"

namespace velunar {
namespace {

constexpr UINT_PTR kYesNoSubclass = 0x56594E42;  // "VYNB"

// A Yes/No box's Cancel (Escape, the close box, Alt+F4) is «Нет».
LRESULT CALLBACK YesNoBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              UINT_PTR /*id*/, DWORD_PTR /*data*/) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    ::EndDialog(hwnd, IDNO);
    return 0;
  }
  if (message == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, YesNoBoxProc, kYesNoSubclass);
  return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

// The box being shown on this thread: its type, and the hook that finds
// it. Boxes do not nest on one thread while the hook is set: it is gone
// once the box is found.
struct CBoxHook {
  HHOOK hHook = nullptr;
  unsigned nType = MB_OK;
};
thread_local CBoxHook t_boxHook;

LRESULT CALLBACK BoxHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
  if (nCode == HCBT_ACTIVATE && t_boxHook.hHook != nullptr) {
    auto hBox = reinterpret_cast<HWND>(wParam);
    HHOOK hHook = t_boxHook.hHook;
    t_boxHook.hHook = nullptr;
    ::UnhookWindowsHookEx(hHook);
    if ((t_boxHook.nType & MB_TYPEMASK) == MB_YESNO) {
      ::SetDlgItemTextW(hBox, IDYES, win32::WideOfUtf8(texts::kYes).c_str());
      ::SetDlgItemTextW(hBox, IDNO, win32::WideOfUtf8(texts::kNo).c_str());
      ::SetWindowSubclass(hBox, YesNoBoxProc, kYesNoSubclass, 0);
      ::EnableMenuItem(::GetSystemMenu(hBox, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    }
    return 0;
  }
  return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

class CWin32MessageBoxes : public IMessageBoxes {
 public:
  int Show(CDialog* pOwner, const std::string& text, const std::string& caption,
           unsigned nType) override {
    HWND hOwner = HandleOf(pOwner);
    const bool bYesNo = (nType & MB_TYPEMASK) == MB_YESNO;
    UINT uType = (bYesNo ? MB_YESNO : MB_OK) | (nType & MB_ICONMASK) | (nType & MB_DEFMASK);
    // Without an owner the box holds the whole program; over a hidden owner
    // (the window not shown yet) it comes to the front by itself.
    if (hOwner == nullptr) uType |= MB_TASKMODAL;
    if (hOwner == nullptr || !::IsWindowVisible(hOwner)) uType |= MB_SETFOREGROUND;
    const std::wstring wideText = win32::WideOfUtf8(text);
    const std::wstring wideCaption = win32::WideOfUtf8(caption);
    t_boxHook.nType = nType;
    t_boxHook.hHook = ::SetWindowsHookExW(WH_CBT, BoxHookProc, nullptr, ::GetCurrentThreadId());
    const int nAnswer = ::MessageBoxW(hOwner, wideText.c_str(), wideCaption.c_str(), uType);
    if (t_boxHook.hHook != nullptr) {
      ::UnhookWindowsHookEx(t_boxHook.hHook);
      t_boxHook.hHook = nullptr;
    }
    if (!bYesNo) return IDOK;
    return nAnswer == IDYES ? IDYES : IDNO;
  }
};

}  // namespace

IMessageBoxes& DefaultMessageBoxes() {
  static CWin32MessageBoxes boxes;
  return boxes;
}

}  // namespace velunar

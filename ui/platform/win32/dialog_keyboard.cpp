// The keys a dialog takes before the dialog manager's keyboard
// (IsDialogMessageW): F1, and the mnemonics, found more widely than the
// dialog manager finds them.
//
// The dialog manager compares a mnemonic with the typed letter as it was
// typed: under Wine an upper-case Cyrillic mnemonic («&Сохранить») then
// needs Shift as well, and with a Latin layout active no Cyrillic mnemonic
// is reached at all. Here the letter matches in either case, and a key that
// names no mnemonic is tried again as the Russian letter on the same key
// (ЙЦУКЕН), so Alt and the key of «с» press «&Сохранить» in any layout.
// Anything else is left to the dialog manager.
#include <array>

#include "ui/platform/help.h"
#include "ui/platform/win32/dialog_window.h"
#include "ui/platform/win32/wide_text.h"

namespace velunar {
namespace {

// The Russian letter on each letter key of a PC keyboard, by the key's
// scan code (the place of the key, whatever the layout).
struct CRussianKey {
  unsigned nScanCode;
  wchar_t letter;
};
constexpr std::array<CRussianKey, 33> kRussianKeys = {{
    {0x10, L'й'}, {0x11, L'ц'}, {0x12, L'у'}, {0x13, L'к'}, {0x14, L'е'}, {0x15, L'н'},
    {0x16, L'г'}, {0x17, L'ш'}, {0x18, L'щ'}, {0x19, L'з'}, {0x1A, L'х'}, {0x1B, L'ъ'},
    {0x1E, L'ф'}, {0x1F, L'ы'}, {0x20, L'в'}, {0x21, L'а'}, {0x22, L'п'}, {0x23, L'р'},
    {0x24, L'о'}, {0x25, L'л'}, {0x26, L'д'}, {0x27, L'ж'}, {0x28, L'э'}, {0x2C, L'я'},
    {0x2D, L'ч'}, {0x2E, L'с'}, {0x2F, L'м'}, {0x30, L'и'}, {0x31, L'т'}, {0x32, L'ь'},
    {0x33, L'б'}, {0x34, L'ю'}, {0x29, L'ё'},
}};

wchar_t RussianLetterAtScanCode(unsigned nScanCode) {
  for (const CRussianKey& key : kRussianKeys) {
    if (key.nScanCode == nScanCode) return key.letter;
  }
  return 0;
}

wchar_t LowerCase(wchar_t c) {
  ::CharLowerBuffW(&c, 1);
  return c;
}

// The mnemonic of a caption: the character after a single '&'; 0 for none.
wchar_t MnemonicOf(const std::wstring& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    if (caption[i + 1] != L'&') return caption[i + 1];
    ++i;  // "&&" is a literal '&'
  }
  return 0;
}

bool IsPushButton(HWND hwnd) {
  if (!win32::IsWindowClass(hwnd, L"Button")) return false;
  const LONG_PTR type = ::GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool IsKeyDown(int nVirtualKey) { return ::GetKeyState(nVirtualKey) < 0; }

}  // namespace

HWND CDialogWindow::MnemonicButton(wchar_t c) const {
  const wchar_t lower = LowerCase(c);
  for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild != nullptr;
       hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
    if (!IsPushButton(hChild) || !::IsWindowVisible(hChild) || !::IsWindowEnabled(hChild)) {
      continue;
    }
    const wchar_t mnemonic = MnemonicOf(win32::WindowText(hChild));
    if (mnemonic != 0 && LowerCase(mnemonic) == lower) return hChild;
  }
  return nullptr;
}

bool CDialogWindow::PreTranslateMessage(MSG& msg) {
  if (m_hWnd == nullptr || (msg.hwnd != m_hWnd && !::IsChild(m_hWnd, msg.hwnd))) return false;
  switch (msg.message) {
    case WM_KEYDOWN:
      // F1 without Shift or Ctrl (with Alt it is WM_SYSKEYDOWN): the help
      // request, and nothing else of the key.
      if (msg.wParam != VK_F1 || IsKeyDown(VK_SHIFT) || IsKeyDown(VK_CONTROL)) return false;
      m_owner.Dispatch([this] { RequestHelp(m_owner); });
      return true;
    case WM_SYSCHAR:  // Alt and a character
      break;
    case WM_CHAR:  // a character alone presses a mnemonic while a button has the focus
      if (!IsPushButton(msg.hwnd)) return false;
      break;
    default:
      return false;
  }
  const auto typed = static_cast<wchar_t>(msg.wParam);
  if (typed < L' ') return false;
  HWND hButton = MnemonicButton(typed);
  if (hButton == nullptr) {
    const wchar_t russian = RussianLetterAtScanCode((static_cast<unsigned>(msg.lParam) >> 16) & 0xFF);
    if (russian != 0) hButton = MnemonicButton(russian);
  }
  if (hButton == nullptr) return false;
  // Pressed at once, as the dialog manager presses a button by its
  // mnemonic: the focus stays where it is.
  ::SendMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(hButton), BN_CLICKED),
                 reinterpret_cast<LPARAM>(hButton));
  return true;
}

}  // namespace velunar

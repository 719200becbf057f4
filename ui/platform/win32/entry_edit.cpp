#include "ui/platform/win32/entry_edit.h"

#include "store/text/cp1251.h"
#include "ui/platform/win32/wide_text.h"

namespace velunar::win32 {
namespace {

constexpr UINT_PTR kEntryEditSubclass = 0x56454E54;  // "VENT"

bool HasByte(wchar_t c) {
  return c != 0 && c != 0x1A && UnicodeToCp1251(static_cast<char16_t>(c)).has_value();
}

// The clipboard's text, or nothing when it holds none.
std::wstring ClipboardText(HWND hOwner) {
  std::wstring text;
  if (!::IsClipboardFormatAvailable(CF_UNICODETEXT) || !::OpenClipboard(hOwner)) return text;
  if (HANDLE hData = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* pText = static_cast<const wchar_t*>(::GlobalLock(hData))) {
      // The clipboard's block may be longer than its text, never shorter.
      text.assign(pText, ::wcsnlen(pText, ::GlobalSize(hData) / sizeof(wchar_t)));
      ::GlobalUnlock(hData);
    }
  }
  ::CloseClipboard();
  return text;
}

LRESULT CALLBACK EntryEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                               UINT_PTR /*id*/, DWORD_PTR /*data*/) {
  try {
    switch (message) {
      case WM_CHAR:
        // Control characters are the edit's commands (Backspace, Ctrl+C,
        // Ctrl+V, ...) and insert nothing; a character without a byte is
        // not typed at all, so a selection it would replace stays.
        if (wParam >= L' ' && !HasByte(static_cast<wchar_t>(wParam))) return 0;
        break;
      case WM_PASTE: {
        const std::wstring kept = FilterInsertedText(ClipboardText(hwnd));
        if (!kept.empty()) {
          ::SendMessageW(hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(kept.c_str()));
        }
        return 0;
      }
      case WM_NCDESTROY:
        ::RemoveWindowSubclass(hwnd, EntryEditProc, kEntryEditSubclass);
        break;
      default:
        break;
    }
  } catch (...) {
    // Out of memory while pasting: nothing is pasted.
    return 0;
  }
  return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

void AttachEntryEdit(HWND hEdit) {
  ::SetWindowSubclass(hEdit, EntryEditProc, kEntryEditSubclass, 0);
  ::SendMessageW(hEdit, EM_SETLIMITTEXT, 0, 0);  // 0: as long as the system allows
}

std::wstring FilterInsertedText(std::wstring_view inserted) {
  std::size_t end = inserted.find(L'\n');
  if (end == std::wstring_view::npos) {
    end = inserted.size();
  } else if (end > 0 && inserted[end - 1] == L'\r') {
    --end;
  }
  std::wstring kept;
  kept.reserve(end);
  for (std::size_t i = 0; i < end; ++i) {
    if (HasByte(inserted[i])) kept.push_back(inserted[i]);
  }
  return kept;
}

void ExchangeEntryText(bool bSaveAndValidate, HWND hEdit, std::string& value) {
  if (bSaveAndValidate) {
    std::string bytes = Cp1251OfWide(WindowText(hEdit));
    value.swap(bytes);
    return;
  }
  const std::wstring text = WideOfCp1251(value);
  // Showing the text the field holds must not move the user's caret.
  if (value.size() < 256 && WindowText(hEdit) == text) return;
  ::SetWindowTextW(hEdit, text.c_str());
  // A new text is shown from its beginning, where a long entry has its
  // name.
  ::SendMessageW(hEdit, EM_SETSEL, 0, 0);
  ::SendMessageW(hEdit, EM_SCROLLCARET, 0, 0);
}

}  // namespace velunar::win32

// The list box control on Windows: an owner-data list box (LBS_NODATA |
// LBS_OWNERDRAWFIXED, from the template) that holds no item of its own,
// only their number, and draws each visible row from the list's CViewList
// when Windows asks for it. A million entries are one LB_SETCOUNT.
//
// Selections: the list box tells its dialog LBN_SELCHANGE only for the
// user's own clicks and keys, never for LB_SETCURSEL; every one of them
// reaches the CListBox (a choice of the item already selected included),
// which passes on what its rules pass on. Typing a character selects the
// next item that begins with it, as the list box does for lists that hold
// their strings.
#include "ui/platform/list_control.h"

#include <string>

#include "store/text/cp1251.h"
#include "ui/platform/list_box.h"
#include "ui/platform/win32/dialog_window.h"
#include "ui/platform/win32/wide_text.h"

namespace velunar {
namespace {

constexpr UINT_PTR kListSubclass = 0x564C5354;  // "VLST"
// Marks a list box that shows a list already.
constexpr wchar_t kAttachedProperty[] = L"Velunar.ListControl";

// A row shows only the beginning of a very long entry: the list cuts wide
// entries at its edge anyway.
constexpr std::size_t kMaxRowText = 4096;

class CWin32ListControl final : public IListControl {
 public:
  CWin32ListControl(HWND hList, CListBox& list) : m_hList(hList), m_list(list) {
    ::SetPropW(hList, kAttachedProperty, this);
    ::SetWindowSubclass(hList, ListProc, kListSubclass, reinterpret_cast<DWORD_PTR>(this));
    SetRowHeight();
    Reset();
  }
  ~CWin32ListControl() override {
    if (m_hList == nullptr) return;
    ::RemoveWindowSubclass(m_hList, ListProc, kListSubclass);
    ::RemovePropW(m_hList, kAttachedProperty);
  }
  CWin32ListControl(const CWin32ListControl&) = delete;
  CWin32ListControl& operator=(const CWin32ListControl&) = delete;

  // Whether a list control shows a list in `hList` already.
  static bool IsAttached(HWND hList) { return ::GetPropW(hList, kAttachedProperty) != nullptr; }

  // The control reads no row between a Begin and its End; the list box
  // itself is told at the End, once the view list has changed.
  void BeginInsert(int i) override { m_nChanged = i; }
  void EndInsert() override {
    if (m_hList == nullptr) return;
    ::SendMessageW(m_hList, LB_INSERTSTRING, static_cast<WPARAM>(m_nChanged), 0);
    ShowSelection(false);
  }
  void BeginRemove(int i) override { m_nChanged = i; }
  void EndRemove() override {
    if (m_hList == nullptr) return;
    ::SendMessageW(m_hList, LB_DELETESTRING, static_cast<WPARAM>(m_nChanged), 0);
    ShowSelection(false);
  }
  void BeginReset() override {}
  void EndReset() override { Reset(); }

  void ShowSelection(bool bScroll) override {
    if (m_hList == nullptr) return;
    const int wanted = m_list.GetCurSel();
    const auto shown = static_cast<int>(::SendMessageW(m_hList, LB_GETCURSEL, 0, 0));
    if (wanted == shown && !bScroll) return;
    if (bScroll || wanted < 0) {
      // LB_SETCURSEL scrolls the item into view, and tells nobody.
      ::SendMessageW(m_hList, LB_SETCURSEL, static_cast<WPARAM>(wanted), 0);
      return;
    }
    // Selected where the list stands: the rows stay where they were.
    const LRESULT top = ::SendMessageW(m_hList, LB_GETTOPINDEX, 0, 0);
    ::SendMessageW(m_hList, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(m_hList, LB_SETCURSEL, static_cast<WPARAM>(wanted), 0);
    ::SendMessageW(m_hList, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    ::SendMessageW(m_hList, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_hList, nullptr, TRUE);
  }

 private:
  void Reset() {
    ::SendMessageW(m_hList, LB_RESETCONTENT, 0, 0);
    ::SendMessageW(m_hList, LB_SETCOUNT, static_cast<WPARAM>(m_list.GetCount()), 0);
    ShowSelection(false);
  }

  // One line of the list's font. The list box measured its rows before the
  // dialog gave it its font, and the font can change later (a move to a
  // monitor of another DPI).
  void SetRowHeight() {
    HDC dc = ::GetDC(m_hList);
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(m_hList, WM_GETFONT, 0, 0));
    HGDIOBJ old = font != nullptr ? ::SelectObject(dc, font) : nullptr;
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    if (old != nullptr) ::SelectObject(dc, old);
    ::ReleaseDC(m_hList, dc);
    if (tm.tmHeight > 0) ::SendMessageW(m_hList, LB_SETITEMHEIGHT, 0, tm.tmHeight);
  }

  // The user's selection, as the list box reports it.
  void OnSelChange() {
    const auto row = static_cast<int>(::SendMessageW(m_hList, LB_GETCURSEL, 0, 0));
    if (row >= 0 && row == m_list.GetCurSel()) {
      m_list.OnUserReselected();
    } else {
      m_list.OnUserSelection(row, true);
    }
  }

  // A typed character: the next item that begins with it.
  void OnTyped(wchar_t c) {
    const auto b = UnicodeToCp1251(static_cast<char16_t>(c));
    if (!b) return;  // no item can begin with a character the list cannot hold
    const int row = m_list.FindString(m_list.GetCurSel(), std::string(1, static_cast<char>(*b)));
    if (row < 0) return;
    ::SendMessageW(m_hList, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    m_list.OnUserSelection(row, true);
  }

  void Draw(const DRAWITEMSTRUCT& d) const {
    const bool bFocus = (d.itemState & ODS_FOCUS) != 0;
    if (d.itemAction == ODA_FOCUS || d.itemID == static_cast<UINT>(-1) ||
        static_cast<int>(d.itemID) >= m_list.GetCount()) {
      // Only the focus changed, or there is no row: the focus rectangle
      // alone, which DrawFocusRect turns on and off.
      if (d.itemAction == ODA_FOCUS || bFocus) ::DrawFocusRect(d.hDC, &d.rcItem);
      return;
    }
    const bool bSelected = (d.itemState & ODS_SELECTED) != 0;
    const bool bDisabled = (d.itemState & ODS_DISABLED) != 0;
    ::SetBkColor(d.hDC, ::GetSysColor(bSelected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    ::SetTextColor(d.hDC, ::GetSysColor(bDisabled   ? COLOR_GRAYTEXT
                                        : bSelected ? COLOR_HIGHLIGHTTEXT
                                                    : COLOR_WINDOWTEXT));
    const std::wstring text =
        win32::WideOfCp1251(m_list.View().TextAt(static_cast<int>(d.itemID)).substr(0, kMaxRowText));
    // A little room before the text, as list boxes leave it.
    ::ExtTextOutW(d.hDC, d.rcItem.left + 2, d.rcItem.top, ETO_OPAQUE | ETO_CLIPPED, &d.rcItem,
                  text.c_str(), static_cast<UINT>(text.size()), nullptr);
    if (bFocus) ::DrawFocusRect(d.hDC, &d.rcItem);
  }

  static LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR /*id*/, DWORD_PTR data) {
    auto* pSelf = reinterpret_cast<CWin32ListControl*>(data);
    try {
      switch (message) {
        case win32::kReflectedCommand:
          if (HIWORD(wParam) == LBN_SELCHANGE) pSelf->OnSelChange();
          return TRUE;  // the list's notifications are the list's alone
        case win32::kReflectedDrawItem:
          pSelf->Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
          return TRUE;
        case WM_CHAR:
          if (wParam < L' ') break;
          pSelf->OnTyped(static_cast<wchar_t>(wParam));
          return 0;
        case WM_SETFONT: {
          const LRESULT result = ::DefSubclassProc(hwnd, message, wParam, lParam);
          pSelf->SetRowHeight();
          return result;
        }
        case WM_NCDESTROY:
          ::RemoveWindowSubclass(hwnd, ListProc, kListSubclass);
          ::RemovePropW(hwnd, kAttachedProperty);
          pSelf->m_hList = nullptr;
          break;
        default:
          break;
      }
    } catch (...) {
      // Out of memory while drawing a row: the row stays as it was.
      return 0;
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
  }

  HWND m_hList;
  CListBox& m_list;
  int m_nChanged = -1;
};

}  // namespace

std::unique_ptr<IListControl> AttachListControl(CDialog& dlg, int nID, CListBox& list) {
  HWND hList = dlg.Window().GetDlgItem(nID);
  if (hList == nullptr || !win32::IsWindowClass(hList, L"ListBox")) return nullptr;
  if (CWin32ListControl::IsAttached(hList)) return nullptr;
  return std::make_unique<CWin32ListControl>(hList, list);
}

}  // namespace velunar

#include "ui/platform/win32/dialog_fitting.h"

#include <cstring>

namespace velunar::win32 {

namespace {

// Reads the WORD at `at`, if the template holds it.
std::optional<WORD> WordAt(std::span<const std::byte> t, std::size_t at) {
  if (at + sizeof(WORD) > t.size()) return std::nullopt;
  WORD w;
  std::memcpy(&w, t.data() + at, sizeof w);
  return w;
}

// The offset after a name or ordinal field (sz_Or_Ord) at `at`: 0x0000
// (none), 0xFFFF and an ordinal, or a NUL-terminated UTF-16 string.
std::optional<std::size_t> SkipNameOrOrdinal(std::span<const std::byte> t, std::size_t at) {
  const auto first = WordAt(t, at);
  if (!first) return std::nullopt;
  if (*first == 0x0000) return at + 2;
  if (*first == 0xFFFF) return at + 4 <= t.size() ? std::optional(at + 4) : std::nullopt;
  for (std::size_t p = at;; p += 2) {
    const auto c = WordAt(t, p);
    if (!c) return std::nullopt;
    if (*c == 0) return p + 2;
  }
}

}  // namespace

std::optional<std::size_t> PointSizeOffset(std::span<const std::byte> t) {
  // dlgVer, signature, helpID, exStyle, style, cDlgItems, x, y, cx, cy.
  constexpr std::size_t kStyleAt = 12;
  constexpr std::size_t kMenuAt = 26;
  if (WordAt(t, 0) != WORD{1} || WordAt(t, 2) != WORD{0xFFFF} || t.size() < kMenuAt) {
    return std::nullopt;
  }
  DWORD style;
  std::memcpy(&style, t.data() + kStyleAt, sizeof style);
  if ((style & DS_SETFONT) == 0) return std::nullopt;
  // The menu, the window class and the title come before the font.
  std::optional<std::size_t> at = SkipNameOrOrdinal(t, kMenuAt);
  if (at) at = SkipNameOrOrdinal(t, *at);
  if (at) at = SkipNameOrOrdinal(t, *at);
  if (!at || !WordAt(t, *at)) return std::nullopt;
  return at;
}

int FittingPointSize(int designed, SIZE area, const std::function<SIZE(int)>& sizeAt) {
  const int smallest = (designed + 1) / 2;
  for (int points = designed; points > smallest; --points) {
    const SIZE size = sizeAt(points);
    if (size.cx <= area.cx && size.cy <= area.cy) return points;
  }
  return smallest;
}

}  // namespace velunar::win32

// Text rules: the case table, the list order and the searches built on them.
//
// Both tables are fixed at compile time for Windows-1251, the program's text
// code page. The static_asserts below check what the rest of the program
// relies on: 73 upper-case letters, folding that is idempotent, and a rank
// that is shared by a letter and its capital and by nothing else.
#include "store/text/text_rules.h"

#include <array>
#include <charconv>
#include <cstring>

namespace velunar {

namespace {

using ByteTable = std::array<unsigned char, 256>;

// Upper-case letter and its lower-case byte. Latin A-Z and Cyrillic А-Я are
// added as ranges below; these are the letters outside those ranges.
struct CasePair {
  unsigned char upper;
  unsigned char lower;
};
constexpr CasePair kOtherCasePairs[] = {
    {0xA8, 0xB8},  // Ё ё
    {0x80, 0x90},  // Ђ ђ
    {0x81, 0x83},  // Ѓ ѓ
    {0x8A, 0x9A},  // Љ љ
    {0x8C, 0x9C},  // Њ њ
    {0x8D, 0x9D},  // Ќ ќ
    {0x8E, 0x9E},  // Ћ ћ
    {0x8F, 0x9F},  // Џ џ
    {0xA1, 0xA2},  // Ў ў
    {0xA3, 0xBC},  // Ј ј
    {0xA5, 0xB4},  // Ґ ґ
    {0xAA, 0xBA},  // Є є
    {0xAF, 0xBF},  // Ї ї
    {0xB2, 0xB3},  // І і
    {0xBD, 0xBE},  // Ѕ ѕ
};

// kCaseTable[b] is the lower-case byte of b when b is an upper-case letter,
// and b itself otherwise.
constexpr ByteTable MakeCaseTable() {
  ByteTable table{};
  for (int b = 0; b < 256; ++b) table[b] = static_cast<unsigned char>(b);
  for (int b = 'A'; b <= 'Z'; ++b) table[b] = static_cast<unsigned char>(b + 0x20);
  for (int b = 0xC0; b <= 0xDF; ++b) table[b] = static_cast<unsigned char>(b + 0x20);
  for (const CasePair& p : kOtherCasePairs) table[p.upper] = p.lower;
  return table;
}
constexpr ByteTable kCaseTable = MakeCaseTable();

constexpr int CountUpperLetters() {
  int n = 0;
  for (int b = 0; b < 256; ++b) n += kCaseTable[b] != b;
  return n;
}
static_assert(CountUpperLetters() == 73);

constexpr bool FoldingIsIdempotent() {
  for (int b = 0; b < 256; ++b) {
    if (kCaseTable[kCaseTable[b]] != kCaseTable[b]) return false;
  }
  return true;
}
static_assert(FoldingIsIdempotent());

// Every folded byte, in list order. A capital is not listed: it takes the
// rank of its lower-case letter.
//
// Control bytes come first, then the space, then every other sign: the ASCII
// ones in ASCII order, then DEL and the Windows-1251 signs in byte order.
// Digits, Latin letters and Cyrillic letters follow. Cyrillic goes in Russian
// alphabetical order, with ё as a letter of its own after е (as Russian
// dictionaries put it) and each non-Russian letter right after the Russian
// letter nearest to it in sound or shape.
// clang-format off
constexpr unsigned char kListOrder[] = {
    // Control bytes.
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F,
    // Space.
    0x20,
    // ASCII signs: ! " # $ % & ' ( ) * + , - . /  : ; < = > ? @  [ \ ] ^ _ `  { | } ~
    0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F,
    0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40,
    0x5B, 0x5C, 0x5D, 0x5E, 0x5F, 0x60,
    0x7B, 0x7C, 0x7D, 0x7E,
    // DEL and the signs of the upper half, in byte order:
    // ‚ „ … † ‡ € ‰ ‹  ‘ ’ “ ” • – — (0x98) ™ ›  NBSP ¤ ¦ § © « ¬ SHY ®  ° ± µ ¶ · № »
    0x7F,
    0x82, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8B,
    0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9B,
    0xA0, 0xA4, 0xA6, 0xA7, 0xA9, 0xAB, 0xAC, 0xAD, 0xAE,
    0xB0, 0xB1, 0xB5, 0xB6, 0xB7, 0xB9, 0xBB,
    // Digits 0-9.
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39,
    // Latin a-z.
    0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D,
    0x6E, 0x6F, 0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A,
    // Cyrillic.
    0xE0,              // а
    0xE1,              // б
    0xE2,              // в
    0xE3, 0xB4, 0x83,  // г ґ ѓ
    0xE4, 0x90,        // д ђ
    0xE5, 0xB8, 0xBA,  // е ё є
    0xE6,              // ж
    0xE7, 0xBE,        // з ѕ
    0xE8, 0xB3, 0xBF,  // и і ї
    0xE9, 0xBC,        // й ј
    0xEA, 0x9D,        // к ќ
    0xEB, 0x9A,        // л љ
    0xEC,              // м
    0xED, 0x9C,        // н њ
    0xEE,              // о
    0xEF,              // п
    0xF0,              // р
    0xF1,              // с
    0xF2, 0x9E,        // т ћ
    0xF3, 0xA2,        // у ў
    0xF4,              // ф
    0xF5,              // х
    0xF6,              // ц
    0xF7, 0x9F,        // ч џ
    0xF8,              // ш
    0xF9,              // щ
    0xFA,              // ъ
    0xFB,              // ы
    0xFC,              // ь
    0xFD,              // э
    0xFE,              // ю
    0xFF,              // я
};
// clang-format on
static_assert(sizeof(kListOrder) == 256 - 73, "one place for every folded byte");

// kRankTable[b] is the rank of b's folded form: its 1-based place in
// kListOrder. Rank 0 is left free for padding in ListOrderKey.
constexpr ByteTable MakeRankTable() {
  ByteTable by_folded{};
  unsigned char rank = 0;
  for (unsigned char b : kListOrder) by_folded[b] = ++rank;
  ByteTable table{};
  for (int b = 0; b < 256; ++b) table[b] = by_folded[kCaseTable[b]];
  return table;
}
constexpr ByteTable kRankTable = MakeRankTable();

// Every byte has a rank, and two bytes share one exactly when they fold to
// the same byte; so a listed byte that is not folded, or one listed twice,
// fails here.
constexpr bool RanksMatchFolding() {
  // The rank each folded byte has, and the folded byte each rank stands for:
  // both must be one value throughout. One pass, so that every compiler's
  // limit on constant evaluation allows it.
  std::array<int, 256> rankOfFolded{};
  std::array<int, 256> foldedOfRank{};
  rankOfFolded.fill(-1);
  foldedOfRank.fill(-1);
  for (int a = 0; a < 256; ++a) {
    const int rank = kRankTable[a];
    const int folded = kCaseTable[a];
    if (rank == 0) return false;
    if (rankOfFolded[folded] < 0) rankOfFolded[folded] = rank;
    if (foldedOfRank[rank] < 0) foldedOfRank[rank] = folded;
    if (rankOfFolded[folded] != rank || foldedOfRank[rank] != folded) return false;
  }
  return true;
}
static_assert(RanksMatchFolding());

inline unsigned char At(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}

// Folds `n` bytes from `in` to `out`; the two may be the same buffer.
inline void FoldBytes(const char* in, char* out, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    out[i] = static_cast<char>(kCaseTable[static_cast<unsigned char>(in[i])]);
  }
}

inline int Sign(int v) { return (v > 0) - (v < 0); }

}  // namespace

unsigned char FoldByte(unsigned char b) { return kCaseTable[b]; }

std::string FoldedCopy(std::string_view s) {
  std::string folded(s.size(), '\0');
  FoldBytes(s.data(), folded.data(), s.size());
  return folded;
}

bool IsEqual(std::string_view a, std::string_view b) { return a == b; }

std::ptrdiff_t FindSubstring(std::string_view s, std::string_view needle, std::ptrdiff_t start) {
  if (start < 0 || static_cast<std::size_t>(start) > s.size()) return -1;
  const std::size_t pos = s.find(needle, static_cast<std::size_t>(start));
  return pos == std::string_view::npos ? -1 : static_cast<std::ptrdiff_t>(pos);
}

bool BeginsWith(std::string_view s, std::string_view prefix) {
  return FindSubstring(s, prefix, 0) == 0;
}

CQueryMatcher::CQueryMatcher(std::string_view query) : m_strFolded(FoldedCopy(query)) {}

bool CQueryMatcher::Matches(std::string_view entry) const {
  const std::size_t m = m_strFolded.size();
  if (m == 0) return true;
  // A query longer than the entry cannot occur in it.
  if (entry.size() < m) return false;
  // Folding on the fly: the query's first letter is looked for through the
  // case table, and only where it stands are the others compared. No copy of
  // the entry is made; most entries hold the first letter a few times.
  const auto* p = reinterpret_cast<const unsigned char*>(entry.data());
  const auto* q = reinterpret_cast<const unsigned char*>(m_strFolded.data());
  const unsigned char first = q[0];
  const std::size_t last = entry.size() - m;
  for (std::size_t i = 0; i <= last; ++i) {
    if (kCaseTable[p[i]] != first) continue;
    std::size_t k = 1;
    while (k < m && kCaseTable[p[i + k]] == q[k]) ++k;
    if (k == m) return true;
  }
  return false;
}

std::string DecimalCount(int n) {
  char buf[16];  // "-2147483648" is the longest
  const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, n);
  return std::string(buf, r.ptr);
}

int CompareListOrder(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  std::size_t i = 0;
  // Equal bytes have equal ranks, so a run of equal bytes (sorted entries
  // share long beginnings) is skipped eight at a time without the table.
  while (i + 8 <= n) {
    std::uint64_t wa;
    std::uint64_t wb;
    std::memcpy(&wa, a.data() + i, 8);
    std::memcpy(&wb, b.data() + i, 8);
    if (wa != wb) break;
    i += 8;
  }
  for (; i < n; ++i) {
    const unsigned char ca = At(a, i);
    const unsigned char cb = At(b, i);
    if (ca != cb) {
      const int diff = int{kRankTable[ca]} - int{kRankTable[cb]};
      if (diff != 0) return diff;
    }
  }
  return (a.size() > b.size()) - (a.size() < b.size());
}

std::uint64_t ListOrderKey(std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  if (s.size() >= 8) {
    // The common case, without a length test per byte: a load keys every
    // text once and every long tie again.
    return std::uint64_t{kRankTable[p[0]]} << 56 | std::uint64_t{kRankTable[p[1]]} << 48 |
           std::uint64_t{kRankTable[p[2]]} << 40 | std::uint64_t{kRankTable[p[3]]} << 32 |
           std::uint64_t{kRankTable[p[4]]} << 24 | std::uint64_t{kRankTable[p[5]]} << 16 |
           std::uint64_t{kRankTable[p[6]]} << 8 | std::uint64_t{kRankTable[p[7]]};
  }
  std::uint64_t key = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    key = (key << 8) | (i < s.size() ? kRankTable[p[i]] : 0u);
  }
  return key;
}

int ComparePrefixRange(std::string_view item, std::string_view prefix) {
  const std::size_t n = item.size() < prefix.size() ? item.size() : prefix.size();
  for (std::size_t i = 0; i < n; ++i) {
    const int diff = int{kRankTable[At(item, i)]} - int{kRankTable[At(prefix, i)]};
    if (diff != 0) return Sign(diff);
  }
  // The item agrees with the prefix as far as both go: it is in the range
  // when it holds the whole prefix, and before the range when it is a
  // proper beginning of it (a shorter text comes first).
  return item.size() >= prefix.size() ? 0 : -1;
}

}  // namespace velunar

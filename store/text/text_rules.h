// Text rules: how entries are compared, folded, searched and ordered.
//
// Entries are Windows-1251 byte strings (the program's text code page); a
// position or a length counts bytes, and one byte is one character. Every
// rule here is a pure function of its arguments and the constant tables in
// text_rules.cpp: nothing depends on the process locale.
#ifndef VELUNAR_STORE_TEXT_TEXT_RULES_H_
#define VELUNAR_STORE_TEXT_TEXT_RULES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velunar {

// The lower-case byte of an upper-case letter, and every other byte
// unchanged. The upper-case letters are the 73 of Windows-1251: Latin A-Z,
// Cyrillic capitals, Yo and the Ukrainian, Belarusian, Serbian and
// Macedonian capitals.
unsigned char FoldByte(unsigned char b);

// `s` with every upper-case letter folded to lower case. The length never
// changes and folding a folded text changes nothing.
std::string FoldedCopy(std::string_view s);

// Byte-for-byte equality: no folding, trimming or normalisation.
bool IsEqual(std::string_view a, std::string_view b);

// Position of the first occurrence of `needle` in `s` that starts at or
// after `start`, counted from the beginning of `s`; -1 when there is none or
// when `start` is negative or lies beyond the end of `s`. An empty needle
// matches at `start` itself (so at s.size() too). Exact bytes, no folding.
std::ptrdiff_t FindSubstring(std::string_view s, std::string_view needle, std::ptrdiff_t start);

// True when `s` begins with `prefix`, exactly.
bool BeginsWith(std::string_view s, std::string_view prefix);

// Find's match: true when the folded query occurs anywhere in the folded
// entry; the entry itself is not changed, and an empty query matches every
// entry. The query is folded once, for a pass over many entries.
class CQueryMatcher {
 public:
  explicit CQueryMatcher(std::string_view query);
  bool Matches(std::string_view entry) const;
  // The query, folded.
  const std::string& Query() const { return m_strFolded; }

 private:
  std::string m_strFolded;
};

// `n` in ASCII decimal digits as "%d" writes it: no sign for n >= 0, no
// leading zeros, no grouping; 0 is "0". A negative n gets a leading '-'.
std::string DecimalCount(int n);

// List order: the order in which the view list keeps its items.
//
// Texts are ordered by their folded forms, byte by byte, each folded byte
// taken at its place in Russian alphabetical order: control bytes, then
// the space, then punctuation and every other sign (ASCII signs in ASCII
// order, then DEL and the Windows-1251 signs such as NBSP, quotes, dashes,
// №, « and » in byte order), then digits, then Latin letters, then Cyrillic.
// Ё comes right after Е as a letter of its own; the other Cyrillic letters
// outside Russian stand right after the Russian letter nearest to them
// (ґ after г, є after ё, і and ї after и, ...). A text comes before every
// longer text that begins with it. Texts with equal folded forms compare
// equal: the view list keeps them in the order in which they arrived.
//
// Returns a negative number, 0 or a positive number as `a` comes before,
// together with, or after `b`.
int CompareListOrder(std::string_view a, std::string_view b);

// The ranks in list order of the first eight bytes of `s`, most significant
// first, padded with 0: comparing two keys agrees with CompareListOrder
// wherever the keys differ. Each byte has a rank from 1 to 255 (a letter
// and its capital share one), so a key padded with 0 sorts before any
// longer text. For sorting many texts quickly.
std::uint64_t ListOrderKey(std::string_view s);

// Find-prefix's match, as an order: `item` is in the set of texts that begin
// with `prefix` when its first prefix.size() bytes, folded, equal the
// folded prefix (an item shorter than the prefix never is). Orders `item`
// against that set:
// 0 when `item` is in that set, negative when it comes before all of them in
// list order, positive when after. Over a list in list order this is
// monotone, which is what makes a prefix search a binary search.
int ComparePrefixRange(std::string_view item, std::string_view prefix);

}  // namespace velunar

#endif  // VELUNAR_STORE_TEXT_TEXT_RULES_H_

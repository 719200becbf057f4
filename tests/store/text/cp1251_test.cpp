// Tests of the Windows-1251 map. Expected characters are written as the
// characters themselves (this file is UTF-8), taken from the code page's
// published chart.
#include "store/text/cp1251.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

namespace velunar {
namespace {

TEST(Cp1251Test, HandCheckedBytes) {
  struct Row {
    unsigned char byte;
    char16_t ch;
  };
  const Row rows[] = {
      {0x00, u'\0'}, {0x09, u'\t'},     {0x0D, u'\r'},     {0x20, u' '}, {0x41, u'A'},
      {0x7E, u'~'},  {0x7F, u'\x7F'},   {0x80, u'Ђ'},      {0x81, u'Ѓ'}, {0x82, u'‚'},
      {0x83, u'ѓ'},  {0x84, u'„'},      {0x85, u'…'},      {0x88, u'€'}, {0x89, u'‰'},
      {0x8B, u'‹'},  {0x8F, u'Џ'},      {0x90, u'ђ'},      {0x91, u'‘'}, {0x93, u'“'},
      {0x96, u'–'},  {0x97, u'—'},      {0x98, u'\u0098'}, {0x99, u'™'}, {0x9B, u'›'},
      {0x9F, u'џ'},  {0xA0, u'\u00A0'}, {0xA1, u'Ў'},      {0xA2, u'ў'}, {0xA3, u'Ј'},
      {0xA5, u'Ґ'},  {0xA7, u'§'},      {0xA8, u'Ё'},      {0xA9, u'©'}, {0xAA, u'Є'},
      {0xAB, u'«'},  {0xAD, u'\u00AD'}, {0xAF, u'Ї'},      {0xB0, u'°'}, {0xB2, u'І'},
      {0xB3, u'і'},  {0xB4, u'ґ'},      {0xB5, u'µ'},      {0xB8, u'ё'}, {0xB9, u'№'},
      {0xBA, u'є'},  {0xBB, u'»'},      {0xBC, u'ј'},      {0xBD, u'Ѕ'}, {0xBE, u'ѕ'},
      {0xBF, u'ї'},  {0xC0, u'А'},      {0xC8, u'И'},      {0xDF, u'Я'}, {0xE0, u'а'},
      {0xFF, u'я'},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(static_cast<int>(r.byte));
    EXPECT_EQ(Cp1251ToUnicode(r.byte), r.ch);
    EXPECT_EQ(UnicodeToCp1251(r.ch), r.byte);
  }
}

TEST(Cp1251Test, CyrillicAlphabetInOrder) {
  const std::u16string_view alphabet =
      u"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя";
  std::string bytes;
  for (int b = 0xC0; b <= 0xFF; ++b) bytes.push_back(static_cast<char>(b));
  EXPECT_EQ(DecodeCp1251(bytes), alphabet);
  EXPECT_EQ(EncodeCp1251(alphabet), bytes);
}

TEST(Cp1251Test, AllBytesSurviveARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::u16string text = DecodeCp1251(all);
  ASSERT_EQ(text.size(), 256u);
  EXPECT_EQ(std::set<char16_t>(text.begin(), text.end()).size(), 256u);  // no two alike
  EXPECT_EQ(EncodeCp1251(text), all);
}

TEST(Cp1251Test, BuildTimeTextsHaveTheCodePagesBytes) {
  // Every character of the upper half, in byte order, written in UTF-8.
  constexpr std::string_view kUpperHalf = kInCp1251<
      u8"ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏђ‘’“”•–—\u0098™љ›њќћџ"
      u8"\u00A0ЎўЈ¤Ґ¦§Ё©Є«¬\u00AD®Ї°±Ііґµ¶·ё№є»јЅѕї"
      u8"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"
      u8"абвгдежзийклмнопрстуфхцчшщъыьэюя">;
  std::string bytes;
  for (int b = 0x80; b <= 0xFF; ++b) bytes.push_back(static_cast<char>(b));
  EXPECT_EQ(kUpperHalf, bytes);
  constexpr std::string_view kAscii = kInCp1251<u8"\t !~\x7F">;
  EXPECT_EQ(kAscii, "\t !~\x7F");
}

TEST(Cp1251Test, OnlyTheCodePagesCharactersHaveBytes) {
  int with_byte = 0;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    const std::optional<unsigned char> b = UnicodeToCp1251(c);
    if (!b) continue;
    ++with_byte;
    SCOPED_TRACE(static_cast<unsigned>(c));
    EXPECT_EQ(Cp1251ToUnicode(*b), c);
  }
  EXPECT_EQ(with_byte, 256);
}

TEST(Cp1251Test, WholeTexts) {
  EXPECT_EQ(DecodeCp1251("\xC8\xE2\xE0\xED"), u"Иван");
  EXPECT_EQ(EncodeCp1251(u"Иван"), std::string("\xC8\xE2\xE0\xED"));
  EXPECT_EQ(DecodeCp1251(""), u"");
  EXPECT_EQ(EncodeCp1251(u""), std::string());
  // Embedded NUL and a lone CR come through as they are.
  EXPECT_EQ(DecodeCp1251(std::string_view("a\0\r", 3)), std::u16string_view(u"a\0\r", 3));
  EXPECT_EQ(EncodeCp1251(std::u16string_view(u"a\0\r", 3)), std::string("a\0\r", 3));
  // "Петров — №5 «дом»"
  EXPECT_EQ(EncodeCp1251(u"Петров — №5 «дом»"), std::string("\xCF\xE5\xF2\xF0\xEE\xE2 \x97 \xB9"
                                                            "5 \xAB\xE4\xEE\xEC\xBB"));
}

TEST(Cp1251Test, CharactersWithoutAByteFail) {
  struct Row {
    const char* what;
    std::u16string_view text;
  };
  const Row rows[] = {
      {"e acute", u"\u00E9"},
      {"in a word", u"Caf\u00E9"},
      {"CJK", u"\u6F22"},
      {"emoji as a surrogate pair", u"\U0001F600"},
      {"lone high surrogate", std::u16string_view(u"a\xD83D", 2)},
      {"lone low surrogate", std::u16string_view(u"\xDE00z", 2)},
      {"U+0081 (0x81 is Ѓ, not this)", u"\u0081"},
      {"Greek mu (µ has its own byte)", u"\u03BC"},
      {"hyphen U+2010", u"\u2010"},
      {"replacement character", u"\uFFFD"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(EncodeCp1251(r.text), std::nullopt);
  }
  EXPECT_EQ(UnicodeToCp1251(U'\U0001F600'), std::nullopt);
  EXPECT_EQ(UnicodeToCp1251(0x110000), std::nullopt);
  EXPECT_EQ(UnicodeToCp1251(0x0400 + 0x10000), std::nullopt);  // Ѐ's plane-1 twin
}

}  // namespace
}  // namespace velunar

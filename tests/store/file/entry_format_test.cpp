// The entry file's bytes: what reading takes as entries, what it keeps as
// the tail, and what a save writes back.
#include "store/file/entry_format.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/text/text_rules.h"

namespace velunar {
namespace {

using namespace std::string_literals;

std::vector<std::string> Strings(const std::vector<std::string_view>& views) {
  return {views.begin(), views.end()};
}

std::vector<std::string_view> Views(const std::vector<std::string>& strings) {
  return {strings.begin(), strings.end()};
}

// What a save of `entries` and `tail` writes, through the one writer, in
// pieces of an odd size.
std::string Saved(const std::vector<std::string>& entries, std::string_view tail) {
  const std::vector<std::string_view> views = Views(entries);
  std::string piece(7, '\0');
  std::string out;
  EXPECT_TRUE(WriteEntries([&](const std::function<void(CEntryRun)>& visit) { visit(views); }, tail,
                           piece, [&](std::string_view bytes) {
                             out += bytes;
                             return true;
                           }));
  return out;
}

// Each row: a file as it lies on the disk, the entries and the tail reading
// must give, and the bytes a save of those entries (in the order given) and
// that tail writes. Where `saved` equals `file`, the file round-trips byte
// for byte. After a hex escape comes no hex digit, so that it ends there.
struct FileRow {
  const char* name;
  std::string file;
  std::vector<std::string> entries;
  std::string tail;
  std::string saved;
};

std::vector<FileRow> FileRows() {
  return {
      {"empty file", "", {}, "", ""},
      {"CR LF", "a\r\nb\r\n", {"a", "b"}, "", "a\r\nb\r\n"},
      {"LF only", "b\na\n", {"b", "a"}, "", "b\r\na\r\n"},
      {"no final line end", "a\r\nb", {"a", "b"}, "", "a\r\nb\r\n"},
      {"lone CR inside a line", "a\rb\r\n", {"a\rb"}, "", "a\rb\r\n"},
      {"lone CR at the end of a line", "a\r\r\n", {"a\r"}, "", "a\r\r\n"},
      {"lone CR at the end of the file", "a\r", {"a\r"}, "", "a\r\r\n"},
      {"line of a lone CR", "\r\r\nb\r\n", {"\r", "b"}, "", "\r\r\nb\r\n"},
      {"lone CR ending a LF file", "a\n\r", {"a", "\r"}, "", "a\r\n\r\r\n"},
      {"0x1A in the middle of a line",
       "a\r\nb\x1Ay\r\nd\r\n",
       {"a", "b"},
       "\x1Ay\r\nd\r\n",
       "a\r\nb\r\n\x1Ay\r\nd\r\n"},
      {"0x1A at the start of a line", "a\r\n\x1Az\r\n", {"a"}, "\x1Az\r\n", "a\r\n\x1Az\r\n"},
      {"0x1A right after a lone CR", "a\r\x1A", {"a\r"}, "\x1A", "a\r\r\n\x1A"},
      {"0x1A alone", "\x1A", {}, "\x1A", "\x1A"},
      {"empty line in the middle", "a\r\n\r\nb\r\n", {"a"}, "\r\nb\r\n", "a\r\n\r\nb\r\n"},
      {"empty LF line in the middle", "a\n\nb\n", {"a"}, "\nb\n", "a\r\n\nb\n"},
      {"empty line before 0x1A", "a\r\n\r\n\x1Az", {"a"}, "\r\n\x1Az", "a\r\n\r\n\x1Az"},
      {"file beginning with CR LF", "\r\na\r\n", {}, "\r\na\r\n", "\r\na\r\n"},
      {"file beginning with LF", "\na", {}, "\na", "\na"},
      {"byte-order mark", "\xEF\xBB\xBFs\r\n", {"\xEF\xBB\xBFs"}, "", "\xEF\xBB\xBFs\r\n"},
      {"equal lines", "a\r\na\r\nb\r\n", {"a", "a", "b"}, "", "a\r\na\r\nb\r\n"},
      {"Cyrillic bytes",
       "\xC8\xE2\xE0\xED\r\n\xB8\xE6\r\n",
       {"\xC8\xE2\xE0\xED", "\xB8\xE6"},
       "",
       "\xC8\xE2\xE0\xED\r\n\xB8\xE6\r\n"},
      {"NUL inside a line", "a\0b\r\n\0\r\n"s, {"a\0b"s, "\0"s}, "", "a\0b\r\n\0\r\n"s},
      {"leading and trailing spaces",
       "  a  \r\n\tb\t\r\n",
       {"  a  ", "\tb\t"},
       "",
       "  a  \r\n\tb\t\r\n"},
      {"line of spaces is not empty", " \r\n", {" "}, "", " \r\n"},
  };
}

TEST(EntryFormat, ReadsEntriesAndTailAndWritesThemBack) {
  for (const FileRow& row : FileRows()) {
    SCOPED_TRACE(row.name);
    for (EScanPath path : AvailableScanPaths()) {
      SCOPED_TRACE("path " + std::to_string(static_cast<int>(path)));
      const CParsedEntries parsed = ParseEntries(row.file, path);
      EXPECT_EQ(Strings(parsed.entries), row.entries);
      EXPECT_EQ(std::string(parsed.tail), row.tail);
    }

    EXPECT_EQ(Saved(row.entries, row.tail), row.saved);
  }
}

// Bytes where line ends, CRs, empty lines and 0x1A fall anywhere, also
// across the sixteen-byte blocks of the vector path.
std::string RandomFileBytes(std::mt19937& rng, std::size_t size) {
  const char alphabet[] = {'a', '\xFF', '\r', '\n', '\n', '\x1A'};
  std::string bytes;
  for (std::size_t i = 0; i < size; ++i) {
    // Mostly text, so that lines run across blocks.
    bytes += rng() % 8 != 0 ? alphabet[rng() % 2] : alphabet[rng() % std::size(alphabet)];
  }
  return bytes;
}

// The file's rule, stated line by line: a line ends at LF, with the CR of a
// CR LF; the first empty line, or the first 0x1A, begins the tail.
CParsedEntries SplitByTheRule(std::string_view bytes) {
  CParsedEntries out;
  const std::string_view text = bytes.substr(0, bytes.find('\x1A'));
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t lf = text.find('\n', pos);
    if (lf == std::string_view::npos) {
      out.entries.push_back(text.substr(pos));
      pos = text.size();
      break;
    }
    const std::size_t end = lf > pos && text[lf - 1] == '\r' ? lf - 1 : lf;
    if (end == pos) break;
    out.entries.push_back(text.substr(pos, end - pos));
    pos = lf + 1;
  }
  out.tail = bytes.substr(pos);
  return out;
}

// Every scan path splits `bytes` as the rule does, into the same views.
void ExpectEveryPathSplitsAsTheRuleSays(const std::string& bytes) {
  const std::vector<EScanPath> paths = AvailableScanPaths();
  ASSERT_EQ(paths.front(), EScanPath::plain);
  const CParsedEntries want = SplitByTheRule(bytes);
  for (EScanPath path : paths) {
    SCOPED_TRACE("path " + std::to_string(static_cast<int>(path)));
    const CParsedEntries parsed = ParseEntries(bytes, path);
    ASSERT_EQ(parsed.entries, want.entries);
    // The same views, not only equal bytes: each entry and the tail start
    // where they should.
    for (std::size_t i = 0; i < want.entries.size(); ++i) {
      ASSERT_EQ(parsed.entries[i].data(), want.entries[i].data()) << "entry " << i;
    }
    ASSERT_EQ(parsed.tail.data(), want.tail.data());
    ASSERT_EQ(parsed.tail.size(), want.tail.size());

    // The same split as keys: each entry's offset, size and first ranks.
    const std::optional<CKeyedEntries> keyed = ParseKeyedEntries(bytes, path);
    ASSERT_TRUE(keyed.has_value());
    ASSERT_EQ(keyed->keys.size(), want.entries.size());
    for (std::size_t i = 0; i < want.entries.size(); ++i) {
      const std::string_view entry = want.entries[i];
      ASSERT_EQ(keyed->keys[i].place, static_cast<std::size_t>(entry.data() - bytes.data()))
          << "entry " << i;
      ASSERT_EQ(keyed->keys[i].size, entry.size()) << "entry " << i;
      ASSERT_EQ(keyed->keys[i].key, ListOrderKey(entry)) << "entry " << i;
    }
    ASSERT_EQ(keyed->tail.data(), want.tail.data());
    ASSERT_EQ(keyed->tail.size(), want.tail.size());
  }
}

TEST(EntryFormat, EveryPathSplitsAsTheRuleSays) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    std::mt19937 rng(seed);
    const std::size_t sizes[] = {0, 1, 15, 16, 17, 31, 32, 33, 47, 48, 49, 200, 3000};
    const std::string bytes = RandomFileBytes(rng, sizes[seed % std::size(sizes)]);
    SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(bytes.size()) + " bytes");
    ExpectEveryPathSplitsAsTheRuleSays(bytes);
  }
}

// Lines of any length, very short ones too (so that a block holds many
// line ends) and some over 255 bytes, with LF or CR LF ends and stray CRs,
// up to `size` bytes; then, by `ending`, nothing more, an empty line, or a
// 0x1A, each followed by more lines. So the entries run on across many blocks and chunks of
// the vector paths, and the tail begins anywhere in them.
std::string RandomLines(std::mt19937& rng, std::size_t size, int ending) {
  std::string bytes;
  auto addLines = [&](std::size_t until) {
    while (bytes.size() < until) {
      const std::size_t length = rng() % 4 == 0    ? 1 + rng() % 3
                                 : rng() % 16 == 0 ? 200 + rng() % 200
                                                   : 1 + rng() % 90;
      for (std::size_t i = 0; i < length; ++i) bytes += rng() % 16 == 0 ? '\r' : "a\xFF"[rng() % 2];
      bytes += rng() % 2 == 0 ? "\r\n" : "\n";
    }
    bytes.resize(until);
  };
  addLines(size);
  // The cut line ends first, so that what follows is an empty line.
  if (ending == 1) bytes += rng() % 2 == 0 ? "\n\r\n" : "\n\n";
  if (ending == 2) bytes += '\x1A';
  if (ending != 0) addLines(bytes.size() + 100);
  return bytes;
}

TEST(EntryFormat, EveryPathSplitsManyLinesAsTheRuleSays) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    std::mt19937 rng(seed);
    const std::size_t sizes[] = {63, 64, 65, 127, 128, 129, 4095, 4096, 4097, 10000};
    const std::string bytes =
        RandomLines(rng, sizes[seed % std::size(sizes)], static_cast<int>(seed % 3));
    SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(bytes.size()) + " bytes");
    ExpectEveryPathSplitsAsTheRuleSays(bytes);
  }
  // Chunks holding nothing but line ends, the most a chunk can hold: the
  // entries end at the first empty line, but the whole chunk is scanned.
  ExpectEveryPathSplitsAsTheRuleSays("a" + std::string(5000, '\n'));
  std::string shortLines;
  for (int i = 0; i < 5000; ++i) shortLines += i % 2 == 0 ? "a\n" : "b\r\n";
  ExpectEveryPathSplitsAsTheRuleSays(shortLines);
}

TEST(EntryFormat, SavedFileReadsBackTheSameEntriesAndTail) {
  for (const FileRow& row : FileRows()) {
    SCOPED_TRACE(row.name);
    const CParsedEntries reread = ParseEntries(row.saved);
    EXPECT_EQ(Strings(reread.entries), row.entries);
    EXPECT_EQ(std::string(reread.tail), row.tail);
  }
}

TEST(EntryFormat, LinesOfAnyLengthReadWhole) {
  for (std::size_t length : {1u, 127u, 128u, 129u, 100000u}) {
    SCOPED_TRACE(length);
    const std::string line(length, '\xE0');
    const std::string file = line + "\r\n" + "b\r\n";
    const CParsedEntries parsed = ParseEntries(file);
    ASSERT_EQ(parsed.entries.size(), 2u);
    EXPECT_EQ(parsed.entries[0].size(), length);
    EXPECT_EQ(parsed.entries[0], line);
    EXPECT_EQ(parsed.entries[1], "b");
    EXPECT_TRUE(parsed.tail.empty());
  }
}

TEST(EntryFormat, EntriesAndTailPointIntoTheBytes) {
  const std::string file = "ab\r\ncd\r\n\r\nx";
  const CParsedEntries parsed = ParseEntries(file);
  ASSERT_EQ(parsed.entries.size(), 2u);
  EXPECT_EQ(parsed.entries[0].data(), file.data());
  EXPECT_EQ(parsed.entries[1].data(), file.data() + 4);
  EXPECT_EQ(parsed.tail.data(), file.data() + 8);
}

TEST(EntryFormat, WritesEachLineFeedAsCrLf) {
  struct Row {
    std::string_view entry, want;
  };
  const Row rows[] = {
      {"a", "a\r\n"},
      {"a\n", "a\r\n\r\n"},
      {"\n\n", "\r\n\r\n\r\n"},
      {"a\nb", "a\r\nb\r\n"},
      {"a\r", "a\r\r\n"},                  // a CR alone is not a line end
      {"a\r\nb", "a\r\r\nb\r\n"},          // only the LF is translated
      {"\xC8\n\x1A", "\xC8\r\n\x1A\r\n"},  // other bytes pass unchanged
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.entry));
    EXPECT_EQ(Saved({std::string(r.entry)}, ""), r.want);
  }
}

// The save's bytes handed on piece by piece are the bytes written by hand,
// whatever the size of the piece and however the entries come in runs:
// entries longer than a piece, line feeds that fall on its edge, a piece of
// one byte, the kept tail after them.
TEST(WriteEntries, PiecesMakeUpTheSaveBytes) {
  const std::vector<std::string> texts = {"abc", "x\ny", "\n", "1234567", "a\r"};
  const std::string want = "abc\r\nx\r\ny\r\n\r\n\r\n1234567\r\na\r\r\n\r\nkept";
  const std::vector<std::string_view> views(texts.begin(), texts.end());
  const CEntryRuns runs = [&](const std::function<void(CEntryRun)>& visit) {
    visit(CEntryRun(views).first(2));
    visit(CEntryRun(views).subspan(2));
  };
  for (std::size_t size : {1u, 2u, 3u, 4u, 5u, 8u, 31u, 32u, 64u}) {
    SCOPED_TRACE("piece of " + std::to_string(size));
    std::string piece(size, '\0');
    std::vector<std::string> written;
    EXPECT_TRUE(WriteEntries(runs, "\r\nkept", std::span<char>(piece.data(), size),
                             [&](std::string_view p) {
                               written.emplace_back(p);
                               return true;
                             }));
    std::string joined;
    for (std::size_t i = 0; i < written.size(); ++i) {
      joined += written[i];
      if (i + 1 < written.size()) {
        EXPECT_EQ(written[i].size(), size) << "piece " << i;
      }
    }
    EXPECT_FALSE(written.empty() || written.back().empty());
    EXPECT_EQ(joined, want);
  }
}

TEST(WriteEntries, StopsAtTheFirstFailedWrite) {
  const std::vector<std::string> texts(100, "entry");
  const std::vector<std::string_view> views(texts.begin(), texts.end());
  std::string piece(16, '\0');
  int calls = 0;
  EXPECT_FALSE(WriteEntries([&](const std::function<void(CEntryRun)>& visit) { visit(views); },
                            "tail", std::span<char>(piece.data(), 16),
                            [&](std::string_view) { return ++calls < 2; }));
  EXPECT_EQ(calls, 2);
}

TEST(WriteEntries, NoEntriesWriteTheTailAlone) {
  EXPECT_EQ(Saved({}, ""), "");
  EXPECT_EQ(Saved({}, "\x1A"), "\x1A");
}

}  // namespace
}  // namespace velunar

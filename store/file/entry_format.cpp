#include "store/file/entry_format.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "store/fast/huge_pages.h"
#include "store/fast/line_scan.h"

namespace velunar {

namespace {

constexpr char kEndOfFile = '\x1A';

// Splits `bytes` by the format: reserve(n) once, with the most entries there
// can be, then entry(pos, end) for each entry [pos, end) in file order.
// Returns where the kept tail starts.
template <class Reserve, class Entry>
std::size_t SplitEntries(std::string_view bytes, EScanPath path, Reserve reserve, Entry entry) {
  // Nothing from the first 0x1A on is read as lines, so cut there once
  // instead of testing every byte of every line for it.
  const std::string_view text = bytes.substr(0, bytes.find(kEndOfFile));
  const char* p = text.data();
  // One entry per line at most: reserving once spares a million-line file
  // twenty reallocations of the list, and the peak of the last one.
  reserve(CountLineFeeds(p, text.size(), path) + 1);

  std::uint32_t lfs[kLineScanChunk + 4];
  std::size_t pos = 0;
  bool bTail = false;  // the first empty line is found: it and what follows are the tail
  for (std::size_t first = 0; first < text.size() && !bTail; first += kLineScanChunk) {
    const std::size_t count =
        ChunkLineFeeds(p, first, std::min(text.size(), first + kLineScanChunk), path, lfs);
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t lf = first + lfs[i];
      // The CR of a CR LF belongs to the line end; a CR anywhere else, the
      // last byte before the end of the file included, is part of the line.
      const std::size_t end = lf - std::size_t{lf > pos && p[lf - 1] == '\r'};
      if (end == pos) {
        bTail = true;
        break;
      }
      entry(pos, end);
      pos = lf + 1;
    }
  }
  if (!bTail && pos < text.size()) {
    // The last line, with no line end.
    entry(pos, text.size());
    pos = text.size();
  }
  return pos;
}

}  // namespace

CParsedEntries ParseEntries(std::string_view bytes, EScanPath path) {
  CParsedEntries result;
  const std::size_t tail = SplitEntries(
      bytes, path, [&](std::size_t n) { ReserveOnHugePages(result.entries, n); },
      [&](std::size_t pos, std::size_t end) {
        result.entries.emplace_back(bytes.data() + pos, end - pos);
      });
  result.tail = bytes.substr(tail);
  return result;
}

std::optional<CKeyedEntries> ParseKeyedEntries(std::string_view bytes, EScanPath path) {
  if (bytes.size() >= UINT32_MAX) return std::nullopt;
  CKeyedEntries result;
  // Each line's first bytes are keyed as the line is split, while they are
  // still in the cache.
  const std::size_t tail = SplitEntries(
      bytes, path, [&](std::size_t n) { ReserveOnHugePages(result.keys, n); },
      [&](std::size_t pos, std::size_t end) {
        result.keys.push_back(
            FirstSortKey(bytes.substr(pos, end - pos), static_cast<std::uint32_t>(pos)));
      });
  result.tail = bytes.substr(tail);
  return result;
}

namespace {

// Fills a piece of memory with the bytes of a save and hands it on whenever
// it is full. Once a write has failed, nothing more is written.
class CPieceWriter {
 public:
  CPieceWriter(std::span<char> piece, const std::function<bool(std::string_view)>& write)
      : m_piece(piece), m_write(write) {}

  bool Ok() const { return m_bOk; }

  void Append(const char* bytes, std::size_t n) {
    while (m_bOk && n > 0) {
      const std::size_t take = std::min(n, m_piece.size() - m_nUsed);
      std::memcpy(m_piece.data() + m_nUsed, bytes, take);
      m_nUsed += take;
      bytes += take;
      n -= take;
      if (m_nUsed == m_piece.size()) Flush();
    }
  }

  // An entry and its line end; a line feed inside the entry goes out as
  // CR LF.
  void AppendEntry(std::string_view entry) {
    for (const char* lf = FindLineFeed(entry); lf != nullptr; lf = FindLineFeed(entry)) {
      const auto before = static_cast<std::size_t>(lf - entry.data());
      Append(entry.data(), before);
      Append("\r\n", 2);
      entry.remove_prefix(before + 1);
    }
    Append(entry.data(), entry.size());
    Append("\r\n", 2);
  }

  // Hands on what the piece holds, if anything.
  bool Flush() {
    if (m_bOk && m_nUsed > 0) m_bOk = m_write(std::string_view(m_piece.data(), m_nUsed));
    m_nUsed = 0;
    return m_bOk;
  }

 private:
  static const char* FindLineFeed(std::string_view text) {
    return text.empty() ? nullptr
                        : static_cast<const char*>(std::memchr(text.data(), '\n', text.size()));
  }

  std::span<char> m_piece;
  const std::function<bool(std::string_view)>& m_write;
  std::size_t m_nUsed = 0;
  bool m_bOk = true;
};

}  // namespace

bool WriteEntries(const CEntryRuns& entries, std::string_view tail, std::span<char> piece,
                  const std::function<bool(std::string_view)>& write) {
  CPieceWriter out(piece, write);
  entries([&](CEntryRun run) {
    // The texts of a loaded file lie in file order and the entries come in
    // list order: the text a few entries ahead is asked for early.
    constexpr std::size_t kAhead = 8;
    for (std::size_t i = 0; i < run.size() && out.Ok(); ++i) {
      if (i + kAhead < run.size()) __builtin_prefetch(run[i + kAhead].data());
      out.AppendEntry(run[i]);
    }
  });
  // An empty tail may have no bytes at all to point at.
  if (!tail.empty()) out.Append(tail.data(), tail.size());
  return out.Flush();
}

}  // namespace velunar

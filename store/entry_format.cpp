#include "store/entry_format.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

#if VELUNAR_SCAN_X86
#include <emmintrin.h>
#endif

namespace velunar {

namespace {

constexpr char kEndOfFile = '\x1A';

// Hands the line feeds of bytes [0, n) to `block` sixteen bytes at a time:
// block(at, mask), where bit i of mask is set when p[at + i] is LF, for every
// block that holds one, until `block` returns false.
template <class Block>
void ScanLineFeeds(const char* p, std::size_t n, EScanPath path, Block block) {
  std::size_t at = 0;
#if VELUNAR_SCAN_X86
  if (path != EScanPath::plain) {
    const __m128i lf = _mm_set1_epi8('\n');
    for (; at + 16 <= n; at += 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
      const auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lf)));
      if (mask != 0 && !block(at, mask)) return;
    }
  }
#else
  (void)path;
#endif
  for (; at < n; at += 16) {
    const std::size_t m = std::min<std::size_t>(16, n - at);
    unsigned mask = 0;
    for (std::size_t i = 0; i < m; ++i) mask |= unsigned{p[at + i] == '\n'} << i;
    if (mask != 0 && !block(at, mask)) return;
  }
}

// The set bits of a 16-bit mask, without the library call std::popcount
// becomes on processors the build may not assume have an instruction for it.
inline std::size_t CountBits16(unsigned x) {
  x = x - ((x >> 1) & 0x5555u);
  x = (x & 0x3333u) + ((x >> 2) & 0x3333u);
  x = (x + (x >> 4)) & 0x0F0Fu;
  return (x + (x >> 8)) & 0x1Fu;
}

}  // namespace

CParsedEntries ParseEntries(std::string_view bytes, EScanPath path) {
  CParsedEntries result;
  // Nothing from the first 0x1A on is read as lines, so cut there once
  // instead of testing every byte of every line for it.
  const std::string_view text = bytes.substr(0, bytes.find(kEndOfFile));
  // One entry per line at most: reserving once spares a million-line file
  // twenty reallocations of the list, and the peak of the last one.
  std::size_t lines = 1;
  ScanLineFeeds(text.data(), text.size(), path, [&](std::size_t, unsigned mask) {
    lines += CountBits16(mask);
    return true;
  });
  result.entries.reserve(lines);

  std::size_t pos = 0;
  bool bTail = false;  // the first empty line is found: it and what follows are the tail
  ScanLineFeeds(text.data(), text.size(), path, [&](std::size_t at, unsigned mask) {
    for (; mask != 0; mask &= mask - 1) {
      const std::size_t lf = at + static_cast<std::size_t>(std::countr_zero(mask));
      // The CR of a CR LF belongs to the line end; a CR anywhere else, the
      // last byte before the end of the file included, is part of the line.
      std::size_t end = lf;
      if (end > pos && text[end - 1] == '\r') --end;
      if (end == pos) {
        bTail = true;
        return false;
      }
      result.entries.push_back(text.substr(pos, end - pos));
      pos = lf + 1;
    }
    return true;
  });
  if (!bTail && pos < text.size()) {
    // The last line, with no line end.
    result.entries.push_back(text.substr(pos));
    pos = text.size();
  }
  result.tail = bytes.substr(pos);
  return result;
}

void AppendWithCrLf(std::string_view text, std::string& out) {
  std::size_t pos = 0;
  for (std::size_t lf = text.find('\n'); lf != std::string_view::npos; lf = text.find('\n', pos)) {
    out.append(text.substr(pos, lf - pos));
    out.append("\r\n");
    pos = lf + 1;
  }
  out.append(text.substr(pos));
}

std::string FormatEntries(std::span<const std::string_view> entries, std::string_view tail) {
  std::size_t size = tail.size();
  for (std::string_view entry : entries) size += entry.size() + 2;
  std::string out;
  out.reserve(size);
  for (std::string_view entry : entries) {
    out.append(entry);
    out.append("\r\n");
  }
  out.append(tail);
  return out;
}

std::string FormatSequence(const CEntrySequence& items, std::string_view tail) {
  std::size_t size = tail.size();
  items.ForEachRun([&](const std::vector<std::string_view>& run) {
    for (std::string_view entry : run) size += entry.size() + 2;
  });
  std::string out;
  // Sized once and written through a pointer: appending grew and checked
  // the string at every entry.
  out.resize(size);
  char* at = out.data();
  items.ForEachRun([&](const std::vector<std::string_view>& run) {
    constexpr std::size_t kAhead = 8;
    for (std::size_t i = 0; i < run.size(); ++i) {
      // The texts lie in file order, the items in list order.
      if (i + kAhead < run.size()) __builtin_prefetch(run[i + kAhead].data());
      const std::string_view entry = run[i];
      if (std::memchr(entry.data(), '\n', entry.size()) != nullptr) {
        // Rare: a line feed grows the output by one byte, so the rest is
        // appended the slow way.
        const std::size_t done = static_cast<std::size_t>(at - out.data());
        std::string piece;
        AppendWithCrLf(entry, piece);
        out.replace(done, entry.size(), piece);
        at = out.data() + done + piece.size();
      } else {
        std::memcpy(at, entry.data(), entry.size());
        at += entry.size();
      }
      *at++ = '\r';
      *at++ = '\n';
    }
  });
  // An empty tail may have no bytes at all to point at.
  if (!tail.empty()) std::memcpy(at, tail.data(), tail.size());
  return out;
}

namespace {

// Fills a piece of memory with the bytes of a save and hands it on whenever
// it is full.
class CPieceWriter {
 public:
  CPieceWriter(std::span<char> piece, const std::function<bool(std::string_view)>& write)
      : m_piece(piece), m_write(write) {}

  // False once a write has failed; nothing more is written then.
  bool Append(const char* bytes, std::size_t n) {
    while (n > 0) {
      const std::size_t room = m_piece.size() - m_nUsed;
      const std::size_t take = n < room ? n : room;
      std::memcpy(m_piece.data() + m_nUsed, bytes, take);
      m_nUsed += take;
      bytes += take;
      n -= take;
      if (m_nUsed == m_piece.size() && !Flush()) return false;
    }
    return true;
  }

  // Hands on what the piece holds, if anything.
  bool Flush() {
    if (m_nUsed == 0) return true;
    const std::size_t n = m_nUsed;
    m_nUsed = 0;
    return m_write(std::string_view(m_piece.data(), n));
  }

 private:
  std::span<char> m_piece;
  const std::function<bool(std::string_view)>& m_write;
  std::size_t m_nUsed = 0;
};

}  // namespace

bool WriteSequence(const CEntrySequence& items, std::span<char> piece,
                   const std::function<bool(std::string_view)>& write) {
  CPieceWriter out(piece, write);
  bool ok = true;
  items.ForEachRun([&](const std::vector<std::string_view>& run) {
    constexpr std::size_t kAhead = 8;
    for (std::size_t i = 0; ok && i < run.size(); ++i) {
      // The texts lie in file order, the items in list order.
      if (i + kAhead < run.size()) __builtin_prefetch(run[i + kAhead].data());
      std::string_view entry = run[i];
      // A line feed inside an entry is written as CR LF, as WriteText does.
      auto findLf = [](std::string_view text) {
        return text.empty() ? nullptr : std::memchr(text.data(), '\n', text.size());
      };
      for (const void* lf = findLf(entry); ok && lf != nullptr; lf = findLf(entry)) {
        const auto before = static_cast<std::size_t>(static_cast<const char*>(lf) - entry.data());
        ok = out.Append(entry.data(), before) && out.Append("\r\n", 2);
        entry.remove_prefix(before + 1);
      }
      ok = ok && out.Append(entry.data(), entry.size()) && out.Append("\r\n", 2);
    }
  });
  return ok && out.Flush();
}

}  // namespace velunar

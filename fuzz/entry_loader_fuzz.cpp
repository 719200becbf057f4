// Fuzzing the entry file loader. For any bytes:
//  - reading them never crashes, and every entry is non-empty and holds no
//    LF and no 0x1A; the kept tail is the end of the bytes and starts where
//    the entries stop (an empty line or 0x1A);
//  - what a save writes of the entries and the tail reads back as the same
//    entries and the same tail, and saving that again writes the same bytes;
//  - loading the entries sorts them stably in list order, and Find, which
//    searches the loaded bytes front to back, finds what asking each entry
//    finds, for a query taken from the bytes;
//  - CStdioFile::Load of a real file holding the bytes gives the same
//    entries, and its save writes what the format says.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/file/entry_file.h"
#include "store/file/entry_format.h"
#include "store/file/posix/file_system.h"
#include "store/lists/list_exchange.h"
#include "store/lists/master_list.h"
#include "store/lists/view_list.h"
#include "store/text/text_rules.h"

namespace {

using velunar::CParsedEntries;

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "entry_loader_fuzz: %s\n", what);
    std::abort();
  }
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// One directory for the whole run, removed when the fuzzer exits.
const std::string& FilePath() {
  static const std::string path = [] {
    char pattern[] = "/tmp/velunar-fuzz-XXXXXX";
    Check(::mkdtemp(pattern) != nullptr, "cannot make a directory");
    static std::string dir = pattern;
    std::atexit([] {
      ::unlink((dir + "/velunar.txt").c_str());
      ::rmdir(dir.c_str());
    });
    return dir + "/velunar.txt";
  }();
  return path;
}

void WriteFile(const std::string& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  Check(fd >= 0, "cannot create the file");
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    Check(n > 0, "cannot write the file");
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  ::close(fd);
}

// The bytes a save of `entries` and `tail` writes, in small pieces.
std::string Saved(const std::vector<std::string_view>& entries, std::string_view tail) {
  std::string piece(13, '\0');
  std::string out;
  velunar::WriteEntries(
      [&](const std::function<void(velunar::CEntryRun)>& visit) { visit(entries); }, tail, piece,
      [&](std::string_view bytes) {
        out += bytes;
        return true;
      });
  return out;
}

std::string ReadFile(const std::string& path) {
  std::string bytes;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  Check(fd >= 0, "cannot open the file");
  char chunk[4096];
  for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;) bytes.append(chunk, n);
  ::close(fd);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const CParsedEntries parsed = velunar::ParseEntries(bytes);
  for (std::string_view entry : parsed.entries) {
    Check(!entry.empty(), "empty entry");
    Check(entry.find('\n') == std::string_view::npos, "entry holds LF");
    Check(entry.find('\x1A') == std::string_view::npos, "entry holds 0x1A");
  }
  Check(parsed.tail.data() + parsed.tail.size() == bytes.data() + bytes.size(),
        "tail is not the end of the file");
  // The split into keys for the load's sort is the same split.
  const std::optional<velunar::CKeyedEntries> keyed = velunar::ParseKeyedEntries(bytes);
  Check(keyed.has_value() && keyed->keys.size() == parsed.entries.size() &&
            keyed->tail.data() == parsed.tail.data(),
        "keyed split differs");
  for (std::size_t i = 0; i < parsed.entries.size(); ++i) {
    Check(
        keyed->keys[i].place == static_cast<std::size_t>(parsed.entries[i].data() - bytes.data()) &&
            keyed->keys[i].size == parsed.entries[i].size(),
        "keyed entry differs");
  }
  Check(parsed.tail.empty() || StartsWith(parsed.tail, "\n") || StartsWith(parsed.tail, "\r\n") ||
            StartsWith(parsed.tail, "\x1A"),
        "tail starts elsewhere than at an empty line or 0x1A");

  const std::string saved = Saved(parsed.entries, parsed.tail);
  const CParsedEntries reread = velunar::ParseEntries(saved);
  Check(reread.entries == parsed.entries, "saved entries read back differently");
  Check(reread.tail == parsed.tail, "saved tail reads back differently");
  Check(Saved(reread.entries, reread.tail) == saved, "second save differs");

  {
    auto texts = std::make_shared<velunar::CTextPool>();
    velunar::CMasterList master(texts);
    velunar::CViewList view(texts);
    velunar::CByteBuffer buffer(size);
    if (size != 0) std::memcpy(buffer.data(), bytes.data(), size);
    buffer.SetSize(size);
    std::vector<std::string_view> entries;
    for (std::string_view e : parsed.entries)
      entries.emplace_back(buffer.data() + (e.data() - bytes.data()), e.size());
    master.AddLoaded(std::move(buffer), entries);
    std::vector<std::string_view> items;
    master.Items().ForEach([&](std::string_view item) { items.push_back(item); });
    std::vector<std::string_view> sorted = parsed.entries;
    std::stable_sort(sorted.begin(), sorted.end(), [](std::string_view a, std::string_view b) {
      return velunar::CompareListOrder(a, b) < 0;
    });
    Check(std::equal(items.begin(), items.end(), sorted.begin(), sorted.end()),
          "the load's order is not the stable list order");
    const std::string_view query = bytes.substr(size / 2, size % 4 + 1);
    std::vector<std::string_view> want;
    for (std::string_view item : items) {
      if (velunar::CQueryMatcher(query).Matches(item)) want.push_back(item);
    }
    velunar::FillMatching(view, master, velunar::CQueryMatcher(query));
    std::vector<std::string_view> found;
    view.Items().ForEach([&](std::string_view item) { found.push_back(item); });
    Check(std::equal(found.begin(), found.end(), want.begin(), want.end()),
          "Find differs from asking each entry");
  }

  // Through the file object. Each save syncs to the disk, so only small
  // inputs take that path; they are the ones the fuzzer mutates most.
  const std::string& path = FilePath();
  WriteFile(path, bytes);
  velunar::CStdioFile file(velunar::PosixFileSystem(), path);
  const velunar::CLoadedEntries loaded = file.Load();
  std::vector<std::string_view> fileEntries;
  for (const velunar::CSortKey& key : loaded.keys)
    fileEntries.emplace_back(loaded.buffer.data() + key.place, key.size);
  Check(fileEntries == parsed.entries, "Load differs from the format");
  if (size <= 64) {
    file.Close();
    velunar::CSaveResult result;
    file.WriteAll([&](const std::function<void(velunar::CEntryRun)>& visit) { visit(fileEntries); },
                  result);
    Check(ReadFile(path) == saved, "the file's save differs from the format");
  }
  return 0;
}

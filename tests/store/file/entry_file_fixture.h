// What the entry file's tests share: a fresh directory per test, made the
// current one, and reading and writing its bytes (both from tests/support);
// loading and saving as the window does; a second process that tries the
// file; a file system that fails on demand.
#ifndef VELUNAR_TESTS_STORE_FILE_ENTRY_FILE_FIXTURE_H_
#define VELUNAR_TESTS_STORE_FILE_ENTRY_FILE_FIXTURE_H_

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "store/file/entry_file.h"
#include "tests/store/file/faulty_file_system.h"
#include "tests/support/scratch_dir.h"

namespace velunar::testing {

inline mode_t ModeOf(const std::string& path) {
  struct stat st;
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

// The entries of a load, in file order, from the keys the window's load
// gives (or the views, for a file too large for keys).
inline std::vector<std::string> EntriesOf(const CLoadedEntries& loaded) {
  std::vector<std::string> entries(loaded.entries.begin(), loaded.entries.end());
  for (const CSortKey& key : loaded.keys) {
    entries.emplace_back(loaded.buffer.data() + key.place, key.size);
  }
  return entries;
}

inline std::vector<std::string> Load(CStdioFile& file) { return EntriesOf(file.Load()); }

// WriteAll of `entries`, in their order, as one run.
inline CSaveResult WriteAllOf(CStdioFile& file, const std::vector<std::string>& entries) {
  const std::vector<std::string_view> views(entries.begin(), entries.end());
  CSaveResult result;
  file.WriteAll([&](const std::function<void(CEntryRun)>& visit) { visit(views); }, result);
  return result;
}

// A save as the window makes it: another program's change is read first
// (and here dropped: merging is the caller's).
inline void Save(CStdioFile& file, const std::vector<std::string>& entries) {
  (void)file.ReadOutsideChanges();
  WriteAllOf(file, entries);
}

// Runs, in a child process, a fresh CStdioFile on `path`: bit 1 of the
// result is set when it could open the file for reading, bit 2 when it
// could start a save. -1 when the child did not end normally.
inline int OpeningsOfAnotherProcess(const std::string& path) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    int result = 0;
    {
      CStdioFile other(PosixFileSystem(), path);
      if (other.OpenForReading()) {
        result |= 1;
        other.Close();
      }
      if (other.OpenForWriting()) result |= 2;
    }  // an unfinished save is given up, nothing written
    ::_exit(result);
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// Each test runs in a fresh directory of its own, made the current one, so
// that the relative name velunar.txt means a file no other test touches;
// files are made with the umask 022.
class EntryFileTest : public ::testing::Test {
 protected:
  void SetUp() override { m_nOldUmask = ::umask(022); }
  void TearDown() override { ::umask(m_nOldUmask); }

  std::string FullPath() const { return m_dir.EntryFilePath(); }

  // The names in `dir` (relative to the test's directory): a save must
  // leave nothing behind but what was there.
  std::set<std::string> Names(const std::string& dir = ".") const {
    const std::vector<std::string> names = NamesIn(dir);
    return {names.begin(), names.end()};
  }

  CScratchDir m_dir;
  mode_t m_nOldUmask = 0;
};

class EntryFileFaultTest : public EntryFileTest {
 protected:
  // 100 entries of 1,000 bytes: 100,200 bytes with line ends, so the save
  // writes a full piece (64 KiB), then the rest with the kept tail.
  static std::vector<std::string> ManyEntries() {
    std::vector<std::string> entries;
    for (int i = 0; i < 100; ++i) {
      entries.push_back(std::string(1, static_cast<char>('A' + i % 26)) + std::string(999, 'x'));
    }
    return entries;
  }
  static std::string ManyEntriesBytes(const std::string& tail) {
    std::string bytes;
    for (int i = 0; i < 100; ++i) {
      bytes += static_cast<char>('A' + i % 26);
      bytes += std::string(999, 'x') + "\r\n";
    }
    return bytes + tail;
  }

  CFaultyFileSystem m_fs;
};

}  // namespace velunar::testing

#endif  // VELUNAR_TESTS_STORE_FILE_ENTRY_FILE_FIXTURE_H_

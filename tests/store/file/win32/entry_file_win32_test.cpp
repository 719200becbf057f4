// The entry file over its Windows pieces (store/file/win32/): exclusive
// access by share mode, the save by ReplaceFileW, leftovers, the read-only
// attribute and UTF-8 paths. A share mode binds every other opening, of
// this process as of any other, so a second opening here stands for a
// second copy of the program.
#include <gtest/gtest.h>
#include <windows.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "store/file/entry_file.h"
#include "store/file/win32/file_system.h"

namespace velunar {
namespace {

namespace fs = std::filesystem;

// A path from UTF-8, and back: std::filesystem's narrow strings are in the
// system's code page on Windows.
fs::path PathOf(std::string_view utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }
std::string UTF8Of(const fs::path& path) {
  const std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void WriteBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> EntriesOf(const CLoadedEntries& loaded) {
  std::vector<std::string> entries(loaded.entries.begin(), loaded.entries.end());
  for (const CSortKey& key : loaded.keys) {
    entries.emplace_back(loaded.buffer.data() + key.place, key.size);
  }
  return entries;
}

// A save as the window makes it: another program's change is read first.
void Save(CStdioFile& file, const std::vector<std::string>& entries) {
  (void)file.ReadOutsideChanges();
  const std::vector<std::string_view> views(entries.begin(), entries.end());
  CSaveResult result;
  file.WriteAll([&](const std::function<void(CEntryRun)>& visit) { visit(views); }, result);
}

// cp1251 "Бета" and "альфа".
constexpr std::string_view kBeta = "\xC1\xE5\xF2\xE0";
constexpr std::string_view kAlpha = "\xE0\xEB\xFC\xF4\xE0";

// The real calls, but for one that fails with a chosen Win32 error.
class CFailingFileSystem final : public IFileSystem {
 public:
  enum ECall { none, write, flush, replace };
  ECall m_eFail = none;
  DWORD m_nError = ERROR_SUCCESS;

  HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD shareMode, DWORD creation,
                     DWORD flags) override {
    return m_real.CreateFileW(path, access, shareMode, creation, flags);
  }
  BOOL ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read) override {
    return m_real.ReadFile(file, buffer, count, read);
  }
  BOOL WriteFile(HANDLE file, const void* buffer, DWORD count, DWORD* written) override {
    return Fails(write) ? FALSE : m_real.WriteFile(file, buffer, count, written);
  }
  BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* position,
                        DWORD method) override {
    return m_real.SetFilePointerEx(file, distance, position, method);
  }
  BOOL FlushFileBuffers(HANDLE file) override {
    return Fails(flush) ? FALSE : m_real.FlushFileBuffers(file);
  }
  BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* info) override {
    return m_real.GetFileInformationByHandle(file, info);
  }
  DWORD GetFileType(HANDLE file) override { return m_real.GetFileType(file); }
  BOOL CloseHandle(HANDLE handle) override { return m_real.CloseHandle(handle); }
  DWORD GetFileAttributesW(const wchar_t* path) override { return m_real.GetFileAttributesW(path); }
  DWORD GetFullPathNameW(const wchar_t* path, DWORD size, wchar_t* buffer) override {
    return m_real.GetFullPathNameW(path, size, buffer);
  }
  BOOL ReplaceFileW(const wchar_t* replaced, const wchar_t* replacement, DWORD flags) override {
    return Fails(replace) ? FALSE : m_real.ReplaceFileW(replaced, replacement, flags);
  }
  BOOL MoveFileExW(const wchar_t* from, const wchar_t* to, DWORD flags) override {
    return m_real.MoveFileExW(from, to, flags);
  }
  BOOL DeleteFileW(const wchar_t* path) override { return m_real.DeleteFileW(path); }
  HANDLE FindFirstFileW(const wchar_t* pattern, WIN32_FIND_DATAW* data) override {
    return m_real.FindFirstFileW(pattern, data);
  }
  BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) override {
    return m_real.FindNextFileW(find, data);
  }
  BOOL FindClose(HANDLE find) override { return m_real.FindClose(find); }

 private:
  bool Fails(ECall call) const {
    if (call != m_eFail) return false;
    ::SetLastError(m_nError);
    return true;
  }
  IFileSystem& m_real = Win32FileSystem();
};

// Each test in a fresh folder of its own, made the current one.
class EntryFileWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    m_dir = fs::temp_directory_path() /
            ("velunar-" + std::to_string(::GetCurrentProcessId()) + "-" + test->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
    m_previous = fs::current_path();
    fs::current_path(m_dir);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::current_path(m_previous, ignored);
    for (const auto& entry : fs::recursive_directory_iterator(m_dir, ignored)) {
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(m_dir, ignored);
  }

  static std::set<std::string> Names(const fs::path& dir = ".") {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
      names.insert(UTF8Of(entry.path().filename()));
    return names;
  }

  fs::path m_dir;
  fs::path m_previous;
};

TEST_F(EntryFileWin32Test, SaveWritesEntriesWithCrLfAndKeepsTheTail) {
  // LF alone ends a line too; the tail runs from the first empty line.
  WriteBytes("velunar.txt", std::string(kBeta) +
                                "\r\nx\ny\r\n\r\nkept\r\n\x1A"
                                "after");
  {
    CStdioFile file;
    EXPECT_EQ(EntriesOf(file.Load()), (std::vector<std::string>{std::string(kBeta), "x", "y"}));
    Save(file, {std::string(kAlpha), std::string(kBeta), "x", "y"});
  }
  EXPECT_EQ(ReadBytes("velunar.txt"), std::string(kAlpha) + "\r\n" + std::string(kBeta) +
                                          "\r\nx\r\ny\r\n\r\nkept\r\n\x1A"
                                          "after");
}

TEST_F(EntryFileWin32Test, HeldFileIsRefusedToEveryOtherOpening) {
  WriteBytes("velunar.txt", "a\r\n");
  CStdioFile first;
  (void)first.Load();
  struct Row {
    const char* what;
    std::function<bool()> opens;
  };
  const Row rows[] = {
      {"a second entry file", [] { return CStdioFile().OpenForReading(); }},
      {"a second held file",
       [] {
         CHeldFile held;
         const CFileStatus status =
             CHeldFile::Open(DefaultFileSystem(), "velunar.txt", false, held);
         EXPECT_EQ(ProblemOf(status.error), EOsProblem::heldByAnotherCopy);
         return status.ok();
       }},
      {"another program's reading", [] { return std::ifstream("velunar.txt").is_open(); }},
  };
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round == 0 ? "after the load" : "after a save");
    for (const Row& row : rows) {
      SCOPED_TRACE(row.what);
      EXPECT_FALSE(row.opens());
    }
    // The file a save puts in place is held as the old one was.
    Save(first, {"a", "b"});
  }
  try {
    (void)CStdioFile().Load();
    ADD_FAILURE() << "a second load read the held file";
  } catch (const CFileUnavailableException& e) {
    EXPECT_TRUE(e.IsHeldByAnotherCopy()) << e.what();
  }
}

TEST_F(EntryFileWin32Test, SaveReplacesTheFileWholeAndLeavesNothingBehind) {
  WriteBytes("velunar.txt", std::string(100000, 'z') + "\r\n");
  {
    CStdioFile file;
    (void)file.Load();
    Save(file, {"short"});
    EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt"}));
    Save(file, {"shorter", "still"});
    EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt"}));
  }
  EXPECT_EQ(ReadBytes("velunar.txt"), "shorter\r\nstill\r\n");
}

TEST_F(EntryFileWin32Test, FailedSaveLeavesTheOldFileHeldAndNothingElse) {
  struct Row {
    CFailingFileSystem::ECall call;
    DWORD error;
    int want;  // the errno of the report
  };
  const Row rows[] = {
      {CFailingFileSystem::write, ERROR_DISK_FULL, ENOSPC},
      {CFailingFileSystem::flush, ERROR_WRITE_PROTECT, EROFS},
      {CFailingFileSystem::replace, ERROR_UNABLE_TO_REMOVE_REPLACED, EIO},
      {CFailingFileSystem::replace, ERROR_SHARING_VIOLATION, EWOULDBLOCK},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << "call " << row.call << ", error " << row.error);
    WriteBytes("velunar.txt", "old\r\n");
    {
      CFailingFileSystem fs;
      CStdioFile file(fs);
      (void)file.Load();
      fs.m_eFail = row.call;
      fs.m_nError = row.error;
      try {
        Save(file, {"new"});
        ADD_FAILURE() << "the save did not fail";
      } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::diskFull) << e.what();
        EXPECT_EQ(e.m_lOsError, row.want) << e.what();
      }
      EXPECT_FALSE(CStdioFile().OpenForReading());
      EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt"}));
    }
    EXPECT_EQ(ReadBytes("velunar.txt"), "old\r\n");
  }
}

TEST_F(EntryFileWin32Test, LoadRemovesLeftoversNobodyHolds) {
  WriteBytes("velunar.txt", "a\r\n");
  struct Row {
    const char* name;
    bool bHeld;  // open in a save under way
    bool bRemoved;
  };
  const Row rows[] = {
      {".velunar.txt.4242.0.tmp", false, true}, {".velunar.txt.17.12.tmp", false, true},
      {".velunar.txt.4242.1.tmp", true, false},  // a save under way
      {".velunar.txt.tmp", false, false},        // not a name a save gives
      {"velunar.txt.4242.0.tmp", false, false}, {".other.txt.4242.0.tmp", false, false},
  };
  std::vector<HANDLE> held;
  for (const Row& row : rows) {
    WriteBytes(row.name, "leftover");
    // Held as a save holds its new file: sharing nothing but its removal.
    if (row.bHeld) {
      held.push_back(::CreateFileA(row.name, GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      ASSERT_NE(held.back(), INVALID_HANDLE_VALUE);
    }
  }
  {
    CStdioFile file;
    (void)file.Load();
  }
  // Looked at once the save under way has let go of its file: an opening
  // that shared its removal would have it go only then.
  for (HANDLE h : held) ::CloseHandle(h);
  const std::set<std::string> names = Names();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(names.count(row.name) == 0, row.bRemoved);
  }
}

TEST_F(EntryFileWin32Test, ReadOnlyFileIsNotWritten) {
  WriteBytes("velunar.txt", "a\r\n");
  fs::permissions("velunar.txt",
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  ASSERT_NE(::GetFileAttributesW(L"velunar.txt") & FILE_ATTRIBUTE_READONLY, 0u);
  {
    CStdioFile file;
    EXPECT_EQ(EntriesOf(file.Load()), std::vector<std::string>{"a"});
    try {
      Save(file, {"a", "b"});
      ADD_FAILURE() << "a read-only file was saved";
    } catch (const CFileException& e) {
      EXPECT_EQ(e.m_cause, CFileException::notOpenedForWriting) << e.what();
    }
  }
  EXPECT_EQ(ReadBytes("velunar.txt"), "a\r\n");
  EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt"}));
}

TEST_F(EntryFileWin32Test, FolderWithCyrillicNameWorks) {
  const std::string folder = "Документы";
  fs::create_directory(PathOf(folder));
  {
    // Created at the load; both separators in the name.
    CStdioFile file(DefaultFileSystem(), folder + "/velunar.txt");
    EXPECT_TRUE(EntriesOf(file.Load()).empty());
    EXPECT_EQ(file.FullPath(), UTF8Of(m_dir / PathOf(folder) / "velunar.txt"));
    Save(file, {std::string(kAlpha)});
  }
  {
    CStdioFile file(DefaultFileSystem(), folder + "\\velunar.txt");
    EXPECT_EQ(EntriesOf(file.Load()), std::vector<std::string>{std::string(kAlpha)});
    Save(file, {std::string(kAlpha), std::string(kBeta)});
  }
  EXPECT_EQ(ReadBytes(PathOf(folder) / "velunar.txt"),
            std::string(kAlpha) + "\r\n" + std::string(kBeta) + "\r\n");
  EXPECT_EQ(Names(PathOf(folder)), (std::set<std::string>{"velunar.txt"}));
}

}  // namespace
}  // namespace velunar

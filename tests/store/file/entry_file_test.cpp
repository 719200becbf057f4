// The entry file on a real disk: openings and their lock, loading, saving
// by replacement, and every failure of the calls beneath, made on demand by a
// file system that fails the n-th call of a kind.
#include "store/file/entry_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/store/file/entry_file_fixture.h"
#include "tests/store/file/faulty_file_system.h"

namespace velunar {
namespace {

using namespace std::string_literals;
using namespace velunar::testing;

TEST_F(EntryFileTest, MissingFileIsCreatedEmptyAndHeld) {
  CStdioFile file;
  EXPECT_TRUE(Load(file).empty());
  EXPECT_EQ(file.State(), CStdioFile::EState::held);
  EXPECT_EQ(file.FullPath(), FullPath());
  EXPECT_EQ(ReadBytes("velunar.txt"), "");
  EXPECT_EQ(ModeOf("velunar.txt"), 0644u);  // 0666 less the umask 022
}

TEST_F(EntryFileTest, SaveOfNoEntriesLeavesEmptyFile) {
  CStdioFile file;
  Load(file);
  file.Close();
  Save(file, {});
  EXPECT_EQ(ReadBytes("velunar.txt"), "");
  EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt"}));
}

TEST_F(EntryFileTest, LoadsEntriesInFileOrder) {
  struct Row {
    const char* name;
    std::string file;
    std::vector<std::string> entries;
  };
  const Row rows[] = {
      {"CR LF", "a\r\nb\r\n", {"a", "b"}},
      {"LF, unsorted", "b\na\n", {"b", "a"}},
      {"no final line end", "a\r\nb", {"a", "b"}},
      {"empty line ends the list", "a\r\n\r\nb\r\n", {"a"}},
      {"0x1A ends the file", "a\r\nb\x1Ay\r\nd\r\n", {"a", "b"}},
      {"Cyrillic and NUL", "\xC8\xE2\xE0\xED\r\nx\0y\r\n"s, {"\xC8\xE2\xE0\xED", "x\0y"s}},
      {"long line", std::string(100000, 'q') + "\r\n", {std::string(100000, 'q')}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteBytes("velunar.txt", row.file);
    CStdioFile file;
    EXPECT_EQ(Load(file), row.entries);
    EXPECT_EQ(file.State(), CStdioFile::EState::held);
    EXPECT_EQ(ReadBytes("velunar.txt"), row.file);  // loading changes nothing
  }
}

TEST_F(EntryFileTest, SaveWritesCrLfAndReloads) {
  WriteBytes("velunar.txt", "b\na\n");
  {
    CStdioFile file;
    EXPECT_EQ(Load(file), (std::vector<std::string>{"b", "a"}));
    file.Close();
    Save(file, {"a", "b", "a\rb", "\xC8\xE2\xE0\xED"});
    EXPECT_EQ(file.State(), CStdioFile::EState::closed);
  }
  EXPECT_EQ(ReadBytes("velunar.txt"), "a\r\nb\r\na\rb\r\n\xC8\xE2\xE0\xED\r\n");
  CStdioFile again;
  EXPECT_EQ(Load(again), (std::vector<std::string>{"a", "b", "a\rb", "\xC8\xE2\xE0\xED"}));
}

TEST_F(EntryFileTest, SameObjectLoadsWhatItSaved) {
  WriteBytes("velunar.txt", "a\r\n");
  CStdioFile file;
  Load(file);
  file.Close();
  Save(file, {"a", "b"});
  // Holds the new file now, through the descriptor the save wrote it with.
  EXPECT_EQ(Load(file), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(Load(file), (std::vector<std::string>{"a", "b"}));  // read from the start again
}

TEST_F(EntryFileTest, KeptTailSurvivesEverySave) {
  WriteBytes("velunar.txt", "b\r\na\r\n\r\nnotes\r\n\x1Ann");
  CStdioFile file;
  EXPECT_EQ(Load(file), (std::vector<std::string>{"b", "a"}));
  file.Close();
  Save(file, {"a", "b"});
  EXPECT_EQ(ReadBytes("velunar.txt"), "a\r\nb\r\n\r\nnotes\r\n\x1Ann");
  file.OpenForReading();
  file.Close();
  Save(file, {"a", "b", "c"});
  EXPECT_EQ(ReadBytes("velunar.txt"), "a\r\nb\r\nc\r\n\r\nnotes\r\n\x1Ann");
}

// The window's save, from its list: the bytes are written piece by piece as
// they are built, so a file many pieces long, with line feeds inside
// entries, must come out byte for byte, the kept tail after it.
TEST_F(EntryFileTest, SaveOfTheListWritesEveryPieceAndTheTail) {
  WriteBytes("velunar.txt", "z\r\n\r\nnotes");
  CStdioFile file;
  Load(file);
  file.Close();
  std::vector<std::string> texts;
  std::string want;
  for (int i = 0; i < 20000; ++i) {
    texts.push_back("entry " + std::to_string(100000 + i) + (i % 1000 == 0 ? "\nmore" : ""));
    want += "entry " + std::to_string(100000 + i) + (i % 1000 == 0 ? "\r\nmore" : "") + "\r\n";
  }
  WriteAllOf(file, texts);
  EXPECT_EQ(file.State(), CStdioFile::EState::closed);
  EXPECT_GT(want.size(), 3u * 64 * 1024);
  EXPECT_EQ(ReadBytes("velunar.txt"), want + "\r\nnotes");
  // Saving again afterwards starts afresh.
  file.OpenForReading();
  file.Close();
  WriteAllOf(file, {"a"});
  EXPECT_EQ(ReadBytes("velunar.txt"), "a\r\n\r\nnotes");
}

TEST_F(EntryFileTest, SaveKeepsPermissionBits) {
  for (mode_t mode : {0600u, 0640u, 0664u, 0606u}) {
    SCOPED_TRACE(mode);
    WriteBytes("velunar.txt", "a\r\n");
    ASSERT_EQ(::chmod("velunar.txt", mode), 0);
    CStdioFile file;
    Load(file);
    file.Close();
    Save(file, {"a", "b"});
    EXPECT_EQ(ModeOf("velunar.txt"), mode);  // 0664 and 0606 beyond the umask 022
    EXPECT_EQ(ReadBytes("velunar.txt"), "a\r\nb\r\n");
  }
}

TEST_F(EntryFileTest, NewFileOfASaveFollowsTheUmask) {
  ::umask(027);
  CStdioFile file;
  Save(file, {"a"});
  EXPECT_EQ(ModeOf("velunar.txt"), 0640u);
  EXPECT_EQ(ReadBytes("velunar.txt"), "a\r\n");
}

TEST_F(EntryFileTest, SaveKeepsOwner) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file away";
  WriteBytes("velunar.txt", "a\r\n");
  ASSERT_EQ(::chown("velunar.txt", 1234, 5678), 0);
  CStdioFile file;
  Load(file);
  file.Close();
  Save(file, {"b"});
  struct stat st;
  ASSERT_EQ(::stat("velunar.txt", &st), 0);
  EXPECT_EQ(st.st_uid, 1234u);
  EXPECT_EQ(st.st_gid, 5678u);
}

TEST_F(EntryFileTest, SaveThroughSymbolicLinkReplacesTheTarget) {
  std::filesystem::create_directory("data");
  WriteBytes("data/book.txt", "b\r\na\r\n");
  ASSERT_EQ(::symlink("data/book.txt", "velunar.txt"), 0);
  CStdioFile file;
  EXPECT_EQ(Load(file), (std::vector<std::string>{"b", "a"}));
  file.Close();
  Save(file, {"a", "b"});

  struct stat st;
  ASSERT_EQ(::lstat("velunar.txt", &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  char target[PATH_MAX] = {};
  ASSERT_GT(::readlink("velunar.txt", target, sizeof target - 1), 0);
  EXPECT_STREQ(target, "data/book.txt");
  EXPECT_EQ(ReadBytes("data/book.txt"), "a\r\nb\r\n");
  EXPECT_EQ(Names("data"), (std::set<std::string>{"book.txt"}));
  EXPECT_EQ(file.FullPath(), FullPath());  // reports name the link, as the user knows it
}

TEST_F(EntryFileTest, DanglingSymbolicLinkGetsItsFileCreated) {
  std::filesystem::create_directory("data");
  ASSERT_EQ(::symlink("data/book.txt", "velunar.txt"), 0);
  CStdioFile file;
  EXPECT_TRUE(Load(file).empty());
  file.Close();
  Save(file, {"a"});
  struct stat st;
  ASSERT_EQ(::lstat("velunar.txt", &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadBytes("data/book.txt"), "a\r\n");
}

TEST_F(EntryFileTest, ReadOnlyFileIsNotWritten) {
  WriteBytes("velunar.txt", "b\r\n");
  ASSERT_EQ(::chmod("velunar.txt", 0444), 0);
  CStdioFile file;
  Load(file);
  file.Close();
  EXPECT_FALSE(file.OpenForWriting());
  EXPECT_EQ(file.State(), CStdioFile::EState::closed);
  try {
    file.Close();
    ADD_FAILURE() << "a failed opening for writing passed silently";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_cause, CFileException::notOpenedForWriting);
    EXPECT_EQ(e.m_lOsError, EACCES);
    EXPECT_EQ(e.m_strFileName, FullPath());
  }
  EXPECT_NO_THROW(file.Close());  // told once
  EXPECT_EQ(ReadBytes("velunar.txt"), "b\r\n");
  EXPECT_EQ(ModeOf("velunar.txt"), 0444u);
  EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt"}));
}

TEST_F(EntryFileTest, SaveOfNoEntriesToReadOnlyFileIsReportedByClose) {
  WriteBytes("velunar.txt", "b\r\n");
  ASSERT_EQ(::chmod("velunar.txt", 0444), 0);
  CStdioFile file;
  Load(file);
  file.Close();
  try {
    Save(file, {});
    ADD_FAILURE() << "an empty save of a read-only file passed silently";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_cause, CFileException::notOpenedForWriting);
    EXPECT_EQ(e.m_strFileName, FullPath());
  }
  EXPECT_NO_THROW(file.Close());  // told once
  EXPECT_EQ(ReadBytes("velunar.txt"), "b\r\n");

  // Writable again: the next save goes through.
  ASSERT_EQ(::chmod("velunar.txt", 0644), 0);
  Save(file, {"a"});
  EXPECT_EQ(ReadBytes("velunar.txt"), "a\r\n");
}

TEST_F(EntryFileTest, DirectoryInPlaceOfTheFileIsUnavailable) {
  std::filesystem::create_directory("velunar.txt");
  CStdioFile file;
  EXPECT_FALSE(file.OpenForReading());
  EXPECT_EQ(file.State(), CStdioFile::EState::closed);
  try {
    Load(file);
    ADD_FAILURE() << "a directory loaded";
  } catch (const CFileUnavailableException& e) {
    EXPECT_EQ(e.m_lOsError, EISDIR);
    EXPECT_FALSE(e.m_bMissing);
    EXPECT_EQ(e.m_strFileName, FullPath());
  }
  EXPECT_TRUE(std::filesystem::is_directory("velunar.txt"));
}

TEST_F(EntryFileTest, NameGivenToAnotherFileIsFollowed) {
  WriteBytes("velunar.txt", "old\r\n");
  CStdioFile file;
  EXPECT_EQ(Load(file), (std::vector<std::string>{"old"}));
  file.Close();
  // Another program, ignoring the lock, puts a new file under the name.
  WriteBytes("other.txt", "new\r\n");
  ASSERT_EQ(::rename("other.txt", "velunar.txt"), 0);
  EXPECT_EQ(Load(file), (std::vector<std::string>{"new"}));
}

TEST_F(EntryFileTest, DestroyedDuringSaveLeavesFileAsItWas) {
  WriteBytes("velunar.txt", "a\r\n");
  {
    CStdioFile file;
    Load(file);
    file.Close();
    ASSERT_TRUE(file.OpenForWriting());
    // The new file has no name while it is written, so a program killed
    // now leaves nothing behind.
    EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt"}));
  }
  EXPECT_EQ(ReadBytes("velunar.txt"), "a\r\n");
  EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt"}));
}

TEST_F(EntryFileTest, ExceptionAmongTheEntriesGivesUpTheSave) {
  WriteBytes("velunar.txt", "a\r\n");
  CStdioFile file;
  Load(file);
  file.Close();
  CSaveResult result;
  EXPECT_THROW(file.WriteAll(
                   [](const std::function<void(CEntryRun)>& visit) {
                     const std::string_view entry = "b";
                     visit(CEntryRun(&entry, 1));
                     throw std::bad_alloc();
                   },
                   result),
               std::bad_alloc);
  EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt"}));
  EXPECT_NO_THROW(file.Close());  // a cut-short list is never committed
  EXPECT_EQ(file.State(), CStdioFile::EState::closed);
  EXPECT_EQ(ReadBytes("velunar.txt"), "a\r\n");
}

// ---------------------------------------------------------------------------
// Failures of the calls beneath, one at a time.

TEST_F(EntryFileFaultTest, FailedSaveLeavesPreviousFileAndNothingBehind) {
  struct Row {
    const char* name;
    EOp op;
    int nth;
    int error;
    CFileException::ECause cause;
  };
  const Row rows[] = {
      {"write of a full piece", EOp::write, 1, ENOSPC, CFileException::diskFull},
      {"write of the rest", EOp::write, 2, EIO, CFileException::diskFull},
      {"sync of the new file", EOp::fsync, 1, EIO, CFileException::diskFull},
      {"opening of the directory", EOp::openDirectory, 1, EACCES, CFileException::diskFull},
      {"exchange with the entry file", EOp::exchange, 1, EXDEV, CFileException::diskFull},
      {"directory cannot be written", EOp::tmpfile, 1, EACCES,
       CFileException::notOpenedForWriting},
      {"naming of the new file", EOp::linkat, 1, EPERM, CFileException::diskFull},
      {"OFD lock of the new file", EOp::fcntlLock, 1, EIO, CFileException::notOpenedForWriting},
      {"attribute list of the entry file", EOp::listxattr, 1, EIO,
       CFileException::notOpenedForWriting},
      {"read-only file system", EOp::access, 1, EROFS, CFileException::notOpenedForWriting},
      {"lock of the new file", EOp::flock, 1, ENOLCK, CFileException::notOpenedForWriting},
      {"permission bits of the new file", EOp::fchmod, 1, EPERM,
       CFileException::notOpenedForWriting},
  };
  const std::string before = "old\r\n\r\nkept\x1A";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteBytes("velunar.txt", before);
    CStdioFile file(m_fs);
    EXPECT_EQ(Load(file), (std::vector<std::string>{"old"}));
    file.Close();

    m_fs.Fail(row.op, row.nth, row.error);
    try {
      WriteAllOf(file, ManyEntries());
      ADD_FAILURE() << "the failure was not reported";
    } catch (const CFileException& e) {
      EXPECT_EQ(e.m_cause, row.cause);
      EXPECT_EQ(e.m_lOsError, row.error);
      EXPECT_EQ(e.m_strFileName, FullPath());
    }
    EXPECT_NO_THROW(file.Close()) << "the failure was reported twice";
    EXPECT_GE(m_fs.Calls(row.op), row.nth) << "the fault was never reached";
    m_fs.Clear();

    EXPECT_EQ(file.State(), CStdioFile::EState::closed);
    EXPECT_EQ(ReadBytes("velunar.txt"), before);
    EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt"}));

    // The next save starts afresh and writes everything.
    Save(file, ManyEntries());
    EXPECT_EQ(ReadBytes("velunar.txt"), ManyEntriesBytes("\r\nkept\x1A"));
    EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt"}));
  }
}

TEST_F(EntryFileFaultTest, FailedDirectorySyncIsReportedThoughTheFileIsReplaced) {
  WriteBytes("velunar.txt", "old\r\n");
  CStdioFile file(m_fs);
  Load(file);
  file.Close();
  m_fs.Fail(EOp::fsync, 2, EIO);  // the first sync is the new file's
  try {
    Save(file, {"new"});
    ADD_FAILURE() << "a save that may not survive a crash reported success";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_cause, CFileException::diskFull);
    EXPECT_EQ(e.m_lOsError, EIO);
    EXPECT_EQ(e.m_strFileName, FullPath());
  }
  m_fs.Clear();
  EXPECT_EQ(file.State(), CStdioFile::EState::closed);
  EXPECT_EQ(ReadBytes("velunar.txt"), "new\r\n");
  EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt"}));
}

TEST_F(EntryFileFaultTest, DirectoryThatCannotSyncStillSaves) {
  WriteBytes("velunar.txt", "old\r\n");
  CStdioFile file(m_fs);
  Load(file);
  file.Close();
  m_fs.Fail(EOp::fsync, 2, EINVAL);  // file systems that cannot sync a directory say so
  EXPECT_NO_THROW(Save(file, {"new"}));
  EXPECT_EQ(ReadBytes("velunar.txt"), "new\r\n");
}

// The data is synced before the rename, so a close reporting an error after
// that is no reason to fail a save; and on a failed save it must not hide
// the failure or leave the new file behind.
TEST_F(EntryFileFaultTest, FailingClosesNeitherFailASaveNorLeaveFilesBehind) {
  WriteBytes("velunar.txt", "old\r\n");
  CStdioFile file(m_fs);
  Load(file);
  file.Close();
  m_fs.Fail(EOp::close, 0, EIO);
  EXPECT_NO_THROW(Save(file, {"new"}));
  EXPECT_GT(m_fs.Calls(EOp::close), 0);
  EXPECT_EQ(ReadBytes("velunar.txt"), "new\r\n");

  m_fs.Fail(EOp::close, 0, EIO);
  m_fs.Fail(EOp::exchange, 1, EIO);
  try {
    Save(file, {"newer"});
    ADD_FAILURE() << "a failed rename reported success";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_cause, CFileException::diskFull);
    EXPECT_EQ(e.m_lOsError, EIO);
  }
  m_fs.Clear();
  EXPECT_EQ(ReadBytes("velunar.txt"), "new\r\n");
  EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt"}));
}

TEST_F(EntryFileFaultTest, InterruptedAndShortWritesAreCompleted) {
  WriteBytes("velunar.txt", "old\r\n\r\ntail");
  CStdioFile file(m_fs);
  Load(file);
  file.Close();
  m_fs.LimitWrites(7);
  m_fs.Fail(EOp::write, 2, EINTR);
  Save(file, ManyEntries());
  EXPECT_GT(m_fs.Calls(EOp::write), 100000 / 7);
  m_fs.Clear();
  EXPECT_EQ(ReadBytes("velunar.txt"), ManyEntriesBytes("\r\ntail"));
}

TEST_F(EntryFileFaultTest, FailedReadLoadsNothing) {
  struct Row {
    const char* name;
    EOp op;
    int nth;
    int error;
  };
  const Row rows[] = {
      {"first read", EOp::read, 1, EIO},
      {"read at the end of the file", EOp::read, 2, EIO},
      {"seek to the start", EOp::lseek, 1, ESPIPE},
  };
  const std::string before = "a\r\nb\r\n";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteBytes("velunar.txt", before);
    CStdioFile file(m_fs);
    m_fs.Fail(row.op, row.nth, row.error);
    try {
      Load(file);
      ADD_FAILURE() << "a failed read loaded";
    } catch (const CFileException& e) {
      EXPECT_EQ(e.m_cause, CFileException::generic);
      EXPECT_EQ(e.m_lOsError, row.error);
      EXPECT_EQ(e.m_strFileName, FullPath());
    }
    m_fs.Clear();
    EXPECT_EQ(file.State(), CStdioFile::EState::held);
    EXPECT_EQ(ReadBytes("velunar.txt"), before);
    EXPECT_EQ(Load(file), (std::vector<std::string>{"a", "b"}));  // a later load reads it all
  }
}

TEST_F(EntryFileFaultTest, InterruptedReadIsRetried) {
  WriteBytes("velunar.txt", "a\r\nb\r\n");
  CStdioFile file(m_fs);
  m_fs.Fail(EOp::read, 1, EINTR);
  EXPECT_EQ(Load(file), (std::vector<std::string>{"a", "b"}));
  EXPECT_GE(m_fs.Calls(EOp::read), 2);
}

TEST_F(EntryFileFaultTest, OpeningThatFailsIsUnavailableNotEmpty) {
  WriteBytes("velunar.txt", "a\r\n");
  CStdioFile file(m_fs);
  m_fs.Fail(EOp::open, 1, EACCES);
  try {
    Load(file);
    ADD_FAILURE() << "an unreadable file loaded";
  } catch (const CFileUnavailableException& e) {
    EXPECT_EQ(e.m_lOsError, EACCES);
    EXPECT_EQ(e.m_strFileName, FullPath());
  }
  EXPECT_EQ(file.State(), CStdioFile::EState::closed);
  EXPECT_EQ(m_fs.Calls(EOp::create), 0);  // an existing file is never created anew
  EXPECT_EQ(ReadBytes("velunar.txt"), "a\r\n");
}

// Another copy saved between our opening and our lock: its new file has the
// name, and the old one we opened is about to be released. Holding that one
// would shut out nobody.
TEST_F(EntryFileFaultTest, FileReplacedBeforeTheLockIsOpenedAgain) {
  WriteBytes("velunar.txt", "old\r\n");
  WriteBytes("other.txt", "new\r\n");
  CStdioFile file(m_fs);
  m_fs.BeforeNextFlock([] { ASSERT_EQ(::rename("other.txt", "velunar.txt"), 0); });
  EXPECT_EQ(Load(file), (std::vector<std::string>{"new"}));
  EXPECT_EQ(m_fs.Calls(EOp::open), 2);
  EXPECT_EQ(OpeningsOfAnotherProcess(FullPath()), 0);
}

// ---------------------------------------------------------------------------
// Exclusive access.

TEST_F(EntryFileTest, AnotherProcessCannotOpenTheFileWhileItIsOurs) {
  WriteBytes("velunar.txt", "a\r\n");
  {
    CStdioFile file;
    Load(file);
    EXPECT_EQ(OpeningsOfAnotherProcess(FullPath()), 0) << "while held";

    file.Close();
    EXPECT_EQ(OpeningsOfAnotherProcess(FullPath()), 0) << "between the steps of a save";

    ASSERT_TRUE(file.OpenForWriting());
    EXPECT_EQ(OpeningsOfAnotherProcess(FullPath()), 0) << "while saving";
    file.Close();
    EXPECT_EQ(ReadBytes("velunar.txt"), "");
    EXPECT_EQ(OpeningsOfAnotherProcess(FullPath()), 0) << "right after the save";

    file.OpenForReading();
    EXPECT_EQ(OpeningsOfAnotherProcess(FullPath()), 0) << "held again after the save";
  }
  EXPECT_EQ(OpeningsOfAnotherProcess(FullPath()), 3) << "after the object is gone";
  EXPECT_EQ(ReadBytes("velunar.txt"), "");
  EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt"}));
}

TEST_F(EntryFileTest, SecondObjectInTheSameProcessCannotOpenTheFile) {
  WriteBytes("velunar.txt", "a\r\n");
  auto first = std::make_unique<CStdioFile>();
  Load(*first);

  CStdioFile second;
  EXPECT_FALSE(second.OpenForReading());
  try {
    Load(second);
    ADD_FAILURE() << "two objects held the file at once";
  } catch (const CFileUnavailableException& e) {
    EXPECT_EQ(e.m_lOsError, EWOULDBLOCK);
  }
  EXPECT_FALSE(second.OpenForWriting());
  EXPECT_THROW(second.Close(), CFileException);

  first->Close();
  Save(*first, {"b"});
  EXPECT_FALSE(second.OpenForReading()) << "right after the first one's save";

  first.reset();
  EXPECT_EQ(Load(second), (std::vector<std::string>{"b"}));
}

}  // namespace
}  // namespace velunar

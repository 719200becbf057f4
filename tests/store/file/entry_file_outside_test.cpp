// The entry file against everything around the program: other programs that
// change, replace or lock it while the window is open, saves cut short at
// any step, files with ACLs and extended attributes, and a second copy of
// the program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "store/file/entry_file.h"
#include "store/lists/entry_merge.h"
#include "store/lists/entry_runs.h"
#include "store/lists/entry_sequence.h"
#include "store/lists/file_entries.h"
#include "store/lists/master_list.h"
#include "tests/store/file/entry_file_fixture.h"
#include "tests/store/file/faulty_file_system.h"

namespace velunar {
namespace {

using namespace velunar::testing;
using Texts = std::vector<std::string>;

// A save as the window makes it: what other programs changed since the
// file held `base` is read and merged with `mine`, and the result written
// in list order. Returns the entries the file then holds, in list order.
Texts MergeAndSave(CStdioFile& file, const Texts& base, const Texts& mine) {
  file.Close();
  auto pool = std::make_shared<CTextPool>();
  CMasterList master(pool), inFile(pool);
  for (const std::string& text : mine) master.Add(text);
  for (const std::string& text : base) inFile.Add(text);
  CFileEntries files;
  files.SetNamed(inFile.Items());
  files.Merge(master, file.ReadOutsideChanges(), EMerge::byTheRule);
  const CEntrySequence written = master.Items();
  CSaveResult saved;
  file.WriteAll(RunsOf(written), saved);
  files.Saved(master, written, std::move(saved));
  Texts result;
  master.Items().ForEach([&](std::string_view text) { result.emplace_back(text); });
  return result;
}

void WriteInPlace(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  ::close(fd);
}

void Append(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  ::close(fd);
}

// An editor that saves by writing a new file and renaming it over the old.
void ReplaceByRename(const std::string& bytes) {
  WriteBytes("editor.tmp", bytes);
  ASSERT_EQ(::rename("editor.tmp", "velunar.txt"), 0);
}

class EntryFileOutsideTest : public EntryFileFaultTest {};

TEST_F(EntryFileOutsideTest, AnotherProgramsChangeIsMergedNotOverwritten) {
  struct Row {
    const char* name;
    std::string before;  // the file when the window opened
    Texts mine;          // the window's entries at the save
    std::function<void()> outside;
    std::string after;  // the file after the save
  };
  const Row rows[] = {
      {"nothing changed outside", "a\r\nb\r\n", {"a", "c"}, [] {}, "a\r\nc\r\n"},
      {"an append",
       "a\r\nb\r\n",
       {"a", "b", "c"},
       [] { Append("velunar.txt", "d\r\n"); },
       "a\r\nb\r\nc\r\nd\r\n"},
      {"a rewrite in place",
       "a\r\nb\r\n",
       {"a", "b", "c"},
       [] { WriteInPlace("velunar.txt", "a\r\nx\r\n"); },
       "a\r\nc\r\nx\r\n"},
      {"a replacement by rename",
       "a\r\nb\r\n",
       {"b"},
       [] { ReplaceByRename("b\r\ny\r\n"); },
       "b\r\ny\r\n"},
      {"both sides changed one entry",
       "Анна 1\r\n",
       {"Анна 2"},
       [] { WriteInPlace("velunar.txt", "Анна 3\r\n"); },
       "Анна 2\r\nАнна 3\r\n"},
      {"equal entries counted one by one",
       "a\r\na\r\n",
       {"a"},
       [] { Append("velunar.txt", "a\r\n"); },
       "a\r\na\r\n"},
      {"deleted outside, changed in the window",
       "a\r\nb\r\n",
       {"a", "b2"},
       [] { WriteInPlace("velunar.txt", "a\r\n"); },
       "a\r\nb2\r\n"},
      {"the tail changed outside",
       "a\r\n\r\nnote\r\n",
       {"a", "c"},
       [] { WriteInPlace("velunar.txt", "a\r\n\r\nnew note\r\n"); },
       "a\r\nc\r\n\r\nnew note\r\n"},
      {"a change of permissions only",
       "a\r\n",
       {"a", "b"},
       [] { ASSERT_EQ(::chmod("velunar.txt", 0640), 0); },
       "a\r\nb\r\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteBytes("velunar.txt", row.before);
    CStdioFile file(m_fs);
    const Texts base = Load(file);
    row.outside();
    MergeAndSave(file, base, row.mine);
    EXPECT_EQ(ReadBytes("velunar.txt"), row.after);
    EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt"}));
    // What was written is what the file holds now: a second save with no
    // change outside merges nothing in.
    file.Close();
    EXPECT_TRUE(file.ReadOutsideChanges().empty());
  }
}

// The window's lists across saves: what it holds, and what each file held.
struct CWindowLists {
  std::shared_ptr<CTextPool> pool = std::make_shared<CTextPool>();
  CMasterList master{pool};
  CFileEntries files;

  void Load(CStdioFile& file) {
    CLoadedEntries loaded = file.Load();
    master.AddLoaded(std::move(loaded.buffer), std::move(loaded.keys));
    files.SetNamed(master.Items());
  }
  void Save(CStdioFile& file) {
    file.Close();
    files.Merge(master, file.ReadOutsideChanges(), EMerge::byTheRule);
    const CEntrySequence written = master.Items();
    CSaveResult result;
    file.WriteAll(RunsOf(written), result);
    files.Saved(master, written, std::move(result));
    files.Keep(file.WatchedSources());
  }
};

// A program that keeps the file open and appends through its descriptor
// (a shell loop writing with >>) writes into a file the saves replaced.
// Each of its lines reaches the window and the file, however many saves
// come between, and a line written between two saves too.
TEST_F(EntryFileOutsideTest, HeldDescriptorWritesThroughSeveralSavesAreKept) {
  WriteBytes("velunar.txt", "a\r\n");
  CStdioFile file(m_fs);
  CWindowLists lists;
  lists.Load(file);
  CFileDescriptor writer(PosixFileSystem(), ::open("velunar.txt", O_WRONLY | O_APPEND | O_CLOEXEC));
  ASSERT_TRUE(writer.IsOpen());
  for (int i = 0; i < 4; ++i) {
    const std::string line = "held " + std::to_string(i) + "\r\n";
    ASSERT_EQ(::write(writer.Get(), line.data(), line.size()), static_cast<ssize_t>(line.size()));
    if (i == 2) {
      // Between the exchange and the end of the save.
      m_fs.BeforeCall(EOp::fsync, 2, [&] {
        ASSERT_EQ(::write(writer.Get(), "late\r\n", 6), 6);
      });
    }
    lists.Save(file);
    m_fs.Clear();
  }
  lists.Save(file);
  EXPECT_EQ(ReadBytes("velunar.txt"), "a\r\nheld 0\r\nheld 1\r\nheld 2\r\nheld 3\r\nlate\r\n");
  EXPECT_EQ(lists.master.GetSize(), 6);
  EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt"}));
}

TEST_F(EntryFileOutsideTest, ChangedFileThatCannotBeHadIsNotWritten) {
  struct Row {
    const char* name;
    std::function<void(std::vector<CFileDescriptor>& holders)> outside;
    CFileException::ECause cause;
    const char* after;  // the file's bytes afterwards; nullptr: no regular file
  };
  const Row rows[] = {
      {"replaced by a directory",
       [](auto&) {
         ASSERT_EQ(::unlink("velunar.txt"), 0);
         ASSERT_EQ(::mkdir("velunar.txt", 0755), 0);
       },
       CFileException::notRegularFile, nullptr},
      {"replaced by a FIFO",
       [](auto&) {
         ASSERT_EQ(::unlink("velunar.txt"), 0);
         ASSERT_EQ(::mkfifo("velunar.txt", 0644), 0);
       },
       CFileException::notRegularFile, nullptr},
      {"replaced, and the new file held by another copy",
       [](auto& holders) {
         ReplaceByRename("b\r\n");
         holders.emplace_back(PosixFileSystem(), ::open("velunar.txt", O_RDONLY | O_CLOEXEC));
         ASSERT_EQ(::flock(holders.back().Get(), LOCK_EX | LOCK_NB), 0);
       },
       CFileException::heldByAnotherCopy, "b\r\n"},
      {"replaced, and the new file locked by another program",
       [](auto& holders) {
         ReplaceByRename("b\r\n");
         holders.emplace_back(PosixFileSystem(), ::open("velunar.txt", O_RDWR | O_CLOEXEC));
         struct flock lock {};
         lock.l_type = F_WRLCK;
         lock.l_whence = SEEK_SET;
         ASSERT_EQ(::fcntl(holders.back().Get(), F_OFD_SETLK, &lock), 0);
       },
       CFileException::lockedByAnotherProgram, "b\r\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove_all("velunar.txt");
    WriteBytes("velunar.txt", "a\r\n");
    CStdioFile file(m_fs);
    const Texts base = Load(file);
    std::vector<CFileDescriptor> holders;
    row.outside(holders);
    file.Close();
    try {
      (void)file.ReadOutsideChanges();
      ADD_FAILURE() << "the changed file was not refused";
    } catch (const CFileException& e) {
      EXPECT_EQ(e.m_cause, row.cause);
      EXPECT_EQ(e.m_strFileName, FullPath());
    }
    // A save that goes ahead all the same is refused too.
    EXPECT_THROW(Save(file, {"a", "mine"}), CFileException);
    if (row.after != nullptr) {
      EXPECT_EQ(ReadBytes("velunar.txt"), row.after);
    } else {
      EXPECT_NE(std::filesystem::status("velunar.txt").type(), std::filesystem::file_type::regular);
    }
  }
}

TEST_F(EntryFileOutsideTest, UnreadableChangedFileIsNotWritten) {
  WriteBytes("velunar.txt", "a\r\n");
  CStdioFile file(m_fs);
  const Texts base = Load(file);
  Append("velunar.txt", "b\r\n");
  file.Close();
  m_fs.Fail(EOp::read, 1, EIO);
  try {
    MergeAndSave(file, base, {"a", "c"});
    ADD_FAILURE() << "an unreadable change was overwritten";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_cause, CFileException::unreadable);
    EXPECT_EQ(e.m_lOsError, EIO);
  }
  m_fs.Clear();
  EXPECT_EQ(ReadBytes("velunar.txt"), "a\r\nb\r\n");
  // Readable again: the next save merges.
  MergeAndSave(file, base, {"a", "c"});
  EXPECT_EQ(ReadBytes("velunar.txt"), "a\r\nb\r\nc\r\n");
}

TEST_F(EntryFileOutsideTest, SaveNeverReplacesAChangeNobodyRead) {
  {
    WriteBytes("velunar.txt", "a\r\n");
    CStdioFile file(m_fs);
    Load(file);
    file.Close();
    Append("velunar.txt", "outside\r\n");
    try {
      WriteAllOf(file, {"mine"});
      ADD_FAILURE() << "the change outside was overwritten";
    } catch (const CFileException& e) {
      EXPECT_EQ(e.m_cause, CFileException::changedOutside);
    }
    EXPECT_EQ(ReadBytes("velunar.txt"), "a\r\noutside\r\n");
  }

  // A change that comes while the save is under way is not lost either:
  // an append is added to the new file at once, anything else is put back
  // and the save refused, to be merged and saved again. Without an
  // exchange, the last look before the rename refuses it all.
  struct Row {
    const char* name;
    bool bExchange;
    std::function<void()> outside;
    std::string after;  // the file after the save; "" for a refusal
  };
  const Row rows[] = {
      {"an append between the read and the exchange", true,
       [] { Append("velunar.txt", "late\r\n"); }, "mine\r\nlate\r\n"},
      {"a rewrite between the read and the exchange", true,
       [] { WriteInPlace("velunar.txt", "b\r\nrewritten\r\n"); }, ""},
      {"a rename racing the save", true, [] { ReplaceByRename("renamed\r\n"); }, ""},
      {"an append, with no exchange", false, [] { Append("velunar.txt", "late\r\n"); }, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteBytes("velunar.txt", "a\r\n");
    CStdioFile saving(m_fs);
    Load(saving);
    saving.Close();
    const std::string before = ReadBytes("velunar.txt");
    if (!row.bExchange) m_fs.Fail(EOp::exchange, 0, EINVAL);
    m_fs.BeforeCall(EOp::linkat, 1, row.outside);
    try {
      const CSaveResult result = WriteAllOf(saving, {"mine"});
      EXPECT_EQ(ReadBytes("velunar.txt"), row.after);
      ASSERT_EQ(result.appended.size(), 1u);
      EXPECT_EQ(result.appended[0].loaded.entries, (std::vector<std::string_view>{"late"}));
    } catch (const CFileException& e) {
      EXPECT_EQ(row.after, "") << "refused";
      EXPECT_EQ(e.m_cause, CFileException::changedOutside);
      EXPECT_NE(ReadBytes("velunar.txt"), "mine\r\n");
    }
    m_fs.Clear();
    EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt"}));
  }
}

// Whatever step of a save fails, the file stays locked: no other copy can
// open it, before the failure is told and after.
TEST_F(EntryFileOutsideTest, LockIsKeptAfterEveryFailingStepOfASave) {
  struct Row {
    const char* name;
    EOp op;
    int nth;
    int error;
  };
  const Row rows[] = {
      {"first look at the name", EOp::stat, 1, EACCES},
      {"read-only file system", EOp::access, 1, EROFS},
      {"directory cannot be written", EOp::tmpfile, 1, EACCES},
      {"attributes cannot be read", EOp::listxattr, 1, EIO},
      {"full disk", EOp::write, 1, ENOSPC},
      {"sync", EOp::fsync, 1, EIO},
      {"naming the new file", EOp::linkat, 1, EPERM},
      {"exchange", EOp::exchange, 1, EIO},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteBytes("velunar.txt", "old\r\n");
    CStdioFile file(m_fs);
    Load(file);
    file.Close();
    m_fs.Fail(row.op, row.nth, row.error);
    EXPECT_THROW(Save(file, ManyEntries()), CFileException);
    EXPECT_GE(m_fs.Calls(row.op), row.nth) << "the fault was never reached";
    m_fs.Clear();
    EXPECT_EQ(OpeningsOfAnotherProcess(FullPath()), 0);
    EXPECT_EQ(ReadBytes("velunar.txt"), "old\r\n");
    file.OpenForReading();
    EXPECT_EQ(OpeningsOfAnotherProcess(FullPath()), 0);
  }
}

// kill -9 at any step of a save leaves the old file or the new one, whole,
// and nothing of the program's that outlives its next start.
TEST_F(EntryFileOutsideTest, SaveCutShortAtAnyStepLeavesNothingAfterTheNextStart) {
  struct Row {
    const char* name;
    EOp op;
    int nth;
    bool bNamedNewFiles;  // a file system without O_TMPFILE
  };
  const Row rows[] = {
      {"first write", EOp::write, 1, false},       {"sync of the new file", EOp::fsync, 1, false},
      {"naming", EOp::linkat, 1, false},           {"exchange", EOp::exchange, 1, false},
      {"directory sync", EOp::fsync, 2, false},    {"named: first write", EOp::write, 1, true},
      {"named: exchange", EOp::exchange, 1, true},
  };
  const std::string before = "old\r\n\r\nkept";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteBytes("velunar.txt", before);
    const pid_t pid = ::fork();
    if (pid == 0) {
      CFaultyFileSystem fs;
      if (row.bNamedNewFiles) fs.Fail(EOp::tmpfile, 0, EOPNOTSUPP);
      CStdioFile file(fs);
      Load(file);
      file.Close();
      fs.BeforeCall(row.op, row.nth, [] { ::kill(::getpid(), SIGKILL); });
      Save(file, ManyEntries());
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the save was not cut short";
    const std::string now = ReadBytes("velunar.txt");
    EXPECT_TRUE(now == before || now == ManyEntriesBytes("\r\nkept")) << now.size();

    CStdioFile next(m_fs);
    Load(next);
    EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt"}));
  }
}

// A leftover name in the way, and errno already EEXIST when the save
// starts: the save takes the next free name once, and leaves no empty files.
TEST_F(EntryFileOutsideTest, NewFileNameSkipsLeftoversAndMakesOneFile) {
  for (const bool bNamed : {true, false}) {
    SCOPED_TRACE(bNamed ? "named new file" : "unnamed new file");
    for (const std::string& name : Names()) std::filesystem::remove(name);
    WriteBytes("velunar.txt", "a\r\n");
    const std::string leftover = ".velunar.txt." + std::to_string(::getpid()) + ".0.tmp";
    WriteBytes(leftover, "");
    // Held by a running save, so that it is no leftover to remove.
    CFileDescriptor holder(PosixFileSystem(), ::open(leftover.c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_EQ(::flock(holder.Get(), LOCK_EX | LOCK_NB), 0);

    if (bNamed) m_fs.Fail(EOp::tmpfile, 0, EOPNOTSUPP);
    CStdioFile file(m_fs);
    Load(file);
    errno = EEXIST;
    Save(file, {"b"});
    EXPECT_EQ(ReadBytes("velunar.txt"), "b\r\n");
    EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt", leftover}));
    m_fs.Clear();
  }
}

// A leftover is a dot-file named as a save names its new file, marked as
// the program's where the file system keeps attributes, that nobody holds:
// whatever process made it, this one's pid included. A person's own files,
// named however, stay.
TEST_F(EntryFileOutsideTest, LeftoverNobodyHoldsIsRemovedOthersStay) {
  WriteBytes("velunar.txt", "a\r\n");
  const std::string ownPid = std::to_string(::getpid());
  struct Row {
    std::string name;
    bool bMarked;
    bool bHeld;
    bool bRemoved;
  };
  const Row rows[] = {
      {".velunar.txt.4242.0.tmp", true, false, true},
      {".velunar.txt." + ownPid + ".0.tmp", true, false, true},  // the next run's pid
      {".velunar.txt.4242.17.tmp", true, true, false},           // a save under way
      {".velunar.txt.4242.1.tmp", false, false, false},          // not the program's
      {"velunar.txt.2024.1.tmp", true, false, false},            // no dot-file
      {".velunar.txt.x.0.tmp", true, false, false},
      {".velunar.txt.5.5.tmpx", true, false, false},
      {".other.txt.1.0.tmp", true, false, false},
  };
  bool bAttributes = true;
  std::vector<CFileDescriptor> holders;
  for (const Row& row : rows) {
    WriteBytes(row.name, "debris");
    if (row.bMarked && ::setxattr(row.name.c_str(), "user.velunar.new-file", "1", 1, 0) != 0) {
      bAttributes = false;
    }
    if (row.bHeld) {
      holders.emplace_back(PosixFileSystem(), ::open(row.name.c_str(), O_RDONLY | O_CLOEXEC));
      ASSERT_EQ(::flock(holders.back().Get(), LOCK_EX | LOCK_NB), 0);
    }
  }
  if (!bAttributes) GTEST_SKIP() << "no user attributes here: " << std::strerror(errno);
  CStdioFile file;
  Load(file);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Names().count(row.name) == 0, row.bRemoved);
  }
}

// The bytes of a POSIX access ACL as the kernel keeps it.
std::string AclValue(const std::vector<std::array<std::uint32_t, 3>>& entries) {
  std::string value(4, '\0');
  const std::uint32_t version = 2;
  std::memcpy(value.data(), &version, 4);
  for (const auto& [tag, perm, id] : entries) {
    char entry[8];
    const std::uint16_t tag16 = static_cast<std::uint16_t>(tag);
    const std::uint16_t perm16 = static_cast<std::uint16_t>(perm);
    std::memcpy(entry, &tag16, 2);
    std::memcpy(entry + 2, &perm16, 2);
    std::memcpy(entry + 4, &id, 4);
    value.append(entry, 8);
  }
  return value;
}

std::optional<std::string> Attribute(const std::string& path, const char* name) {
  char value[4096];
  const ssize_t n = ::getxattr(path.c_str(), name, value, sizeof value);
  if (n < 0) return std::nullopt;
  return std::string(value, static_cast<std::size_t>(n));
}

constexpr std::uint32_t kUserObj = 0x01, kUser = 0x02, kGroupObj = 0x04, kMask = 0x10,
                        kOther = 0x20, kNoId = 0xFFFFFFFF;

TEST_F(EntryFileOutsideTest, SaveKeepsAclsAndExtendedAttributes) {
  WriteBytes("velunar.txt", "a\r\n");
  // group::r-- with mask::rw- (for the named user): the group bits of the
  // mode show the mask, rw-, but the owning group may only read.
  const std::string acl = AclValue({{kUserObj, 6, kNoId},
                                    {kUser, 6, 65534},
                                    {kGroupObj, 4, kNoId},
                                    {kMask, 6, kNoId},
                                    {kOther, 4, kNoId}});
  if (::setxattr("velunar.txt", "system.posix_acl_access", acl.data(), acl.size(), 0) != 0 ||
      ::setxattr("velunar.txt", "user.velunar.note", "kept", 4, 0) != 0) {
    GTEST_SKIP() << "no ACLs or user attributes here: " << std::strerror(errno);
  }
  const mode_t mode = ModeOf("velunar.txt");
  CStdioFile file;
  Load(file);
  Save(file, {"b"});
  EXPECT_EQ(ReadBytes("velunar.txt"), "b\r\n");
  EXPECT_EQ(ModeOf("velunar.txt"), mode);
  EXPECT_EQ(Attribute("velunar.txt", "system.posix_acl_access"), acl);
  EXPECT_EQ(Attribute("velunar.txt", "user.velunar.note"), "kept");
}

// A group that cannot be kept gets nothing from the ACL's entry for the
// file's group either; the entries of named users stay as they were.
TEST_F(EntryFileOutsideTest, AnotherGroupGetsNothingFromTheAcl) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs to hand a file to another group";
  WriteBytes("velunar.txt", "a\r\n");
  ASSERT_EQ(::chown("velunar.txt", 0, 65534), 0);
  const auto acl = [](std::uint32_t groupPerm) {
    return AclValue({{kUserObj, 6, kNoId},
                     {kUser, 6, 1234},
                     {kGroupObj, groupPerm, kNoId},
                     {kMask, 6, kNoId},
                     {kOther, 0, kNoId}});
  };
  if (::setxattr("velunar.txt", "system.posix_acl_access", acl(4).data(), acl(4).size(), 0) != 0) {
    GTEST_SKIP() << "no ACLs here: " << std::strerror(errno);
  }
  CStdioFile file(m_fs);
  Load(file);
  m_fs.Fail(EOp::fchown, 0, EPERM);  // as for a user outside the group
  Save(file, {"b"});
  m_fs.Clear();
  struct stat st;
  ASSERT_EQ(::stat("velunar.txt", &st), 0);
  EXPECT_NE(st.st_gid, 65534u);
  EXPECT_EQ(Attribute("velunar.txt", "system.posix_acl_access"), acl(0));
}

TEST_F(EntryFileOutsideTest, SaveGivesNoPermissionTheDirectoryWouldAdd) {
  WriteBytes("velunar.txt", "a\r\n");
  ASSERT_EQ(::chmod("velunar.txt", 0600), 0);
  // Files made in the directory from now on would let user 65534 write.
  const std::string dirAcl = AclValue({{kUserObj, 7, kNoId},
                                       {kUser, 7, 65534},
                                       {kGroupObj, 5, kNoId},
                                       {kMask, 7, kNoId},
                                       {kOther, 5, kNoId}});
  if (::setxattr(".", "system.posix_acl_default", dirAcl.data(), dirAcl.size(), 0) != 0) {
    GTEST_SKIP() << "no default ACLs here: " << std::strerror(errno);
  }
  CStdioFile file;
  Load(file);
  Save(file, {"b"});
  EXPECT_EQ(ReadBytes("velunar.txt"), "b\r\n");
  EXPECT_EQ(ModeOf("velunar.txt"), 0600u);
  EXPECT_EQ(Attribute("velunar.txt", "system.posix_acl_access"), std::nullopt);
}

TEST_F(EntryFileOutsideTest, FcntlLocksSeeTheFileBusyAndAreRespected) {
  WriteBytes("velunar.txt", "a\r\n");
  {
    CStdioFile file;
    Load(file);
    // A program that locks with fcntl is told the file is busy.
    const pid_t pid = ::fork();
    if (pid == 0) {
      const int fd = ::open("velunar.txt", O_RDWR);
      struct flock lock {};
      lock.l_type = F_WRLCK;
      lock.l_whence = SEEK_SET;
      ::_exit(::fcntl(fd, F_SETLK, &lock) == -1 && (errno == EAGAIN || errno == EACCES) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the fcntl lock was granted";
  }
  // A file such a program holds locked for writing counts as held.
  CFileDescriptor other(PosixFileSystem(), ::open("velunar.txt", O_RDWR | O_CLOEXEC));
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  ASSERT_EQ(::fcntl(other.Get(), F_OFD_SETLK, &lock), 0);
  CStdioFile file;
  try {
    file.Load();
    ADD_FAILURE() << "a file locked for writing was loaded";
  } catch (const CFileUnavailableException& e) {
    EXPECT_EQ(e.m_lOsError, EBUSY);
    EXPECT_FALSE(e.IsHeldByAnotherCopy());
  }
}

TEST_F(EntryFileOutsideTest, SyncThatTheFileSystemCannotDoIsAccepted) {
  WriteBytes("velunar.txt", "a\r\n");
  CStdioFile file(m_fs);
  Load(file);
  m_fs.Fail(EOp::fsync, 1, EINVAL);
  Save(file, {"b"});
  EXPECT_EQ(ReadBytes("velunar.txt"), "b\r\n");
}

// Reads one byte from `fd`; false at the end or on failure.
bool Await(int fd) {
  char byte;
  return ::read(fd, &byte, 1) == 1;
}
void Signal(int fd) { (void)!::write(fd, "x", 1); }

// An editor replaces the file by rename while the first copy has it open,
// and a second copy starts on the new file. Both save; no entry of either
// is lost.
TEST_F(EntryFileOutsideTest, TwoCopiesAfterARenameLoseNoEntry) {
  WriteBytes("velunar.txt", "a\r\n");
  CStdioFile first;
  const Texts firstBase = Load(first);
  ReplaceByRename("a\r\nfrom editor\r\n");

  int toChild[2], toParent[2];
  ASSERT_EQ(::pipe(toChild), 0);
  ASSERT_EQ(::pipe(toParent), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    int ok = 0;
    {
      CStdioFile second;
      const Texts base = Load(second);  // the editor's file, now held here
      Signal(toParent[1]);
      Await(toChild[0]);  // the first copy has tried to save meanwhile
      Texts mine = base;
      mine.push_back("from second");
      MergeAndSave(second, base, mine);
      ok = 1;
    }  // the second copy ends
    Signal(toParent[1]);
    ::_exit(ok ? 0 : 1);
  }
  ASSERT_TRUE(Await(toParent[0]));
  // The first copy cannot save while the second holds the new file...
  const Texts firstMine = {"a", "from first"};
  try {
    MergeAndSave(first, firstBase, firstMine);
    ADD_FAILURE() << "both copies could write the file";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_cause, CFileException::heldByAnotherCopy);
  }
  EXPECT_EQ(ReadBytes("velunar.txt"), "a\r\nfrom editor\r\n");
  Signal(toChild[1]);
  ASSERT_TRUE(Await(toParent[0]));
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  // ...and once it has ended, the first copy's save keeps everything.
  MergeAndSave(first, firstBase, firstMine);
  const std::string after = ReadBytes("velunar.txt");
  for (const char* entry : {"a\r\n", "from editor\r\n", "from second\r\n", "from first\r\n"}) {
    EXPECT_NE(after.find(entry), std::string::npos) << entry << " was lost: " << after;
  }
  for (int fd : {toChild[0], toChild[1], toParent[0], toParent[1]}) ::close(fd);
}

// A change that comes while the file is being read is read at the next
// save, and counted once.
TEST_F(EntryFileOutsideTest, ChangeDuringTheReadIsNotLost) {
  for (const bool bAtLoad : {true, false}) {
    SCOPED_TRACE(bAtLoad ? "while loading" : "while reading a change");
    WriteBytes("velunar.txt", "a\r\n");
    CStdioFile file(m_fs);
    if (bAtLoad) m_fs.BeforeCall(EOp::read, 1, [] { Append("velunar.txt", "c\r\n"); });
    const Texts base = Load(file);
    file.Close();
    if (!bAtLoad) {
      Append("velunar.txt", "b\r\n");
      m_fs.BeforeCall(EOp::read, 1, [] { Append("velunar.txt", "c\r\n"); });
      const Texts merged = MergeAndSave(file, base, {"a", "mine"});
      file.Close();
      MergeAndSave(file, merged, merged);
    } else {
      MergeAndSave(file, base, {"a", "c", "mine"});
    }
    const std::string after = ReadBytes("velunar.txt");
    EXPECT_EQ(std::count(after.begin(), after.end(), 'c'), 1) << after;
    EXPECT_NE(after.find("mine\r\n"), std::string::npos) << after;
    m_fs.Clear();
  }
}

// The file the program holds gives the new file its permissions, also when
// another program removed its name meanwhile.
TEST_F(EntryFileOutsideTest, SaveAfterTheNameWasRemovedKeepsThePermissions) {
  WriteBytes("velunar.txt", "a\r\n");
  ASSERT_EQ(::chmod("velunar.txt", 0600), 0);
  CStdioFile file;
  const Texts base = Load(file);
  ASSERT_EQ(::unlink("velunar.txt"), 0);
  MergeAndSave(file, base, {"a", "b"});
  EXPECT_EQ(ReadBytes("velunar.txt"), "a\r\nb\r\n");
  EXPECT_EQ(ModeOf("velunar.txt"), 0600u);
}

// Where the owner cannot be given back, the group still is; where neither
// can, the group gets no permission at all rather than another group's.
TEST_F(EntryFileOutsideTest, GroupBitsNeverGoToAnotherGroup) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs to hand a file to another group";
  struct Row {
    const char* name;
    int nFailingCalls;  // of fchown
    uid_t owner;
    gid_t group;        // the old file's
    bool bSetgidDir;    // its directory gives new files a group of its own
    gid_t wantGroup;
    mode_t wantMode;
  };
  const Row rows[] = {{"owner and group kept", 0, 1234, 65534, false, 65534, 0664},
                      {"group kept without the owner", 1, 1234, 65534, false, 65534, 0664},
                      {"neither kept", 2, 1234, 65534, false, 0, 0604},
                      {"the process's own group, in a set-group-ID directory", 0, 0, 0, true, 0,
                       0664},
                      {"another group, in a set-group-ID directory", 0, 0, 65534, true, 65534,
                       0664}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(::chown(".", static_cast<uid_t>(-1), row.bSetgidDir ? 4321 : 0), 0);
    ASSERT_EQ(::chmod(".", row.bSetgidDir ? 02775 : 0755), 0);
    WriteBytes("velunar.txt", "a\r\n");
    ASSERT_EQ(::chown("velunar.txt", row.owner, row.group), 0);
    ASSERT_EQ(::chmod("velunar.txt", 0664), 0);
    CStdioFile file(m_fs);
    Load(file);
    if (row.nFailingCalls > 0) m_fs.Fail(EOp::fchown, row.nFailingCalls == 1 ? 1 : 0, EPERM);
    Save(file, {"b"});
    m_fs.Clear();
    struct stat st;
    ASSERT_EQ(::stat("velunar.txt", &st), 0);
    EXPECT_EQ(st.st_gid, row.wantGroup);
    EXPECT_EQ(st.st_mode & 07777, row.wantMode);
  }
}

}  // namespace
}  // namespace velunar

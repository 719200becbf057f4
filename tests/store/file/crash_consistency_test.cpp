// Saves killed at random moments: a child process saves a phone book of
// 100,000 entries over and over, two versions in turn, exactly as the
// window saves (the entry file's own save); the test kills it with SIGKILL
// after a random delay, again and again. Every time the file must be one of
// the versions whole, and the next start of the program must leave nothing
// in the directory but the entry file. Every other run is on a file system
// without unnamed files, whose saves name their new file from the start.
//
// VELUNAR_CRASH_SECONDS bounds the run (default 30); the seed of the delays
// is printed, and VELUNAR_CRASH_SEED repeats a run.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "store/file/entry_file.h"
#include "tests/store/file/entry_file_fixture.h"
#include "tests/store/file/faulty_file_system.h"

namespace velunar {
namespace {

using namespace velunar::testing;

std::vector<std::string> PhoneBook(int version) {
  std::vector<std::string> entries;
  entries.reserve(100001);
  char line[96];
  for (int i = 0; i < 100000; ++i) {
    std::snprintf(line, sizeof line, "\xC7\xE0\xEF\xE8\xF1\xFC %06d, +7 495 %03d-%02d-%02d, v%d", i,
                  i % 1000, i % 100, (i / 7) % 100, i % 97 == 0 ? version : 0);
    entries.emplace_back(line);
  }
  if (version == 1) entries.emplace_back("\xCD\xEE\xE2\xE0\xFF \xE7\xE0\xEF\xE8\xF1\xFC");
  return entries;
}

std::string Bytes(const std::vector<std::string>& entries) {
  std::string bytes;
  for (const std::string& entry : entries) bytes += entry + "\r\n";
  return bytes;
}

int Setting(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::atoi(value) : fallback;
}

TEST_F(EntryFileTest, SaveKilledAtAnyMomentLeavesAWholeVersionAndNoDebris) {
  const std::vector<std::string> versions[2] = {PhoneBook(0), PhoneBook(1)};
  const std::string bytes[2] = {Bytes(versions[0]), Bytes(versions[1])};
  WriteBytes("velunar.txt", bytes[0]);

  const unsigned seed = static_cast<unsigned>(
      Setting("VELUNAR_CRASH_SEED", static_cast<int>(std::random_device{}() & 0x7fffffff)));
  std::printf("seed %u (VELUNAR_CRASH_SEED)\n", seed);
  std::mt19937 random(seed);
  // Up to a little more than a start and one save take, so that kills land
  // in every step of a save: building, writing, syncing, naming, renaming.
  const auto start = std::chrono::steady_clock::now();
  {
    CStdioFile file;
    Load(file);
    Save(file, versions[0]);
  }
  const auto saveUs = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
  std::uniform_int_distribution<long> delayUs(0, saveUs * 2);

  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(Setting("VELUNAR_CRASH_SECONDS", 30));
  int kills = 0;
  int seen[2] = {0, 0};
  int onDisk = 0;  // the version the file holds
  while (std::chrono::steady_clock::now() < deadline && !HasFailure()) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    // Every other run on a file system without unnamed files, where the
    // new file has a name from its creation on.
    const bool bNamed = kills % 2 == 1;
    if (pid == 0) {
      try {
        CFaultyFileSystem fs;
        if (bNamed) fs.Fail(EOp::tmpfile, 0, EOPNOTSUPP);
        CStdioFile file(fs);
        Load(file);
        // The other version first, so that a kill after one whole save
        // finds the file changed, whichever version it held.
        for (int i = 1;; ++i) {
          Save(file, versions[(onDisk + i) % 2]);
          file.OpenForReading();
        }
      } catch (...) {
      }
      ::_exit(2);  // never on into the rest of the test program
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
    ::kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process failed by itself";
    ++kills;

    const std::string now = ReadBytes("velunar.txt");
    if (now == bytes[0] || now == bytes[1]) {
      onDisk = now == bytes[0] ? 0 : 1;
      ++seen[onDisk];
    } else {
      ADD_FAILURE() << "after kill " << kills << " the file is neither version whole ("
                    << now.size() << " bytes)";
    }
    // The next start of the program clears what the killed save left.
    CStdioFile next;
    Load(next);
    EXPECT_EQ(Names(), (std::set<std::string>{"velunar.txt"})) << "after kill " << kills;
  }
  std::printf("%d kills: %d times the first version, %d times the second\n", kills, seen[0],
              seen[1]);
  // Kills that came after a whole save, and kills that came before one.
  EXPECT_GT(seen[0], 0);
  EXPECT_GT(seen[1], 0);
}

}  // namespace
}  // namespace velunar

// The built program (app/main.cpp), started as a user starts it: in a fresh working
// directory of its own, with an environment the test chooses, and watched
// only from outside (exit status, stderr, the files in the directory).
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/scratch_dir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using velunar::testing::CScratchDir;

// The program under test (the build's velunar target).
const char kProgram[] = VELUNAR_EXE;

// Windows-1251 entries, out of order: Вера, Анна.
const std::string kTwoEntries = "\xC2\xE5\xF0\xE0\n\xC0\xED\xED\xE0";

// The program running as a child process, its stderr read through a pipe.
class CProgram {
 public:
  // Starts the program in `dir` with `args` after its name, in this
  // process's environment without DISPLAY, WAYLAND_DISPLAY and
  // QT_QPA_PLATFORM, plus the "NAME=value" strings of `extraEnv`.
  CProgram(const fs::path& dir, const std::vector<std::string>& args,
           const std::vector<std::string>& extraEnv) {
    std::vector<std::string> env;
    for (char** p = environ; *p != nullptr; ++p) {
      const std::string var = *p;
      if (var.starts_with("DISPLAY=") || var.starts_with("WAYLAND_DISPLAY=") ||
          var.starts_with("QT_QPA_PLATFORM=")) {
        continue;
      }
      env.push_back(var);
    }
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<std::string> argv = {kProgram};
    argv.insert(argv.end(), args.begin(), args.end());

    // Everything the child needs is made before fork: it only calls
    // async-signal-safe functions afterwards.
    std::vector<char*> envp;
    for (std::string& s : env) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<char*> argvp;
    for (std::string& s : argv) argvp.push_back(s.data());
    argvp.push_back(nullptr);
    const std::string strDir = dir.string();

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) std::abort();
    m_pid = fork();
    if (m_pid < 0) std::abort();
    if (m_pid == 0) {
      dup2(fds[1], STDERR_FILENO);
      if (chdir(strDir.c_str()) != 0) _exit(126);
      execve(kProgram, argvp.data(), envp.data());
      _exit(127);
    }
    close(fds[1]);
    m_stderrFd = fds[0];
  }
  ~CProgram() {
    if (m_pid > 0 && !m_status) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
    if (m_stderrFd >= 0) close(m_stderrFd);
  }
  CProgram(const CProgram&) = delete;
  CProgram& operator=(const CProgram&) = delete;

  // Waits up to `limit` for the program to end; its wait status, or nullopt
  // when it is still running.
  std::optional<int> WaitForExit(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!m_status) {
      int status = 0;
      const pid_t done = waitpid(m_pid, &status, WNOHANG);
      if (done == m_pid) {
        m_status = status;
      } else if (std::chrono::steady_clock::now() >= deadline) {
        break;
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    }
    return m_status;
  }

  // Waits up to `limit` until the program has `file` open; false if it
  // never does (or ends first).
  bool WaitUntilItHolds(const fs::path& file, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    const fs::path fdDir = "/proc/" + std::to_string(m_pid) + "/fd";
    while (std::chrono::steady_clock::now() < deadline) {
      if (WaitForExit(std::chrono::milliseconds(0))) return false;
      std::error_code error;
      for (const auto& entry : fs::directory_iterator(fdDir, error)) {
        std::error_code linkError;
        if (fs::read_symlink(entry.path(), linkError) == file) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  void Kill() {
    kill(m_pid, SIGKILL);
    WaitForExit(std::chrono::seconds(10));
  }

  // Everything the program wrote to stderr; call after it ended.
  std::string Stderr() {
    std::string text;
    char buf[4096];
    ssize_t n;
    while ((n = read(m_stderrFd, buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR)) {
      if (n > 0) text.append(buf, static_cast<std::size_t>(n));
    }
    return text;
  }

 private:
  pid_t m_pid = -1;
  int m_stderrFd = -1;
  std::optional<int> m_status;
};

TEST(Program, WithoutADisplaySaysSoInOneSentenceAndFails) {
  CScratchDir dir;
  CProgram program(dir.Path(), {}, {});
  const std::optional<int> status = program.WaitForExit(std::chrono::seconds(30));
  ASSERT_TRUE(status) << "still running without a display";
  ASSERT_TRUE(WIFEXITED(*status)) << "ended by a signal, not by itself";
  EXPECT_NE(WEXITSTATUS(*status), 0);

  const std::string err = program.Stderr();
  // One line, one sentence, under the program's name; not Qt's abort.
  ASSERT_FALSE(err.empty());
  EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
  EXPECT_TRUE(err.starts_with("velunar: ")) << err;
  EXPECT_TRUE(err.ends_with(".\n")) << err;
  EXPECT_NE(err.find("display"), std::string::npos) << err;
  EXPECT_EQ(err.find("qt."), std::string::npos) << err;
  // It never came to the entry file.
  EXPECT_TRUE(dir.Names().empty());
}

TEST(Program, ReadsNoArgumentsAndStartsInItsWorkingDirectory) {
  // Qt's own options after the program's name would ask for the X11
  // platform, which cannot start here (no DISPLAY), and for help: both must
  // be ignored.
  struct Row {
    const char* name;
    std::optional<std::string> file;  // velunar.txt before the start; nullopt: none
    std::vector<std::string> args;
  };
  const Row rows[] = {
      {"no file, Qt options", std::nullopt, {"-platform", "xcb", "--help"}},
      {"two entries, stray arguments",
       kTwoEntries,
       {"velunar.txt", "-style", "fusion", "-reverse"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    CScratchDir dir;
    if (r.file) dir.WriteEntryFile(*r.file);
    CProgram program(dir.Path(), r.args, {"QT_QPA_PLATFORM=offscreen"});

    // It loads (and so holds) the entry file of its working directory, and
    // stays up with its window.
    if (!program.WaitUntilItHolds(dir.EntryFilePath(), std::chrono::seconds(30))) {
      program.Kill();
      ADD_FAILURE() << "the program never held velunar.txt; stderr: " << program.Stderr();
      continue;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_FALSE(program.WaitForExit(std::chrono::milliseconds(0)))
        << "the program ended by itself";

    // Killed from outside, it writes nothing: the file is as it was (a new
    // file empty) and nothing else was made.
    program.Kill();
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"velunar.txt"});
    EXPECT_EQ(dir.ReadEntryFile(), r.file.value_or(""));
  }
}

}  // namespace

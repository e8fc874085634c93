// The progress line, seen as a user at a terminal sees it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace qv::cli {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::TempDir;
using testing::write_file;

struct TerminalRun {
  int exit_code = -1;
  std::string terminal;  // what standard error, a terminal, showed
  std::string out;       // standard output, a file
};

// Runs zvk with standard error on a pseudo-terminal and standard output in a file.
TerminalRun run_on_terminal(const std::vector<std::string>& args, const TempDir& dir, const char* delay_ms) {
  std::vector<std::string> argv = {ZVK_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> raw;
  for (auto& a : argv) raw.push_back(a.data());
  raw.push_back(nullptr);
  const auto out_path = dir / "stdout";

  int master = -1;
  const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    const int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || ::chdir(dir.path().c_str()) != 0) ::_exit(127);
    ::dup2(out, STDOUT_FILENO);
    ::setenv("ZVK_PROGRESS_DELAY_MS", delay_ms, 1);
    ::execv(raw[0], raw.data());
    ::_exit(127);
  }
  TerminalRun run;
  char buffer[4096];
  for (;;) {
    const auto n = ::read(master, buffer, sizeof buffer);
    if (n <= 0) break;  // EIO once the child has gone
    run.terminal.append(buffer, static_cast<std::size_t>(n));
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
  ::close(master);
  run.out = read_file(out_path);
  return run;
}

class ProgressTest : public ::testing::Test {
 protected:
  ProgressTest() {
    // Large enough for many chunk notices, sparse so that it costs no disk.
    write_file(dir_ / "big.bin", "");
    fs::resize_file(dir_ / "big.bin", 200u << 20);
    write_file(dir_ / "small.txt", "small");
  }
  TempDir dir_{fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()};
};

TEST_F(ProgressTest, ShownOnTheTerminalAndClearedNeverInStandardOutput) {
  const auto run = run_on_terminal({"pack", "p", "big.bin", "small.txt"}, dir_, "0");
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_NE(run.terminal.find("\r\033[K"), std::string::npos) << run.terminal;
  EXPECT_NE(run.terminal.find(" of 200.0 MiB"), std::string::npos) << run.terminal;
  EXPECT_NE(run.terminal.find("/s  big.bin"), std::string::npos) << run.terminal;
  EXPECT_TRUE(run.terminal.ends_with("\r\033[K")) << "the line is not cleared at the end";
  EXPECT_EQ(run.out.find('\033'), std::string::npos);
  EXPECT_EQ(run.out.find('\r'), std::string::npos);
  EXPECT_TRUE(run.out.starts_with("开始打包……\n"));

  fs::create_directory(dir_ / "out");
  const auto unpack = run_on_terminal({"unpack", "-C", "out", "p.ZVK"}, dir_, "0");
  EXPECT_EQ(unpack.exit_code, 0);
  EXPECT_NE(unpack.terminal.find("/s  big.bin"), std::string::npos) << unpack.terminal;
  EXPECT_EQ(unpack.out.find('\033'), std::string::npos);
}

TEST_F(ProgressTest, QuietWhenTurnedOffOrTheJobIsShort) {
  EXPECT_EQ(run_on_terminal({"pack", "--no-progress", "p", "big.bin"}, dir_, "0").terminal, "");
  // With the usual delay a short job shows nothing.
  EXPECT_EQ(run_on_terminal({"pack", "p", "small.txt"}, dir_, "").terminal, "");
}

}  // namespace
}  // namespace qv::cli

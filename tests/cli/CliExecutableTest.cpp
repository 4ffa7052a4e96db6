#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct ProcessResult {
  int status = -1;
  std::string out;
};

// Runs the installed-form executable through the shell, so that main() and real streams are
// covered too; stderr is discarded, the in-process tests check its text.
ProcessResult runExecutable(const std::string& arguments) {
  const std::string command =
      std::string("'") + OSTRILO_CLI_EXECUTABLE + "' " + arguments + " 2>/dev/null";
  ProcessResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
  const int waitStatus = pclose(pipe);
  if (WIFEXITED(waitStatus)) result.status = WEXITSTATUS(waitStatus);
  return result;
}

TEST(CliExecutable, ExitStatusesAndStandardOutput) {
  const std::string realFile =
      std::string("'") + OSTRILO_SOURCE_DIR + "/tests/data/realdata/ATR20170417w3.dat'";
  const ProcessResult table = runExecutable("table " + realFile);
  EXPECT_EQ(table.status, 0);
  EXPECT_NE(table.out.find("\n0301,2017-04-17,604,"), std::string::npos) << table.out;

  EXPECT_EQ(runExecutable("--help").status, 0);
  EXPECT_EQ(runExecutable("table /nonexistent/ATR20170417w3.dat").status, 1);
  EXPECT_EQ(runExecutable("").status, 2);
}

}  // namespace

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <utility>

namespace {

// The real program through the shell: exit status and standard output (stderr discarded).
std::pair<int, std::string> runExecutable(const std::string& arguments) {
  const std::string command =
      std::string("'") + OSTRILO_CLI_EXECUTABLE + "' " + arguments + " 2>/dev/null";
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {-1, out};
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int waitStatus = pclose(pipe);
  return {WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1, out};
}

TEST(CliExecutable, ExitStatusesAndStandardOutput) {
  const auto [status, out] =
      runExecutable("table '" OSTRILO_SOURCE_DIR "/tests/data/realdata/ATR20170417w3.dat'");
  EXPECT_EQ(status, 0);
  EXPECT_NE(out.find("\n0301,2017-04-17,604,"), std::string::npos) << out;
  EXPECT_EQ(runExecutable("--help").first, 0);
  EXPECT_EQ(runExecutable("table /nonexistent/ATR20170417w3.dat").first, 1);
  EXPECT_EQ(runExecutable("").first, 2);
}

}  // namespace

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

namespace {

// A shell command's exit status and standard output.
std::pair<int, std::string> runShell(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {-1, out};
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int waitStatus = pclose(pipe);
  return {WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1, out};
}

// The real program: exit status and standard output (stderr discarded).
std::pair<int, std::string> runExecutable(const std::string& arguments) {
  return runShell(std::string("'") + OSTRILO_CLI_EXECUTABLE + "' " + arguments + " 2>/dev/null");
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

// The report is drawn by ostrilo-report beside the program, which gets the same arguments; the
// pages' figures are the core's (tests/core/report), here only that they arrive, in order.
TEST(CliExecutable, ReportRunsTheReportProgramBesideIt) {
  const std::string pdf = ::testing::TempDir() + "cli-report.pdf";
  const auto [status, out] =
      runExecutable("report -o '" + pdf +
                    "' --peaks noon --stations 1094,1013 '" OSTRILO_SOURCE_DIR
                    "/tests/data/realdata/ATR20121020w3.dat'");
  ASSERT_EQ(status, 0);
  const std::string text = runShell("pdftotext -layout '" + pdf + "' - 2>&1").second;
  // pdftotext ends every page with a form feed.
  EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 2) << text;
  const std::size_t first = text.find("Station 1013");
  EXPECT_NE(first, std::string::npos) << text;
  EXPECT_GT(text.find("Station 1094"), first) << text;
  EXPECT_NE(text.find("Peak windows: AM 00:00-12:00, PM 12:00-24:00"), std::string::npos) << text;
  std::remove(pdf.c_str());
  EXPECT_EQ(runExecutable("report -o '" + pdf + "' --year 2012 --dates 2012-10-20 x.dat").first, 2);
}

}  // namespace

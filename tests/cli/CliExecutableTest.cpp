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

// The report draws its charts with widgets, so only the real program shows that it brings up
// an application of its own on a machine without a display.
TEST(CliExecutable, ReportHasAPagePerStationWithItsFigures) {
  const std::string pdf = ::testing::TempDir() + "cli-report.pdf";
  const auto [status, out] = runExecutable("report -o '" + pdf +
                                           "' --stations 1094,1013 '" OSTRILO_SOURCE_DIR
                                           "/tests/data/realdata/ATR20121020w3.dat'");
  ASSERT_EQ(status, 0);
  // pdftotext ends every page with a form feed.
  const auto pageText = [&](const std::string& range) {
    return runShell("pdftotext -layout " + range + " '" + pdf + "' - 2>&1").second;
  };
  const std::string all = pageText("");
  EXPECT_EQ(std::count(all.begin(), all.end(), '\f'), 2) << all;
  const std::pair<int, const char*> pages[] = {{1, "1013"}, {2, "1094"}};
  for (const auto& [page, station] : pages) {
    const std::string n = std::to_string(page);
    const std::string text = pageText("-f " + n + " -l " + n);
    EXPECT_NE(text.find(std::string("Station ") + station), std::string::npos) << text;
    EXPECT_NE(text.find("page " + std::to_string(page) + " of 2"), std::string::npos) << text;
    EXPECT_NE(text.find("ADT"), std::string::npos) << text;
  }
  const std::string second = pageText("-f 2 -l 2");
  EXPECT_NE(second.find("ZERO_RUN 1,"), std::string::npos) << second;
  EXPECT_NE(second.find("ZERO_RUN: 16 zero hours"), std::string::npos) << second;
  std::remove(pdf.c_str());
}

}  // namespace

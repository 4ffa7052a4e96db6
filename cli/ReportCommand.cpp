#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <utility>

#include "cli/CliApp.h"
#include "cli/Commands.h"
#include "core/analysis/TableAnalysis.h"
#include "core/calendar/HolidayCalendar.h"
#include "core/report/ReportPage.h"
#include "core/selection/PlotSelection.h"
#include "core/table/ATRTable.h"

extern char** environ;

namespace ostrilo::cli {

namespace {

void runReport(const CommandLine& line, std::ostream& /*out*/) {
  ReportOptions options;
  options.windows = peakWindows(line);
  HolidayCalendar holidays = holidayCalendar(line);
  const PeriodPick pick = loadPeriod(line);
  TableAnalysis analysis = tableAnalysis(line, pick.table, std::move(holidays));
  line.reportWriter(*line.value("output"),
                    reportPages(pick.table, analysis.checks(pick.table), pick.selection,
                                line.inputs, line.names, options));
}

std::string besideThisProgram(std::string_view name) {
  std::error_code failed;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", failed);
  if (failed) {
    throw Error(ErrorKind::Io,
                "report: cannot find the folder of this program: " + failed.message());
  }
  return (self.parent_path() / name).string();
}

// The report draws its pages with Qt, which the command line does not link: ostrilo-report,
// installed beside it, parses the same arguments and writes the PDF; its exit status is ours.
int runReportElsewhere(const CommandLine& line) {
  const std::string program = besideThisProgram(kReportProgram);
  if (::access(program.c_str(), X_OK) != 0) {
    throw Error(ErrorKind::FileNotFound,
                "report: the report program " + quotedName(program) +
                    " is missing; install ostrilo-report beside ostrilo-cli to write reports");
  }
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : line.args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  // What this process has written must come before what the report program writes.
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  pid_t child = 0;
  if (const int failed =
          ::posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ)) {
    throw Error(ErrorKind::Io,
                "report: cannot run " + quotedName(program) + ": " + std::strerror(failed));
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) throw Error(ErrorKind::Io, "report: lost " + quotedName(program));
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  throw Error(ErrorKind::Io, "report: " + quotedName(program) + " stopped by signal " +
                                 std::to_string(WTERMSIG(status)));
}

}  // namespace

Command reportCommand() {
  Command report{
      "report",
      "report -o OUT.pdf [--stations NAMES] [--dates DATES|--year YYYY] [--peaks WINDOWS] "
      "[--holidays us|de-be|FILE] INPUT...",
      "write a printable PDF report, a page per station: the period and sources, the daily\n"
      "      graph, the weekday and weekend hourly profiles with their peaks, the daily\n"
      "      statistics, the annual figures of every whole year, and the data-check summary\n"
      "      with the worst fault episodes, every figure over the valid days (complete, no\n"
      "      critical flag); A4, Letter in the US and Canada locales",
      {kOutputOption, kStationsOption, kDatesOption, kYearOption, kPeaksOption, kHolidaysOption,
       kLanesOption, kRegisterOption},
      {"output"},
      &runReport};
  report.runElsewhere = &runReportElsewhere;
  return report;
}

}  // namespace ostrilo::cli

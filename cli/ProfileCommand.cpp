#include <ostream>

#include "cli/Commands.h"
#include "core/charts/WeeklyProfile.h"
#include "core/export/TableExports.h"
#include "core/export/YearExports.h"
#include "core/table/Error.h"

namespace ostrilo::cli {

namespace {

void runProfile(const CommandLine& line, std::ostream& out) {
  const PeriodPick pick = loadPeriod(line);
  // As for stats: a file of empty means would pass for a result.
  if (const std::optional<std::string> problem = CheckPlotSelection(pick.selection)) {
    throw Error(ErrorKind::Usage, *problem);
  }
  TableAnalysis analysis = tableAnalysis(line, pick.table);
  const WeeklyProfileChart chart =
      weeklyProfileChart(pick.table, pick.selection, analysis.checks(pick.table));
  writeExport(line, out, profileExport(chart),
              aboutSelection(pick.table, pick.selection, line.inputs, line.names));
}

}  // namespace

Command profileCommand() {
  return {"profile",
          "profile [-o OUT.csv|OUT.xlsx] [--stations NAMES] [--dates DATES|--year YYYY] INPUT...",
          "write the weekly profile of each picked station: the mean volume of every hour of\n"
          "      every day of week over the picked valid days (station,dow,hour,mean,n; dow 1 =\n"
          "      Monday), an hour without a valid day with an empty mean",
          {kOutputOption, kStationsOption, kDatesOption, kYearOption, kRegisterOption},
          {},
          &runProfile};
}

}  // namespace ostrilo::cli

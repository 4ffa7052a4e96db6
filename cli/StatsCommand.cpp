#include <ostream>

#include "cli/Commands.h"
#include "core/export/TableExports.h"
#include "core/selection/PlotSelection.h"
#include "core/stats/StationStats.h"
#include "core/table/ATRTable.h"
#include "core/table/DateNumber.h"
#include "core/table/Error.h"

namespace ostrilo::cli {

namespace {

// The station list as the main window fills it, with the stations named by --stations and
// --station selected (every one when neither is given). The item texts are the names
// themselves, which the export's first column takes.
ListSelection stationSelection(const ATRTable& table, const CommandLine& line) {
  const std::string* commaList = line.value("stations");
  const std::vector<std::string>* single = line.list("station");
  std::vector<std::string_view> names =
      commaList ? splitAtCommas(*commaList) : std::vector<std::string_view>{};
  if (single != nullptr) names.insert(names.end(), single->begin(), single->end());
  const bool all = commaList == nullptr && single == nullptr;
  return stationList(table, pickedStations(line, table, all ? nullptr : &names));
}

void runStats(const CommandLine& line, std::ostream& out) {
  const std::optional<std::vector<std::string>> days = parseDays(line);
  const ATRTable table = loadTable(line);
  const PlotSelection selection{stationSelection(table, line), dateSelection(line, table, days)};
  // The main window warns and then exports a bare header; here a file without a single record
  // would pass for a result, so the check's message is a failure instead.
  if (const std::optional<std::string> problem = CheckPlotSelection(selection)) {
    throw Error(ErrorKind::Usage, *problem);
  }
  const std::vector<bool> leaveOut = line.flag("exclude-critical")
                                         ? tableAnalysis(line, table).criticalDays(table)
                                         : std::vector<bool>();
  WorkbookAbout about = aboutSelection(table, selection, line.inputs, line.names);
  if (!leaveOut.empty()) about.definitions.emplace_back("Days with a critical flag left out");
  TableExport stats = statsExport(ComputeStationStats(table, selection, leaveOut), line.names);
  if (line.flag("trim")) stats = trimmedStatsExport(std::move(stats));
  writeExport(line, out, std::move(stats), std::move(about));
}

}  // namespace

Command statsCommand() {
  return {
      "stats",
      "stats [-o OUT.csv|OUT.xlsx] [--stations NAMES] [--station NAME]... [--dates DATES] "
      "[--exclude-critical] [--trim] [--order table|id|date] INPUT...",
      "write the station statistics file that the main window exports (ATR ID, ADT, Min DT,\n"
      "      Max DT, SD, AWDDT, AWEDT, Days; CR LF lines) for the picked stations and dates,\n"
      "      every one when not picked; records in station order whatever order the names come\n"
      "      in. The figures take only the days with all 24 hours counted (Days of them), with\n"
      "      --exclude-critical only those without a critical check flag; a figure without\n"
      "      such a day is an empty field. A table without stations is a failure (\"You must\n"
      "      create the data first.\")",
      {kOutputOption, kStationsOption, kStationOption, kDatesOption, kExcludeCriticalOption,
       kTrimOption, kOrderOption, kLanesOption, kRegisterOption},
      {},
      &runStats};
}

}  // namespace ostrilo::cli

#include <algorithm>
#include <ostream>

#include "cli/Commands.h"
#include "core/annual/AnnualFigures.h"
#include "core/annual/Expansion.h"
#include "core/export/TableExports.h"
#include "core/table/ATRTable.h"
#include "core/table/CountView.h"

namespace ostrilo::cli {

namespace {

struct AnnualRun {
  std::vector<StationYear> rows;
  WorkbookAbout about;
};

AnnualRun annualRows(const CommandLine& line, const PeakWindows& windows) {
  const std::optional<int> year = parseYear(line);
  const ATRTable table = loadTable(line);
  requireYear(line, table, year);
  AnnualOptions options;
  options.stations = stationIndexes(line, table);
  options.year = year;
  options.windows = windows;
  const CountView view = CountView::of(table);
  options.excluded = excludingCriticalDays(view);
  AnnualRun run{{}, aboutStations(table, options.stations, year, line.inputs, line.names)};
  // An empty pick means every station to the computation; a table without stations has none.
  if (!options.stations.empty()) run.rows = ComputeAnnualFigures(view, options);
  return run;
}

void runAnnual(const CommandLine& line, std::ostream& out) {
  PeakWindows windows = AnnualOptions().windows;
  if (const std::string* text = line.value("peaks")) {
    const std::optional<PeakWindows> parsed = parsePeakWindows(*text);
    if (!parsed) {
      throw line.usage(inQuotes(*text) +
                       " is not noon, commuter or two windows A-B,C-D of hours 0 to 24");
    }
    windows = *parsed;
  }
  AnnualRun run = annualRows(line, windows);
  run.about.definitions.push_back(
      "Peak windows: AM " + std::to_string(windows.amBegin) + "-" + std::to_string(windows.amEnd) +
      ", PM " + std::to_string(windows.pmBegin) + "-" + std::to_string(windows.pmEnd));
  writeExport(line, out, annualExport(run.rows, line.names), std::move(run.about));
}

void runFactors(const CommandLine& line, std::ostream& out) {
  AnnualRun run = annualRows(line, AnnualOptions().windows);
  writeExport(line, out, factorsExport(run.rows, line.names), std::move(run.about));
}

void runExpand(const CommandLine& line, std::ostream& out) {
  const std::optional<int> year = parseYear(line);
  const ATRTable table = loadTable(line);
  requireYear(line, table, year);
  const std::vector<std::int32_t> group = stationIndexes(line, table, "group");
  std::vector<std::int32_t> expanded;
  if (line.value("stations") != nullptr) {
    expanded = stationIndexes(line, table);
  } else {
    for (std::int32_t i = 0; i < table.StaCount(); ++i) {
      if (std::find(group.begin(), group.end(), i) == group.end()) expanded.push_back(i);
    }
  }
  const CountView view = CountView::of(table);
  const ShortCountExpansion expansion =
      expandOverGroup(view, group, expanded, excludingCriticalDays(view), year);
  writeExport(line, out, expandExport(expansion.estimates, line.names),
              aboutStations(table, expanded, year, line.inputs, line.names));
}

}  // namespace

Command annualCommand() {
  return {
      "annual",
      "annual [-o OUT.csv|OUT.xlsx] [--stations NAMES] [--year YYYY] [--peaks WINDOWS] INPUT...",
      "write the annual figures, one row per station and calendar year: valid days, ADT, AADT\n"
      "      (empty unless all 84 month x day-of-week cells hold a valid day), covered cells,\n"
      "      V30, K30, V100, K100 and the average weekday's AM and PM peak hours",
      {kOutputOption, kStationsOption, kYearOption, kPeaksOption, kRegisterOption},
      {},
      &runAnnual};
}

Command factorsCommand() {
  return {"factors",
          "factors [-o OUT.csv|OUT.xlsx] [--stations NAMES] [--year YYYY] INPUT...",
          "write MADW, MADT, AADW and the factors MF, DF, F of every station and year, one value\n"
          "      per row (station,year,kind,month,dow,value,n; dow 1 = Monday)",
          {kOutputOption, kStationsOption, kYearOption, kRegisterOption},
          {},
          &runFactors};
}

Command expandCommand() {
  return {"expand",
          "expand --group NAMES [--stations NAMES] [--year YYYY] [-o OUT.csv|OUT.xlsx] INPUT...",
          "estimate the AADT of short counts: each station's valid days times the group's mean\n"
          "      factor F(month, day of week), averaged; group members without AADT are left out",
          {kOutputOption, kGroupOption, kStationsOption, kYearOption, kRegisterOption},
          {"group"},
          &runExpand};
}

}  // namespace ostrilo::cli

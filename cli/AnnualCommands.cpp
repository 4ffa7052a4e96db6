#include <algorithm>
#include <ostream>

#include "cli/Commands.h"
#include "core/annual/AnnualFigures.h"
#include "core/annual/Expansion.h"
#include "core/annual/RoadFigures.h"
#include "core/annual/YearTrend.h"
#include "core/export/TableExports.h"
#include "core/export/YearExports.h"
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

PeakWindows peakWindows(const CommandLine& line) {
  const std::string* text = line.value("peaks");
  if (text == nullptr) return AnnualOptions().windows;
  const std::optional<PeakWindows> parsed = parsePeakWindows(*text);
  if (!parsed) {
    throw line.usage(inQuotes(*text) +
                     " is not noon, commuter or two windows A-B,C-D of hours 0 to 24");
  }
  return *parsed;
}

struct RoadRun {
  std::vector<RoadYear> rows;
  WorkbookAbout about;
};

RoadRun roadRows(const CommandLine& line, const PeakWindows& windows) {
  const std::optional<int> year = parseYear(line);
  std::vector<Road> roads = registeredRoads(line);
  const ATRTable table = loadTable(line);
  requireYear(line, table, year);
  roads = pickedRoads(line, table, std::move(roads));
  const CountView view = CountView::of(table);
  return {ComputeRoadFigures(view, roads, {year, windows, excludingCriticalDays(view)}),
          aboutStations(table, stationIndexes(line, table), year, line.inputs, line.names)};
}

void runAnnual(const CommandLine& line, std::ostream& out) {
  const PeakWindows windows = peakWindows(line);
  const std::string peaks = "Peak windows: AM " + std::to_string(windows.amBegin) + "-" +
                            std::to_string(windows.amEnd) + ", PM " +
                            std::to_string(windows.pmBegin) + "-" + std::to_string(windows.pmEnd);
  if (line.flag("roads")) {
    RoadRun run = roadRows(line, windows);
    run.about.definitions.push_back(peaks);
    writeExport(line, out, roadsExport(run.rows), std::move(run.about));
    return;
  }
  AnnualRun run = annualRows(line, windows);
  run.about.definitions.push_back(peaks);
  writeExport(line, out, annualExport(run.rows, line.names), std::move(run.about));
}

void runTrend(const CommandLine& line, std::ostream& out) {
  if (line.flag("roads")) {
    RoadRun run = roadRows(line, AnnualOptions().windows);
    writeExport(line, out, trendExport(yearTrend(run.rows)), std::move(run.about));
    return;
  }
  AnnualRun run = annualRows(line, AnnualOptions().windows);
  writeExport(line, out, trendExport(yearTrend(run.rows)), std::move(run.about));
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
      "annual [-o OUT.csv|OUT.xlsx] [--stations NAMES] [--year YYYY] [--peaks WINDOWS] "
      "[--roads --register FILE] INPUT...",
      "write the annual figures, one row per station and calendar year: valid days, ADT, AADT\n"
      "      (empty unless all 84 month x day-of-week cells hold a valid day), covered cells,\n"
      "      V30, K30, V100, K100 and the average weekday's AM and PM peak hours; with --roads\n"
      "      one row per road and year: the two-way figures, D30, DDHV, D1 and the directions'\n"
      "      shares at the peak hours",
      {kOutputOption, kStationsOption, kYearOption, kPeaksOption, kRoadsOption, kRegisterOption},
      {},
      &runAnnual};
}

Command trendCommand() {
  return {"trend",
          "trend [-o OUT.csv|OUT.xlsx] [--stations NAMES] [--roads --register FILE] INPUT...",
          "write each station's (or road's) years side by side: valid days, ADT, AADT, cells,\n"
          "      the AADT's change against the year before and its compound annual growth since\n"
          "      the first year with an AADT",
          {kOutputOption, kStationsOption, kRoadsOption, kRegisterOption},
          {},
          &runTrend};
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

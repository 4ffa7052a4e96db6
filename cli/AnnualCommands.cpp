#include <algorithm>
#include <ostream>

#include "cli/Commands.h"
#include "core/annual/AnnualFigures.h"
#include "core/annual/RoadFigures.h"
#include "core/annual/ShortCounts.h"
#include "core/annual/YearTrend.h"
#include "core/export/GeoJson.h"
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

// holidays: the calendar of the checks; with leaveOut its holidays leave the factors too
// (factors --exclude-holidays).
AnnualRun annualRows(const CommandLine& line, const PeakWindows& windows,
                     const HolidayCalendar& holidays = {}, bool leaveOut = false) {
  const std::optional<int> year = parseYear(line);
  const ATRTable table = loadTable(line);
  requireYear(line, table, year);
  AnnualOptions options;
  options.stations = stationIndexes(line, table);
  options.year = year;
  options.windows = windows;
  const CountView view = CountView::of(table);
  options.excluded = tableAnalysis(line, table, holidays).excludedDays(table);
  AnnualRun run{{}, aboutStations(table, options.stations, year, line.inputs, line.names)};
  // An empty pick means every station to the computation; a table without stations has none.
  if (options.stations.empty()) return run;
  if (!leaveOut) {
    run.rows = ComputeAnnualFigures(view, options);
    return run;
  }
  GroupExpansionOptions factorOptions;
  factorOptions.year = year;
  factorOptions.excluded = options.excluded;
  factorOptions.holidays = &holidays;
  factorOptions.excludeHolidays = true;
  run.rows = factorFigures(view, options.stations, factorOptions);
  run.about.definitions.push_back("MADW and F without the holidays of " + holidays.name() +
                                  "; AADT over every valid day");
  return run;
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
  const DayExclusion excluded = tableAnalysis(line, table).excludedDays(table);
  return {ComputeRoadFigures(CountView::of(table), roads, {year, windows, excluded}),
          aboutStations(table, stationIndexes(line, table), year, line.inputs, line.names)};
}

void writeGeoJson(const CommandLine& line, const std::vector<StationYear>& rows) {
  const std::string* path = line.value("geojson");
  if (path == nullptr) return;
  const std::vector<std::string> left = writeAnnualGeoJson(*path, rows, *line.names);
  if (left.empty()) return;
  std::string names;
  for (const std::string& name : left) names += (names.empty() ? "" : ", ") + quotedName(name);
  *line.report << line.command << ": " << left.size()
               << (left.size() == 1 ? " station" : " stations")
               << " without coordinates in the register, not on the map: " << names << '\n';
}

void runAnnual(const CommandLine& line, std::ostream& out) {
  const PeakWindows windows = peakWindows(line);
  const std::string peaks = "Peak windows: AM " + std::to_string(windows.amBegin) + "-" +
                            std::to_string(windows.amEnd) + ", PM " +
                            std::to_string(windows.pmBegin) + "-" + std::to_string(windows.pmEnd);
  if (line.value("geojson") != nullptr) {
    if (line.flag("roads")) throw line.usage("--geojson maps stations, not --roads");
    if (line.names == nullptr) throw line.usage("--geojson needs --register FILE with coordinates");
  }
  if (line.flag("roads")) {
    RoadRun run = roadRows(line, windows);
    run.about.definitions.push_back(peaks);
    writeExport(line, out, roadsExport(run.rows), std::move(run.about));
    return;
  }
  AnnualRun run = annualRows(line, windows);
  run.about.definitions.push_back(peaks);
  // The map first: a table on standard output is the last thing the command writes.
  writeGeoJson(line, run.rows);
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
  const HolidayCalendar holidays = holidayCalendar(line);
  AnnualRun run =
      annualRows(line, AnnualOptions().windows, holidays, line.flag("exclude-holidays"));
  writeExport(line, out, factorsExport(run.rows, line.names), std::move(run.about));
}

}  // namespace

Command annualCommand() {
  return {
      "annual",
      "annual [-o OUT.csv|OUT.xlsx] [--stations NAMES] [--year YYYY] [--peaks WINDOWS] "
      "[--roads --register FILE] [--geojson OUT.geojson] [--order table|id|date] INPUT...",
      "write the annual figures, one row per station and calendar year: valid days, ADT, AADT\n"
      "      (empty unless all 84 month x day-of-week cells hold a valid day), covered cells,\n"
      "      V30, K30, V100, K100 and the average weekday's AM and PM peak hours; with --roads\n"
      "      one row per road and year: the two-way figures, D30, DDHV, D1 and the directions'\n"
      "      shares at the peak hours; --geojson also writes the rows as map points",
      {kOutputOption, kStationsOption, kYearOption, kPeaksOption, kRoadsOption, kGeojsonOption,
       kOrderOption, kLanesOption, kRegisterOption},
      {},
      &runAnnual};
}

Command trendCommand() {
  return {
      "trend",
      "trend [-o OUT.csv|OUT.xlsx] [--stations NAMES] [--roads --register FILE] "
      "[--order table|id|date] INPUT...",
      "write each station's (or road's) years side by side: valid days, ADT, AADT, cells,\n"
      "      the AADT's change against the year before and its compound annual growth since\n"
      "      the first year with an AADT",
      {kOutputOption, kStationsOption, kRoadsOption, kOrderOption, kLanesOption, kRegisterOption},
      {},
      &runTrend};
}

Command factorsCommand() {
  return {"factors",
          "factors [-o OUT.csv|OUT.xlsx] [--stations NAMES] [--year YYYY] [--holidays CALENDAR "
          "--exclude-holidays] [--order table|id|date] INPUT...",
          "write MADW, MADT, AADW and the factors MF, DF, F of every station and year, one value\n"
          "      per row (station,year,kind,month,dow,value,n; dow 1 = Monday)",
          {kOutputOption, kStationsOption, kYearOption, kHolidaysOption, kExcludeHolidaysOption,
           kOrderOption, kLanesOption, kRegisterOption},
          {},
          &runFactors};
}

}  // namespace ostrilo::cli

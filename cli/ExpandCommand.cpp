#include <algorithm>
#include <cstdio>
#include <ostream>

#include "cli/Commands.h"
#include "core/annual/Expansion.h"
#include "core/annual/ShortCounts.h"
#include "core/export/TableExports.h"
#include "core/table/ATRTable.h"
#include "core/table/CountView.h"
#include "core/table/Error.h"

namespace ostrilo::cli {

namespace {

double cvThreshold(const CommandLine& line) {
  if (line.value("cv-threshold") == nullptr) return kDefaultCvThreshold;
  return percentOption(line, "cv-threshold", 0) / 100;
}

std::string percentText(double fraction) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %%", fraction * 100);
  return text;
}

// Each group cell above the threshold, with the member that moves it most.
void reportWideCells(const CommandLine& line, const GroupExpansion& run) {
  for (const NamedFactorGroup& group : run.groups) {
    for (const FactorGroup& year : group.years) {
      for (std::size_t m = 0; m < kMonths; ++m) {
        for (std::size_t k = 0; k < kDaysOfWeek; ++k) {
          const GroupFactor& cell = year.cells[m][k];
          if (!cvAbove(cell, run.cvThreshold)) continue;
          *line.report << line.command << ": group " << quotedName(group.name) << ' ' << year.year
                       << " month " << m + 1 << " dow " << k + 1 << ": CV " << percentText(*cell.cv)
                       << " above " << percentText(run.cvThreshold) << ", moved most by "
                       << quotedName(year.members[*cell.outlier]) << '\n';
        }
      }
    }
  }
}

void runExpandByGroups(const CommandLine& line, std::ostream& out) {
  const std::optional<int> year = parseYear(line);
  GroupExpansionOptions options;
  options.cvThreshold = cvThreshold(line);
  const HolidayCalendar holidays = holidayCalendar(line);
  options.holidays = &holidays;
  options.excludeHolidays = line.flag("exclude-holidays");
  const ATRTable table = loadTable(line);
  requireYear(line, table, year);
  StationGroups groups;
  try {
    groups = loadGroups(*line.value("groups"), line.names, table.ulstName().values());
  } catch (const Error& e) {
    if (e.kind() != ErrorKind::Usage) throw;
    throw line.usage(e.description());
  }
  if (line.value("stations") != nullptr) options.stations = stationIndexes(line, table);
  options.year = year;
  options.excluded = tableAnalysis(line, table, holidays).excludedDays(table);
  const GroupExpansion run = ExpandByGroups(CountView::of(table), groups, options);
  std::vector<std::int32_t> expanded;
  for (const GroupedEstimate& e : run.estimates) expanded.push_back(e.estimate.stationIndex);
  WorkbookAbout about = aboutStations(table, expanded, year, line.inputs, line.names);
  if (options.excludeHolidays)
    about.definitions.push_back("Without the holidays of " + holidays.name());
  writeExport(line, out, groupedExpandExport(run, line.names), std::move(about));
  reportWideCells(line, run);
}

void runExpand(const CommandLine& line, std::ostream& out) {
  if (line.value("groups") != nullptr) {
    if (line.value("group") != nullptr) throw line.usage("--group and --groups: give one");
    return runExpandByGroups(line, out);
  }
  if (line.value("group") == nullptr) {
    throw line.usage("missing --group or --groups; usage: ostrilo-cli " +
                     std::string(expandCommand().synopsis));
  }
  for (const std::string_view groupOnly : {"cv-threshold", "holidays", "exclude-holidays"}) {
    if (line.value(groupOnly) != nullptr) {
      throw line.usage("--" + std::string(groupOnly) + " needs --groups");
    }
  }
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
  const ShortCountExpansion expansion = expandOverGroup(
      CountView::of(table), group, expanded, tableAnalysis(line, table).excludedDays(table), year);
  writeExport(line, out, expandExport(expansion.estimates, line.names),
              aboutStations(table, expanded, year, line.inputs, line.names));
}

}  // namespace

Command expandCommand() {
  return {
      "expand",
      "expand --group NAMES|--groups FILE|register [--stations NAMES] [--year YYYY] "
      "[--holidays CALENDAR [--exclude-holidays]] [--cv-threshold PCT] "
      "[-o OUT.csv|OUT.xlsx] INPUT...",
      "estimate the AADT of short counts: each station's valid days times the group's mean\n"
      "      factor F(month, day of week), averaged; group members without AADT are left out.\n"
      "      With --groups each station takes its own group's factors (columns factor_group\n"
      "      and note added: a group with fewer than two members with an AADT gives no\n"
      "      estimate, and the note says why); cells above the CV threshold go to standard\n"
      "      error",
      {kOutputOption, kGroupOption, kGroupsOption, kStationsOption, kYearOption, kHolidaysOption,
       kExcludeHolidaysOption, kCvThresholdOption, kOrderOption, kLanesOption, kRegisterOption},
      {},
      &runExpand};
}

}  // namespace ostrilo::cli

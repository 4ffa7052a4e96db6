#include <charconv>
#include <cmath>
#include <ostream>

#include "cli/Commands.h"
#include "core/calendar/HolidayCalendar.h"
#include "core/checks/CheckReport.h"
#include "core/checks/Completeness.h"
#include "core/checks/DataChecks.h"
#include "core/checks/Episodes.h"
#include "core/checks/YearChecks.h"
#include "core/export/CheckExports.h"
#include "core/export/TableExports.h"
#include "core/table/ATRTable.h"

namespace ostrilo::cli {

namespace {

std::optional<Severity> parseSeverity(const CommandLine& line) {
  const std::string* text = line.value("severity");
  if (text == nullptr) return std::nullopt;
  if (*text == "C" || *text == "c") return Severity::Critical;
  if (*text == "W" || *text == "w") return Severity::Warning;
  if (*text == "I" || *text == "i") return Severity::Info;
  throw line.usage("severity " + inQuotes(*text) + " is not C, W or I");
}

double aadtChangePct(const CommandLine& line) {
  return percentOption(line, "aadt-change", kDefaultAadtChangePct);
}

std::optional<std::int64_t> laneCeiling(const CommandLine& line) {
  const std::string* text = line.value("lane-ceiling");
  if (text == nullptr) return std::nullopt;
  std::int64_t vehicles = 0;
  const auto [end, failed] = std::from_chars(text->data(), text->data() + text->size(), vehicles);
  if (failed != std::errc() || end != text->data() + text->size() || vehicles <= 0) {
    throw line.usage("--lane-ceiling " + inQuotes(*text) + " is not a whole number above 0");
  }
  if (line.names == nullptr) throw line.usage("--lane-ceiling needs --register with lanes");
  return vehicles;
}

void writeFlags(const CommandLine& line, std::ostream& out, const CheckResults& results,
                const FlagFilter& filter, WorkbookAbout about) {
  const std::vector<CheckFlag> flags = selectFlags(results, filter);
  if (line.flag("episodes")) {
    writeExport(line, out,
                episodesExport(mergeEpisodes(results, flags), results.stations(), line.names),
                std::move(about));
  } else {
    writeExport(line, out, checksExport(flags, results.stations(), line.names), std::move(about));
  }
  *line.report << checkCountsLine(countByCode(flags)) << '\n';
}

void runCheck(const CommandLine& line, std::ostream& out) {
  if (line.flag("completeness") && (line.flag("episodes") || line.value("severity") != nullptr)) {
    throw line.usage("--completeness counts days, not flags: no --episodes or --severity");
  }
  FlagFilter filter;
  filter.severity = parseSeverity(line);
  static_cast<void>(aadtChangePct(line));
  const std::optional<std::int64_t> perLane = laneCeiling(line);
  HolidayCalendar holidays = holidayCalendar(line);
  const ATRTable table = loadTable(line);
  const std::vector<std::int32_t> picked = stationIndexes(line, table);
  WorkbookAbout about = aboutStations(table, picked, std::nullopt, line.inputs, line.names);
  if (!holidays.empty()) about.definitions.push_back("Holidays: " + holidays.name());
  TableAnalysis analysis = tableAnalysis(line, table, std::move(holidays), perLane);
  analysis.setAadtChangePct(aadtChangePct(line));
  const CheckResults& results = analysis.checks(table);
  if (line.flag("completeness")) {
    writeExport(
        line, out,
        completenessExport(computeCompleteness(results, picked), results.stations(), line.names),
        std::move(about));
    return;
  }
  if (line.value("stations") != nullptr) {
    filter.stations.assign(static_cast<std::size_t>(table.StaCount()), false);
    for (const std::int32_t s : picked) filter.stations[static_cast<std::size_t>(s)] = true;
  }
  writeFlags(line, out, results, filter, std::move(about));
}

}  // namespace

Command checkCommand() {
  return {"check",
          "check [-o OUT.csv|OUT.xlsx] [--severity C|W|I] [--stations NAMES] [--episodes|"
          "--completeness] [--holidays us|de-be|FILE] [--aadt-change PCT] [--lane-ceiling N] "
          "[--order table|id|date] INPUT...",
          "check every station-day and write one row per flag (station,date,code,severity,\n"
          "      detail; LF lines), in station then date order; the flags per code go to standard\n"
          "      error. Exit 0 whatever the checks found. A register with a road column adds\n"
          "      DIRECTION_SPLIT, its rows naming the road, and one with a max_daily column (or\n"
          "      lanes and --lane-ceiling) STATION_CEILING. --episodes merges each station's\n"
          "      consecutive days of one code (station,code,severity,first_date,last_date,days,\n"
          "      detail); --completeness writes a row per station instead (station,days,\n"
          "      complete_days,complete_pct,incomplete_days,faulty_days,longest_gap_days,\n"
          "      last_complete_date)",
          {kOutputOption, kSeverityOption, kStationsOption, kEpisodesOption, kCompletenessOption,
           kHolidaysOption, kAadtChangeOption, kLaneCeilingOption, kOrderOption, kLanesOption,
           kRegisterOption},
          {},
          &runCheck};
}

}  // namespace ostrilo::cli

#include <charconv>
#include <cmath>
#include <ostream>

#include "cli/Commands.h"
#include "core/checks/CheckReport.h"
#include "core/checks/DataChecks.h"
#include "core/checks/YearChecks.h"
#include "core/export/TableExports.h"
#include "core/table/ATRTable.h"

namespace ostrilo::cli {

namespace {

std::optional<Severity> parseSeverity(const CommandLine& line) {
  const std::string* text = line.value("severity");
  if (text == nullptr) return std::nullopt;
  if (*text == "C" || *text == "c") return Severity::Critical;
  if (*text == "W" || *text == "w") return Severity::Warning;
  throw line.usage("severity " + inQuotes(*text) + " is neither C nor W");
}

double aadtChangePct(const CommandLine& line) {
  const std::string* text = line.value("aadt-change");
  if (text == nullptr) return kDefaultAadtChangePct;
  double pct = 0;
  const auto [end, failed] = std::from_chars(text->data(), text->data() + text->size(), pct);
  if (failed != std::errc() || end != text->data() + text->size() || !std::isfinite(pct) ||
      pct < 0) {
    throw line.usage("--aadt-change " + inQuotes(*text) + " is not a percentage of 0 or more");
  }
  return pct;
}

// The register's roads where it has them: DIRECTION_SPLIT needs them, the other rules do not.
CheckOptions checkOptions(const CommandLine& line) {
  CheckOptions options;
  if (line.names != nullptr) options.roads = registerRoads(*line.names);
  options.aadtChangePct = aadtChangePct(line);
  return options;
}

void runCheck(const CommandLine& line, std::ostream& out) {
  FlagFilter filter;
  filter.severity = parseSeverity(line);
  const CheckOptions options = checkOptions(line);
  const ATRTable table = loadTable(line);
  const std::vector<std::int32_t> picked = stationIndexes(line, table);
  if (line.value("stations") != nullptr) {
    filter.stations.assign(static_cast<std::size_t>(table.StaCount()), false);
    for (const std::int32_t s : picked) filter.stations[static_cast<std::size_t>(s)] = true;
  }
  const CheckResults results = RunDataChecks(CountView::of(table), options);
  const std::vector<CheckFlag> flags = selectFlags(results, filter);
  writeExport(line, out, checksExport(flags, results.stations(), line.names),
              aboutStations(table, picked, std::nullopt, line.inputs, line.names));
  *line.report << checkCountsLine(countByCode(flags)) << '\n';
}

}  // namespace

Command checkCommand() {
  return {"check",
          "check [-o OUT.csv|OUT.xlsx] [--severity C|W] [--stations NAMES] [--aadt-change PCT] "
          "INPUT...",
          "check every station-day and write one row per flag (station,date,code,severity,\n"
          "      detail; LF lines), in station then date order; the flags per code go to standard\n"
          "      error. Exit 0 whatever the checks found. A register with a road column adds\n"
          "      DIRECTION_SPLIT, its rows naming the road",
          {kOutputOption, kSeverityOption, kStationsOption, kAadtChangeOption, kRegisterOption},
          {},
          &runCheck};
}

}  // namespace ostrilo::cli

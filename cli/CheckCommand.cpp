#include <ostream>

#include "cli/Commands.h"
#include "core/checks/CheckReport.h"
#include "core/checks/DataChecks.h"
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

void runCheck(const CommandLine& line, std::ostream& out) {
  FlagFilter filter;
  filter.severity = parseSeverity(line);
  const ATRTable table = loadTable(line);
  const std::vector<std::int32_t> picked = stationIndexes(line, table);
  if (line.value("stations") != nullptr) {
    filter.stations.assign(static_cast<std::size_t>(table.StaCount()), false);
    for (const std::int32_t s : picked) filter.stations[static_cast<std::size_t>(s)] = true;
  }
  const CheckResults results = RunDataChecks(table);
  const std::vector<CheckFlag> flags = selectFlags(results, filter);
  writeExport(line, out, checksExport(flags, results.stations(), line.names),
              aboutStations(table, picked, std::nullopt, line.inputs, line.names));
  *line.report << checkCountsLine(countByCode(flags)) << '\n';
}

}  // namespace

Command checkCommand() {
  return {"check",
          "check [-o OUT.csv|OUT.xlsx] [--severity C|W] [--stations NAMES] INPUT...",
          "check every station-day and write one row per flag (station,date,code,severity,\n"
          "      detail; LF lines), in station then date order; the flags per code go to standard\n"
          "      error. Exit 0 whatever the checks found",
          {kOutputOption, kSeverityOption, kStationsOption, kRegisterOption},
          {},
          &runCheck};
}

}  // namespace ostrilo::cli

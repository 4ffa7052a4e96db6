#include <optional>
#include <ostream>
#include <utility>

#include "cli/Commands.h"
#include "core/analysis/TableAnalysis.h"
#include "core/annual/AnnualFigures.h"
#include "core/export/SqliteExport.h"
#include "core/export/TmgVolumeWriter.h"
#include "core/register/StationRegister.h"
#include "core/register/TmgRegister.h"
#include "core/table/ATRTable.h"

namespace ostrilo::cli {

namespace {

TmgFormat tmgFormat(const CommandLine& line) {
  const std::string* text = line.value("tmg-format");
  if (text == nullptr) return TmgFormat::Tmg2013;
  if (line.value("tmg") == nullptr) throw line.usage("--tmg-format needs --tmg FILE");
  const std::optional<TmgFormat> format = parseTmgFormat(*text);
  if (!format) throw line.usage("--tmg-format " + inQuotes(*text) + " is not 2013, 2001 or pipe");
  return *format;
}

void runExport(const CommandLine& line, std::ostream& /*out*/) {
  const std::string* tmg = line.value("tmg");
  const std::string* sqlite = line.value("sqlite");
  if (tmg == nullptr && sqlite == nullptr) {
    throw line.usage("missing --tmg or --sqlite; usage: ostrilo-cli " +
                     std::string(exportCommand().synopsis));
  }
  const TmgFormat format = tmgFormat(line);
  const PeakWindows windows = peakWindows(line);
  HolidayCalendar holidays = holidayCalendar(line);
  const ATRTable table = loadTable(line);
  TableAnalysis analysis = tableAnalysis(line, table, std::move(holidays));
  const CheckResults& checks = analysis.checks(table);
  // TMG inputs name their stations' keys themselves; a register given says otherwise.
  std::optional<StationRegister> fromInputs;
  const StationRegister* names = line.names;
  if (names == nullptr) {
    fromInputs = registerFromTmgFiles(line.inputs, line.value("lanes") != nullptr);
    names = &*fromInputs;
  }
  if (tmg != nullptr) writeTmgVolumeFile(*tmg, table, checks, *names, format);
  if (sqlite != nullptr) writeSqliteDatabase(*sqlite, table, checks, names, windows);
}

}  // namespace

Command exportCommand() {
  return {"export",
          "export --tmg OUT.vol [--tmg-format 2013|2001|pipe] | --sqlite OUT.db [--peaks "
          "WINDOWS] [--holidays us|de-be|FILE] INPUT...",
          "write the table for other tools: --tmg as TMG hourly volume records (\"3\"), one per\n"
          "      station and day with a counted hour, restriction 2 on a day with a critical\n"
          "      flag; the register (or the TMG inputs' own records) gives each station's state,\n"
          "      fclass, tmg_station and direction. --sqlite as a SQLite database with the\n"
          "      tables stations, hours, days, flags and annual and the view daily_complete; the\n"
          "      checks with --holidays and the register's max_daily ceilings",
          {kTmgOption, kTmgFormatOption, kSqliteOption, kPeaksOption, kHolidaysOption, kLanesOption,
           kRegisterOption},
          {},
          &runExport};
}

}  // namespace ostrilo::cli

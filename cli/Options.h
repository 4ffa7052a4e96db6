#pragma once

// The option layer every command shares: each option is declared once below, a command lists the
// options it takes, and CLI11 parses them from those declarations, as the help lists them.
//
// Adding an option: declare it here once,
//   inline constexpr OptionSpec kTrimOption{"trim", '\0', "PCT", "annual: leave out ..."};
// list it in the options of each command that takes it, and read it in the command's run
// function: line.value("trim") (null when not given), line.list("name") for a repeatable option,
// line.flag("name") for a flag (an empty valueName).
// Adding a command: a file cli/FooCommand.cpp defining `Command fooCommand()` (declared in
// cli/Commands.h) with its name, synopsis, summary, options, required options and run function,
// one line in commands() (cli/CliApp.cpp) and one in cli/CMakeLists.txt.

#include <cstdint>
#include <iosfwd>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliApp.h"
#include "core/analysis/TableAnalysis.h"
#include "core/calendar/HolidayCalendar.h"
#include "core/order/ListOrder.h"
#include "core/selection/PlotSelection.h"
#include "core/table/ATRTable.h"

namespace ostrilo {
struct PeakWindows;
class StationRegister;
struct Road;
struct TableExport;
struct WorkbookAbout;
}  // namespace ostrilo

namespace ostrilo::cli {

// A command line that cannot be run as written. Kept apart from ostrilo::Error so that it maps
// to its own exit status, whatever kinds the core adds later.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A command option. --help is handled before these.
struct OptionSpec {
  std::string_view longName;   // "output" for --output
  char shortName;              // 'o' for -o, '\0' for none
  std::string_view valueName;  // "FILE", for the help; empty for a flag, which takes no value
  std::string_view help;       // what it does, for the help
  bool repeatable = false;     // may be given more than once, each value kept

  [[nodiscard]] bool isFlag() const noexcept { return valueName.empty(); }
};

inline constexpr OptionSpec kOutputOption{
    "output", 'o', "FILE",
    "the file to write; replaced only on success, devices and FIFOs\n"
    "                        written into. A table written to NAME.xlsx (any case) is an\n"
    "                        Excel workbook with an About sheet; other names get the CSV"};
inline constexpr OptionSpec kRegisterOption{
    "register", '\0', "FILE",
    "a station register (CSV with a station column, optional name,\n"
    "                        location, direction, group, ...): workbooks get the names and\n"
    "                        descriptions beside the station; CSV files stay as they are"};
inline constexpr OptionSpec kSeverityOption{
    "severity", '\0', "C|W|I", "check: only the critical (C), warning (W) or info (I) flags"};
inline constexpr OptionSpec kStationsOption{
    "stations", '\0', "NAMES",
    "station names, comma-separated, blanks kept; default all (expand: all\n"
    "                        but the group; with --roads: the roads of these stations)"};
inline constexpr OptionSpec kStationOption{
    "station", '\0', "NAME", "stats: one station name, commas and all; may be repeated", true};
inline constexpr OptionSpec kDatesOption{
    "dates", '\0', "DATES",
    "stats, report, profile: dates as yyyy-mm-dd, comma-separated; default all"};
inline constexpr OptionSpec kYearOption{
    "year", '\0', "YYYY", "annual, factors, expand, report, profile: only this calendar year"};
inline constexpr OptionSpec kPeaksOption{
    "peaks", '\0', "WINDOWS",
    "annual, export, report: peak-hour windows commuter (6-10,15-19, the default),\n"
    "                        noon (0-12,12-24) or A-B,C-D"};
inline constexpr OptionSpec kGroupOption{"group", '\0', "NAMES",
                                         "expand: the stations whose factors are combined"};
inline constexpr OptionSpec kExcludeCriticalOption{
    "exclude-critical", '\0', "", "stats: leave out the days with a critical check flag too"};

inline constexpr OptionSpec kRoadsOption{
    "roads", '\0', "",
    "annual, trend: one row per road and year, the road's directions\n"
    "                        summed; roads from the register's road column (needs --register)"};
inline constexpr OptionSpec kAadtChangeOption{
    "aadt-change", '\0', "PCT",
    "check: AADT_YEAR flags a year whose AADT moves more than PCT\n"
    "                        percent from the year before (default 10)"};
inline constexpr OptionSpec kEpisodesOption{
    "episodes", '\0', "", "check: one row per episode, a station's run of days with one code"};
inline constexpr OptionSpec kCompletenessOption{
    "completeness", '\0', "",
    "check: one row per station: complete, incomplete and faulty days, the\n"
    "                        longest gap and the last complete day"};
inline constexpr OptionSpec kHolidaysOption{
    "holidays", '\0', "CALENDAR",
    "check, export, factors, expand, report: us, de-be, a holiday file (CSV\n"
    "                        date,name) or us+FILE, de-be+FILE; none by default. check\n"
    "                        flags HOLIDAY and CLOCK_CHANGE and compares no holiday with\n"
    "                        other days"};
inline constexpr OptionSpec kExcludeHolidaysOption{
    "exclude-holidays", '\0', "",
    "factors, expand: the holidays of --holidays leave the MADW behind F and\n"
    "                        the days an estimate averages; AADT keeps every valid day"};
inline constexpr OptionSpec kLaneCeilingOption{
    "lane-ceiling", '\0', "VEHICLES",
    "check: a lane's daily ceiling, times the register's lanes, where its\n"
    "                        max_daily column gives none (STATION_CEILING)"};
inline constexpr OptionSpec kGroupsOption{
    "groups", '\0', "FILE|register",
    "expand: each station expanded with its own factor group's factors,\n"
    "                        groups from a file (CSV station,group) or the register's group\n"
    "                        column"};
inline constexpr OptionSpec kCvThresholdOption{
    "cv-threshold", '\0', "PCT",
    "expand: with --groups, name each group cell whose CV exceeds PCT\n"
    "                        percent on standard error (default 15, our choice)"};
inline constexpr OptionSpec kOrderOption{
    "order", '\0', "table|id|date",
    "the rows in the table's order (default), by station id (B2 before\n"
    "                        B10) then date, or by date then station id"};
inline constexpr OptionSpec kTrimOption{
    "trim", '\0', "", "stats: plain numbers, no blanks before the values and headers"};
inline constexpr OptionSpec kTmgOption{
    "tmg", '\0', "FILE",
    "export: TMG hourly volume records; state, fclass, tmg_station and\n"
    "                        direction from the register"};
inline constexpr OptionSpec kTmgFormatOption{
    "tmg-format", '\0', "2013|2001|pipe",
    "export: the TMG layout, 143 columns (2013, the default), 141 or pipes"};
inline constexpr OptionSpec kSqliteOption{
    "sqlite", '\0', "FILE", "export: a SQLite database (stations, hours, days, flags, annual)"};
inline constexpr OptionSpec kGeojsonOption{
    "geojson", '\0', "FILE",
    "annual: also a GeoJSON point per station the register places (lat\n"
    "                        and lon columns or WGS84 in location; needs --register)"};
inline constexpr OptionSpec kLanesOption{
    "lanes", '\0', "sum",
    "TMG inputs: one station per direction, its lanes added; an hour is\n"
    "                        counted only when every lane counted it"};

// One parsed command line.
struct CommandLine {
  std::string command;  // its name, which every message of the command starts with
  // By long option name; a flag given holds an empty value.
  std::map<std::string, std::string, std::less<>> values;
  std::map<std::string, std::vector<std::string>, std::less<>> lists;  // repeatable options
  std::vector<std::string> inputs;
  std::vector<std::string> args;  // as given, after the command name
  bool helpRequested = false;
  std::ostream* report = nullptr;  // standard error: what a command tells besides its result
  const StationRegister* names = nullptr;  // --register; null without one
  ReportWriter reportWriter = nullptr;     // as runCli was given it

  [[nodiscard]] const std::string* value(std::string_view longName) const;
  [[nodiscard]] const std::vector<std::string>* list(std::string_view longName) const;
  [[nodiscard]] bool flag(std::string_view longName) const { return value(longName) != nullptr; }
  // A usage error of this command: "<command>: <what>".
  [[nodiscard]] UsageError usage(const std::string& what) const;
};

struct Command {
  std::string_view name;
  std::string_view synopsis;  // the command's usage line, without the program name
  std::string_view summary;   // what it does, for the help
  std::vector<OptionSpec> options;
  std::vector<std::string_view> required;  // long names of options the command cannot do without
  void (*run)(const CommandLine& line, std::ostream& out);
  // Set for a command whose work needs what the command line does not link: it runs a program
  // beside this one with the same arguments, unless that program is the one running (it passes
  // its writer to runCli), and answers its exit status.
  int (*runElsewhere)(const CommandLine& line) = nullptr;
};

// Parses the arguments after the command name with CLI11 from the command's declarations.
// Throws UsageError naming the command; with -h or --help anywhere, only helpRequested is set.
[[nodiscard]] CommandLine parseCommandLine(const Command& command,
                                           std::span<const std::string> args);

// The tool's help: every command's synopsis and summary, then every option once.
[[nodiscard]] std::string helpText(std::span<const Command> commands);
// One command's help: its synopsis, summary and its own options only.
[[nodiscard]] std::string commandHelpText(const Command& command);
// The values of the options many commands share (--order, --lanes), checked before the inputs
// are read, so that a typo does not wait for a large table to load.
void checkSharedValues(const CommandLine& line);

// What the commands share.
[[nodiscard]] std::string inQuotes(std::string_view text);
[[nodiscard]] std::string quotedName(std::string_view name);
[[nodiscard]] std::vector<std::string_view> splitAtCommas(std::string_view list);
void writeToStream(std::ostream& out, std::string_view text);
// Results go to the -o file when one is named (a failure keeps what was there) and to standard
// output otherwise.
void writeResult(const CommandLine& line, std::ostream& out, std::string_view text);
// A table goes to the -o file, as a workbook when its name ends in .xlsx, else to standard
// output as CSV: the CSV bytes never depend on the register, other programs read them. Its rows
// in the order of --order.
void writeExport(const CommandLine& line, std::ostream& out, TableExport table,
                 WorkbookAbout about);
// --order; nothing without it.
[[nodiscard]] std::optional<RowOrder> rowOrder(const CommandLine& line);

// The table the inputs make (see loadInputs).
[[nodiscard]] ATRTable loadTable(const CommandLine& line);
// --dates as yyyy-mm-dd days; nothing without the option. Checked before the inputs are read,
// so that a typo does not wait for a large table to load.
[[nodiscard]] std::optional<std::vector<std::string>> parseDays(const CommandLine& line);
// --year: a calendar year, checked before the inputs are read.
[[nodiscard]] std::optional<int> parseYear(const CommandLine& line);
// A year the table holds no date of is a typo, not a result without rows.
void requireYear(const CommandLine& line, const ATRTable& table, std::optional<int> year);
// The date list with the named days selected (every date without days). A day is matched by its
// calendar date: a table file may carry a time of day in its date numbers, and the user cannot
// name that.
[[nodiscard]] ListSelection dateSelection(const CommandLine& line, const ATRTable& table,
                                          const std::optional<std::vector<std::string>>& days);
// The stations a comma-separated option names (every station when it is not given), as table
// indexes in station order, each once.
[[nodiscard]] std::vector<std::int32_t> stationIndexes(const CommandLine& line,
                                                       const ATRTable& table,
                                                       std::string_view option = "stations");

// The register's roads (registerRoads); a usage error without a register or a road in it.
[[nodiscard]] std::vector<Road> registeredRoads(const CommandLine& line);
// With --stations only the roads with a named station among their directions.
[[nodiscard]] std::vector<Road> pickedRoads(const CommandLine& line, const ATRTable& table,
                                            std::vector<Road> roads);
// The table of the inputs with the stations of --stations and the dates of --dates or --year
// (a usage error with both) selected, as the lists of the main window would hold them; every
// station and date when not picked. The picks are checked before the inputs are read.
struct PeriodPick {
  ATRTable table;
  PlotSelection selection;
};
[[nodiscard]] PeriodPick loadPeriod(const CommandLine& line);
// --peaks; the default windows without it.
[[nodiscard]] PeakWindows peakWindows(const CommandLine& line);
// The percentage given to option name (0 or more), or fallback when it is not given.
[[nodiscard]] double percentOption(const CommandLine& line, const std::string& name,
                                   double fallback);
// --holidays, read before the inputs; the empty calendar without it.
[[nodiscard]] HolidayCalendar holidayCalendar(const CommandLine& line);
// The analysis the main window shows of table, the one source of every command's checks and
// valid days: the checks with the calendar (holidayCalendar, read before the inputs), the
// ceilings of the register's max_daily column (else its lanes times perLane) and its roads.
[[nodiscard]] TableAnalysis tableAnalysis(const CommandLine& line, const ATRTable& table,
                                          HolidayCalendar holidays = {},
                                          std::optional<std::int64_t> perLane = std::nullopt);
// pickStations, its unknown name a usage error of the command.
[[nodiscard]] std::vector<std::int32_t> pickedStations(const CommandLine& line,
                                                       const ATRTable& table,
                                                       const std::vector<std::string_view>* names);

}  // namespace ostrilo::cli

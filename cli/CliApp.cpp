#include "cli/CliApp.h"

#include <QApplication>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>
#include <new>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <vector>

#include "core/annual/AnnualFigures.h"
#include "core/annual/ShortCounts.h"
#include "core/checks/CheckReport.h"
#include "core/checks/DataChecks.h"
#include "core/export/TableExports.h"
#include "core/register/StationRegister.h"
#include "core/selection/PlotSelection.h"
#include "core/stats/StationStats.h"
#include "core/table/ATRTable.h"
#include "core/table/CsvField.h"
#include "core/table/DateNumber.h"
#include "core/table/Error.h"
#include "core/table/OutputFile.h"
#include "core/table/TableFile.h"
#include "core/table/TableSummary.h"
#include "gui/report/StationReport.h"

namespace ostrilo::cli {

namespace {

constexpr std::string_view kProgram = "ostrilo-cli";

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

struct CommandLine {
  // By long option name; a flag given holds an empty value.
  std::map<std::string, std::string, std::less<>> values;
  std::map<std::string, std::vector<std::string>, std::less<>> lists;  // repeatable options
  std::vector<std::string> inputs;
  bool helpRequested = false;
  std::ostream* report = nullptr;  // standard error: what a command tells besides its result
  const StationRegister* names = nullptr;  // --register; null without one

  [[nodiscard]] const std::string* value(std::string_view longName) const {
    const auto found = values.find(longName);
    return found == values.end() ? nullptr : &found->second;
  }
  [[nodiscard]] const std::vector<std::string>* list(std::string_view longName) const {
    const auto found = lists.find(longName);
    return found == lists.end() ? nullptr : &found->second;
  }
};

struct Command {
  std::string_view name;
  std::string_view synopsis;  // the command's usage line, without the program name
  std::string_view summary;   // what it does, for the help
  std::vector<OptionSpec> options;
  std::vector<std::string_view> required;  // long names of options the command cannot do without
  void (*run)(const CommandLine& line, std::ostream& out);
};

constexpr OptionSpec kOutputOption{
    "output", 'o', "FILE",
    "the file to write; replaced only on success, devices and FIFOs\n"
    "                        written into. A table written to NAME.xlsx (any case) is an\n"
    "                        Excel workbook with an About sheet; other names get the CSV"};
constexpr OptionSpec kRegisterOption{
    "register", '\0', "FILE",
    "a station register (CSV with a station column, optional name,\n"
    "                        location, direction, group, ...): workbooks get the names and\n"
    "                        descriptions beside the station; CSV files stay as they are"};

constexpr OptionSpec kSeverityOption{"severity", '\0', "C|W",
                                     "check: only the critical (C) or the warning (W) flags"};
constexpr OptionSpec kStationsOption{
    "stations", '\0', "NAMES",
    "station names, comma-separated, blanks kept; default all (expand: all but the group)"};
constexpr OptionSpec kStationOption{
    "station", '\0', "NAME", "stats: one station name, commas and all; may be repeated", true};
constexpr OptionSpec kDatesOption{
    "dates", '\0', "DATES", "stats, report: dates as yyyy-mm-dd, comma-separated; default all"};

constexpr OptionSpec kYearOption{"year", '\0', "YYYY",
                                 "annual, factors, expand, report: only this calendar year"};
constexpr OptionSpec kPeaksOption{
    "peaks", '\0', "WINDOWS",
    "annual: peak-hour windows noon (0-12,12-24), commuter (6-10,15-19) or A-B,C-D"};
constexpr OptionSpec kGroupOption{"group", '\0', "NAMES",
                                  "expand: the stations whose factors are combined"};

constexpr OptionSpec kExcludeCriticalOption{
    "exclude-critical", '\0', "", "stats: leave out the days with a critical check flag too"};

std::string quoted(std::string_view text) { return quoteForMessage(text); }

std::string quotedName(std::string_view name) { return "\"" + escapeName(name) + "\""; }

void writeToStream(std::ostream& out, std::string_view text) {
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.flush();
  if (!out) throw Error(ErrorKind::Io, "Cannot write to standard output");
}

// Results go to the -o file when one is named (a failure keeps what was there) and to standard
// output otherwise.
void writeResult(const CommandLine& line, std::ostream& out, std::string_view text) {
  if (const std::string* path = line.value("output")) {
    writeOutputFile(*path, text);
  } else {
    writeToStream(out, text);
  }
}

// A table goes to the -o file, as a workbook when its name ends in .xlsx, else to standard
// output as CSV: the CSV bytes never depend on the register, other programs read them.
void writeExport(const CommandLine& line, std::ostream& out, const TableExport& table,
                 WorkbookAbout about) {
  if (const std::string* path = line.value("output")) {
    saveTableExport(*path, table, std::move(about));
  } else {
    writeToStream(out, buildCsvText(table.table, table.format));
  }
}

void runConvert(const CommandLine& line, std::ostream& /*out*/) {
  // A table file named .xlsx would be mistaken for a workbook by everything that opens it.
  if (isWorkbookPath(*line.value("output"))) {
    throw UsageError("convert: " + quoted(*line.value("output")) +
                     " names a workbook; convert writes a table file (table -o NAME.xlsx "
                     "writes the hourly table as a workbook)");
  }
  ATRTable table;
  loadInputs(table, line.inputs);
  table.SaveToFile(*line.value("output"));
}

void runTable(const CommandLine& line, std::ostream& out) {
  ATRTable table;
  loadInputs(table, line.inputs);
  // The CSV is written straight from the table: the hourly table is the one export that grows
  // with stations x dates, and its cells as ExportTable take six times the memory.
  const std::string* path = line.value("output");
  if (path == nullptr || !isWorkbookPath(*path)) return writeResult(line, out, tableCsv(table));
  saveHourlyExport(*path, table, line.names, aboutTable(table, line.inputs, line.names));
}

// One "name: value" line per figure, numbers plain so that scripts can read them; a table
// without dates has no first or last date, and its lines stay with an empty value.
std::string summaryText(const TableSummary& summary) {
  const auto dateText = [](const std::optional<DateNumber>& date) {
    return date ? " " + isoDate(*date) : std::string();
  };
  return "stations: " + std::to_string(summary.stations) +
         "\ndates: " + std::to_string(summary.dates) +
         "\nfirst date:" + dateText(summary.firstDate) +
         "\nlast date:" + dateText(summary.lastDate) +
         "\nrecords: " + std::to_string(summary.records) +
         "\ncounted hours: " + std::to_string(summary.countedHours) +
         "\ncomplete days: " + std::to_string(summary.completeDays) +
         "\nhours not counted: " + std::to_string(summary.hoursNotCounted) + "\n";
}

void runInfo(const CommandLine& line, std::ostream& out) {
  ATRTable table;
  loadInputs(table, line.inputs);
  writeResult(line, out, summaryText(SummarizeTable(table)));
}

std::vector<std::string_view> splitAtCommas(std::string_view list) {
  std::vector<std::string_view> items;
  for (;;) {
    const std::size_t comma = list.find(',');
    items.push_back(list.substr(0, comma));
    if (comma == std::string_view::npos) return items;
    list.remove_prefix(comma + 1);
  }
}

// The days named by --dates, as yyyy-mm-dd. Checked before the inputs are read, so that a typo
// does not wait for a large table to load.
std::vector<std::string> parseDays(std::string_view list) {
  std::vector<std::string> days;
  for (const std::string_view text : splitAtCommas(list)) {
    const std::optional<DateNumber> date = parseIsoDate(text);
    if (!date) {
      throw UsageError("stats: " + quoted(text) + " is not a date of the form yyyy-mm-dd");
    }
    days.push_back(isoDate(*date));
  }
  return days;
}

// The station list as the main window fills it, with the stations named by --stations and
// --station selected (every one when neither is given). The item texts are the names
// themselves, which the export's first column takes.
ListSelection stationSelection(const ATRTable& table, const CommandLine& line) {
  const std::string* commaList = line.value("stations");
  const std::vector<std::string>* single = line.list("station");
  std::vector<std::string_view> names =
      commaList ? splitAtCommas(*commaList) : std::vector<std::string_view>{};
  if (single != nullptr) names.insert(names.end(), single->begin(), single->end());
  ListSelection list;
  const std::int32_t count = table.StaCount();
  const bool all = commaList == nullptr && single == nullptr;
  list.selected.assign(static_cast<std::size_t>(count), all);
  list.texts.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) list.texts.push_back(table.StaNamebyIndex(i));
  for (const std::string_view name : names) {
    const std::int32_t index = table.ulstName().Index(name);
    if (index < 0) throw UsageError("stats: unknown station " + quoted(name));
    list.selected[static_cast<std::size_t>(index)] = true;
  }
  return list;
}

// The date list with the named days selected (every date when days is null). A day is matched
// by its calendar date: a table file may carry a time of day in its date numbers, and the user
// cannot name that.
ListSelection dateSelection(const ATRTable& table, const std::vector<std::string>* days) {
  ListSelection list;
  const std::int32_t count = table.DateCount();
  list.selected.assign(static_cast<std::size_t>(count), days == nullptr);
  if (days == nullptr) return list;
  std::map<std::string, std::vector<std::int32_t>, std::less<>> indexesByDay;
  for (std::int32_t i = 0; i < count; ++i) indexesByDay[isoDate(table.DatebyIndex(i))].push_back(i);
  for (const std::string& day : *days) {
    const auto found = indexesByDay.find(day);
    if (found == indexesByDay.end()) throw UsageError("stats: unknown date " + quoted(day));
    for (const std::int32_t i : found->second) list.selected[static_cast<std::size_t>(i)] = true;
  }
  return list;
}

void runStats(const CommandLine& line, std::ostream& out) {
  std::optional<std::vector<std::string>> days;
  if (const std::string* list = line.value("dates")) days = parseDays(*list);
  ATRTable table;
  loadInputs(table, line.inputs);
  const PlotSelection selection{stationSelection(table, line),
                                dateSelection(table, days ? &*days : nullptr)};
  // The main window warns and then exports a bare header; here a file without a single record
  // would pass for a result, so the check's message is a failure instead.
  if (const std::optional<std::string> problem = CheckPlotSelection(selection)) {
    throw Error(ErrorKind::Usage, *problem);
  }
  const std::vector<bool> leaveOut =
      line.value("exclude-critical") != nullptr ? criticalDays(table) : std::vector<bool>();
  WorkbookAbout about = aboutSelection(table, selection, line.inputs, line.names);
  if (!leaveOut.empty()) about.definitions.emplace_back("Days with a critical flag left out");
  writeExport(line, out, statsExport(ComputeStationStats(table, selection, leaveOut), line.names),
              std::move(about));
}

std::optional<Severity> parseSeverity(const std::string* text) {
  if (text == nullptr) return std::nullopt;
  if (*text == "C" || *text == "c") return Severity::Critical;
  if (*text == "W" || *text == "w") return Severity::Warning;
  throw UsageError("check: severity " + quoted(*text) + " is neither C nor W");
}

// The named stations as table indexes in station order, each once; every station when names is
// null.
std::vector<std::int32_t> stationIndexes(const ATRTable& table, const std::string* names,
                                         std::string_view command) {
  const std::int32_t count = table.StaCount();
  std::vector<bool> picked(static_cast<std::size_t>(count), names == nullptr);
  if (names != nullptr) {
    for (const std::string_view name : splitAtCommas(*names)) {
      const std::int32_t index = table.ulstName().Index(name);
      if (index < 0) {
        throw UsageError(std::string(command) + ": unknown station " + quoted(name));
      }
      picked[static_cast<std::size_t>(index)] = true;
    }
  }
  std::vector<std::int32_t> indexes;
  for (std::int32_t i = 0; i < count; ++i) {
    if (picked[static_cast<std::size_t>(i)]) indexes.push_back(i);
  }
  return indexes;
}

// --year: a calendar year, checked before the inputs are read.
std::optional<int> parseYear(const CommandLine& line, std::string_view command) {
  const std::string* text = line.value("year");
  if (text == nullptr) return std::nullopt;
  int year = 0;
  const auto result = std::from_chars(text->data(), text->data() + text->size(), year);
  if (text->size() != 4 || result.ec != std::errc() || result.ptr != text->data() + 4 ||
      year < 1000) {
    throw UsageError(std::string(command) + ": " + quoted(*text) + " is not a year (YYYY)");
  }
  return year;
}

// A year the table holds no date of is a typo, not a result without rows.
void requireYear(const ATRTable& table, std::optional<int> year, std::string_view command) {
  if (!year) return;
  for (const DateNumber date : table.ulstDate().values()) {
    if (civilFromDate(date).year == *year) return;
  }
  throw UsageError(std::string(command) + ": the table holds no date in " + std::to_string(*year));
}

struct AnnualRun {
  std::vector<StationYear> rows;
  WorkbookAbout about;
};

AnnualRun annualRows(const CommandLine& line, std::string_view command,
                     const PeakWindows& windows) {
  const std::optional<int> year = parseYear(line, command);
  ATRTable table;
  loadInputs(table, line.inputs);
  requireYear(table, year, command);
  AnnualOptions options;
  options.stations = stationIndexes(table, line.value("stations"), command);
  options.year = year;
  options.windows = windows;
  const CountView view = CountView::of(table);
  options.excluded = excludingCriticalDays(view);
  AnnualRun run{{}, aboutStations(table, options.stations, year, line.inputs, line.names)};
  // An empty pick means every station to the computation; a table without stations has none.
  if (!options.stations.empty()) run.rows = ComputeAnnualFigures(view, options);
  return run;
}

void runCheck(const CommandLine& line, std::ostream& out) {
  FlagFilter filter;
  filter.severity = parseSeverity(line.value("severity"));
  ATRTable table;
  loadInputs(table, line.inputs);
  const std::vector<std::int32_t> picked = stationIndexes(table, line.value("stations"), "check");
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

void runAnnual(const CommandLine& line, std::ostream& out) {
  PeakWindows windows = kNoonWindows;
  if (const std::string* text = line.value("peaks")) {
    const std::optional<PeakWindows> parsed = parsePeakWindows(*text);
    if (!parsed) {
      throw UsageError("annual: " + quoted(*text) +
                       " is not noon, commuter or two windows A-B,C-D of hours 0 to 24");
    }
    windows = *parsed;
  }
  AnnualRun run = annualRows(line, "annual", windows);
  run.about.definitions.push_back(
      "Peak windows: AM " + std::to_string(windows.amBegin) + "-" + std::to_string(windows.amEnd) +
      ", PM " + std::to_string(windows.pmBegin) + "-" + std::to_string(windows.pmEnd));
  writeExport(line, out, annualExport(run.rows, line.names), std::move(run.about));
}

void runFactors(const CommandLine& line, std::ostream& out) {
  AnnualRun run = annualRows(line, "factors", kNoonWindows);
  writeExport(line, out, factorsExport(run.rows, line.names), std::move(run.about));
}

void runExpand(const CommandLine& line, std::ostream& out) {
  const std::optional<int> year = parseYear(line, "expand");
  ATRTable table;
  loadInputs(table, line.inputs);
  requireYear(table, year, "expand");
  AnnualOptions options;
  options.stations = stationIndexes(table, line.value("group"), "expand");
  options.year = year;
  const CountView view = CountView::of(table);
  options.excluded = excludingCriticalDays(view);
  const std::vector<StationYear> members = ComputeAnnualFigures(view, options);
  std::map<int, std::vector<StationYear>> byYear;
  for (const StationYear& row : members) byYear[row.year].push_back(row);
  std::vector<FactorGroup> groups;
  for (const auto& [groupYear, rows] : byYear) groups.push_back(CombineFactors(rows, groupYear));

  std::vector<std::int32_t> expanded;
  if (line.value("stations") != nullptr) {
    expanded = stationIndexes(table, line.value("stations"), "expand");
  } else {
    for (std::int32_t i = 0; i < table.StaCount(); ++i) {
      if (std::find(options.stations.begin(), options.stations.end(), i) ==
          options.stations.end()) {
        expanded.push_back(i);
      }
    }
  }
  writeExport(line, out,
              expandExport(ExpandShortCounts(view, expanded, groups, options.excluded), line.names),
              aboutStations(table, expanded, year, line.inputs, line.names));
}

// The charts of a report are drawn by widgets, which need an application; a terminal has no
// display, so the application draws offscreen unless the user chose a platform.
void runReport(const CommandLine& line, std::ostream& /*out*/) {
  if (line.value("dates") != nullptr && line.value("year") != nullptr) {
    throw UsageError("report: --dates and --year pick the dates two ways; give one");
  }
  std::optional<std::vector<std::string>> days;
  if (const std::string* list = line.value("dates")) days = parseDays(*list);
  const std::optional<int> year = parseYear(line, "report");
  ATRTable table;
  loadInputs(table, line.inputs);
  requireYear(table, year, "report");
  PlotSelection selection{{}, dateSelection(table, days ? &*days : nullptr)};
  if (year) {
    for (std::int32_t i = 0; i < table.DateCount(); ++i) {
      selection.dates.selected[static_cast<std::size_t>(i)] =
          civilFromDate(table.DatebyIndex(i)).year == *year;
    }
  }
  selection.stations.selected.assign(static_cast<std::size_t>(table.StaCount()), false);
  for (const std::int32_t s : stationIndexes(table, line.value("stations"), "report")) {
    selection.stations.selected[static_cast<std::size_t>(s)] = true;
  }
  if (const std::optional<std::string> problem = CheckPlotSelection(selection)) {
    throw Error(ErrorKind::Usage, *problem);
  }
  std::optional<QApplication> application;
  if (QCoreApplication::instance() == nullptr) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "ostrilo-cli";
    static char* argv[] = {name, nullptr};
    // Qt's remarks about the missing display and runtime folder mean nothing to a terminal
    // user; failures still arrive as errors.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
      if (type == QtCriticalMsg || type == QtFatalMsg) std::fputs(qPrintable(text + '\n'), stderr);
    });
    application.emplace(argc, argv);
  }
  writeStationReport(*line.value("output"), table, selection, line.inputs, line.names);
}

const std::vector<Command>& commands() {
  static const std::vector<Command> list{
      {"convert",
       "convert -o OUT.cont INPUT...",
       "save the table as a table file",
       {kOutputOption, kRegisterOption},
       {"output"},
       &runConvert},
      {"table",
       "table [-o OUT.csv|OUT.xlsx] INPUT...",
       "write the table as CSV (station,date,h00..h23,total), to standard output without -o;\n"
       "      an hour not counted is an empty field, total is empty unless all 24 hours were\n"
       "      counted, and a station and date without any counted hour has no row",
       {kOutputOption, kRegisterOption},
       {},
       &runTable},
      {"stats",
       "stats [-o OUT.csv|OUT.xlsx] [--stations NAMES] [--station NAME]... [--dates DATES] "
       "[--exclude-critical] INPUT...",
       "write the station statistics file that the main window exports (ATR ID, ADT, Min DT,\n"
       "      Max DT, SD, AWDDT, AWEDT, Days; CR LF lines) for the picked stations and dates,\n"
       "      every one when not picked; records in station order whatever order the names come\n"
       "      in. The figures take only the days with all 24 hours counted (Days of them), with\n"
       "      --exclude-critical only those without a critical check flag; a figure without\n"
       "      such a day is an empty field. A table without stations is a failure (\"You must\n"
       "      create the data first.\")",
       {kOutputOption, kStationsOption, kStationOption, kDatesOption, kExcludeCriticalOption,
        kRegisterOption},
       {},
       &runStats},
      {"info",
       "info INPUT...",
       "write what the table holds, one \"name: value\" line each: stations, dates, first\n"
       "      date, last date, records (stations x dates), counted hours, complete days (all 24\n"
       "      hours counted), hours not counted",
       {kRegisterOption},
       {},
       &runInfo},
      {"check",
       "check [-o OUT.csv|OUT.xlsx] [--severity C|W] [--stations NAMES] INPUT...",
       "check every station-day and write one row per flag (station,date,code,severity,\n"
       "      detail; LF lines), in station then date order; the flags per code go to standard\n"
       "      error. Exit 0 whatever the checks found",
       {kOutputOption, kSeverityOption, kStationsOption, kRegisterOption},
       {},
       &runCheck},
      {"annual",
       "annual [-o OUT.csv|OUT.xlsx] [--stations NAMES] [--year YYYY] [--peaks WINDOWS] INPUT...",
       "write the annual figures, one row per station and calendar year: valid days, ADT, AADT\n"
       "      (empty unless all 84 month x day-of-week cells hold a valid day), covered cells,\n"
       "      V30, K30, V100, K100 and the average weekday's AM and PM peak hours",
       {kOutputOption, kStationsOption, kYearOption, kPeaksOption, kRegisterOption},
       {},
       &runAnnual},
      {"factors",
       "factors [-o OUT.csv|OUT.xlsx] [--stations NAMES] [--year YYYY] INPUT...",
       "write MADW, MADT, AADW and the factors MF, DF, F of every station and year, one value\n"
       "      per row (station,year,kind,month,dow,value,n; dow 1 = Monday)",
       {kOutputOption, kStationsOption, kYearOption, kRegisterOption},
       {},
       &runFactors},
      {"expand",
       "expand --group NAMES [--stations NAMES] [--year YYYY] [-o OUT.csv|OUT.xlsx] INPUT...",
       "estimate the AADT of short counts: each station's valid days times the group's mean\n"
       "      factor F(month, day of week), averaged; group members without AADT are left out",
       {kOutputOption, kGroupOption, kStationsOption, kYearOption, kRegisterOption},
       {"group"},
       &runExpand},
      {"report",
       "report -o OUT.pdf [--stations NAMES] [--dates DATES|--year YYYY] INPUT...",
       "write a printable PDF report, a page per station: the period and sources, the daily\n"
       "      graph, the weekday and weekend hourly profiles, the daily statistics, the annual\n"
       "      figures of every whole year, and the data-check summary; A4, Letter in the US\n"
       "      and Canada locales",
       {kOutputOption, kStationsOption, kDatesOption, kYearOption, kRegisterOption},
       {"output"},
       &runReport},
  };
  return list;
}

void appendHelpLine(std::string& text, std::string_view names, std::string_view help) {
  constexpr std::size_t kNameWidth = 22;
  text += "  ";
  text += names;
  text.append(names.size() < kNameWidth ? kNameWidth - names.size() : 1, ' ');
  text += help;
  text += '\n';
}

std::string helpText() {
  std::string text = "Usage: ostrilo-cli COMMAND [OPTIONS] INPUT...\n\n";
  text +=
      "Reads hourly traffic count files (ATRyyyymmddw#.dat) and table files (*.cont) into one\n"
      "count table. Inputs are taken in order: the first is loaded as a table file when its\n"
      "name ends in .cont (any case) and read as a count file otherwise; every further input\n"
      "is a count file added to the table; only the first may be a table file. Every command\n"
      "takes --register FILE.\n\nCommands:\n";
  for (const Command& command : commands()) {
    text += "  ostrilo-cli ";
    text += command.synopsis;
    text += "\n      ";
    text += command.summary;
    text += '\n';
  }
  text += "\nOptions:\n";
  std::vector<std::string_view> listed;
  for (const Command& command : commands()) {
    for (const OptionSpec& option : command.options) {
      if (std::find(listed.begin(), listed.end(), option.longName) != listed.end()) continue;
      listed.push_back(option.longName);
      std::string names = option.shortName == '\0' ? std::string("    --")
                                                   : std::string("-") + option.shortName + ", --";
      names += option.longName;
      if (!option.isFlag()) {
        names += ' ';
        names += option.valueName;
      }
      appendHelpLine(text, names, option.help);
    }
  }
  appendHelpLine(text, "-h, --help", "show this help and exit");
  appendHelpLine(text, "--", "every later argument is an INPUT, even one starting with '-'");
  text +=
      "\nExit status: 0 on success, 1 when an input or the register cannot be read or an\n"
      "output cannot be written, 2 when the command line is wrong (also when it names a\n"
      "station or date that the table does not hold, or an output that is a count file among\n"
      "the inputs or the register).\n";
  return text;
}

const Command* findCommand(std::string_view name) {
  const auto& list = commands();
  const auto found =
      std::find_if(list.begin(), list.end(), [&](const Command& c) { return c.name == name; });
  return found == list.end() ? nullptr : &*found;
}

const OptionSpec* findOption(const Command& command, std::string_view arg) {
  for (const OptionSpec& option : command.options) {
    if (arg.starts_with("--")
            ? arg.substr(2) == option.longName
            : option.shortName != '\0' && arg == std::string{'-', option.shortName}) {
      return &option;
    }
  }
  return nullptr;
}

CommandLine parseCommandLine(const Command& command, std::span<const std::string> args) {
  CommandLine line;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    // A lone "-" is a file name like any other; we never read standard input.
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      line.inputs.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      line.helpRequested = true;
      continue;
    }
    // Split "--output=FILE" and "-oFILE"; plain "--output" and "-o" take the next argument.
    std::string_view name = arg;
    std::optional<std::string_view> attached;
    if (arg.starts_with("--")) {
      if (const auto eq = arg.find('='); eq != std::string_view::npos) {
        name = arg.substr(0, eq);
        attached = arg.substr(eq + 1);
      }
    } else if (arg.size() > 2) {
      name = arg.substr(0, 2);
      attached = arg.substr(2);
    }
    const OptionSpec* option = findOption(command, name);
    if (option == nullptr) {
      throw UsageError(std::string(command.name) + ": unknown option " + quoted(arg));
    }
    std::string_view value;
    if (option->isFlag()) {
      if (attached) {
        throw UsageError(std::string(command.name) + ": option " + quoted(name) +
                         " takes no value");
      }
    } else if (attached) {
      value = *attached;
    } else if (i + 1 < args.size() && !args[i + 1].starts_with('-')) {
      // A word starting with '-' here is most likely the next option of a command line that
      // forgot the value; such a value can still be given attached (--output=-x, -o./-x).
      value = args[++i];
    }
    if (value.empty() && !option->isFlag()) {
      throw UsageError(std::string(command.name) + ": option " + quoted(name) + " needs a value (" +
                       std::string(option->valueName) + ")");
    }
    if (option->repeatable) {
      line.lists[std::string(option->longName)].emplace_back(value);
    } else if (!line.values.emplace(std::string(option->longName), std::string(value)).second) {
      throw UsageError(std::string(command.name) + ": option --" + std::string(option->longName) +
                       " given more than once");
    }
  }
  if (line.helpRequested) return line;
  for (std::string_view required : command.required) {
    if (line.value(required) == nullptr) {
      throw UsageError(std::string(command.name) + ": missing --" + std::string(required) +
                       "; usage: ostrilo-cli " + std::string(command.synopsis));
    }
  }
  if (line.inputs.empty()) {
    throw UsageError(std::string(command.name) + ": no INPUT given; usage: ostrilo-cli " +
                     std::string(command.synopsis));
  }
  // Adding a table file would read its binary records as count lines; say what is wrong
  // before anything is read.
  for (const std::string& input : std::span(line.inputs).subspan(1)) {
    if (isTableFileName(input)) {
      throw UsageError(std::string(command.name) + ": " + quoted(input) +
                       " is a table file, and only the first INPUT may be a table file");
    }
  }
  return line;
}

// Descriptions escape the names they quote; this is the last guard that a report stays one
// line and cannot drive the terminal, whatever a description holds.
std::string oneLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      constexpr std::string_view kHex = "0123456789ABCDEF";
      line += "\\x";
      line += kHex[byte >> 4];
      line += kHex[byte & 0xF];
    } else {
      line += c;
    }
  }
  return line;
}

void reportFailure(std::ostream& err, std::string_view description) {
  err << kProgram << ": " << oneLine(description) << '\n';
}

void reportUsage(std::ostream& err, std::string_view description) {
  err << kProgram << ": " << oneLine(description) << " (see '" << kProgram << " --help')\n";
}

// Writing over a count file that is being read would lose it. A table file given first may be
// replaced by convert, which is how a table file is brought up to date; any other command would
// put its CSV or workbook where the table was.
void refuseOutputOverInput(const Command& command, const CommandLine& line) {
  const std::string* output = line.value("output");
  if (output == nullptr) return;
  for (std::size_t i = 0; i < line.inputs.size(); ++i) {
    const std::string& input = line.inputs[i];
    if (i == 0 && isTableFileName(input) && command.name == "convert") continue;
    if (isSameRegularFile(*output, input)) {
      throw UsageError(std::string(command.name) + ": the output " + quotedName(*output) +
                       " is the " + (isTableFileName(input) ? "table" : "count") + " file " +
                       quotedName(input) + " read as an input");
    }
  }
  const std::string* names = line.value("register");
  if (names != nullptr && isSameRegularFile(*output, *names)) {
    throw UsageError(std::string(command.name) + ": the output " + quotedName(*output) +
                     " is the register " + quotedName(*names));
  }
}

int runCommandLine(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  if (args.empty()) throw UsageError("no command given");
  const std::string_view first = args.front();
  if (first == "-h" || first == "--help" || first == "help") {
    writeToStream(out, helpText());
    return kExitOk;
  }
  const Command* command = findCommand(first);
  if (command == nullptr) {
    throw UsageError(first.starts_with('-') ? "unknown option " + quoted(first)
                                            : "unknown command " + quoted(first));
  }
  CommandLine line = parseCommandLine(*command, args.subspan(1));
  line.report = &err;
  if (line.helpRequested) {
    writeToStream(out, helpText());
    return kExitOk;
  }
  refuseOutputOverInput(*command, line);
  std::optional<StationRegister> names;
  if (const std::string* path = line.value("register")) {
    names = StationRegister::load(*path);
    line.names = &*names;
  }
  command->run(line, out);
  return kExitOk;
}

void appendNumber(std::string& text, long long value) {
  char buffer[24];
  const auto result = std::to_chars(std::begin(buffer), std::end(buffer), value);
  text.append(buffer, result.ptr);
}

}  // namespace

int runCli(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  try {
    return runCommandLine(args, out, err);
  } catch (const UsageError& e) {
    reportUsage(err, e.what());
    return kExitUsage;
  } catch (const Error& e) {
    reportFailure(err, e.description());
  } catch (const std::bad_alloc&) {
    reportFailure(err, "out of memory");
  } catch (const std::exception& e) {
    reportFailure(err, e.what());
  }
  return kExitFailure;
}

bool isTableFileName(std::string_view fileName) {
  constexpr std::string_view kExtension = ".cont";
  if (fileName.size() < kExtension.size()) return false;
  const std::string_view tail = fileName.substr(fileName.size() - kExtension.size());
  return std::equal(tail.begin(), tail.end(), kExtension.begin(), [](char a, char b) {
    return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
  });
}

void loadInputs(ATRTable& table, std::span<const std::string> inputs) {
  if (inputs.empty()) throw std::invalid_argument("loadInputs needs at least one input");
  if (isTableFileName(inputs.front())) {
    table.LoadFromFile(inputs.front());
  } else {
    table.setInFile(inputs.front());
    table.BuildTable();
  }
  for (const std::string& input : inputs.subspan(1)) {
    table.setInFile(input);
    table.AddToTable();
  }
}

std::string tableCsv(const ATRTable& table) {
  std::string csv = "station,date";
  for (int hour = 0; hour < kHoursPerDay; ++hour) {
    csv += hour < 10 ? ",h0" : ",h";
    appendNumber(csv, hour);
  }
  csv += ",total\n";

  const std::int32_t dateCount = table.DateCount();
  const std::int32_t staCount = table.StaCount();
  // About 24 five-character volumes, a name and a date per row; avoids regrowing a string of
  // many thousand rows.
  csv.reserve(csv.size() + static_cast<std::size_t>(dateCount) * staCount * 160);
  for (std::int32_t d = 0; d < dateCount; ++d) {
    const std::string date = isoDate(table.ulstDate().at(d));
    for (std::int32_t s = 0; s < staCount; ++s) {
      const HourMask counted = table.CountedHours(d, s);
      if (counted == 0) continue;
      csv += csvField(table.ulstName().at(s));
      csv += ',';
      csv += date;
      const HourlyVolumes volumes = table.VolArrByIndex(d, s);
      for (int hour = 0; hour < kHoursPerDay; ++hour) {
        csv += ',';
        if ((counted >> hour & 1u) != 0) appendNumber(csv, volumes[static_cast<std::size_t>(hour)]);
      }
      csv += ',';
      if (counted == kAllHours) appendNumber(csv, table.DailyVolByIndex(d, s));
      csv += '\n';
    }
  }
  return csv;
}

}  // namespace ostrilo::cli

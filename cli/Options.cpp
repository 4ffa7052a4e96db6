#include "cli/Options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <ostream>
#include <utility>

#include "cli/CliApp.h"
#include "core/annual/AnnualFigures.h"
#include "core/annual/RoadFigures.h"
#include "core/checks/DataChecks.h"
#include "core/export/TableExports.h"
#include "core/table/ATRTable.h"
#include "core/table/CsvField.h"
#include "core/table/DateNumber.h"
#include "core/table/Error.h"
#include "core/table/OutputFile.h"

namespace ostrilo::cli {

const std::string* CommandLine::value(std::string_view longName) const {
  const auto found = values.find(longName);
  return found == values.end() ? nullptr : &found->second;
}

const std::vector<std::string>* CommandLine::list(std::string_view longName) const {
  const auto found = lists.find(longName);
  return found == lists.end() ? nullptr : &found->second;
}

UsageError CommandLine::usage(const std::string& what) const {
  return UsageError(command + ": " + what);
}

namespace {

// The name as the user spelled it, for the message: "-o" or "--output".
std::string spelling(const OptionSpec& option, std::span<const std::string> args) {
  const std::string longName = "--" + std::string(option.longName);
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (arg == longName || arg.starts_with(longName + "=")) return longName;
    if (option.shortName != '\0' && !arg.starts_with("--") &&
        arg.starts_with(std::string{'-', option.shortName})) {
      return std::string{'-', option.shortName};
    }
  }
  return longName;
}

// Every value an option received is kept (TakeAll); what may be given how often is checked here,
// so that the messages stay those of the tool.
void takeOption(CommandLine& line, const OptionSpec& option, const CLI::Option& parsed,
                std::span<const std::string> args) {
  if (parsed.count() == 0) return;
  const std::vector<std::string>& results = parsed.results();
  const std::string name(option.longName);
  if (option.isFlag()) {
    // CLI11 answers "true" for a flag given alone and the attached text for --flag=TEXT.
    if (std::any_of(results.begin(), results.end(), [](const auto& r) { return r != "true"; })) {
      throw line.usage("option " + inQuotes(spelling(option, args)) + " takes no value");
    }
    if (results.size() > 1) throw line.usage("option --" + name + " given more than once");
    line.values.emplace(name, std::string());
    return;
  }
  // A word starting with '-' after the option is most likely the next option of a command line
  // that forgot the value; such a value can still be given attached (--output=-x, -o./-x).
  const std::string attachedNothing = "--" + name + "=";
  const auto end = std::find(args.begin(), args.end(), "--");
  if (std::any_of(results.begin(), results.end(), [](const auto& r) { return r.empty(); }) ||
      std::find(args.begin(), end, attachedNothing) != end) {
    throw line.usage("option " + inQuotes(spelling(option, args)) + " needs a value (" +
                     std::string(option.valueName) + ")");
  }
  if (option.repeatable) {
    line.lists[name] = results;
  } else if (results.size() > 1) {
    throw line.usage("option --" + name + " given more than once");
  } else {
    line.values.emplace(name, results.front());
  }
}

// What CLI11 leaves: the inputs, options no declaration knows, and everything after "--".
void takeRest(CommandLine& line, const std::vector<std::string>& rest) {
  bool optionsEnded = false;
  for (const std::string& arg : rest) {
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arg.size() >= 2 && arg[0] == '-') {
      throw line.usage("unknown option " + inQuotes(arg));
    } else {
      // A lone "-" is a file name like any other; we never read standard input.
      line.inputs.push_back(arg);
    }
  }
}

void checkComplete(const Command& command, const CommandLine& line) {
  const std::string usage = "; usage: ostrilo-cli " + std::string(command.synopsis);
  for (const std::string_view required : command.required) {
    if (line.value(required) == nullptr) {
      throw line.usage("missing --" + std::string(required) + usage);
    }
  }
  if (line.inputs.empty()) throw line.usage("no INPUT given" + usage);
  // Adding a table file would read its binary records as count lines; say what is wrong
  // before anything is read.
  for (const std::string& input : std::span(line.inputs).subspan(1)) {
    if (isTableFileName(input)) {
      throw line.usage(inQuotes(input) +
                       " is a table file, and only the first INPUT may be a table file");
    }
  }
}

std::string optionNames(const OptionSpec& option) {
  std::string names =
      option.shortName == '\0' ? std::string() : std::string{'-', option.shortName} + ",";
  return names + "--" + std::string(option.longName);
}

}  // namespace

CommandLine parseCommandLine(const Command& command, std::span<const std::string> args) {
  CommandLine line;
  line.command = command.name;
  line.args.assign(args.begin(), args.end());
  CLI::App app{std::string(command.summary), std::string(command.name)};
  app.set_help_flag();
  app.allow_extras();
  CLI::Option* help =
      app.add_flag("-h,--help")->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  std::vector<CLI::Option*> parsed;
  for (const OptionSpec& option : command.options) {
    CLI::Option* added = option.isFlag() ? app.add_flag(optionNames(option))
                                         : app.add_option(optionNames(option))
                                               ->expected(0, 1)
                                               ->type_name(std::string(option.valueName));
    parsed.push_back(added->multi_option_policy(CLI::MultiOptionPolicy::TakeAll));
  }
  try {
    app.parse(std::vector<std::string>(args.rbegin(), args.rend()));
  } catch (const CLI::ParseError& e) {
    throw line.usage(e.what());
  }
  if (help->count() > 0) {
    line.helpRequested = true;
    return line;
  }
  for (std::size_t i = 0; i < parsed.size(); ++i) {
    takeOption(line, command.options[i], *parsed[i], args);
  }
  takeRest(line, app.remaining());
  checkComplete(command, line);
  return line;
}

namespace {

void appendHelpLine(std::string& text, std::string_view names, std::string_view help) {
  constexpr std::size_t kNameWidth = 22;
  text += "  ";
  text += names;
  if (names.size() > kNameWidth) {
    // A long name takes its own line, so that the help keeps its column.
    text += '\n';
    text.append(kNameWidth + 2, ' ');
  } else {
    text.append(names.size() < kNameWidth ? kNameWidth - names.size() : 1, ' ');
  }
  text += help;
  text += '\n';
}

}  // namespace

namespace {

void appendOptionLine(std::string& text, const OptionSpec& option, std::string_view help) {
  std::string names = option.shortName == '\0' ? std::string("    --")
                                               : std::string("-") + option.shortName + ", --";
  names += option.longName;
  if (!option.isFlag()) {
    names += ' ';
    names += option.valueName;
  }
  appendHelpLine(text, names, help);
}

void appendHelpAndEnd(std::string& text) {
  appendHelpLine(text, "-h, --help", "show this help and exit");
  appendHelpLine(text, "--", "every later argument is an INPUT, even one starting with '-'");
}

// "check, factors: what it does" names the commands an option belongs to, which one command's
// own help need not repeat.
std::string_view withoutCommandNames(std::string_view help) {
  const std::size_t colon = help.find(": ");
  if (colon == std::string_view::npos) return help;
  const std::string_view names = help.substr(0, colon);
  const bool onlyNames = names.find_first_not_of("abcdefghijklmnopqrstuvwxyz, ") == names.npos;
  return onlyNames ? help.substr(colon + 2) : help;
}

}  // namespace

std::string helpText(std::span<const Command> commands) {
  std::string text = "Usage: ostrilo-cli COMMAND [OPTIONS] INPUT...\n\n";
  text +=
      "Reads hourly traffic count files (ATRyyyymmddw#.dat) and table files (*.cont) into one\n"
      "count table. Inputs are taken in order: the first is loaded as a table file when its\n"
      "name ends in .cont (any case) and read as a count file otherwise; every further input\n"
      "is a count file added to the table; only the first may be a table file. Every command\n"
      "takes --register FILE. 'ostrilo-cli COMMAND --help' shows one command's options.\n\n"
      "Commands:\n";
  for (const Command& command : commands) {
    text += "  ostrilo-cli ";
    text += command.synopsis;
    text += "\n      ";
    text += command.summary;
    text += '\n';
  }
  text += "\nOptions:\n";
  std::vector<std::string_view> listed;
  for (const Command& command : commands) {
    for (const OptionSpec& option : command.options) {
      if (std::find(listed.begin(), listed.end(), option.longName) != listed.end()) continue;
      listed.push_back(option.longName);
      appendOptionLine(text, option, option.help);
    }
  }
  appendHelpAndEnd(text);
  text +=
      "\nExit status: 0 on success, 1 when an input or the register cannot be read or an\n"
      "output cannot be written, 2 when the command line is wrong (also when it names a\n"
      "station or date that the table does not hold, or an output that is a count file among\n"
      "the inputs or the register).\n";
  return text;
}

std::string commandHelpText(const Command& command) {
  std::string text = "Usage: ostrilo-cli " + std::string(command.synopsis) + "\n\n      " +
                     std::string(command.summary) + "\n\nOptions:\n";
  for (const OptionSpec& option : command.options) {
    appendOptionLine(text, option, withoutCommandNames(option.help));
  }
  appendHelpAndEnd(text);
  return text;
}

void checkSharedValues(const CommandLine& line) {
  static_cast<void>(rowOrder(line));
  const std::string* lanes = line.value("lanes");
  if (lanes != nullptr && *lanes != "sum") {
    throw line.usage("--lanes " + inQuotes(*lanes) + " is not sum");
  }
}

std::optional<RowOrder> rowOrder(const CommandLine& line) {
  const std::string* text = line.value("order");
  if (text == nullptr) return std::nullopt;
  const std::optional<RowOrder> order = parseRowOrder(*text);
  if (!order) throw line.usage("--order " + inQuotes(*text) + " is not table, id or date");
  return order;
}

std::string inQuotes(std::string_view text) { return quoteForMessage(text); }

std::string quotedName(std::string_view name) { return "\"" + escapeName(name) + "\""; }

std::vector<std::string_view> splitAtCommas(std::string_view list) {
  std::vector<std::string_view> items;
  for (;;) {
    const std::size_t comma = list.find(',');
    items.push_back(list.substr(0, comma));
    if (comma == std::string_view::npos) return items;
    list.remove_prefix(comma + 1);
  }
}

void writeToStream(std::ostream& out, std::string_view text) {
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.flush();
  if (!out) throw Error(ErrorKind::Io, "Cannot write to standard output");
}

void writeResult(const CommandLine& line, std::ostream& out, std::string_view text) {
  if (const std::string* path = line.value("output")) {
    writeOutputFile(*path, text);
  } else {
    writeToStream(out, text);
  }
}

void writeExport(const CommandLine& line, std::ostream& out, TableExport table,
                 WorkbookAbout about) {
  if (const std::optional<RowOrder> order = rowOrder(line)) sortExportRows(table.table, *order);
  if (const std::string* path = line.value("output")) {
    saveTableExport(*path, table, std::move(about));
  } else {
    writeToStream(out, buildCsvText(table.table, table.format));
  }
}

ATRTable loadTable(const CommandLine& line) {
  ATRTable table;
  loadInputs(table, line.inputs, line.value("lanes") != nullptr);
  return table;
}

std::optional<std::vector<std::string>> parseDays(const CommandLine& line) {
  const std::string* list = line.value("dates");
  if (list == nullptr) return std::nullopt;
  std::vector<std::string> days;
  for (const std::string_view text : splitAtCommas(*list)) {
    const std::optional<DateNumber> date = parseIsoDate(text);
    if (!date) throw line.usage(inQuotes(text) + " is not a date of the form yyyy-mm-dd");
    days.push_back(isoDate(*date));
  }
  return days;
}

std::optional<int> parseYear(const CommandLine& line) {
  const std::string* text = line.value("year");
  if (text == nullptr) return std::nullopt;
  int year = 0;
  const auto result = std::from_chars(text->data(), text->data() + text->size(), year);
  if (text->size() != 4 || result.ec != std::errc() || result.ptr != text->data() + 4 ||
      year < 1000) {
    throw line.usage(inQuotes(*text) + " is not a year (YYYY)");
  }
  return year;
}

void requireYear(const CommandLine& line, const ATRTable& table, std::optional<int> year) {
  if (!year) return;
  for (const DateNumber date : table.ulstDate().values()) {
    if (civilFromDate(date).year == *year) return;
  }
  throw line.usage("the table holds no date in " + std::to_string(*year));
}

std::vector<std::int32_t> stationIndexes(const CommandLine& line, const ATRTable& table,
                                         std::string_view option) {
  const std::string* list = line.value(option);
  if (list == nullptr) return pickedStations(line, table, nullptr);
  const std::vector<std::string_view> names = splitAtCommas(*list);
  return pickedStations(line, table, &names);
}

std::vector<std::int32_t> pickedStations(const CommandLine& line, const ATRTable& table,
                                         const std::vector<std::string_view>* names) {
  try {
    return pickStations(table, names);
  } catch (const Error& e) {
    // A name the table does not hold is a wrong command line, not a failed read.
    if (e.kind() != ErrorKind::Usage) throw;
    throw line.usage(e.description());
  }
}

std::vector<Road> registeredRoads(const CommandLine& line) {
  if (line.names == nullptr) throw line.usage("--roads needs --register FILE with a road column");
  std::vector<Road> roads = registerRoads(*line.names);
  if (roads.empty()) {
    throw line.usage("the register " + quotedName(*line.value("register")) +
                     " puts no station on a road (road column)");
  }
  return roads;
}

std::vector<Road> pickedRoads(const CommandLine& line, const ATRTable& table,
                              std::vector<Road> roads) {
  if (line.value("stations") == nullptr) return roads;
  std::vector<std::string> named;
  for (const std::int32_t i : stationIndexes(line, table)) named.push_back(table.StaNamebyIndex(i));
  std::erase_if(roads, [&](const Road& road) {
    return std::none_of(road.stations.begin(), road.stations.end(), [&](const std::string& s) {
      return std::find(named.begin(), named.end(), s) != named.end();
    });
  });
  return roads;
}

double percentOption(const CommandLine& line, const std::string& name, double fallback) {
  const std::string* text = line.value(name);
  if (text == nullptr) return fallback;
  double pct = 0;
  const auto [end, failed] = std::from_chars(text->data(), text->data() + text->size(), pct);
  if (failed != std::errc() || end != text->data() + text->size() || !std::isfinite(pct) ||
      pct < 0) {
    throw line.usage("--" + name + " " + inQuotes(*text) + " is not a percentage of 0 or more");
  }
  return pct;
}

HolidayCalendar holidayCalendar(const CommandLine& line) {
  const std::string* choice = line.value("holidays");
  if (choice == nullptr) {
    if (line.flag("exclude-holidays")) throw line.usage("--exclude-holidays needs --holidays");
    return {};
  }
  return loadHolidayChoice(*choice);
}

TableAnalysis tableAnalysis(const CommandLine& line, const ATRTable& table,
                            HolidayCalendar holidays, std::optional<std::int64_t> perLane) {
  TableAnalysis analysis;
  analysis.setHolidays(std::move(holidays));
  if (line.names != nullptr) analysis.setRegister(*line.names, table.ulstName().values(), perLane);
  return analysis;
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

PeriodPick loadPeriod(const CommandLine& line) {
  if (line.value("dates") != nullptr && line.value("year") != nullptr) {
    throw line.usage("--dates and --year pick the dates two ways; give one");
  }
  const std::optional<std::vector<std::string>> days = parseDays(line);
  const std::optional<int> year = parseYear(line);
  PeriodPick pick{loadTable(line), {}};
  const ATRTable& table = pick.table;
  requireYear(line, table, year);
  pick.selection = {stationList(table, stationIndexes(line, table)),
                    dateSelection(line, table, days)};
  if (year) {
    for (std::int32_t i = 0; i < table.DateCount(); ++i) {
      pick.selection.dates.selected[static_cast<std::size_t>(i)] =
          civilFromDate(table.DatebyIndex(i)).year == *year;
    }
  }
  return pick;
}

ListSelection dateSelection(const CommandLine& line, const ATRTable& table,
                            const std::optional<std::vector<std::string>>& days) {
  ListSelection list;
  const std::int32_t count = table.DateCount();
  list.selected.assign(static_cast<std::size_t>(count), !days);
  if (!days) return list;
  std::map<std::string, std::vector<std::int32_t>, std::less<>> indexesByDay;
  for (std::int32_t i = 0; i < count; ++i) indexesByDay[isoDate(table.DatebyIndex(i))].push_back(i);
  for (const std::string& day : *days) {
    const auto found = indexesByDay.find(day);
    if (found == indexesByDay.end()) throw line.usage("unknown date " + inQuotes(day));
    for (const std::int32_t i : found->second) list.selected[static_cast<std::size_t>(i)] = true;
  }
  return list;
}

}  // namespace ostrilo::cli

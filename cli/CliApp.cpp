#include "cli/CliApp.h"

#include <algorithm>
#include <charconv>
#include <new>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <vector>

#include "cli/Commands.h"
#include "cli/Options.h"
#include "core/commands/Commands.h"
#include "core/register/StationRegister.h"
#include "core/table/ATRTable.h"
#include "core/table/CsvField.h"
#include "core/table/DateNumber.h"
#include "core/table/Error.h"
#include "core/table/OutputFile.h"

namespace ostrilo::cli {

namespace {

constexpr std::string_view kProgram = "ostrilo-cli";

const std::vector<Command>& commands() {
  static const std::vector<Command> list{
      convertCommand(), tableCommand(),   statsCommand(),  infoCommand(),
      checkCommand(),   annualCommand(),  trendCommand(),  factorsCommand(),
      expandCommand(),  profileCommand(), exportCommand(), reportCommand(),
  };
  return list;
}

const Command* findCommand(std::string_view name) {
  const auto& list = commands();
  const auto found =
      std::find_if(list.begin(), list.end(), [&](const Command& c) { return c.name == name; });
  return found == list.end() ? nullptr : &*found;
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

// command: the command's name and a blank, empty when no command was recognised.
void reportUsage(std::ostream& err, std::string_view description, std::string_view command) {
  err << kProgram << ": " << oneLine(description) << " (see '" << kProgram << ' ' << command
      << "--help')\n";
}

// Writing over a count file that is being read would lose it. A table file given first may be
// replaced by convert, which is how a table file is brought up to date; any other command would
// put its CSV or workbook where the table was.
void refuseOutputOverInput(const Command& command, const CommandLine& line) {
  for (const std::string_view option : {"output", "tmg", "sqlite", "geojson"}) {
    const std::string* output = line.value(option);
    if (output == nullptr) continue;
    for (std::size_t i = 0; i < line.inputs.size(); ++i) {
      const std::string& input = line.inputs[i];
      if (i == 0 && isTableFileName(input) && command.name == "convert") continue;
      if (isSameRegularFile(*output, input)) {
        throw line.usage("the output " + quotedName(*output) + " is the " +
                         (isTableFileName(input) ? "table" : "count") + " file " +
                         quotedName(input) + " read as an input");
      }
    }
    const std::string* names = line.value("register");
    if (names != nullptr && isSameRegularFile(*output, *names)) {
      throw line.usage("the output " + quotedName(*output) + " is the register " +
                       quotedName(*names));
    }
  }
}

int runCommandLine(std::span<const std::string> args, std::ostream& out, std::ostream& err,
                   ReportWriter reportWriter) {
  if (args.empty()) throw UsageError("no command given");
  const std::string_view first = args.front();
  if (first == "-h" || first == "--help" || first == "help") {
    writeToStream(out, helpText(commands()));
    return kExitOk;
  }
  const Command* command = findCommand(first);
  if (command == nullptr) {
    throw UsageError(first.starts_with('-') ? "unknown option " + inQuotes(first)
                                            : "unknown command " + inQuotes(first));
  }
  CommandLine line = parseCommandLine(*command, args.subspan(1));
  line.report = &err;
  line.reportWriter = reportWriter;
  if (line.helpRequested) {
    writeToStream(out, commandHelpText(*command));
    return kExitOk;
  }
  checkSharedValues(line);
  if (command->runElsewhere != nullptr && reportWriter == nullptr) {
    return command->runElsewhere(line);
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

}  // namespace

int runCli(std::span<const std::string> args, std::ostream& out, std::ostream& err,
           ReportWriter reportWriter) {
  // A failure names its command, as its usage errors do.
  const bool named = !args.empty() && findCommand(args.front()) != nullptr;
  const std::string command = named ? args.front() + ": " : "";
  try {
    return runCommandLine(args, out, err, reportWriter);
  } catch (const UsageError& e) {
    reportUsage(err, e.what(), named ? args.front() + " " : "");
    return kExitUsage;
  } catch (const Error& e) {
    reportFailure(err, command + e.description());
  } catch (const std::bad_alloc&) {
    reportFailure(err, command + "out of memory");
  } catch (const std::exception& e) {
    reportFailure(err, command + e.what());
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

void loadInputs(ATRTable& table, std::span<const std::string> inputs, bool sumLanes) {
  if (inputs.empty()) throw std::invalid_argument("loadInputs needs at least one input");
  const FillOptions options{sumLanes};
  if (isTableFileName(inputs.front())) {
    LoadTableFile(table, inputs.front());
    static_cast<void>(FillFromCountFiles(table, inputs.subspan(1), FillMode::Add, {}, options));
  } else {
    static_cast<void>(FillFromCountFiles(table, inputs, FillMode::Build, {}, options));
  }
}

}  // namespace ostrilo::cli

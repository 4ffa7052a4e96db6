// ostrilo-gencounts: writes a synthetic count file (see CountGenerator.h).

#include <charconv>
#include <cstdio>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/table/Error.h"
#include "core/table/OutputFile.h"
#include "tools/countgen/CountGenerator.h"

namespace {

constexpr const char* kProgram = "ostrilo-gencounts";

constexpr const char* kHelp =
    R"(Usage: ostrilo-gencounts --start YYYY-MM-DD --days N --stations N [options]

Writes a synthetic count file with every hour of N days for N stations: morning
and evening peaks on weekdays, a later midday hump on weekends, about one
freeway-like station in six. The same arguments give the same bytes everywhere.
Lines are ordered by station, then date, then half of the day.

Options:
  --start YYYY-MM-DD    first date (all dates within 1930-2029)
  --days N              number of consecutive days (1-36600)
  --stations N          number of stations, named by four digits
  --first-station K     number of the first station (default 101, i.e. "0101")
  --seed S              seed, 0-4294967295 (default 1); a station keeps its
                        character across files made with the same seed
  --lf                  end lines with LF instead of CR LF
  -o FILE               write to FILE (replaced only when fully written);
                        default: standard output
  -h, --help            show this help

Exit status: 0 on success, 1 when the file cannot be written, 2 on usage errors.
)";

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

template <typename Int>
Int parseNumber(std::string_view option, std::string_view text) {
  Int value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size() || text.empty()) {
    throw UsageError(std::string(option) + " expects a whole number, not \"" + std::string(text) +
                     "\"");
  }
  return value;
}

struct Options {
  ostrilo::countgen::CountFileRequest request;
  std::optional<std::string> output;
  bool help = false;
};

Options parseArguments(int argc, char** argv) {
  Options options;
  bool haveStart = false;
  bool haveDays = false;
  bool haveStations = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    std::optional<std::string_view> inlineValue;
    if (arg.starts_with("--")) {
      if (const auto eq = arg.find('='); eq != std::string_view::npos) {
        inlineValue = arg.substr(eq + 1);
        arg = arg.substr(0, eq);
      }
    }
    const auto value = [&]() -> std::string_view {
      if (inlineValue) return *inlineValue;
      if (i + 1 >= argc) throw UsageError(std::string(arg) + " needs a value");
      return argv[++i];
    };
    if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg == "--start") {
      const auto date = ostrilo::parseIsoDate(value());
      if (!date) throw UsageError("--start expects a date as YYYY-MM-DD");
      options.request.firstDate = ostrilo::civilFromDate(*date);
      haveStart = true;
    } else if (arg == "--days") {
      options.request.days = parseNumber<int>(arg, value());
      haveDays = true;
    } else if (arg == "--stations") {
      options.request.stationCount = parseNumber<int>(arg, value());
      haveStations = true;
    } else if (arg == "--first-station") {
      options.request.firstStation = parseNumber<int>(arg, value());
    } else if (arg == "--seed") {
      options.request.seed = parseNumber<std::uint32_t>(arg, value());
    } else if (arg == "--lf" && !inlineValue) {
      options.request.lineEnding = ostrilo::countgen::LineEnding::Lf;
    } else if (arg == "-o") {
      options.output = std::string(value());
    } else {
      throw UsageError("unknown argument \"" + std::string(argv[i]) + "\"");
    }
  }
  if (options.help) return options;
  if (!haveStart || !haveDays || !haveStations) {
    throw UsageError("--start, --days and --stations are required");
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string text;
  try {
    options = parseArguments(argc, argv);
    if (options.help) {
      std::fputs(kHelp, stdout);
      return 0;
    }
    text = ostrilo::countgen::generateCountFile(options.request);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", kProgram, e.what(), kProgram);
    return 2;
  } catch (const std::invalid_argument& e) {
    // A request the generator refuses is a mistake on the command line too.
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", kProgram, e.what(), kProgram);
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", kProgram, e.what());
    return 1;
  }

  try {
    if (options.output) {
      ostrilo::writeOutputFile(*options.output, text);
    } else if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
               std::fflush(stdout) != 0) {
      std::fprintf(stderr, "%s: cannot write to standard output\n", kProgram);
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", kProgram, e.what());
    return 1;
  }
  return 0;
}

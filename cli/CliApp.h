#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ostrilo {
class ATRTable;
struct ReportPage;
}  // namespace ostrilo

namespace ostrilo::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // an input could not be read or an output not written
inline constexpr int kExitUsage = 2;    // the command line itself is wrong

// Runs one ostrilo-cli command line; args excludes the program name. Results go to out (help,
// CSV without -o), or to the -o file, as a workbook when it is named NAME.xlsx; problems go to err
// as "ostrilo-cli: <description>", a single line for every failure and usage error. Returns the
// exit status. Outputs go through writeOutputFile, so an existing output file is left untouched
// whenever the command fails; an output that is a count file among the inputs is refused.
//
// `report` draws with Qt, which this library does not link: given no writer, it runs the
// program kReportProgram from this program's folder with the same arguments and answers its
// exit status (1 with a one-line message when the program is missing). That program passes the
// writer that draws the pages (computed by reportPages) as a PDF.
using ReportWriter = void (*)(const std::string& path, const std::vector<ReportPage>& pages);
inline constexpr std::string_view kReportProgram = "ostrilo-report";
[[nodiscard]] int runCli(std::span<const std::string> args, std::ostream& out, std::ostream& err,
                         ReportWriter reportWriter = nullptr);

// True when the name ends in ".cont", in any case: such a first input is a table file.
[[nodiscard]] bool isTableFileName(std::string_view fileName);

// Fills the table from the inputs in order, as the main window's commands do: the first is
// loaded with LoadTableFile when it is a table file, and the count files are read with
// FillFromCountFiles, built into the table when the first is one of them and added otherwise
// (runCli refuses a further input named as a table file before reading any).
// Throws ostrilo::Error on the first input that fails. inputs must not be empty.
// With sumLanes the lanes of a TMG file's direction become one station.
void loadInputs(ATRTable& table, std::span<const std::string> inputs, bool sumLanes = false);

}  // namespace ostrilo::cli

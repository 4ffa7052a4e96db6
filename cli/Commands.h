#pragma once

#include "cli/Options.h"

namespace ostrilo::cli {

// The commands, one function each, in the order the help lists them (commands() in CliApp.cpp).
[[nodiscard]] Command convertCommand();  // TableCommands.cpp
[[nodiscard]] Command tableCommand();
[[nodiscard]] Command infoCommand();
[[nodiscard]] Command statsCommand();   // StatsCommand.cpp
[[nodiscard]] Command checkCommand();   // CheckCommand.cpp
[[nodiscard]] Command annualCommand();  // AnnualCommands.cpp
[[nodiscard]] Command trendCommand();
[[nodiscard]] Command factorsCommand();
[[nodiscard]] Command expandCommand();
[[nodiscard]] Command profileCommand();  // ProfileCommand.cpp
[[nodiscard]] Command exportCommand();   // ExportCommand.cpp
[[nodiscard]] Command reportCommand();   // ReportCommand.cpp

}  // namespace ostrilo::cli

#pragma once

#include <span>
#include <string>

#include "core/checks/Completeness.h"
#include "core/checks/Episodes.h"
#include "core/export/TableExports.h"

namespace ostrilo {

class StationRegister;

// station, code, severity, first_date, last_date, days, detail: one row per episode in the
// given order; dates are date cells, or yyyy-mm / yyyy text for a month or year flag. With a
// register, a Name column after station, outside the CSV.
[[nodiscard]] TableExport episodesExport(std::span<const FlagEpisode> episodes,
                                         std::span<const std::string> stations,
                                         const StationRegister* names);

// station, days, complete_days, complete_pct (one decimal), incomplete_days, faulty_days,
// longest_gap_days, last_complete_date (empty without one); then, outside the CSV, the complete
// days of each month ("2023-01", ...) for the workbook and the window. With a register, a Name
// column after station, outside the CSV.
[[nodiscard]] TableExport completenessExport(std::span<const StationCompleteness> rows,
                                             std::span<const std::string> stations,
                                             const StationRegister* names);

// The CSV of the episodes export over the checks of a whole table, every station in list order.
[[nodiscard]] std::string BuildEpisodesCsvText(const CheckResults& results);

}  // namespace ostrilo

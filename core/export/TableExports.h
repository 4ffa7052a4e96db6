#pragma once

#include <string>
#include <vector>

#include "core/export/ExportTable.h"
#include "core/export/WorkbookWriter.h"
#include "core/stats/StationStats.h"

namespace ostrilo {

class ATRTable;
class StationRegister;
struct PlotSelection;

// The statistics file's layout: ", " between the header's names, ",  " between fields, CR LF.
inline constexpr CsvFormat kStatsCsvFormat{", ", ",  ", "\r\n", ""};

// The statistics as a table: ATR ID (text), ADT ... AWEDT and Days (whole numbers), an empty
// figure as an empty cell. With a register, a Name column follows ATR ID for the workbook and
// the windows; it is left out of the CSV, which stays the statistics file.
[[nodiscard]] ExportTable statsExportTable(const StatResults& rows,
                                           const StationRegister* names = nullptr);

// The hourly table: station, date, h00 ... h23, total; one row per station and date with at
// least one counted hour, dates in table order and stations within them. An hour not counted
// is an empty cell, total is empty unless all 24 hours were counted. With a register, a name
// column follows station, outside the CSV.
[[nodiscard]] ExportTable hourlyExportTable(const ATRTable& table,
                                            const StationRegister* names = nullptr);

// The About sheet of an export over the picked stations and dates, or over the whole table.
[[nodiscard]] WorkbookAbout aboutSelection(const ATRTable& table, const PlotSelection& selection,
                                           std::vector<std::string> sources,
                                           const StationRegister* names = nullptr);
[[nodiscard]] WorkbookAbout aboutTable(const ATRTable& table, std::vector<std::string> sources,
                                       const StationRegister* names = nullptr);

}  // namespace ostrilo

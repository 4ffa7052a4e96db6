#pragma once

#include <string>

#include "core/annual/AnnualFigures.h"

namespace ostrilo {

class ATRTable;
class CheckResults;
class StationRegister;

// The table as a SQLite database for analysts, built in memory in one transaction and written
// through the output writer, so that a failure leaves no half database behind:
//   stations (id, name, the register's other columns; latitude and longitude also from a WGS84
//             location), hours (station, date, hour, volume: counted hours only),
//   days (station, date, total, counted_hours, complete, valid), flags (id, station, date, code,
//   severity, detail), annual (the columns of the annual CSV) and the view daily_complete.
// Dates are ISO text (a month flag's date yyyy-mm); booleans 0 and 1. The flags, the valid days
// and the annual rows (every station and year, the given peak windows) come from checks, the
// table's checks as the user sees them. Throws Error naming path, or the SQLite library's
// message; std::invalid_argument when checks are of a table of another size.
void writeSqliteDatabase(const std::string& path, const ATRTable& table, const CheckResults& checks,
                         const StationRegister* stations, PeakWindows windows = kNoonWindows);

}  // namespace ostrilo

#pragma once

#include <string>
#include <vector>

namespace ostrilo {

class ATRTable;
class StationRegister;

// The hourly table as CSV: the header "station,date,h00,...,h23,total", then one row per (date
// index, station index) pair in record order, the date as yyyy-mm-dd, every line ending in LF.
// An hour not counted is an empty field, as is the total of a day with any hour not counted; a
// pair without a counted hour has no row. Written straight from the table: the hourly table is
// the one export that grows with stations x dates, and as export cells it takes six times the
// memory.
[[nodiscard]] std::string hourlyCsvText(const ATRTable& table);

// Saves the hourly table: a workbook (hourlyExport, with its About sheet over the whole table
// and the sources) when path ends in .xlsx (any case), else hourlyCsvText. A failed save
// changes nothing; throws Error naming path.
void saveHourlyTable(const std::string& path, const ATRTable& table,
                     std::vector<std::string> sources, const StationRegister* names);

}  // namespace ostrilo

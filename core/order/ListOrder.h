#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace ostrilo {

class ATRTable;
class StationRegister;
struct ExportTable;

// Station ids as people read them: runs of digits compare by their value ("B2" before "B10",
// "B002" beside "B2"), everything else byte for byte; ties of value go byte for byte. Answers
// < 0, 0 or > 0 like strcmp; 0 only for equal strings.
[[nodiscard]] int naturalCompare(std::string_view a, std::string_view b);

// The orders a station list can show. Name falls back to the id where the register has no
// name (those stations follow the named ones), and to Id without a register.
enum class StationOrder { Table, Id, Name };

// The table's station indexes in the given order; a list shows station order[i] at row i.
[[nodiscard]] std::vector<std::int32_t> stationOrder(const ATRTable& table, StationOrder order,
                                                     const StationRegister* names = nullptr);
// The table's date indexes in calendar order (calendar == true) or the table's own.
[[nodiscard]] std::vector<std::int32_t> dateOrder(const ATRTable& table, bool calendar);

// The row order of an output: the table's, stations by id (natural) then dates in calendar
// order, dates then stations, or stations by the register's name then dates.
enum class RowOrder { Table, Id, Date, Name };

// "table", "id", "date" (as the command line spells them); nothing for any other word.
[[nodiscard]] std::optional<RowOrder> parseRowOrder(std::string_view word);

// Reorders an export's rows, stably. The station is the first column, the date the first Date
// column and the name the column headed "Name" or "name"; an order whose column the table lacks
// falls back to the next key (a table without dates sorts by station alone).
void sortExportRows(ExportTable& table, RowOrder order);

}  // namespace ostrilo

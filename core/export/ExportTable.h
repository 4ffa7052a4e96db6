#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ostrilo {

class StationRegister;
struct StationEntry;

// How a column's cells are meant: the CSV text and the workbook's cell type and display format
// follow from it.
enum class ColumnKind {
  Text,     // station ids, names, codes: always text, so "0301" keeps its zero
  Integer,  // whole numbers; a fraction is rounded to the nearest, halves to even
  Decimal,  // places digits after the point
  Percent,  // a fraction (0.125 is 12.5 %) shown with places digits after the point
  Date,     // a date number (DateNumber.h)
};

struct ExportColumn {
  std::string header;
  ColumnKind kind = ColumnKind::Text;
  int places = 0;  // Decimal and Percent only
  // False for a column that only people read (a station's name beside its id): CSV files keep
  // the columns that other programs expect.
  bool inCsv = true;
  // False for a column only the CSV has: a workbook gives its content columns of their own.
  bool inWorkbook = true;

  friend bool operator==(const ExportColumn&, const ExportColumn&) = default;
};

// A figure that cannot be given (too few days, no definition applies), told apart from an
// empty cell so that a CSV may spell it out.
struct NotAvailable {
  friend bool operator==(NotAvailable, NotAvailable) = default;
};

// A figure with decimals of its own, for a column whose rows hold figures of different kinds
// (a long table of whole vehicles and factors). Whole numbers round halves to even.
struct FixedNumber {
  double value = 0;
  int places = 0;
  friend bool operator==(FixedNumber, FixedNumber) = default;
};

// Empty, not available, a number (a figure or a date number), text or a figure with its own
// decimals. A number in a Text column and text in a figure column are written as they are.
using ExportCell = std::variant<std::monostate, NotAvailable, double, std::string, FixedNumber>;

// One exported table as plain data, written alike to CSV and to a workbook. The columns a
// register gives (a station's name, location, ...) hold no cells: each row refers to the
// register's entry of its station, whose texts only the writer that writes them reads, so
// that a table's memory follows its own cells whatever the register holds.
struct ExportTable {
  std::string title;  // what the table holds, e.g. "Statistics"; names the worksheet
  std::vector<ExportColumn> columns;
  std::vector<ExportCell> cells;  // row after row, one cell per column outside the register's

  // The register's columns: registerTexts.size() of them from column registerBegin on, each
  // showing one text of an entry (StationEntry::text), and the entry of each row (null where
  // the register lacks the station).
  const StationRegister* names = nullptr;
  std::size_t registerBegin = 0;
  std::vector<std::size_t> registerTexts;
  std::vector<const StationEntry*> rowEntries;

  [[nodiscard]] std::size_t ownColumns() const { return columns.size() - registerTexts.size(); }
  [[nodiscard]] std::size_t rowCount() const {
    return ownColumns() == 0 ? 0 : cells.size() / ownColumns();
  }
  [[nodiscard]] bool fromRegister(std::size_t column) const {
    return column >= registerBegin && column < registerBegin + registerTexts.size();
  }
  // A cell of a column outside the register's.
  [[nodiscard]] const ExportCell& cell(std::size_t row, std::size_t column) const {
    const std::size_t own = column < registerBegin ? column : column - registerTexts.size();
    return cells[row * ownColumns() + own];
  }
  // A cell of a register column: the text of the row's entry, empty without one.
  [[nodiscard]] std::string_view registerText(std::size_t row, std::size_t column) const;
  // Appends a row of the columns outside the register's and the entry of its station (null
  // when the register lacks it); throws std::invalid_argument unless it has one cell per such
  // column.
  void addRow(std::vector<ExportCell> row, const StationEntry* entry = nullptr);
};

// The bytes between fields and at the ends of lines. The defaults are plain RFC 4180 with LF
// lines, as the command line writes its tables.
struct CsvFormat {
  std::string_view headerSeparator = ",";
  std::string_view separator = ",";
  std::string_view lineEnd = "\n";
  std::string_view notAvailable = "";  // the text of a NotAvailable cell
};

// The text of a cell as a CSV field and a window show it, unquoted: Integer as a whole number,
// Decimal with its places, Percent as the percentage with its places and no sign (0.125 with
// one place is "12.5"), Date as yyyy-mm-dd, empty for an empty cell and a number that is not
// finite, notAvailable for NotAvailable.
[[nodiscard]] std::string cellText(const ExportCell& cell, const ExportColumn& column,
                                   std::string_view notAvailable = "");

// The table's inCsv columns as CSV: the header line, then a line per row, every line ended by
// lineEnd.
// Fields holding a comma, a double quote, a CR or an LF are quoted as RFC 4180 wants.
[[nodiscard]] std::string buildCsvText(const ExportTable& table, const CsvFormat& format = {});

// Writes an export's bytes so that a failed save leaves path as it was (the one place where
// exports reach the disk). Throws the system's error naming path.
void saveExportBytes(const std::string& path, std::string_view bytes);

}  // namespace ostrilo

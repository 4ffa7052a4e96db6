#include "core/export/ExportTable.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "core/register/StationRegister.h"
#include "core/table/CsvField.h"
#include "core/table/DateNumber.h"
#include "core/table/OutputFile.h"
#include "core/table/TableFile.h"

namespace ostrilo {

namespace {

std::string fixed(double value, int places) {
  char buffer[400];  // room for any finite double in fixed notation
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, places);
  std::string text(buffer, result.ptr);
  // A small negative rounded to zero would read "-0.0"; there is no negative zero traffic.
  if (text.starts_with('-') && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

std::string wholeNumber(double value) {
  const double rounded = std::nearbyint(value);
  if (std::abs(rounded) < 9.0e18) return std::to_string(static_cast<std::int64_t>(rounded));
  return fixed(rounded, 0);
}

std::string numberText(double value, const ExportColumn& column) {
  if (!std::isfinite(value)) return {};
  switch (column.kind) {
    case ColumnKind::Integer:
      return wholeNumber(value);
    case ColumnKind::Decimal:
      return fixed(value, column.places);
    case ColumnKind::Percent:
      return fixed(value * 100.0, column.places);
    case ColumnKind::Date:
      if (value >= kFirstDateNumber && value < kDateNumberEnd) return isoDate(value);
      break;
    case ColumnKind::Text:
      break;
  }
  char buffer[64];
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

}  // namespace

void ExportTable::addRow(std::vector<ExportCell> row, const StationEntry* entry) {
  if (row.size() != ownColumns()) {
    throw std::invalid_argument("ExportTable::addRow: " + std::to_string(row.size()) +
                                " cells for " + std::to_string(ownColumns()) + " columns");
  }
  cells.insert(cells.end(), std::make_move_iterator(row.begin()),
               std::make_move_iterator(row.end()));
  if (!registerTexts.empty()) rowEntries.push_back(entry);
}

std::string_view ExportTable::registerText(std::size_t row, std::size_t column) const {
  const StationEntry* entry = rowEntries[row];
  return entry == nullptr ? std::string_view() : entry->text(registerTexts[column - registerBegin]);
}

std::string cellText(const ExportCell& cell, const ExportColumn& column,
                     std::string_view notAvailable) {
  if (const auto* number = std::get_if<double>(&cell)) return numberText(*number, column);
  if (const auto* text = std::get_if<std::string>(&cell)) return *text;
  if (const auto* own = std::get_if<FixedNumber>(&cell)) {
    if (!std::isfinite(own->value)) return {};
    return own->places > 0 ? fixed(own->value, own->places) : wholeNumber(own->value);
  }
  if (std::holds_alternative<NotAvailable>(cell)) return std::string(notAvailable);
  return {};
}

std::string buildCsvText(const ExportTable& table, const CsvFormat& format) {
  std::vector<std::size_t> kept;
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    if (table.columns[c].inCsv) kept.push_back(c);
  }
  std::string csv;
  for (std::size_t k = 0; k < kept.size(); ++k) {
    if (k > 0) csv += format.headerSeparator;
    csv += csvField(table.columns[kept[k]].header);
  }
  csv += format.lineEnd;
  const std::size_t rows = table.rowCount();
  for (std::size_t r = 0; r < rows; ++r) {
    for (std::size_t k = 0; k < kept.size(); ++k) {
      if (k > 0) csv += format.separator;
      const std::size_t c = kept[k];
      if (table.fromRegister(c)) {
        csv += csvField(table.registerText(r, c));
        continue;
      }
      const ExportCell& cell = table.cell(r, c);
      const std::string text = cellText(cell, table.columns[c], format.notAvailable);
      // Only text goes through the CSV field rules: a computed -4 is a number, not a formula.
      csv += std::holds_alternative<std::string>(cell) ? csvField(text) : text;
    }
    csv += format.lineEnd;
  }
  return csv;
}

void saveExportBytes(const std::string& path, std::string_view bytes) {
  writeOutputFile(path, bytes);
}

}  // namespace ostrilo

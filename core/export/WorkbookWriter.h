#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/export/ExportTable.h"
#include "core/table/DateNumber.h"

namespace ostrilo {

// What the workbook's "About" sheet states about its table.
struct WorkbookAbout {
  std::vector<std::string> sources;   // the count files read, or the table file
  std::vector<std::string> stations;  // as shown, e.g. "B001  Clayallee"
  std::optional<DateNumber> firstDate;
  std::optional<DateNumber> lastDate;
  std::int64_t dateCount = 0;
  std::vector<std::string> definitions;  // e.g. "AADT: AASHTO method, 84 cells"
  std::string program;                   // empty: this program and its version
};

// This program's name and version, as the About sheet gives them.
[[nodiscard]] std::string programVersionText();

// Writes the table as an .xlsx workbook: a sheet named after the title with a bold, frozen
// header row and columns sized to their content, then the sheet "About". Text columns are text
// cells, figures are numbers with their column's display format, dates are date cells (a date
// before 1 March 1900, where the spreadsheet's calendar is wrong, is yyyy-mm-dd text),
// empty, not-available and non-finite cells are left empty; text holding "_xHHHH_" keeps it.
// The workbook is built in a temporary folder (ostrilo-xlsx-PID-XXXXXX, where such folders
// that killed runs left are swept) and then saved through saveExportBytes, so a failed save
// changes nothing.
// Throws Error naming path; Overflow when the table has more rows or columns than a sheet holds.
void writeWorkbook(const std::string& path, const ExportTable& table, const WorkbookAbout& about);

// Throws Overflow naming path when a sheet cannot hold that many rows (below the header) or
// columns; a caller that knows the size before building a table asks first.
void checkWorkbookSize(const std::string& path, std::size_t rows, std::size_t columns);

// True when path ends in ".xlsx", in any case.
[[nodiscard]] bool isWorkbookPath(std::string_view path);

// Writes a workbook when path names one (isWorkbookPath), else the CSV text in format.
void saveExport(const std::string& path, const ExportTable& table, const CsvFormat& format,
                const WorkbookAbout& about);

}  // namespace ostrilo

#include "core/export/HourlyTable.h"

#include <charconv>
#include <iterator>

#include "core/export/TableExports.h"
#include "core/export/WorkbookWriter.h"
#include "core/table/ATRTable.h"
#include "core/table/CsvField.h"
#include "core/table/DateNumber.h"
#include "core/table/OutputFile.h"

namespace ostrilo {

namespace {

void appendNumber(std::string& text, long long value) {
  char buffer[24];
  const auto result = std::to_chars(std::begin(buffer), std::end(buffer), value);
  text.append(buffer, result.ptr);
}

}  // namespace

std::string hourlyCsvText(const ATRTable& table) {
  std::string csv = "station,date";
  for (int hour = 0; hour < kHoursPerDay; ++hour) {
    csv += hour < 10 ? ",h0" : ",h";
    appendNumber(csv, hour);
  }
  csv += ",total\n";

  const std::int32_t dateCount = table.DateCount();
  const std::int32_t staCount = table.StaCount();
  // About 24 five-character volumes, a name and a date per row; avoids regrowing a string of
  // many thousand rows.
  csv.reserve(csv.size() + static_cast<std::size_t>(dateCount) * staCount * 160);
  for (std::int32_t d = 0; d < dateCount; ++d) {
    const std::string date = isoDate(table.ulstDate().at(d));
    for (std::int32_t s = 0; s < staCount; ++s) {
      const HourMask counted = table.CountedHours(d, s);
      if (counted == 0) continue;
      csv += csvField(table.ulstName().at(s));
      csv += ',';
      csv += date;
      const HourlyVolumes volumes = table.VolArrByIndex(d, s);
      for (int hour = 0; hour < kHoursPerDay; ++hour) {
        csv += ',';
        if ((counted >> hour & 1u) != 0) appendNumber(csv, volumes[static_cast<std::size_t>(hour)]);
      }
      csv += ',';
      if (counted == kAllHours) appendNumber(csv, table.DailyVolByIndex(d, s));
      csv += '\n';
    }
  }
  return csv;
}

void saveHourlyTable(const std::string& path, const ATRTable& table,
                     std::vector<std::string> sources, const StationRegister* names) {
  if (!isWorkbookPath(path)) return writeOutputFile(path, hourlyCsvText(table));
  // The workbook's row limit is checked before its table is built.
  saveHourlyExport(path, table, names, aboutTable(table, std::move(sources), names));
}

}  // namespace ostrilo

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ostrilo {

// One record of a small CSV file a user writes by hand (a holiday or a group file).
struct CsvRecord {
  std::size_t line = 0;  // where the record starts
  std::vector<std::string> fields;
};

// Splits RFC 4180 text (LF or CR LF lines, an optional byte order mark) into records; blank
// lines are skipped and fields keep their bytes. Throws Error (Conversion) naming fileLabel and
// the line for a quote left open or out of place.
[[nodiscard]] std::vector<CsvRecord> readCsvRecords(std::string_view text,
                                                    std::string_view fileLabel);

// Reads a whole file for readCsvRecords; failures are thrown as the system reports them.
[[nodiscard]] std::string readTextFile(const std::string& path);

}  // namespace ostrilo

#pragma once

// A full picture of a table, for the tests and the fuzz targets (so no test framework here).

#include <cstdint>
#include <string>
#include <vector>

#include "core/table/ATRTable.h"

namespace ostrilo::test {

// Everything a caller can observe of a table.
struct TableSnapshot {
  std::vector<std::string> names;
  std::vector<DateNumber> dates;
  std::int32_t lngLast = -1;
  std::vector<std::int16_t> volumes;
  std::vector<std::int32_t> totals;  // DailyVolByIndex of every pair, in record order
  std::vector<HourMask> counted;     // CountedHours of every pair, in record order
  std::string inFile;

  bool operator==(const TableSnapshot&) const = default;
};

inline TableSnapshot snapshot(const ATRTable& table) {
  TableSnapshot s{table.ulstName().values(),
                  table.ulstDate().values(),
                  table.lngLast(),
                  table.volumeArray(),
                  {},
                  {},
                  table.inFile()};
  for (std::int32_t d = 0; d < table.DateCount(); ++d) {
    for (std::int32_t n = 0; n < table.StaCount(); ++n) {
      s.totals.push_back(table.DailyVolByIndex(d, n));
      s.counted.push_back(table.CountedHours(d, n));
    }
  }
  return s;
}

}  // namespace ostrilo::test

#pragma once

#include <cstdint>
#include <optional>

#include "core/table/DateNumber.h"

namespace ostrilo {

class ATRTable;

// What a table holds, in the terms of its pairs: one record per station and date.
struct TableSummary {
  std::int64_t stations = 0;
  std::int64_t dates = 0;
  std::optional<DateNumber> firstDate;  // the earliest and latest date; none in an empty table
  std::optional<DateNumber> lastDate;
  std::int64_t records = 0;       // stations x dates
  std::int64_t countedHours = 0;  // over every record
  std::int64_t completeDays = 0;  // records with all 24 hours counted
  std::int64_t hoursNotCounted = 0;

  friend bool operator==(const TableSummary&, const TableSummary&) = default;
};

[[nodiscard]] TableSummary SummarizeTable(const ATRTable& table);

}  // namespace ostrilo

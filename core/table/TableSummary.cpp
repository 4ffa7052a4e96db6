#include "core/table/TableSummary.h"

#include <algorithm>
#include <bit>

#include "core/table/ATRTable.h"

namespace ostrilo {

TableSummary SummarizeTable(const ATRTable& table) {
  TableSummary summary;
  const std::int32_t staCount = table.StaCount();
  const std::int32_t dateCount = table.DateCount();
  summary.stations = staCount;
  summary.dates = dateCount;
  summary.records = summary.stations * summary.dates;
  // The date list keeps the order in which dates were first read, which need not be the
  // calendar's.
  for (std::int32_t d = 0; d < dateCount; ++d) {
    const DateNumber date = table.DatebyIndex(d);
    summary.firstDate = std::min(summary.firstDate.value_or(date), date);
    summary.lastDate = std::max(summary.lastDate.value_or(date), date);
    for (std::int32_t s = 0; s < staCount; ++s) {
      const HourMask counted = table.CountedHours(d, s);
      summary.countedHours += std::popcount(counted);
      if (counted == kAllHours) ++summary.completeDays;
    }
  }
  summary.hoursNotCounted = summary.records * kHoursPerDay - summary.countedHours;
  return summary;
}

}  // namespace ostrilo

#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/checks/DataChecks.h"

namespace ostrilo {

// Days of one station over a stretch of the calendar. A complete day has all 24 hours
// counted, an incomplete one some of them; a faulty day is a complete day with a critical flag.
struct CompletenessCounts {
  std::int32_t days = 0;  // calendar days, whether the table holds them or not
  std::int32_t complete = 0;
  std::int32_t incomplete = 0;
  std::int32_t faulty = 0;
  [[nodiscard]] double completeShare() const { return days > 0 ? double(complete) / days : 0; }
  friend bool operator==(const CompletenessCounts&, const CompletenessCounts&) = default;
};

struct MonthCompleteness {
  int year = 0;
  int month = 1;
  CompletenessCounts counts;  // days: the month's days within the period
  friend bool operator==(const MonthCompleteness&, const MonthCompleteness&) = default;
};

// A station over the period from the table's first to its last date.
struct StationCompleteness {
  std::int32_t station = 0;  // index in the station list
  CompletenessCounts counts;
  std::int32_t longestGap = 0;  // the most consecutive dates without a complete day
  std::optional<DateNumber> lastComplete;
  std::vector<MonthCompleteness> months;  // every month of the period, in order
  friend bool operator==(const StationCompleteness&, const StationCompleteness&) = default;
};

// One row per given station index, in the given order (every station when empty).
[[nodiscard]] std::vector<StationCompleteness> computeCompleteness(
    const CheckResults& results, std::span<const std::int32_t> stations = {});

}  // namespace ostrilo

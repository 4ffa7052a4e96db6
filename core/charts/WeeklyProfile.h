#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/table/ATRTable.h"

namespace ostrilo {

class CheckResults;
struct PlotSelection;

inline constexpr int kProfileDays = 7;  // Monday = 0 .. Sunday = 6

struct ProfileCell {
  std::int32_t n = 0;          // valid days behind the mean
  std::optional<double> mean;  // vehicles in the hour; nothing without a day
};

// The average week of one station: [day of week][clock hour].
struct StationWeek {
  std::string title;    // the station list's text of the station
  std::string station;  // the id, as the table's bytes
  std::array<std::array<ProfileCell, kHoursPerDay>, kProfileDays> cells{};
};

// The weekly profile chart: a 7 x 24 grid (or seven day curves) per picked station.
struct WeeklyProfileChart {
  std::string title;
  std::string caption;
  std::vector<StationWeek> stations;  // one per picked station, in list order
  // The range of the means over every station, which spans a colour scale; both 0 without any.
  double lowest = 0;
  double highest = 0;
};

// The mean volume of each hour of each day of week over the picked valid days (complete,
// total above 0, no critical flag in checks, the result of runDataChecks over the same table)
// of each picked station. The selection as CheckPlotSelection left it.
[[nodiscard]] WeeklyProfileChart weeklyProfileChart(const ATRTable& table,
                                                    const PlotSelection& selection,
                                                    const CheckResults& checks);

}  // namespace ostrilo

#include "core/charts/WeeklyProfile.h"

#include <algorithm>

#include "core/annual/AnnualFigures.h"
#include "core/checks/DataChecks.h"
#include "core/selection/PlotSelection.h"

namespace ostrilo {

WeeklyProfileChart weeklyProfileChart(const ATRTable& table, const PlotSelection& selection,
                                      const CheckResults& checks) {
  WeeklyProfileChart chart;
  chart.title = "Weekly Profile";
  chart.caption = "Mean volume of each hour of each day of week over the picked valid days";
  const auto stations = selection.stations.picked();
  const auto dates = selection.dates.picked();
  bool any = false;
  for (const std::int32_t s : stations) {
    StationWeek& week = chart.stations.emplace_back();
    const auto index = static_cast<std::size_t>(s);
    week.station = table.StaNamebyIndex(s);
    week.title =
        index < selection.stations.texts.size() ? selection.stations.texts[index] : week.station;
    std::array<std::array<std::int64_t, kHoursPerDay>, kProfileDays> sums{};
    std::array<std::int32_t, kProfileDays> days{};
    for (const std::int32_t d : dates) {
      const auto total = table.CompleteDailyVol(d, s);
      if (!total || *total <= 0 || checks.hasCritical(d, s)) continue;
      const auto k = static_cast<std::size_t>(dayOfWeekIndex(table.DatebyIndex(d)));
      const HourlyVolumes hours = table.VolArrByIndex(d, s);
      for (std::size_t h = 0; h < kHoursPerDay; ++h) sums[k][h] += hours[h];
      ++days[k];
    }
    for (std::size_t k = 0; k < kProfileDays; ++k) {
      for (std::size_t h = 0; h < kHoursPerDay; ++h) {
        ProfileCell& cell = week.cells[k][h];
        cell.n = days[k];
        if (days[k] == 0) continue;
        const double mean = static_cast<double>(sums[k][h]) / days[k];
        cell.mean = mean;
        chart.lowest = any ? std::min(chart.lowest, mean) : mean;
        chart.highest = any ? std::max(chart.highest, mean) : mean;
        any = true;
      }
    }
  }
  return chart;
}

}  // namespace ostrilo

#include "core/annual/ShortCounts.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/table/CsvField.h"

namespace ostrilo {

namespace {}  // namespace

FactorGroup CombineFactors(std::span<const StationYear> members, int year) {
  FactorGroup group;
  group.year = year;
  std::vector<const StationYear*> used;
  for (const StationYear& member : members) {
    (member.aadt ? group.members : group.leftOut).push_back(member.station);
    if (member.aadt) used.push_back(&member);
  }
  for (std::size_t m = 0; m < kMonths; ++m) {
    for (std::size_t k = 0; k < kDaysOfWeek; ++k) {
      GroupFactor& cell = group.cells[m][k];
      double sum = 0;
      for (const StationYear* member : used) sum += *member->f[m][k];
      cell.n = static_cast<std::int32_t>(used.size());
      if (cell.n == 0) continue;
      const double mean = sum / cell.n;
      cell.mean = mean;
      if (cell.n < 2) continue;
      double squares = 0;
      for (const StationYear* member : used) {
        const double diff = *member->f[m][k] - mean;
        squares += diff * diff;
      }
      cell.sd = std::sqrt(squares / (cell.n - 1));
      cell.cv = *cell.sd / mean;
    }
  }
  return group;
}

std::vector<ShortCountEstimate> ExpandShortCounts(const CountView& view,
                                                  std::span<const std::int32_t> stations,
                                                  std::span<const FactorGroup> groups,
                                                  const DayExclusion& excluded) {
  std::vector<ShortCountEstimate> estimates;
  std::vector<double> sums(stations.size() * groups.size());
  for (const std::int32_t s : stations) {
    for (const FactorGroup& group : groups) {
      ShortCountEstimate& estimate = estimates.emplace_back();
      estimate.stationIndex = s;
      estimate.station = view.stations[static_cast<std::size_t>(s)];
      estimate.year = group.year;
      estimate.group = &group;
    }
  }
  const auto dateCount = static_cast<std::int32_t>(view.dates.size());
  for (std::int32_t d = 0; d < dateCount; ++d) {
    const DateNumber date = view.dates[static_cast<std::size_t>(d)];
    const CivilDate civil = civilFromDate(date);
    const auto found = std::find_if(groups.begin(), groups.end(),
                                    [&](const FactorGroup& g) { return g.year == civil.year; });
    if (found == groups.end()) continue;
    const auto g = static_cast<std::size_t>(found - groups.begin());
    const GroupFactor& factor = found->cells[static_cast<std::size_t>(civil.month - 1)]
                                            [static_cast<std::size_t>(dayOfWeekIndex(date))];
    if (!factor.mean) continue;
    for (std::size_t i = 0; i < stations.size(); ++i) {
      const std::int16_t* hours = view.completeDay(d, stations[i]);
      if (hours == nullptr) continue;
      std::int32_t total = 0;
      for (int h = 0; h < kHoursPerDay; ++h) total += hours[h];
      // An all-zero day is a dead counter, and would pull the estimate down like a real count.
      if (total <= 0 || (excluded && excluded(stations[i], d))) continue;
      const std::size_t slot = i * groups.size() + g;
      sums[slot] += total * *factor.mean;
      estimates[slot].daysUsed.push_back(date);
    }
  }
  for (std::size_t slot = 0; slot < estimates.size(); ++slot) {
    ShortCountEstimate& estimate = estimates[slot];
    std::sort(estimate.daysUsed.begin(), estimate.daysUsed.end());
    if (!estimate.daysUsed.empty()) {
      estimate.aadt = sums[slot] / static_cast<double>(estimate.daysUsed.size());
    }
  }
  return estimates;
}

}  // namespace ostrilo

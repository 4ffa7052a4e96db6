#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/annual/AnnualFigures.h"

namespace ostrilo {

// One month x day-of-week cell of a factor group: the mean of the members' F(m,k), with the
// sample standard deviation (n - 1) and the coefficient of variation SD / mean.
struct GroupFactor {
  std::int32_t n = 0;
  std::optional<double> mean;
  std::optional<double> sd;  // needs n >= 2
  std::optional<double> cv;
};

// The combined factors of the stations a user names for one year. Members without an AADT
// cannot give factors: they are left out and listed.
struct FactorGroup {
  int year = 0;
  std::vector<std::string> members;  // those whose factors are combined
  std::vector<std::string> leftOut;  // those without an AADT
  std::array<std::array<GroupFactor, kDaysOfWeek>, kMonths> cells;  // [month 0..11][dow 0..6]
};

// Combines the annual results of the members; every one of them must be of the given year.
[[nodiscard]] FactorGroup CombineFactors(std::span<const StationYear> members, int year);

// The AADT estimate of one station from its counted days of one year: the mean over its valid
// days d of V(d) x F_G(month of d, day of week of d). Nothing without a valid day or without a
// group member.
struct ShortCountEstimate {
  std::int32_t stationIndex = 0;
  std::string station;
  int year = 0;
  std::vector<DateNumber> daysUsed;  // ascending
  std::optional<double> aadt;
  const FactorGroup* group = nullptr;  // the group of that year
};

// One estimate per picked station and group, station by station, in the groups' order. One
// pass over the records.
[[nodiscard]] std::vector<ShortCountEstimate> ExpandShortCounts(
    const CountView& view, std::span<const std::int32_t> stations,
    std::span<const FactorGroup> groups, const DayExclusion& excluded = {});

}  // namespace ostrilo

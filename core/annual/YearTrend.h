#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/annual/AnnualFigures.h"
#include "core/annual/RoadFigures.h"

namespace ostrilo {

// One station's (or road's) year beside its other years.
struct TrendYear {
  std::string station;
  int year = 0;
  std::int32_t validDays = 0;
  std::optional<double> adt;
  std::optional<double> aadt;
  std::int32_t coveredCells = 0;
  // Percent change of AADT against the previous calendar year; nothing unless both have one
  // and the earlier one is above 0.
  std::optional<double> aadtChangePct;
  // Compound annual growth in percent from the station's first year with an AADT to this
  // year: (AADT / first AADT)^(1 / years between) - 1; nothing for that first year, the years
  // before it, a year without AADT and every year when the first AADT is 0.
  std::optional<double> cagrPct;
};

// The rows of ComputeAnnualFigures (or the two-way rows of roads): one station's years follow
// each other, ascending, as those functions give them. One row per given row, in that order.
[[nodiscard]] std::vector<TrendYear> yearTrend(std::span<const StationYear> rows);
// The same over the two-way figures of ComputeRoadFigures, the road in the station field.
[[nodiscard]] std::vector<TrendYear> yearTrend(std::span<const RoadYear> rows);

// One year of the AADT-by-year chart: the AADT, or the ADT where the year has no AADT.
struct TrendPoint {
  int year = 0;
  double value = 0;
  bool isAadt = true;
};

struct TrendSeries {
  std::string station;
  std::vector<TrendPoint> points;  // years ascending; a year with neither figure has none
};

// The chart of AADT by year: one series per station named, in that order, over its rows.
// A station without a row still gets its (empty) series, so legends match the pick.
[[nodiscard]] std::vector<TrendSeries> trendSeries(std::span<const TrendYear> rows,
                                                   std::span<const std::string> stations);

}  // namespace ostrilo

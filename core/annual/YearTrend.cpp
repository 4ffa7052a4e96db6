#include "core/annual/YearTrend.h"

#include <cmath>

namespace ostrilo {

std::vector<TrendYear> yearTrend(std::span<const StationYear> rows) {
  std::vector<TrendYear> trend;
  trend.reserve(rows.size());
  const StationYear* first = nullptr;  // the station's first year with an AADT
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const StationYear& row = rows[i];
    const bool sameStation = i > 0 && rows[i - 1].station == row.station;
    if (!sameStation) first = nullptr;
    TrendYear& out = trend.emplace_back();
    out.station = row.station;
    out.year = row.year;
    out.validDays = row.validDays;
    out.adt = row.adt;
    out.aadt = row.aadt;
    out.coveredCells = row.coveredCells;
    if (!row.aadt) continue;
    const StationYear& before = rows[i > 0 ? i - 1 : 0];
    // A growth from nothing has no percentage: n/a, never inf or nan in a file.
    if (sameStation && before.year + 1 == row.year && before.aadt && *before.aadt > 0) {
      out.aadtChangePct = 100.0 * (*row.aadt - *before.aadt) / *before.aadt;
    }
    if (first == nullptr) {
      first = &row;
      continue;
    }
    const double years = row.year - first->year;
    if (*first->aadt > 0 && years > 0) {
      out.cagrPct = 100.0 * (std::pow(*row.aadt / *first->aadt, 1.0 / years) - 1.0);
    }
  }
  return trend;
}

std::vector<TrendYear> yearTrend(std::span<const RoadYear> rows) {
  std::vector<StationYear> twoWay;
  twoWay.reserve(rows.size());
  for (const RoadYear& row : rows) twoWay.push_back(row.twoWay);
  return yearTrend(std::span<const StationYear>(twoWay));
}

std::vector<TrendSeries> trendSeries(std::span<const TrendYear> rows,
                                     std::span<const std::string> stations) {
  std::vector<TrendSeries> series;
  for (const std::string& station : stations) {
    TrendSeries& one = series.emplace_back();
    one.station = station;
    for (const TrendYear& row : rows) {
      if (row.station != station) continue;
      if (row.aadt) {
        one.points.push_back({row.year, *row.aadt, true});
      } else if (row.adt) {
        one.points.push_back({row.year, *row.adt, false});
      }
    }
  }
  return series;
}

}  // namespace ostrilo

#pragma once

#include <span>
#include <string>
#include <vector>

#include "core/annual/RoadFigures.h"
#include "core/annual/YearTrend.h"
#include "core/charts/WeeklyProfile.h"
#include "core/export/TableExports.h"

namespace ostrilo {

// road, year, directions (stations joined by '+'), valid_days, adt, aadt, cells, v30, k30_pct,
// d30_pct, ddhv, then d1_pct and the average weekday's AM and PM peak hour ("07:00") with the
// directions' shares there ("61.20/38.80", register order). Vehicles whole (halves to even),
// percentages with 2 decimals, n/a empty.
[[nodiscard]] TableExport roadsExport(std::span<const RoadYear> rows);
// station, year, valid_days, adt, aadt, cells, aadt_change_pct, cagr_pct (2 decimals).
[[nodiscard]] TableExport trendExport(std::span<const TrendYear> rows);
// station, dow (1 = Monday .. 7 = Sunday), hour (0 .. 23), mean (whole vehicles), n: every
// hour of every day of week of every station, an hour without a day with an empty mean.
[[nodiscard]] TableExport profileExport(const WeeklyProfileChart& chart);

// Their CSV text: LF lines, RFC 4180 quoting.
[[nodiscard]] std::string BuildRoadsCsvText(std::span<const RoadYear> rows);
[[nodiscard]] std::string BuildTrendCsvText(std::span<const TrendYear> rows);
[[nodiscard]] std::string BuildProfileCsvText(const WeeklyProfileChart& chart);

}  // namespace ostrilo

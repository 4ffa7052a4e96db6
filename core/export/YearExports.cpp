#include "core/export/YearExports.h"

namespace ostrilo {

namespace {

ExportCell optional(const std::optional<double>& value) {
  if (!value) return NotAvailable{};
  return *value;
}

ExportCell volumeCell(const DesignHour& design) {
  if (!design.volume) return NotAvailable{};
  return static_cast<double>(*design.volume);
}

ExportCell splitText(const std::optional<DirectionalSplit>& split) {
  if (!split) return NotAvailable{};
  std::string text;
  for (const double share : split->sharePct) {
    if (!text.empty()) text += '/';
    text += formatFixed(share, 2);
  }
  return text;
}

ExportCell hourText(const std::optional<DirectionalSplit>& split) {
  if (!split) return NotAvailable{};
  return formatHour(split->hour);
}

}  // namespace

TableExport roadsExport(std::span<const RoadYear> rows) {
  ExportTable out;
  out.title = "Road figures";
  out.columns = {{"road"},
                 {"year", ColumnKind::Integer},
                 {"directions"},
                 {"valid_days", ColumnKind::Integer},
                 {"adt", ColumnKind::Integer},
                 {"aadt", ColumnKind::Integer},
                 {"cells", ColumnKind::Integer},
                 {"v30", ColumnKind::Integer},
                 {"k30_pct", ColumnKind::Decimal, 2},
                 {"d30_pct", ColumnKind::Decimal, 2},
                 {"ddhv", ColumnKind::Integer},
                 {"d1_pct", ColumnKind::Decimal, 2},
                 {"wd_am_peak_hour"},
                 {"wd_am_split_pct"},
                 {"wd_pm_peak_hour"},
                 {"wd_pm_split_pct"}};
  for (const RoadYear& row : rows) {
    const StationYear& two = row.twoWay;
    out.addRow({row.road, double(two.year), row.directions, double(two.validDays),
                optional(two.adt), optional(two.aadt), double(two.coveredCells),
                volumeCell(two.v30), optional(two.v30.kPct), optional(row.d30Pct),
                optional(row.ddhv), optional(row.d1Pct), hourText(row.amSplit),
                splitText(row.amSplit), hourText(row.pmSplit), splitText(row.pmSplit)});
  }
  return {std::move(out),
          {},
          {"Road: the register's stations of one road, its hourly volume their sum",
           "Road valid day: every direction's day valid", "AADT: AASHTO method, 84 cells",
           "D30: the peak direction's share in the 30th highest two-way hour",
           "DDHV: AADT x K30 x D30", "Splits: at the peak hours of the average weekday"}};
}

TableExport trendExport(std::span<const TrendYear> rows) {
  ExportTable out;
  out.title = "Years";
  out.columns = {{"station"},
                 {"year", ColumnKind::Integer},
                 {"valid_days", ColumnKind::Integer},
                 {"adt", ColumnKind::Integer},
                 {"aadt", ColumnKind::Integer},
                 {"cells", ColumnKind::Integer},
                 {"aadt_change_pct", ColumnKind::Decimal, 2},
                 {"cagr_pct", ColumnKind::Decimal, 2}};
  for (const TrendYear& row : rows) {
    out.addRow({row.station, double(row.year), double(row.validDays), optional(row.adt),
                optional(row.aadt), double(row.coveredCells), optional(row.aadtChangePct),
                optional(row.cagrPct)});
  }
  return {std::move(out),
          {},
          {"aadt_change_pct: against the previous calendar year",
           "cagr_pct: compound annual growth from the first year with an AADT"}};
}

TableExport profileExport(const WeeklyProfileChart& chart) {
  ExportTable out;
  out.title = "Weekly profile";
  out.columns = {{"station"},
                 {"dow", ColumnKind::Integer},
                 {"hour", ColumnKind::Integer},
                 {"mean", ColumnKind::Integer},
                 {"n", ColumnKind::Integer}};
  for (const StationWeek& week : chart.stations) {
    for (int k = 0; k < kProfileDays; ++k) {
      for (int h = 0; h < kHoursPerDay; ++h) {
        const ProfileCell& cell =
            week.cells[static_cast<std::size_t>(k)][static_cast<std::size_t>(h)];
        out.addRow({week.station, double(k + 1), double(h), optional(cell.mean), double(cell.n)});
      }
    }
  }
  return {std::move(out), {}, {"dow: 1 Monday .. 7 Sunday", "n: valid days behind the mean"}};
}

std::string BuildRoadsCsvText(std::span<const RoadYear> rows) {
  return buildCsvText(roadsExport(rows).table);
}
std::string BuildTrendCsvText(std::span<const TrendYear> rows) {
  return buildCsvText(trendExport(rows).table);
}
std::string BuildProfileCsvText(const WeeklyProfileChart& chart) {
  return buildCsvText(profileExport(chart).table);
}

}  // namespace ostrilo

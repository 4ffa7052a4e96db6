#include "core/charts/ChartData.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include "core/checks/DataChecks.h"
#include "core/selection/PlotSelection.h"
#include "core/table/ATRTable.h"

namespace ostrilo {

namespace {

constexpr double kHour = 1.0 / 24.0;

// Hour h of a date is d + h / 24. Date numbers before day 0 count their fraction forward from
// the whole day, so hours there go the other way in plain arithmetic.
double hourOf(DateNumber date, int hour) {
  return date >= 0 ? date + hour * kHour : date - hour * kHour;
}

constexpr double kGap = std::numeric_limits<double>::quiet_NaN();

// The date number of a point on the linear scale of linearDays.
DateNumber fromLinearDays(double days) {
  if (days >= 0) return days;
  const double whole = std::floor(days);
  return whole - (days - whole);
}

// By date index: where a series breaks after that date's points, or NaN where the next picked
// date in time is the following day (or there is none). The break lies midway to the next
// picked date rather than right after the date, so that a long break gets pixels of its own
// when the axis puts many points into one pixel and the chart library joins them.
// lastPoint: the linear days from a date to its last point.
std::vector<double> breaksAfterDates(const ATRTable& table, const PlotSelection& selection,
                                     double lastPoint) {
  std::vector<std::pair<double, std::size_t>> inTime;
  for (const auto date : selection.dates.picked()) {
    inTime.emplace_back(linearDays(table.DatebyIndex(date)), static_cast<std::size_t>(date));
  }
  std::sort(inTime.begin(), inTime.end());
  std::vector<double> breaks(static_cast<std::size_t>(table.DateCount()), kGap);
  for (std::size_t i = 1; i < inTime.size(); ++i) {
    const auto& [day, date] = inTime[i - 1];
    const double next = inTime[i].first;
    if (std::floor(next) - std::floor(day) <= 1) continue;
    breaks[date] = fromLinearDays((day + lastPoint + next) / 2);
  }
  return breaks;
}

bool isCounted(HourMask mask, int hour) { return ((mask >> hour) & 1u) != 0; }

// The hourly graph and the colour grid visit the same hours: every hour of every picked pair, in
// walk order. visit(int k, double hourStart, std::int16_t volume, bool counted).
template <typename Visit>
void walkPickedHours(const ATRTable& table, const PlotSelection& selection, Visit&& visit) {
  walkSelection(selection, [&](int k, auto station, auto date) {
    const DateNumber day = table.DatebyIndex(date);
    const HourlyVolumes volumes = table.VolArrByIndex(date, station);
    const HourMask counted = table.CountedHours(date, station);
    for (int h = 0; h < kHoursPerDay; ++h) {
      visit(k, hourOf(day, h), volumes[static_cast<std::size_t>(h)], isCounted(counted, h));
    }
  });
}

// The picked stations' item texts, in list order; empty for a list given without texts.
std::vector<std::string> pickedStationTitles(const PlotSelection& selection) {
  const std::vector<std::string>& texts = selection.stations.texts;
  std::vector<std::string> titles;
  for (const auto station : selection.stations.picked()) {
    const auto index = static_cast<std::size_t>(station);
    titles.push_back(index < texts.size() ? texts[index] : std::string());
  }
  return titles;
}

// Only complete days with a critical flag get a reason, so the text is built for few of the
// picked days. An incomplete day is a gap already: marking it as a fault too would hide the few
// real faults among the many half-counted days.
void addIfCritical(const CheckResults& checks, int k, std::int32_t station, std::int32_t date,
                   DateNumber day, std::vector<CriticalDay>& days) {
  if (!checks.hasCritical(date, station) || !checks.isComplete(date, station)) return;
  std::string reason;
  for (const CheckFlag& flag : checks.flagsOf(date, station)) {
    if (flag.severity() != Severity::Critical) continue;
    if (!reason.empty()) reason += '\n';
    reason.append(checkCodeName(flag.code)).append(": ").append(flag.detail);
  }
  days.push_back({k, day, std::move(reason)});
}

LineChart emptyLineChart(const PlotSelection& selection, SeriesKind kind) {
  LineChart chart;
  for (std::string& title : pickedStationTitles(selection)) {
    chart.series.push_back(ChartSeries{std::move(title), kind, {}});
  }
  return chart;
}

}  // namespace

bool isGap(const ChartPoint& point) { return std::isnan(point.y); }

SeriesKind seriesKindFor(int graphTypeIndex) {
  if (graphTypeIndex < 0 || graphTypeIndex > static_cast<int>(SeriesKind::Point)) {
    return SeriesKind::Line;
  }
  return static_cast<SeriesKind>(graphTypeIndex);
}

LineChart hourlyVolumeChart(const ATRTable& table, const PlotSelection& selection,
                            SeriesKind kind) {
  LineChart chart = emptyLineChart(selection, kind);
  chart.title = "Hourly Volume Plot of Stations ";
  chart.caption = "Hourly Volume Graph";
  chart.leftAxisTitle = "Vehicles per hour";
  chart.bottomAxisFormat = kHourDateFormat;
  chart.multiLineLabels = true;
  const std::vector<double> breaks = breaksAfterDates(table, selection, 23.0 / kHoursPerDay);
  const std::size_t perStation = selection.dates.picked().size() * (kHoursPerDay + 1);
  for (ChartSeries& series : chart.series) series.points.reserve(perStation);
  walkSelection(selection, [&](int k, auto station, auto date) {
    std::vector<ChartPoint>& points = chart.series[static_cast<std::size_t>(k)].points;
    const DateNumber day = table.DatebyIndex(date);
    const HourlyVolumes volumes = table.VolArrByIndex(date, station);
    const HourMask counted = table.CountedHours(date, station);
    for (int h = 0; h < kHoursPerDay; ++h) {
      const double volume = volumes[static_cast<std::size_t>(h)];
      points.push_back({hourOf(day, h), isCounted(counted, h) ? volume : kGap});
    }
    const double after = breaks[static_cast<std::size_t>(date)];
    if (!std::isnan(after)) points.push_back({after, kGap});
  });
  return chart;
}

LineChart dailyVolumeChart(const ATRTable& table, const PlotSelection& selection, SeriesKind kind,
                           const CheckResults& checks) {
  LineChart chart = emptyLineChart(selection, kind);
  chart.title = "Daily Volume Plot of Stations ";
  chart.caption = "Daily Volume Graph";
  chart.leftAxisTitle = "Vehicles per day";
  chart.bottomAxisFormat = kDateFormat;
  chart.multiLineLabels = false;
  const std::vector<double> breaks = breaksAfterDates(table, selection, 0);
  walkSelection(selection, [&](int k, auto station, auto date) {
    std::vector<ChartPoint>& points = chart.series[static_cast<std::size_t>(k)].points;
    const std::optional<std::int32_t> total = table.CompleteDailyVol(date, station);
    const DateNumber day = table.DatebyIndex(date);
    points.push_back({day, total ? double(*total) : kGap});
    addIfCritical(checks, k, station, date, day, chart.criticalDays);
    const double after = breaks[static_cast<std::size_t>(date)];
    if (!std::isnan(after)) points.push_back({after, kGap});
  });
  return chart;
}

ColorGrid volumeColorGrid(const ATRTable& table, const PlotSelection& selection,
                          const CheckResults& checks) {
  ColorGrid grid;
  grid.title = "Hourly Volume Color Grid Plot";
  grid.caption = "Hourly Volume Color Grid Graph";
  grid.leftAxisTitle = "Stations";
  grid.bottomAxisFormat = kHourDateFormat;
  grid.rowNames = pickedStationTitles(selection);
  grid.cells.reserve(grid.rowNames.size() * selection.dates.picked().size() * kHoursPerDay);
  std::int16_t lowest = std::numeric_limits<std::int16_t>::max();
  std::int16_t highest = std::numeric_limits<std::int16_t>::min();
  const auto addCell = [&](int k, double hourStart, std::int16_t volume, bool counted) {
    grid.cells.push_back({hourStart, k, volume, counted});
    if (!counted) return;
    lowest = std::min(lowest, volume);
    highest = std::max(highest, volume);
  };
  walkPickedHours(table, selection, addCell);
  walkSelection(selection, [&](int k, auto station, auto date) {
    addIfCritical(checks, k, station, date, table.DatebyIndex(date), grid.criticalDays);
  });
  if (lowest <= highest) {
    grid.lowest = lowest;
    grid.highest = highest;
  }
  return grid;
}

Histogram volumeHistogram(const ATRTable& table, const PlotSelection& selection) {
  Histogram histogram;
  histogram.title = "Hourly Volume Histogram";
  histogram.caption = "Histogram of hourly volume in the Selected range";
  histogram.leftAxisTitle = "Occurrence ";

  // One walk counts how often each 16-bit value occurs; the range and the bins then come from
  // those 65,536 counters instead of from every picked volume again, and the division per value
  // becomes one per distinct value.
  constexpr int kValues = 1 << 16;
  constexpr int kOffset = 1 << 15;
  std::vector<std::uint64_t> occurrences(kValues, 0);
  walkSelection(selection, [&](int, auto station, auto date) {
    const HourlyVolumes volumes = table.VolArrByIndex(date, station);
    const HourMask counted = table.CountedHours(date, station);
    for (int h = 0; h < kHoursPerDay; ++h) {
      if (isCounted(counted, h)) ++occurrences[volumes[static_cast<std::size_t>(h)] + kOffset];
    }
  });

  // The range starts at 0 and 31000, so the largest is never below 0 and the smallest never
  // above 31000.
  std::int32_t largest = 0;
  std::int32_t smallest = 31000;
  for (int value = -kOffset; value < kOffset; ++value) {
    if (occurrences[static_cast<std::size_t>(value + kOffset)] == 0) continue;
    largest = std::max(largest, value);
    smallest = std::min(smallest, value);
  }
  std::int32_t width = 1;
  if (largest - 1 > 30) {
    width = static_cast<std::int32_t>(std::nearbyint((largest - smallest) / 30.0));
    if (width < 1) width = 1;
  }

  std::array<std::int64_t, kHistogramBins> counts{};
  for (int value = -kOffset; value < kOffset; ++value) {
    const std::uint64_t n = occurrences[static_cast<std::size_t>(value + kOffset)];
    if (n == 0) continue;
    // Negative volumes with a small largest volume can give a bin far beyond the counters.
    const std::int32_t bin = (value - smallest) / width;
    if (bin >= 0 && bin < kHistogramBins) {
      counts[static_cast<std::size_t>(bin)] += static_cast<std::int64_t>(n);
      histogram.counted += static_cast<std::int64_t>(n);
    }
  }
  histogram.smallest = smallest;
  histogram.width = width;
  for (int n = 0; n < kHistogramBarsDrawn; ++n) {
    histogram.bars.push_back({double(width) * n + smallest, double(counts[std::size_t(n)])});
  }
  return histogram;
}

}  // namespace ostrilo

#include "core/charts/ChartData.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

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

// The hourly graph and the colour grid visit the same values: every hour of every picked pair,
// in walk order. visit(int k, double hourStart, std::int16_t volume).
template <typename Visit>
void walkPickedHours(const ATRTable& table, const PlotSelection& selection, Visit&& visit) {
  walkSelection(selection, [&](int k, std::int32_t station, std::int32_t date) {
    const DateNumber day = table.DatebyIndex(date);
    const HourlyVolumes volumes = table.VolArrByIndex(date, station);
    for (int h = 0; h < kHoursPerDay; ++h) visit(k, hourOf(day, h), volumes[h]);
  });
}

// The picked stations' item texts, in list order; empty for a list given without texts.
std::vector<std::string> pickedStationTitles(const PlotSelection& selection) {
  const std::vector<std::string>& texts = selection.stations.texts;
  std::vector<std::string> titles;
  for (const std::int32_t station : selection.stations.picked()) {
    const auto index = static_cast<std::size_t>(station);
    titles.push_back(index < texts.size() ? texts[index] : std::string());
  }
  return titles;
}

LineChart emptyLineChart(const PlotSelection& selection, SeriesKind kind) {
  LineChart chart;
  for (std::string& title : pickedStationTitles(selection)) {
    chart.series.push_back(ChartSeries{std::move(title), kind, {}});
  }
  return chart;
}

}  // namespace

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
  const std::size_t perStation = selection.dates.picked().size() * kHoursPerDay;
  for (ChartSeries& series : chart.series) series.points.reserve(perStation);
  walkPickedHours(table, selection, [&](int k, double hourStart, std::int16_t volume) {
    chart.series[static_cast<std::size_t>(k)].points.push_back({hourStart, double(volume)});
  });
  return chart;
}

LineChart dailyVolumeChart(const ATRTable& table, const PlotSelection& selection, SeriesKind kind) {
  LineChart chart = emptyLineChart(selection, kind);
  chart.title = "Daily Volume Plot of Stations ";
  chart.caption = "Daily Volume Graph";
  chart.leftAxisTitle = "Vehicles per day";
  chart.bottomAxisFormat = kDateFormat;
  chart.multiLineLabels = false;
  walkSelection(selection, [&](int k, std::int32_t station, std::int32_t date) {
    chart.series[static_cast<std::size_t>(k)].points.push_back(
        {table.DatebyIndex(date), double(table.DailyVolByIndex(date, station))});
  });
  return chart;
}

ColorGrid volumeColorGrid(const ATRTable& table, const PlotSelection& selection) {
  ColorGrid grid;
  grid.title = "Hourly Volume Color Grid Plot";
  grid.caption = "Hourly Volume Color Grid Graph";
  grid.leftAxisTitle = "Stations";
  grid.bottomAxisFormat = kHourDateFormat;
  grid.rowNames = pickedStationTitles(selection);
  grid.cells.reserve(grid.rowNames.size() * selection.dates.picked().size() * kHoursPerDay);
  std::int16_t lowest = std::numeric_limits<std::int16_t>::max();
  std::int16_t highest = std::numeric_limits<std::int16_t>::min();
  walkPickedHours(table, selection, [&](int k, double hourStart, std::int16_t volume) {
    grid.cells.push_back({hourStart, k, volume});
    lowest = std::min(lowest, volume);
    highest = std::max(highest, volume);
  });
  if (!grid.cells.empty()) {
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
  std::vector<std::uint32_t> occurrences(kValues, 0);
  walkSelection(selection, [&](int, std::int32_t station, std::int32_t date) {
    for (const std::int16_t v : table.VolArrByIndex(date, station)) ++occurrences[v + kOffset];
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
    const std::uint32_t n = occurrences[static_cast<std::size_t>(value + kOffset)];
    if (n == 0) continue;
    // Negative volumes with a small largest volume can give a bin far beyond the counters.
    const std::int32_t bin = (value - smallest) / width;
    if (bin >= 0 && bin < kHistogramBins) {
      counts[static_cast<std::size_t>(bin)] += n;
      histogram.counted += n;
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

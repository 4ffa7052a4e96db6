#include <gtest/gtest.h>

#include <climits>
#include <numeric>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "SelectionTestSupport.h"
#include "plot/ChartData.h"

namespace ostrilo {
namespace {

using test::day;
using test::dayLines;
using test::pick;

TEST(SeriesKindFor, FollowsTheBoxOrderAndDrawsLinesOtherwise) {
  const std::vector<std::pair<int, SeriesKind>> cases{
      {0, SeriesKind::Line}, {1, SeriesKind::Bar},       {2, SeriesKind::HorizBar},
      {3, SeriesKind::Area}, {4, SeriesKind::Point},     {-1, SeriesKind::Line},
      {5, SeriesKind::Line}, {INT_MIN, SeriesKind::Line}};
  for (const auto& [index, kind] : cases) EXPECT_EQ(seriesKindFor(index), kind) << index;
}

// Hour h holds first + h step.
test::Day ramp(int first, int step) {
  test::Day v{};
  for (int h = 0; h < kHoursPerDay; ++h) v[static_cast<std::size_t>(h)] = first + h * step;
  return v;
}

// Stations AAAA, BBBB, CCCC over 3, 4 and 6 January 2005 (the 5th missing); hour h of station
// s on date index d counts 1000 s + 100 d + h, so every point tells where it came from.
class ChartDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string text;
    for (int d = 0; d < 3; ++d) {
      for (int s = 0; s < 3; ++s) {
        text += dayLines(kNames[s], kDates[d], ramp(1000 * s + 100 * d, 1));
      }
    }
    table = test::tableOf(text);
  }
  static constexpr const char* kNames[] = {"AAAA", "BBBB", "CCCC"};
  const DateNumber kDates[3] = {day(2005, 1, 3), day(2005, 1, 4), day(2005, 1, 6)};
  ATRTable table;
};

TEST_F(ChartDataTest, HourlyChartHasOneSeriesPerPickedStationWithEveryHourOfEveryDate) {
  const LineChart chart = hourlyVolumeChart(table, pick(table, {2, 0}, {0, 1, 2}), SeriesKind::Bar);
  EXPECT_EQ(chart.title, "Hourly Volume Plot of Stations ");
  EXPECT_EQ(chart.caption, "Hourly Volume Graph");
  EXPECT_EQ(chart.leftAxisTitle, "Vehicles per hour");
  EXPECT_EQ(chart.bottomAxisFormat, "hh:mm m/d/yy");
  EXPECT_TRUE(chart.multiLineLabels);
  ASSERT_EQ(chart.series.size(), 2u);
  for (int k = 0; k < 2; ++k) {
    const int s = k * 2;
    const ChartSeries& series = chart.series[static_cast<std::size_t>(k)];
    EXPECT_EQ(series.title, kNames[s]);
    EXPECT_EQ(series.kind, SeriesKind::Bar);
    ASSERT_EQ(series.points.size(), 72u);
    for (int n = 0; n < 72; ++n) {
      const int d = n / 24;
      const int h = n % 24;
      const ChartPoint& p = series.points[static_cast<std::size_t>(n)];
      EXPECT_DOUBLE_EQ(p.x, kDates[d] + h / 24.0) << "series " << k << " point " << n;
      EXPECT_EQ(p.y, 1000 * s + 100 * d + h) << "series " << k << " point " << n;
    }
  }
}

TEST_F(ChartDataTest, StationsWithoutPickedDatesKeepTheirEmptySeries) {
  const LineChart chart = hourlyVolumeChart(table, pick(table, {0, 1}, {}), SeriesKind::Line);
  ASSERT_EQ(chart.series.size(), 2u);
  EXPECT_EQ(chart.series[1].title, "BBBB");
  EXPECT_TRUE(chart.series[0].points.empty());
  EXPECT_TRUE(chart.series[1].points.empty());
}

TEST_F(ChartDataTest, DailyChartHasOnePointPerDateAtMidnightWithItsFullTotal) {
  const LineChart chart = dailyVolumeChart(table, pick(table, {2}, {0, 2}), SeriesKind::Area);
  EXPECT_EQ(chart.title, "Daily Volume Plot of Stations ");
  EXPECT_EQ(chart.caption, "Daily Volume Graph");
  EXPECT_EQ(chart.leftAxisTitle, "Vehicles per day");
  EXPECT_EQ(chart.bottomAxisFormat, "m/d/yy");
  EXPECT_FALSE(chart.multiLineLabels);
  ASSERT_EQ(chart.series.size(), 1u);
  EXPECT_EQ(chart.series[0].title, "CCCC");
  EXPECT_EQ(chart.series[0].kind, SeriesKind::Area);
  // 24 hours of 2000 + 100 d + h add up to 24 (2000 + 100 d) + 276, beyond 16 bits.
  const std::vector<ChartPoint> expected{{kDates[0], 48276}, {kDates[2], 53076}};
  EXPECT_EQ(chart.series[0].points, expected);
}

TEST_F(ChartDataTest, ColorGridRowsArePickedStationOrdinalsOnOneScale) {
  const ColorGrid grid = volumeColorGrid(table, pick(table, {0, 2}, {0, 1}));
  EXPECT_EQ(grid.title, "Hourly Volume Color Grid Plot");
  EXPECT_EQ(grid.caption, "Hourly Volume Color Grid Graph");
  EXPECT_EQ(grid.leftAxisTitle, "Stations");
  EXPECT_EQ(grid.rowNames, (std::vector<std::string>{"AAAA", "CCCC"}));
  ASSERT_EQ(grid.cells.size(), 96u);
  for (int n = 0; n < 96; ++n) {
    const int k = n / 48;
    const int d = n / 24 % 2;
    const int h = n % 24;
    const GridCell& cell = grid.cells[static_cast<std::size_t>(n)];
    EXPECT_EQ(cell.z, k) << n;
    EXPECT_DOUBLE_EQ(cell.x, kDates[d] + h / 24.0) << n;
    EXPECT_EQ(cell.y, 2000 * k + 100 * d + h) << n;
  }
  EXPECT_EQ(grid.lowest, 0);
  EXPECT_EQ(grid.highest, 2123);
}

TEST(VolumeColorGrid, RangeOfNegativeVolumesStaysBelowZero) {
  const ATRTable table = test::tableOf(dayLines("NEG1", day(2005, 1, 3), ramp(-10, -1)));
  const ColorGrid grid = volumeColorGrid(table, pick(table, {0}, {0}));
  EXPECT_EQ(grid.lowest, -33);
  EXPECT_EQ(grid.highest, -10);
}

struct HistogramCase {
  const char* name;
  test::Day volumes;  // of the one pair
  std::int32_t smallest;
  std::int32_t width;
  std::int64_t counted;
  std::vector<std::pair<int, int>> binCounts;  // bins worth checking
};

void PrintTo(const HistogramCase& c, std::ostream* os) { *os << c.name; }

// Hour 0 holds low, hour 1 high and every other hour base.
test::Day twoPeaks(int low, int high, int base = 0) {
  test::Day v{};
  v.fill(base);
  v[0] = low;
  v[1] = high;
  return v;
}

class VolumeHistogramTest : public ::testing::TestWithParam<HistogramCase> {};

TEST_P(VolumeHistogramTest, BinsThePickedVolumes) {
  const HistogramCase& c = GetParam();
  const ATRTable table = test::tableOf(dayLines("HST1", day(2005, 1, 3), c.volumes));
  const Histogram histogram = volumeHistogram(table, pick(table, {0}, {0}));
  EXPECT_EQ(histogram.smallest, c.smallest);
  EXPECT_EQ(histogram.width, c.width);
  EXPECT_EQ(histogram.counted, c.counted);
  ASSERT_EQ(histogram.bars.size(), 31u);
  for (int n = 0; n < 31; ++n) {
    EXPECT_EQ(histogram.bars[static_cast<std::size_t>(n)].x, c.smallest + n * c.width) << n;
  }
  for (const auto& [bin, count] : c.binCounts) {
    EXPECT_EQ(histogram.bars[static_cast<std::size_t>(bin)].y, count) << "bin " << bin;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Volumes, VolumeHistogramTest,
    ::testing::Values(
        // 230 / 30 = 7.67 gives 8; a bin holds its lower edge.
        HistogramCase{"TenPerHour", ramp(0, 10), 0, 8, 24, {{8, 1}, {9, 0}, {10, 1}, {28, 1}}},
        HistogramCase{"SmallVolumesOneBinEach", ramp(8, 1), 8, 1, 24, {{0, 1}, {23, 1}}},
        // The width rule looks at the largest volume, not at the range.
        HistogramCase{"LargestBelow32", twoPeaks(-30, 31), -30, 1, 24, {{0, 1}, {30, 22}}},
        HistogramCase{"NarrowRangeAbove32", twoPeaks(100, 110, 105), 100, 1, 24, {{5, 22}}},
        HistogramCase{"HalfWidthRoundsUpToEven", twoPeaks(0, 45), 0, 2, 24, {{0, 23}, {22, 1}}},
        HistogramCase{"HalfWidthRoundsDownToEven", twoPeaks(0, 75), 0, 2, 24, {{0, 23}}},
        HistogramCase{"WidthFour", twoPeaks(0, 105), 0, 4, 24, {{0, 23}, {26, 1}}},
        // 5 lies 205 bins above -200: left out, not written past the counters.
        HistogramCase{"FarNegative", twoPeaks(-200, -200, 5), -200, 1, 2, {{0, 2}, {30, 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChartDataTest, HistogramCountsEveryHourOfEveryPickedPair) {
  const Histogram histogram = volumeHistogram(table, pick(table, {0, 2}, {0, 2}));
  EXPECT_EQ(histogram.title, "Hourly Volume Histogram");
  EXPECT_EQ(histogram.caption, "Histogram of hourly volume in the Selected range");
  EXPECT_EQ(histogram.leftAxisTitle, "Occurrence ");
  EXPECT_EQ(histogram.counted, 96);
  // 0 to 2223 in bins of 74: every volume lies within the 31 drawn bars.
  EXPECT_EQ(histogram.width, 74);
  const double drawn = std::accumulate(histogram.bars.begin(), histogram.bars.end(), 0.0,
                                       [](double sum, const ChartPoint& p) { return sum + p.y; });
  EXPECT_EQ(drawn, 96);
}

}  // namespace
}  // namespace ostrilo

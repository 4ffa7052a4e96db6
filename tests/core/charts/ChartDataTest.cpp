#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/charts/ChartData.h"
#include "core/checks/DataChecks.h"
#include "tests/support/SelectionTestSupport.h"

namespace ostrilo {

void PrintTo(const CriticalDay& d, std::ostream* os) {
  *os << d.row << ' ' << d.day << ' ' << d.reason;
}

namespace {

using test::day;
using test::dayLines;
using test::pick;

// Hour h holds first + h step.
test::Day ramp(int first, int step) {
  test::Day v{};
  for (int h = 0; h < kHoursPerDay; ++h) v[static_cast<std::size_t>(h)] = first + h * step;
  return v;
}

// Stations AAAA, BBBB, CCCC over 3, 4 and 6 January 2005; hour h of station s on date index d
// counts 1000 s + 100 d + h, so every point tells where it came from.
class ChartDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string text;
    for (int d = 0; d < 3; ++d) {
      for (int s = 0; s < 3; ++s)
        text += dayLines(kNames[s], kDates[d], ramp(1000 * s + 100 * d, 1));
    }
    table = test::tableOf(text);
  }
  static constexpr const char* kNames[] = {"AAAA", "BBBB", "CCCC"};
  const DateNumber kDates[3] = {day(2005, 1, 3), day(2005, 1, 4), day(2005, 1, 6)};
  ATRTable table;
};

TEST_F(ChartDataTest, HourlyChartHasOneSeriesPerPickedStationWithEveryHourOfEveryDate) {
  const LineChart chart = hourlyVolumeChart(table, pick(table, {2, 0}, {0, 1}), SeriesKind::Bar);
  ASSERT_EQ(chart.series.size(), 2u);
  for (int k = 0; k < 2; ++k) {
    const int s = k * 2;
    const ChartSeries& series = chart.series[static_cast<std::size_t>(k)];
    EXPECT_EQ(series.title, kNames[s]);
    EXPECT_EQ(series.kind, SeriesKind::Bar);
    ASSERT_EQ(series.points.size(), 48u);
    for (int n = 0; n < 48; ++n) {
      const int d = n / 24;
      const int h = n % 24;
      const ChartPoint& p = series.points[static_cast<std::size_t>(n)];
      EXPECT_DOUBLE_EQ(p.x, kDates[d] + h / 24.0) << "series " << k << " point " << n;
      EXPECT_EQ(p.y, 1000 * s + 100 * d + h) << "series " << k << " point " << n;
    }
  }
  // A station keeps its series when no date is picked.
  EXPECT_EQ(hourlyVolumeChart(table, pick(table, {1}, {}), SeriesKind::Line).series.at(0).title,
            "BBBB");
}

TEST_F(ChartDataTest, DailyChartHasOnePointPerDateAtMidnightWithItsFullTotal) {
  const LineChart chart =
      dailyVolumeChart(table, pick(table, {2}, {0, 1}), SeriesKind::Area, CheckResults());
  ASSERT_EQ(chart.series.size(), 1u);
  EXPECT_EQ(chart.series[0].title, "CCCC");
  // 24 hours of 2000 + 100 d + h add up to 24 (2000 + 100 d) + 276, beyond 16 bits.
  const std::vector<ChartPoint> expected{{kDates[0], 48276}, {kDates[1], 50676}};
  EXPECT_EQ(chart.series[0].points, expected);
}

TEST_F(ChartDataTest, ColorGridRowsArePickedStationOrdinalsOnOneScale) {
  const ColorGrid grid = volumeColorGrid(table, pick(table, {0, 2}, {0, 1}), CheckResults());
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
  const ATRTable negative = test::tableOf(dayLines("NEG1", kDates[0], ramp(-10, -1)));
  const ColorGrid below = volumeColorGrid(negative, pick(negative, {0}, {0}), CheckResults());
  EXPECT_EQ(below.lowest, -33);
  EXPECT_EQ(below.highest, -10);
}

struct HistogramCase {
  const char* name;
  test::Day volumes;  // of the one pair
  std::int32_t smallest;
  std::int32_t width;
  std::int64_t counted;
  std::vector<std::pair<int, int>> binCounts;  // bins worth checking
};

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
        // The width rule looks at the largest volume, not at the range.
        HistogramCase{"LargestBelow32", twoPeaks(-30, 31), -30, 1, 24, {{0, 1}, {30, 22}}},
        HistogramCase{"HalfWidthRoundsUpToEven", twoPeaks(0, 45), 0, 2, 24, {{0, 23}, {22, 1}}},
        HistogramCase{"HalfWidthRoundsDownToEven", twoPeaks(0, 75), 0, 2, 24, {{0, 23}}},
        // 5 lies 205 bins above -200: left out, not written past the counters.
        HistogramCase{"FarNegative", twoPeaks(-200, -200, 5), -200, 1, 2, {{0, 2}, {30, 0}}}),
    test::CaseName());

TEST_F(ChartDataTest, HistogramCountsEveryHourOfEveryPickedPair) {
  const Histogram histogram = volumeHistogram(table, pick(table, {0, 2}, {0, 2}));
  EXPECT_EQ(histogram.counted, 96);
  EXPECT_EQ(histogram.width, 74);  // 0 to 2223
}

// GAP1 counted 3 January 2005 in full, only the morning of the 4th, nothing on the 5th and all
// of the 6th, which the file gives first: the date list is 6th, 3rd, 4th. Its counted hours hold
// 100 + 10 h; the hours nobody counted read 0.
ATRTable gapTable() {
  const test::Day counted = ramp(100, 10);
  return test::tableOf(dayLines("GAP1", day(2005, 1, 6), counted) +
                       dayLines("GAP1", day(2005, 1, 3), counted) +
                       test::countLine('1', "010405", "GAP1", test::rising(100, 10)) + "\r\n");
}

PlotSelection pickDates(const ATRTable& table, const std::vector<int>& dates) {
  PlotSelection selection = pick(table, {0}, {});
  for (const int d : dates) selection.dates.selected[static_cast<std::size_t>(d)] = true;
  return selection;
}

struct GapCase {
  const char* name;
  LineChart (*chart)(const ATRTable&, const PlotSelection&, SeriesKind);
  std::vector<int> dates;  // list positions
  std::size_t points;
  std::size_t firstGap, endGap;  // the gaps run from firstGap to before endGap
  double breakAt;                // x of the break between dates, the last gap; 0 for none
};

LineChart daily(const ATRTable& table, const PlotSelection& selection, SeriesKind kind) {
  return dailyVolumeChart(table, selection, kind, CheckResults());
}

class LineChartGapTest : public ::testing::TestWithParam<GapCase> {};

TEST_P(LineChartGapTest, UncountedHoursAndIncompleteDaysAreGapsAndNonConsecutiveDatesBreak) {
  const GapCase& c = GetParam();
  const ATRTable table = gapTable();
  const LineChart chart = c.chart(table, pickDates(table, c.dates), SeriesKind::Line);
  const std::vector<ChartPoint>& points = chart.series.at(0).points;
  ASSERT_EQ(points.size(), c.points);
  for (std::size_t n = 0; n < points.size(); ++n) {
    EXPECT_EQ(isGap(points[n]), n >= c.firstGap && n < c.endGap) << n;
  }
  if (c.breakAt != 0) EXPECT_DOUBLE_EQ(points[c.endGap - 1].x, c.breakAt);
}

// Each break lies midway between the last point before it in time and the first after it, and
// follows the points of the earlier date.
INSTANTIATE_TEST_SUITE_P(
    Dates, LineChartGapTest,
    ::testing::Values(GapCase{"HourlyConsecutive", hourlyVolumeChart, {1, 2}, 48, 36, 48, 0},
                      GapCase{"HourlyOverADay",
                              hourlyVolumeChart,
                              {0, 1, 2},
                              73,
                              60,
                              73,
                              day(2005, 1, 5) + 11.5 / 24},
                      GapCase{"HourlyOverTwoDays",
                              hourlyVolumeChart,
                              {0, 1},
                              49,
                              48,
                              49,
                              day(2005, 1, 4) + 23.5 / 24},
                      GapCase{"DailyOverADay", daily, {0, 1, 2}, 4, 2, 4, day(2005, 1, 5)},
                      GapCase{"DailyOverTwoDays", daily, {0, 1}, 3, 2, 3, day(2005, 1, 4) + 0.5}),
    test::CaseName());

TEST(ChartDataGaps, GridCellsOfUncountedHoursAreMarkedAndLeftOffTheScale) {
  const ATRTable table = gapTable();
  const ColorGrid grid = volumeColorGrid(table, pick(table, {0}, {2}), CheckResults());
  ASSERT_EQ(grid.cells.size(), 24u);
  for (std::size_t h = 0; h < 24; ++h) EXPECT_EQ(grid.cells[h].counted, h < 12) << h;
  EXPECT_EQ(grid.lowest, 100);
  EXPECT_EQ(grid.highest, 210);
  const ColorGrid none = volumeColorGrid(table, pick(table, {0}, {}), CheckResults());
  EXPECT_EQ(none.lowest, 0);
  EXPECT_EQ(none.highest, 0);
}

TEST(ChartDataGaps, HistogramBinsCountedHoursOnly) {
  const ATRTable table = gapTable();
  const Histogram histogram = volumeHistogram(table, pick(table, {0}, {0, 1, 2}));
  EXPECT_EQ(histogram.counted, 60);
  EXPECT_EQ(histogram.smallest, 100);
  EXPECT_EQ(histogram.bars[0].y, 3);  // 100 on each day, not the twelve zeros of the 4th
}

// ZR01 counted 50 an hour on 3 and 4 January 2005 but nothing from 07:00 to 22:59 on the 3rd;
// MH01 counted 50 an hour on the 3rd and only zeros in the morning of the 4th.
TEST(ChartDataCritical, DailyGraphAndGridCarryThePickedCriticalDaysWithTheirReasons) {
  test::Day zeroRun{};
  zeroRun.fill(50);
  std::fill(zeroRun.begin() + 7, zeroRun.begin() + 23, 0);
  const test::Day steady = test::spread(24 * 50);
  const ATRTable table = test::tableOf(
      dayLines("ZR01", day(2005, 1, 3), zeroRun) + dayLines("ZR01", day(2005, 1, 4), steady) +
      dayLines("MH01", day(2005, 1, 3), steady) +
      test::countLine('1', "010405", "MH01", test::rising(0, 0)) + "\r\n");
  const CheckResults checks = RunDataChecks(table);
  const CriticalDay zeros{0, day(2005, 1, 3), "ZERO_RUN: 16 zero hours from 07:00"};
  const std::string halfZero =
      "MISSING_HOURS: 12 hours not counted (12:00 to 23:59)\nZERO_RUN: 12 zero hours from 00:00";
  const struct {
    PlotSelection selection;
    std::vector<CriticalDay> expected;
  } cases[] = {
      {pick(table, {0, 1}, {1, 0}), {zeros, {1, day(2005, 1, 4), halfZero}}},
      {pick(table, {1}, {0, 1}), {{0, day(2005, 1, 4), halfZero}}},  // rows count picked stations
      {pick(table, {0}, {1}), {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(dailyVolumeChart(table, c.selection, SeriesKind::Line, checks).criticalDays,
              c.expected);
    EXPECT_EQ(volumeColorGrid(table, c.selection, checks).criticalDays, c.expected);
  }
  EXPECT_TRUE(volumeColorGrid(table, cases[0].selection, CheckResults()).criticalDays.empty());
}

}  // namespace
}  // namespace ostrilo

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/charts/ChartData.h"
#include "core/checks/DataChecks.h"
#include "core/register/StationRegister.h"
#include "tests/support/SelectionTestSupport.h"

namespace ostrilo {

void PrintTo(const ShadedSpan& s, std::ostream* os) { *os << s.from << ".." << s.to; }

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

// The daily chart's points lie at midnight with the full total: 24 hours of 2000 + 100 d + h add
// up to 24 (2000 + 100 d) + 276, beyond 16 bits. A grid scale below zero or of nothing picked; a
// histogram of pairs.
TEST_F(ChartDataTest, DailyChartGridBelowZeroAndHistogramOfSeveralPairs) {
  const LineChart daily =
      dailyVolumeChart(table, pick(table, {2}, {0, 1}), SeriesKind::Area, CheckResults());
  ASSERT_EQ(daily.series.size(), 1u);
  EXPECT_EQ(daily.series[0].points,
            (std::vector<ChartPoint>{{kDates[0], 48276}, {kDates[1], 50676}}));
  const Histogram histogram = volumeHistogram(table, pick(table, {0, 2}, {0, 2}));
  EXPECT_EQ(histogram.counted, 96);
  EXPECT_EQ(histogram.width, 100);  // 0 to 2223: 30 bins of 74.1 would do
  EXPECT_EQ(histogram.bars.size(), 23u);
  const ATRTable negative = test::tableOf(dayLines("NEG1", kDates[0], ramp(-10, -1)));
  const ColorGrid below = volumeColorGrid(negative, pick(negative, {0}, {0}), CheckResults());
  EXPECT_EQ(below.lowest, -33);
  EXPECT_EQ(below.highest, -10);
  const ColorGrid none = volumeColorGrid(table, pick(table, {0}, {}), CheckResults());
  EXPECT_EQ(none.lowest, 0);
  EXPECT_EQ(none.highest, 0);
}

// Hour 0 holds low, hour 1 high and every other hour base.
test::Day twoPeaks(int low, int high, int base = 0) {
  test::Day v{};
  v.fill(base);
  v[0] = low;
  v[1] = high;
  return v;
}

// One pair's volumes binned: the round width whose 30 bins take the range, edges at its
// multiples, bars up to the largest volume's bin.
TEST(VolumeHistogram, BinsThePickedVolumesInRoundWidths) {
  const struct {
    test::Day volumes;
    std::int32_t edge, width;
    std::size_t bars;
    std::vector<std::pair<int, int>> binCounts;  // bins worth checking
  } cases[] = {// 230 / 30 = 7.67: not 5, 10; a bin holds its lower edge.
               {ramp(0, 10), 0, 10, 24, {{8, 1}, {23, 1}}},
               // 1003 to 1164 in tens: the first edge is 1000, not 1003.
               {ramp(1003, 7), 1000, 10, 17, {{0, 1}, {1, 2}, {2, 1}, {16, 1}}},
               {twoPeaks(-30, 31), -30, 5, 13, {{0, 1}, {6, 22}, {12, 1}}},
               {twoPeaks(0, 45), 0, 2, 23, {{0, 23}, {22, 1}}},
               {twoPeaks(0, 60), 0, 2, 31, {{30, 1}}},  // 30 bins of 2 take 60 exactly
               {twoPeaks(0, 61), 0, 5, 13, {{12, 1}}},
               {twoPeaks(0, 31), 0, 2, 16, {{15, 1}}},
               {twoPeaks(0, 30), 0, 1, 31, {{30, 1}}},
               {twoPeaks(-201, -201, 5), -210, 10, 22, {{0, 2}, {21, 22}}},
               {twoPeaks(0, 4110), 0, 200, 21, {{0, 23}, {20, 1}}}};  // not 137
  for (const auto& c : cases) {
    const ATRTable table = test::tableOf(dayLines("HST1", day(2005, 1, 3), c.volumes));
    const Histogram histogram = volumeHistogram(table, pick(table, {0}, {0}));
    SCOPED_TRACE(c.width);
    EXPECT_EQ(histogram.smallest, c.edge);
    EXPECT_EQ(histogram.width, c.width);
    EXPECT_EQ(histogram.counted, 24);
    ASSERT_EQ(histogram.bars.size(), c.bars);
    EXPECT_EQ(histogram.bars.back().x, c.edge + (c.bars - 1.0) * c.width);
    for (const auto& [bin, count] : c.binCounts) {
      EXPECT_EQ(histogram.bars[static_cast<std::size_t>(bin)].y, count) << "bin " << bin;
    }
  }
  const ATRTable table = test::tableOf(dayLines("HST1", day(2005, 1, 3), ramp(0, 1)));
  const Histogram none = volumeHistogram(table, pick(table, {0}, {}));
  EXPECT_EQ(none.bars.size(), 31u);
  EXPECT_EQ(none.bars.front(), (ChartPoint{31000, 0}));
}

// Titles keep the chart's name on their first line; the second names the one station (by the
// register's name too) or counts them, with the first and last picked date in calendar order.
TEST_F(ChartDataTest, TitlesNameTheStationsAndThePeriod) {
  const StationRegister names = StationRegister::parse("station,name\nBBBB,Alt-Moabit\n", "r");
  const struct {
    PlotSelection selection;
    const StationRegister* names;
    std::string second;
  } cases[] = {
      {pick(table, {1}, {2, 0}), &names, "BBBB  Alt-Moabit, 2005-01-03 to 2005-01-06"},
      {pick(table, {1}, {1}), nullptr, "BBBB, 2005-01-04"},
      {pick(table, {0}, {1}), &names, "AAAA, 2005-01-04"},
      {pick(table, {0, 1, 2}, {0, 1}), &names, "3 stations, 2005-01-03 to 2005-01-04"},
      {pick(table, {1}, {}), nullptr, "BBBB"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(hourlyVolumeChart(table, c.selection, SeriesKind::Line, c.names).title,
              "Hourly Volume Plot of Stations \n" + c.second);
    EXPECT_EQ(dailyVolumeChart(table, c.selection, SeriesKind::Line, CheckResults(), c.names).title,
              "Daily Volume Plot of Stations \n" + c.second);
    EXPECT_EQ(volumeColorGrid(table, c.selection, CheckResults(), c.names).title,
              "Hourly Volume Color Grid Plot\n" + c.second);
    EXPECT_EQ(volumeHistogram(table, c.selection, c.names).title,
              "Hourly Volume Histogram\n" + c.second);
  }
  const ATRTable accented = test::tableOf(dayLines("B\xE4R1", kDates[0], {}));
  EXPECT_EQ(hourlyVolumeChart(accented, pick(accented, {0}, {0}), SeriesKind::Line).title,
            "Hourly Volume Plot of Stations \nB\xC3\xA4R1, 2005-01-03");
}

// A flagged day whose neighbours the table lacks still gets a week: the axis, the period in the
// title and the weekend of the seven days.
TEST(ChartDataSpans, FlagGraphSpansTheWeekAroundTheDay) {
  const DateNumber flagged = day(2005, 1, 4);  // a Tuesday
  const ATRTable table =
      test::tableOf(dayLines("AAAA", flagged, ramp(1, 0)) + dayLines("FLG1", flagged, ramp(5, 0)));
  EXPECT_EQ(daysAroundFlag(flagged + 0.75), (DayRange{flagged - 3, flagged + 3}));
  const PlotSelection around = selectionAroundFlag(table, "FLG1", flagged);
  const LineChart chart = flagVolumeChart(table, around, flagged, SeriesKind::Line);
  EXPECT_EQ(chart.series.at(0).points.size(), 24u);
  EXPECT_EQ(chart.period, (DayRange{flagged - 3, flagged + 3}));
  EXPECT_EQ(chart.title, "Hourly Volume Plot of Stations \nFLG1, 2005-01-01 to 2005-01-07");
  EXPECT_EQ(chart.shaded, (std::vector<ShadedSpan>{{flagged - 3, flagged - 1, SpanKind::Weekend}}));
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

// Uncounted hours and incomplete days are gaps; dates that do not follow on break the line. Each
// break lies midway between the last point before it in time and the first after it, and
// follows the points of the earlier date.
TEST(ChartDataGaps, LineChartsGapAndBreak) {
  const ATRTable table = gapTable();
  const struct {
    bool daily;
    PlotSelection picked;          // dates by list position
    std::size_t points, firstGap;  // the gaps run from firstGap to the end
    double breakAt;                // x of the break between dates, the last gap; 0 for none
  } cases[] = {{false, pick(table, {0}, {1, 2}), 48, 36, 0},
               {false, pick(table, {0}, {0, 1, 2}), 73, 60, day(2005, 1, 5) + 11.5 / 24},
               {false, pick(table, {0}, {0, 1}), 49, 48, day(2005, 1, 4) + 23.5 / 24},
               {true, pick(table, {0}, {0, 1, 2}), 4, 2, day(2005, 1, 5)},
               {true, pick(table, {0}, {0, 1}), 3, 2, day(2005, 1, 4) + 0.5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.points);
    const LineChart chart =
        c.daily ? dailyVolumeChart(table, c.picked, SeriesKind::Line, CheckResults())
                : hourlyVolumeChart(table, c.picked, SeriesKind::Line);
    const std::vector<ChartPoint>& points = chart.series.at(0).points;
    ASSERT_EQ(points.size(), c.points);
    for (std::size_t n = 0; n < points.size(); ++n)
      EXPECT_EQ(isGap(points[n]), n >= c.firstGap) << n;
    if (c.breakAt != 0) {
      EXPECT_DOUBLE_EQ(points.back().x, c.breakAt);
    }
  }
  // The period, which the title and the shading follow, runs in calendar order.
  EXPECT_EQ(hourlyVolumeChart(table, pick(table, {0}, {0, 1}), SeriesKind::Line).period,
            (DayRange{day(2005, 1, 3), day(2005, 1, 6)}));
}

}  // namespace
}  // namespace ostrilo

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "../plot/SelectionTestSupport.h"
#include "stats/StationStats.h"

namespace ostrilo {

inline void PrintTo(const StationStat& s, std::ostream* os) {
  *os << s.AtrId << ": " << s.ADT << ' ' << s.MinDT << ' ' << s.MaxDT << ' ' << s.SD << ' '
      << s.AWDDT << ' ' << s.AWEDT;
}

namespace {

using test::day;
using test::dayLines;
using test::pick;
using test::spread;

// January 2005: the 3rd is a Monday, the 7th a Friday.
const DateNumber kMon3 = day(2005, 1, 3);
const DateNumber kTue4 = day(2005, 1, 4);
const DateNumber kFri7 = day(2005, 1, 7);
const DateNumber kSat8 = day(2005, 1, 8);
const DateNumber kSun9 = day(2005, 1, 9);
const DateNumber kMon10 = day(2005, 1, 10);

struct StatCase {
  const char* name;
  std::vector<std::pair<DateNumber, int>> dailyTotals;  // of the one station, all picked
  StationStat expected;
};

void PrintTo(const StatCase& c, std::ostream* os) { *os << c.name; }

class StationFiguresTest : public ::testing::TestWithParam<StatCase> {};

TEST_P(StationFiguresTest, OverEveryPickedDate) {
  std::string text;
  for (const auto& [date, total] : GetParam().dailyTotals)
    text += dayLines("STA1", date, spread(total));
  const ATRTable table = test::tableOf(text);
  PlotSelection selection = pick(table, {0}, {});
  selection.dates.selected.assign(selection.dates.selected.size(), true);
  EXPECT_EQ(ComputeStationStats(table, selection), StatResults{GetParam().expected});
}

INSTANTIATE_TEST_SUITE_P(
    DailyTotals, StationFiguresTest,
    ::testing::Values(
        StatCase{"WorkedExample",
                 {{kFri7, 1000}, {kSat8, 600}, {kSun9, 500}, {kMon10, 1100}},
                 {"STA1", 800, 500, 1100, 255, 1050, 550}},
        StatCase{"HalfRoundsDownToEven", {{kMon3, 2}, {kTue4, 3}}, {"STA1", 2, 2, 3, 1, 2, 0}},
        StatCase{"HalfRoundsUpToEven", {{kMon3, 3}, {kTue4, 4}}, {"STA1", 4, 3, 4, 1, 4, 0}},
        StatCase{"OnlyWeekend", {{kSat8, 600}, {kSun9, 500}}, {"STA1", 550, 500, 600, 50, 0, 550}},
        StatCase{"OnlyWeekdays",
                 {{kFri7, 1000}, {kMon10, 1100}},
                 {"STA1", 1050, 1000, 1100, 50, 1050, 0}},
        StatCase{"Zeros", {{kFri7, 0}, {kSat8, 0}}, {"STA1", 0, 0, 0, 0, 0, 0}},
        StatCase{"Negatives", {{kMon3, -100}, {kTue4, -50}}, {"STA1", -75, -100, -50, 25, -75, 0}},
        StatCase{
            "NegativeHalfRoundsToEven", {{kMon3, -2}, {kTue4, -3}}, {"STA1", -2, -3, -2, 1, -2, 0}},
        StatCase{"FreewayTotals",
                 {{kMon3, 786408}, {kTue4, 500000}, {kSat8, 250000}},
                 {"STA1", 512136, 250000, 786408, 219156, 643204, 250000}}),
    [](const auto& info) { return std::string(info.param.name); });

class StationStatsTest : public ::testing::Test {
 protected:
  // Three stations over two dates, every daily total telling station and date apart, so that
  // a station index taken for a date index shows.
  void SetUp() override {
    std::string text;
    for (int d = 0; d < 2; ++d) {
      for (int s = 0; s < 3; ++s) {
        text += dayLines(kNames[s], d == 0 ? kMon3 : kSat8, spread(1000 * (s + 1) + 100 * d));
      }
    }
    table = test::tableOf(text);
  }
  static constexpr const char* kNames[] = {"CCCC", "AAAA", "BBBB"};
  ATRTable table;
};

TEST_F(StationStatsTest, RecordsFollowStationListOrder) {
  const StatResults expected{{"CCCC", 1050, 1000, 1100, 50, 1000, 1100},
                             {"BBBB", 3050, 3000, 3100, 50, 3000, 3100}};
  EXPECT_EQ(ComputeStationStats(table, pick(table, {2, 0}, {1, 0})), expected);
}

TEST_F(StationStatsTest, NoPickedDateGivesZeroFigures) {
  const StatResults expected{{"AAAA", 0, 0, 0, 0, 0, 0}};
  EXPECT_EQ(ComputeStationStats(table, pick(table, {1}, {})), expected);
}

TEST(StationStats, SumsBeyondThirtyTwoBitsStayExact) {
  // 3000 days of 786,408 vehicles add up to more than 2^31.
  std::string text;
  for (int d = 0; d < 3000; ++d) text += dayLines("FWY1", kMon3 + d, spread(786408));
  const ATRTable table = test::tableOf(text);
  PlotSelection selection = pick(table, {0}, {});
  selection.dates.selected.assign(3000, true);
  const StatResults expected{{"FWY1", 786408, 786408, 786408, 0, 786408, 786408}};
  EXPECT_EQ(ComputeStationStats(table, selection), expected);
}

TEST(RoundHalfEven, RoundsToNearestAndHalvesToEven) {
  const std::vector<std::pair<double, int>> cases{
      {2.5, 2},   {3.5, 4},  {1050.5, 1050}, {0.5, 0},      {-2.5, -2},
      {-3.5, -4}, {2.49, 2}, {2.51, 3},      {254.95, 255}, {-0.4, 0}};
  for (const auto& [value, rounded] : cases) EXPECT_EQ(roundHalfEven(value), rounded) << value;
}

constexpr const char* kHeader = "ATR ID, ADT, Min DT, Max DT, SD, AWDDT, AWEDT\r\n";

TEST(BuildStatsCsvText, NoRecordsGiveTheHeaderAlone) { EXPECT_EQ(BuildStatsCsvText({}), kHeader); }

TEST(BuildStatsCsvText, RecordsArePlainIntegersSeparatedByCommaAndTwoBlanks) {
  const StatResults rows{{"S1", 800, 500, 1100, 255, 1050, 550},
                         {"S2", -25, -100, 250000, 0, 786408, -1}};
  EXPECT_EQ(BuildStatsCsvText(rows), std::string(kHeader) +
                                         "S1,  800,  500,  1100,  255,  1050,  550\r\n"
                                         "S2,  -25,  -100,  250000,  0,  786408,  -1\r\n");
}

using NameField = std::pair<std::string, std::string>;
class CsvNameTest : public ::testing::TestWithParam<NameField> {};

TEST_P(CsvNameTest, NameStaysInItsColumn) {
  const auto& [name, field] = GetParam();
  EXPECT_EQ(BuildStatsCsvText({{name, 1, 2, 3, 4, 5, 6}}),
            kHeader + field + ",  1,  2,  3,  4,  5,  6\r\n");
}

INSTANTIATE_TEST_SUITE_P(Names, CsvNameTest,
                         ::testing::Values(NameField{"S1", "S1"}, NameField{" S 1", " S 1"},
                                           NameField{"\xC4\xE9\xFF\x80", "\xC4\xE9\xFF\x80"},
                                           NameField{"a,b", "\"a,b\""},
                                           NameField{"a\"b", "\"a\"\"b\""},
                                           NameField{"a\r\nb", "\"a\r\nb\""},
                                           NameField{"a\nb", "\"a\nb\""},
                                           NameField{"a\rb", "\"a\rb\""}));

}  // namespace
}  // namespace ostrilo

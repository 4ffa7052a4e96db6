#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/export/TableExports.h"
#include "core/stats/StationStats.h"
#include "tests/support/SelectionTestSupport.h"

namespace ostrilo {

inline void PrintTo(const StationStat& s, std::ostream* os) { *os << BuildStatsCsvText({s}); }

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
constexpr std::nullopt_t kEmpty = std::nullopt;

// The table of one station "STA1" with the daily totals, every date picked.
StatResults statsOf(const std::vector<std::pair<DateNumber, int>>& dailyTotals) {
  std::string text;
  for (const auto& [date, total] : dailyTotals) text += dayLines("STA1", date, spread(total));
  const ATRTable table = test::tableOf(text);
  PlotSelection selection = pick(table, {0}, {});
  selection.dates.selected.assign(selection.dates.selected.size(), true);
  return ComputeStationStats(table, selection);
}

// The worked example; Min and Max are the true values, means round halves to even, a mean over
// no day is empty.
TEST(StationStats, FiguresOverEveryPickedDate) {
  const std::pair<std::vector<std::pair<DateNumber, int>>, StationStat> cases[] = {
      {{{kFri7, 1000}, {kSat8, 600}, {kSun9, 500}, {kMon10, 1100}},
       {"STA1", 800, 500, 1100, 255, 1050, 550, 4}},
      {{{kMon3, 2}, {kTue4, 3}}, {"STA1", 2, 2, 3, 1, 2, kEmpty, 2}},
      {{{kMon3, 3}, {kTue4, 4}}, {"STA1", 4, 3, 4, 1, 4, kEmpty, 2}},
      {{{kSat8, 600}, {kSun9, 500}}, {"STA1", 550, 500, 600, 50, kEmpty, 550, 2}},
      {{{kMon3, -100}, {kTue4, -50}}, {"STA1", -75, -100, -50, 25, -75, kEmpty, 2}},
      {{{kMon3, 786408}, {kTue4, 500000}, {kSat8, 250000}},
       {"STA1", 512136, 250000, 786408, 219156, 643204, 250000, 3}}};
  for (const auto& [dailyTotals, expected] : cases) {
    EXPECT_EQ(statsOf(dailyTotals), StatResults{expected});
  }
}

// Daily totals tell station and date apart, so a station index taken for a date index shows,
// also in the days to leave out.
TEST(StationStats, RecordsFollowStationListOrderOverThePickedDates) {
  std::string text;
  const char* names[] = {"CCCC", "AAAA", "BBBB"};
  for (int d = 0; d < 2; ++d) {
    for (int s = 0; s < 3; ++s) {
      text += dayLines(names[s], d == 0 ? kMon3 : kSat8, spread(1000 * (s + 1) + 100 * d));
    }
  }
  const ATRTable table = test::tableOf(text);
  const StatResults expected{{"CCCC", 1050, 1000, 1100, 50, 1000, 1100, 2},
                             {"BBBB", 3050, 3000, 3100, 50, 3000, 3100, 2}};
  EXPECT_EQ(ComputeStationStats(table, pick(table, {2, 0}, {1, 0})), expected);
  std::vector<bool> leaveOut(6, false);
  leaveOut[2] = true;  // BBBB on the Monday: record 3 x 0 + 2
  const StatResults without{expected[0], {"BBBB", 3100, 3100, 3100, 0, kEmpty, 3100, 1}};
  EXPECT_EQ(ComputeStationStats(table, pick(table, {2, 0}, {1, 0}), leaveOut), without);
  EXPECT_EQ(ComputeStationStats(table, pick(table, {1}, {})),
            (StatResults{{"AAAA", kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, 0}}));
}

TEST(StationStats, SumsBeyondThirtyTwoBitsStayExact) {
  std::vector<std::pair<DateNumber, int>> days;  // 3000 x 786,408 > 2^31
  for (int d = 0; d < 3000; ++d) days.emplace_back(kMon3 + d, 786408);
  EXPECT_EQ(statsOf(days),
            (StatResults{{"STA1", 786408, 786408, 786408, 0, 786408, 786408, 3000}}));
}

// Two New York weeks in one table: station 1001 was counted in the first only. Figures
// checked by hand from the file's lines.
TEST(StationStats, RealStationOverItsCountedWeek) {
  const ATRTable table =
      test::tableOfFiles(OSTRILO_REALDATA_DIR, {"ATR20121013w2.dat", "ATR20121020w3.dat"});
  PlotSelection selection = pick(table, {table.ulstName().Index("1001")}, {});
  selection.dates.selected.assign(selection.dates.selected.size(), true);
  EXPECT_EQ(ComputeStationStats(table, selection),
            (StatResults{{"1001", 5477, 4522, 6008, 433, 5688, 4949, 7}}));
}

TEST(BuildStatsCsvText, PlainIntegersAfterCommaAndTwoBlanksEmptyFiguresAndQuotedNames) {
  const StatResults rows{{" S 1", 800, 500, 1100, 255, 1050, 550, 4},
                         {"a,b", -25, -100, 250000, 0, 786408, -1, 2},
                         {"a\"b", kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, 0},
                         {"a\r\nb", 6, 6, 6, 0, kEmpty, 6, 1}};
  EXPECT_EQ(BuildStatsCsvText(rows),
            "ATR ID, ADT, Min DT, Max DT, SD, AWDDT, AWEDT, Days\r\n"
            " S 1,  800,  500,  1100,  255,  1050,  550,  4\r\n"
            "\"a,b\",  -25,  -100,  250000,  0,  786408,  -1,  2\r\n"
            "\"a\"\"b\",  ,  ,  ,  ,  ,  ,  0\r\n"
            "\"a\r\nb\",  6,  6,  6,  0,  ,  6,  1\r\n");
}

}  // namespace
}  // namespace ostrilo

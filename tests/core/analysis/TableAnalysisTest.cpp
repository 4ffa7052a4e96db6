#include <gtest/gtest.h>

#include <algorithm>

#include "core/analysis/TableAnalysis.h"
#include "tests/support/SelectionTestSupport.h"

namespace ostrilo::test {
namespace {

bool flagged(const CheckResults& checks, CheckCode code, DateNumber date) {
  return std::any_of(checks.flags().begin(), checks.flags().end(),
                     [&](const CheckFlag& f) { return f.code == code && f.day == date; });
}

TEST(TableAnalysis, RunsTheChecksOncePerChangeOfTableOrCalendar) {
  // Christmas Day 2023 is a Monday; the second day later counts nothing but zeros.
  ATRTable table = tableOf(dayLines("STA1", day(2023, 12, 25), spread(2400)) +
                           dayLines("STA1", day(2023, 12, 26), spread(2400)));
  TableAnalysis analysis;
  EXPECT_EQ(analysis.criticalDays(table), std::vector<bool>({false, false}));
  (void)analysis.checks(table);
  EXPECT_EQ(analysis.runs(), 1);

  // Same dimensions, other counts: only invalidate() tells the analysis.
  table = tableOf(dayLines("STA1", day(2023, 12, 25), spread(2400)) +
                  dayLines("STA1", day(2023, 12, 26), spread(0)));
  EXPECT_EQ(analysis.criticalDays(table), std::vector<bool>({false, false}));
  analysis.invalidate();
  EXPECT_EQ(analysis.criticalDays(table), std::vector<bool>({false, true}));
  EXPECT_EQ(analysis.runs(), 2);

  // Other dimensions are noticed without it.
  table = tableOf(dayLines("STA1", day(2023, 12, 25), spread(0)));
  EXPECT_EQ(analysis.criticalDays(table), std::vector<bool>({true}));
  EXPECT_EQ(analysis.runs(), 3);

  EXPECT_FALSE(flagged(analysis.checks(table), CheckCode::Holiday, day(2023, 12, 25)));
  analysis.setHolidays(*HolidayCalendar::builtIn("de-be"));
  EXPECT_TRUE(flagged(analysis.checks(table), CheckCode::Holiday, day(2023, 12, 25)));
  EXPECT_EQ(analysis.runs(), 4);

  // Two directions at 3,000 and 1,000 vehicles: a 75/25 split, seen once the road is known.
  table = tableOf(dayLines("STA1", day(2023, 12, 27), spread(3000)) +
                  dayLines("STA2", day(2023, 12, 27), spread(1000)));
  EXPECT_FALSE(flagged(analysis.checks(table), CheckCode::DirectionSplit, day(2023, 12, 27)));
  analysis.setRoads({Road{"A1", {"STA1", "STA2"}, {"N", "S"}}});
  EXPECT_TRUE(flagged(analysis.checks(table), CheckCode::DirectionSplit, day(2023, 12, 27)));
}

}  // namespace
}  // namespace ostrilo::test

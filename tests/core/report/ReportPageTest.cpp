#include <gtest/gtest.h>

#include <tuple>

#include "core/register/StationRegister.h"
#include "core/report/ReportPage.h"
#include "tests/support/AnnualTestSupport.h"
#include "tests/support/SelectionTestSupport.h"

namespace ostrilo {
namespace {

using test::day;
using test::dayLines;
using test::spread;

// Fri 7 to Tue 11 January 2005 at SA01: totals 1000, 600, 500, 1100 spread evenly (hour 0 takes
// the rest), and a Tuesday of 24,000 whose first eight hours are zero, a critical day.
ATRTable week() {
  test::Day dead = spread(24000);
  std::fill_n(dead.begin(), 8, 0);
  const int totals[] = {1000, 600, 500, 1100};
  std::string text;
  for (int d = 0; d < 4; ++d) text += dayLines("SA01", day(2005, 1, 7 + d), spread(totals[d]));
  return test::tableOf(text + dayLines("SA01", day(2005, 1, 11), dead));
}

// Every figure worked by hand from the hours above: weekday hours 0 = (57 + 65) / 2 = 61 and
// 43 elsewhere (a day of 1050); weekend hour 0 = (25 + 40) / 2 = 32.5 and 22.5 elsewhere (550),
// halves going to even; the commuter windows' first hours win their ties. The critical Tuesday is
// left out of the profiles, not of the statistics.
TEST(ReportPages, FiguresAndTextsOfAStationPage) {
  const ATRTable table = week();
  const StationRegister names = StationRegister::parse(
      "station,name,location,direction,lanes\nSA01,Ring,North gate,N,2\n", "r");
  const std::vector<ReportPage> pages = reportPages(table, test::pick(table, {0}, {0, 1, 2, 3, 4}),
                                                    {"a.dat", "b.dat", "c.dat", "d.dat"}, &names);
  ASSERT_EQ(pages.size(), 1u);
  const ReportPage& page = pages[0];
  EXPECT_EQ(page.title, "Station SA01  Ring");
  EXPECT_EQ(page.location, "North gate");
  EXPECT_EQ(page.details, "direction: N; lanes: 2");
  EXPECT_EQ(page.period, "Period 2005-01-07 to 2005-01-11 (5 dates picked)");
  EXPECT_EQ(page.sources, "From 4 files: a.dat ... d.dat");

  EXPECT_EQ(page.weekday.days, 2);
  EXPECT_DOUBLE_EQ(page.weekday.mean[0], 61);
  EXPECT_DOUBLE_EQ(page.weekday.mean[23], 43);
  EXPECT_EQ(page.weekdayPeaks,
            "Weekday (2 days): AM peak 06:00, 43 veh (4.1 %); PM peak 15:00, 43 veh (4.1 %)");
  EXPECT_EQ(page.weekendPeaks,
            "Weekend day (2 days): AM peak 06:00, 22 veh (4.1 %); PM peak 15:00, 22 veh (4.1 %)");
  // ADT (1000 + 600 + 500 + 1100 + 16000) / 5; the Tuesday is the minimum's opposite.
  EXPECT_EQ(page.statistics[0], "3840");
  EXPECT_EQ(page.statistics[1], "500");
  EXPECT_EQ(page.statistics[2], "16000");
  EXPECT_EQ(page.statistics[6], "5");

  EXPECT_EQ(page.annual, std::vector<std::string>{"The period holds no whole calendar year."});
  EXPECT_TRUE(page.checks.starts_with("1 critical day")) << page.checks;
  ASSERT_EQ(page.worstDays.size(), 1u);
  EXPECT_TRUE(page.worstDays[0].starts_with("2005-01-11  ")) << page.worstDays[0];
  EXPECT_TRUE(page.moreCritical.empty());
}

// The synthetic year holds AADT 10,000 over all 84 cells; a page lists it as a whole year.
TEST(ReportPages, AWholeYearGetsItsAnnualLine) {
  const ATRTable table = test::tableOf(test::syntheticYear("SYN1"));
  PlotSelection all = test::pick(table, {0}, {});
  all.dates.selected.assign(all.dates.selected.size(), true);
  const std::vector<ReportPage> pages = reportPages(table, all, {}, nullptr);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].sources, "From (not saved)");
  ASSERT_EQ(pages[0].annual.size(), 1u);
  EXPECT_TRUE(pages[0].annual[0].starts_with(
      "2023: AADT 10000 (84 of 84 month-weekday cells covered, 365 valid days)"))
      << pages[0].annual[0];
}

TEST(WholeYears, OnlyYearsFromTheFirstOfJanuaryToTheLastOfDecember) {
  const std::tuple<DateNumber, DateNumber, std::vector<int>> cases[] = {
      {day(2022, 12, 31), day(2024, 1, 1), {2023}},
      {day(2023, 1, 1), day(2023, 12, 31), {2023}},
      {day(2023, 1, 2), day(2023, 12, 31), {}},
      {day(2023, 1, 1), day(2023, 12, 30), {}},
      {day(2021, 1, 1), day(2023, 12, 31), {2021, 2022, 2023}},
  };
  for (const auto& [first, last, years] : cases) {
    EXPECT_EQ(wholeYears({last, first}), years) << isoDate(first) << " " << isoDate(last);
  }
}

}  // namespace
}  // namespace ostrilo

#include <gtest/gtest.h>

#include <tuple>

#include "core/calendar/HolidayCalendar.h"
#include "core/checks/DataChecks.h"
#include "core/register/StationRegister.h"
#include "core/report/ReportPage.h"
#include "tests/support/AnnualTestSupport.h"
#include "tests/support/SelectionTestSupport.h"

namespace ostrilo::test {
namespace {

// Hour h carries k x (h + 1): a day of 300 k, no two hours alike, its peak the last hour of any
// window.
test::Day rising(int k) {
  test::Day v{};
  for (int h = 0; h < kHoursPerDay; ++h) v[static_cast<std::size_t>(h)] = k * (h + 1);
  return v;
}

// Fri 7 to Thu 13 January 2005 at SA01: k = 3, 2, 1, 4 from Friday to Monday (900, 600, 300,
// 1200), an all-zero Tuesday and Thursday around a Wednesday of the morning half only.
ATRTable week() {
  std::string text;
  const int k[] = {3, 2, 1, 4};
  for (int d = 0; d < 4; ++d) text += dayLines("SA01", day(2005, 1, 7 + d), rising(k[d]));
  text += dayLines("SA01", day(2005, 1, 11), test::Day{});
  const std::string wednesday = dayLines("SA01", day(2005, 1, 12), rising(1));
  text += wednesday.substr(0, wednesday.find('\n') + 1);
  return test::tableOf(text + dayLines("SA01", day(2005, 1, 13), test::Day{}));
}

PlotSelection allOf(const ATRTable& table) {
  PlotSelection all = test::pick(table, {0}, {});
  all.dates.selected.assign(all.dates.selected.size(), true);
  return all;
}

// Worked by hand over the four valid days (the zero days are faults, the Wednesday is
// incomplete): ADT (900 + 600 + 300 + 1200) / 4 = 750, SD sqrt(450000 / 4) = 335.4; the weekday
// mean is 3.5 (h + 1) of a 1050 day, the weekend 1.5 (h + 1) of a 450 day.
TEST(ReportPages, EveryFigureRestsOnTheValidDays) {
  const ATRTable table = week();
  const StationRegister names = StationRegister::parse(
      "station,name,location,direction,lanes\nSA01,Ring,North gate,N,2\n", "r");
  const std::vector<std::string> files{"/x/a.dat", "b.dat", "/y/z/c.dat", "/d.dat"};
  const ReportPage page =
      reportPages(table, runDataChecks(table), allOf(table), files, &names).at(0);
  EXPECT_EQ(page.title, "Station SA01  Ring");
  EXPECT_EQ(page.location, "North gate");
  EXPECT_EQ(page.details, "direction: N; lanes: 2");
  EXPECT_EQ(std::tuple(page.firstDay, page.lastDay, page.datesPicked),
            std::tuple(day(2005, 1, 7), day(2005, 1, 13), 7));
  EXPECT_EQ(std::tuple(page.sources, page.sourceCount),
            std::tuple(std::vector<std::string>{"a.dat", "d.dat"}, 4u));
  EXPECT_EQ(page.days, (CompletenessCounts{7, 6, 1, 2}));
  EXPECT_EQ(page.warningDays, 0);

  const StationStat& s = page.statistics;
  EXPECT_EQ(std::tuple(s.ADT, s.MinDT, s.MaxDT, s.SD, s.AWDDT, s.AWEDT, s.Days),
            std::tuple(750, 300, 1200, 335, 1050, 450, 4));

  const std::tuple<const ReportProfile&, int, double, double, double> profiles[] = {
      {page.weekday, 2, 35, 66.5, 1050}, {page.weekend, 2, 15, 28.5, 450}};
  for (const auto& [profile, days, am, pm, total] : profiles) {
    EXPECT_EQ(std::tuple(profile.days, profile.am.hour, profile.pm.hour), std::tuple(days, 9, 18));
    EXPECT_DOUBLE_EQ(profile.mean[0], total / 300);
    EXPECT_EQ(std::tuple(profile.am.volume, profile.pm.volume), std::tuple(am, pm));
    EXPECT_NEAR(profile.am.sharePct, 100 * am / total, 1e-9);
    EXPECT_NEAR(profile.pm.sharePct, 100 * pm / total, 1e-9);
  }

  // An all-zero day is no ZERO_RUN; January holds no valid Tuesday, Wednesday or Thursday.
  CheckCounts flags{};
  flags[static_cast<int>(CheckCode::MissingHours)] = 1;
  flags[static_cast<int>(CheckCode::ZeroDay)] = 2;
  flags[static_cast<int>(CheckCode::MissingWeekday)] = 3;
  EXPECT_EQ(page.flags, flags);
  // In date order, the month's flags first; the incomplete Wednesday neither breaks the outage
  // nor is listed among the faults.
  ASSERT_EQ(page.episodes.size(), 4u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(page.episodes[i].code, CheckCode::MissingWeekday);
  const FlagEpisode& outage = page.episodes[3];
  EXPECT_EQ(std::tuple(outage.code, outage.firstDay, outage.lastDay, outage.days),
            std::tuple(CheckCode::ZeroDay, day(2005, 1, 11), day(2005, 1, 13), 2));
  EXPECT_EQ(std::tuple(page.moreEpisodes, page.annual.size()), std::tuple(0u, 0u));
  EXPECT_EQ(page.windows, kCommuterWindows);
}

TEST(ReportPages, ThePeaksFollowTheWindowsAsked) {
  const ATRTable table = week();
  HolidayCalendar berlin = *HolidayCalendar::builtIn("de-be");
  berlin.addDays("2005-01-10,Test day\n", "extra.csv");
  CheckOptions options;
  options.holidays = &berlin;
  const ReportPage page =
      reportPages(table, runDataChecks(table, options), allOf(table), {}, nullptr, {kNoonWindows})
          .at(0);
  EXPECT_EQ(page.windows, kNoonWindows);
  EXPECT_EQ(page.holidays, "de-be");
  // The holiday's flag is information: no warning day, no episode left unlisted.
  EXPECT_EQ(std::tuple(page.warningDays, page.moreEpisodes), std::tuple(0, 0u));
  EXPECT_EQ(std::tuple(page.weekday.am.hour, page.weekday.pm.hour), std::tuple(11, 23));
  EXPECT_DOUBLE_EQ(page.weekday.pm.volume, 3.5 * 24);
}

// The synthetic year holds AADT 10,000 over all 84 cells; 1 March, its first eight hours zero,
// is a fault that still carries traffic, and leaves its cell four other Wednesdays; 14 June is
// not picked. So the AADT stands on 363 valid days. The 30th highest hour is counted here from
// the hours themselves.
TEST(ReportPages, AWholeYearOverItsValidDays) {
  const DateNumber dead = day(2023, 3, 1), unpicked = day(2023, 6, 14);
  const ATRTable table =
      test::tableOf(test::syntheticYear("SYN1", [&](DateNumber d, const std::string& lines) {
        if (d != dead) return lines;
        test::Day hours = test::syntheticHours(test::syntheticDailyTotal(d));
        std::fill_n(hours.begin(), 8, 0);
        return dayLines("SYN1", d, hours);
      }));
  std::vector<int> hours;
  for (DateNumber d = day(2023, 1, 1); d <= day(2023, 12, 31); ++d) {
    if (d == dead || d == unpicked) continue;
    for (const int v : test::syntheticHours(test::syntheticDailyTotal(d))) hours.push_back(v);
  }
  std::nth_element(hours.begin(), hours.begin() + 29, hours.end(), std::greater<>());
  PlotSelection picked = allOf(table);
  picked.dates.selected[static_cast<std::size_t>(unpicked - day(2023, 1, 1))] = false;
  const ReportPage page = reportPages(table, runDataChecks(table), picked, {}, nullptr).at(0);
  EXPECT_TRUE(page.sources.empty());
  EXPECT_EQ(page.days, (CompletenessCounts{364, 364, 0, 1}));
  ASSERT_EQ(page.annual.size(), 1u);
  const ReportYear& year = page.annual[0];
  EXPECT_EQ(std::tuple(year.year, year.counted, year.validDays, year.coveredCells),
            std::tuple(2023, true, 363, kCells));
  ASSERT_TRUE(year.aadt && year.v30 && year.k30Pct);
  EXPECT_NEAR(*year.aadt, 10000, 1e-6);
  EXPECT_EQ(*year.v30, hours[29]);
  EXPECT_NEAR(*year.k30Pct, 100.0 * hours[29] / *year.aadt, 1e-9);
  // The year's weekday peaks follow the windows asked: of the synthetic day's shares, 08:00
  // (7.0 %) leads 8-12 and 14:00 (5.8 %) leads 12-15.
  const ReportYear late =
      reportPages(table, runDataChecks(table), picked, {}, nullptr, {PeakWindows{8, 12, 12, 15}})
          .at(0)
          .annual.at(0);
  ASSERT_TRUE(late.weekdayAm && late.weekdayPm);
  EXPECT_EQ(std::pair(late.weekdayAm->hour, late.weekdayPm->hour), std::pair(8, 14));
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

// Files read out of date order: the period still runs from the earliest picked day, and of its
// four whole years the page lists the latest three. On the last day SA01 counts more at 01:00
// than at 13:00, a warning; SB02 does too, with a critical run of zeros, and was not counted on
// the first day, which makes no incomplete day.
TEST(ReportPages, ThePeriodRunsInDateOrderOverTheLatestYearsAndCountsWarningDaysApart) {
  test::Day night{}, dead{};
  for (int h = 0; h < kHoursPerDay; ++h) night[static_cast<std::size_t>(h)] = h < 6 ? 100 : 10;
  dead = night;
  std::fill_n(dead.begin() + 12, 8, 0);
  const ATRTable table = test::tableOf(dayLines("SA01", day(2023, 12, 31), night) +
                                       dayLines("SA01", day(2020, 1, 1), rising(2)) +
                                       dayLines("SB02", day(2023, 12, 31), dead));
  PlotSelection all = allOf(table);
  all.stations.selected.assign(2, true);
  // A register of locations only: the location names SB02 once, in the title.
  const StationRegister places = StationRegister::parse("station,location\nSB02,Main St\n", "r");
  const std::vector<ReportPage> pages =
      reportPages(table, runDataChecks(table), all, {"/f/x.dat", "y.dat", "z.dat"}, &places);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(std::tuple(pages[1].title, pages[1].location), std::tuple("Station SB02  Main St", ""));
  const ReportPage& page = pages[0];
  EXPECT_EQ(std::tuple(page.firstDay, page.lastDay),
            std::tuple(day(2020, 1, 1), day(2023, 12, 31)));
  EXPECT_EQ(page.pickedDays, (std::vector<DateNumber>{day(2020, 1, 1), day(2023, 12, 31)}));
  EXPECT_EQ(page.sources, (std::vector<std::string>{"x.dat", "y.dat", "z.dat"}));
  std::vector<int> years;
  for (const ReportYear& year : page.annual) years.push_back(year.year);
  EXPECT_EQ(std::tuple(page.earlierYears, years),
            std::tuple(1u, std::vector<int>{2021, 2022, 2023}));
  EXPECT_EQ(std::tuple(page.days, page.warningDays), std::tuple(CompletenessCounts{2, 2, 0, 0}, 1));
  EXPECT_EQ(std::tuple(pages[1].days, pages[1].warningDays),
            std::tuple(CompletenessCounts{2, 1, 0, 1}, 0));
}

}  // namespace
}  // namespace ostrilo::test

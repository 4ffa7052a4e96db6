#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/checks/CheckReport.h"
#include "core/checks/DataChecks.h"
#include "core/export/TableExports.h"
#include "tests/support/DayCounts.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo::test {
namespace {

constexpr int kOff = test::kNotCounted;

struct DayInput {
  int january2023;  // the day of the month
  test::Hours hours;
};

// Station "S" over the given days (in date order); the further stations have no hour counted.
CheckResults checkJanuary(const std::vector<DayInput>& days, int stationCount = 1) {
  const int from = days.front().january2023;
  test::DayCounts counts(std::vector<std::string>(static_cast<std::size_t>(stationCount), "S"),
                         test::day(2023, 1, from), days.back().january2023 - from + 1);
  for (const DayInput& d : days) counts.set(0, test::day(2023, 1, d.january2023), d.hours);
  return runDataChecks(counts.view());
}

// "dd CODE detail" of every day flag.
std::vector<std::string> dayFlags(const CheckResults& results) {
  std::vector<std::string> out;
  for (const CheckFlag& f : results.flags()) {
    if (f.wholeMonth()) continue;
    out.push_back(isoDate(f.day).substr(8) + ' ' + std::string(checkCodeName(f.code)) + ' ' +
                  f.detail);
  }
  return out;
}

const test::Hours k1000 = shapedDay(1000);

// Each rule at its threshold and one step short of it. Mondays 2, 16 and 30 January 2023 share
// a band; 2 and 9 are seven days apart.
TEST(CheckRules, FlagAtTheThresholdAndNotOneStepBelow) {
  const struct {
    const char* name;
    std::vector<DayInput> days;
    std::vector<std::string> flags;
  } cases[] = {
      {"MissingHalf",
       {{2, withHours(k1000, 0, 11, kOff)}},
       {"02 MISSING_HOURS 12 hours not counted (00:00 to 11:59)"}},
      {"ZeroRunOfSeven",
       {{2, withHours(k1000, 14, 20, 0)}, {3, withHours(k1000, 14, 19, 0)}},
       {"02 ZERO_RUN 7 zero hours from 14:00", "03 ZERO_DAYTIME 6 zero hours from 14:00"}},
      {"UncountedHourEndsAZeroRun",
       {{2, withHours(withHours(k1000, 14, 21, 0), 17, 17, kOff)}},
       {"02 MISSING_HOURS 1 hour not counted (17:00 to 17:59)",
        "02 ZERO_DAYTIME 4 zero hours from 18:00"}},
      {"ZeroDayOnly", {{2, withHours(k1000, 0, 23, 0)}}, {"02 ZERO_DAY all 24 hours zero"}},
      {"DaytimeZerosInClockOrder",
       {{2, withHours(k1000, 9, 10, 0)},
        {3, withHours(withHours(k1000, 3, 4, 0), 22, 23, 0)},
        {4, withHours(k1000, 21, 22, 0)},
        {5, withHours(k1000, 4, 5, 0)}},
       {"02 ZERO_DAYTIME 2 zero hours from 09:00", "04 ZERO_DAYTIME 2 zero hours from 21:00",
        "05 ZERO_DAYTIME 2 zero hours from 04:00"}},
      {"EqualZeroRunsNameTheFirst",
       {{2, withHours(withHours(k1000, 9, 10, 0), 14, 15, 0)}},
       {"02 ZERO_DAYTIME 2 zero hours from 09:00"}},
      {"RepeatedFour",
       {{2, withHours(k1000, 10, 13, 20)}, {3, withHours(withHours(k1000, 5, 7, 20), 10, 13, 19)}},
       {"02 REPEATED 4 hours of 20 from 10:00"}},
      {"NightOverDay",
       {{2, withHours(k1000, 1, 1, 14)}, {3, withHours(k1000, 1, 1, 13)}},
       {"02 NIGHT_OVER_DAY 01:00 has 14, 13:00 has 13"}},
      {"BandAbove",
       {{2, k1000}, {16, shapedDay(1201)}, {30, k1000}},
       {"16 DAY_BAND total 1201, 20.1 % above the other Mondays of January"}},
      {"BandBelow",
       {{2, k1000}, {16, shapedDay(799)}, {30, k1000}},
       {"16 DAY_BAND total 799, 20.1 % below the other Mondays of January"}},
      {"BandJustInsideAbove", {{2, k1000}, {16, shapedDay(1199)}, {30, k1000}}, {}},
      {"BandAtTwentyBelow", {{2, k1000}, {16, shapedDay(800)}, {30, k1000}}, {}},
      {"BandNeedsTwoOtherDays", {{2, k1000}, {16, shapedDay(3000)}}, {}},
      {"CopiedExactly", {{2, k1000}, {9, k1000}}, {"09 COPIED_DAY same 24 volumes as 2023-01-02"}},
      {"CopiedNearly",
       {{2, k1000}, {9, shapedDay(1019)}},
       {"09 COPIED_DAY nearly the same 24 volumes as 2023-01-02 (off by 19 in all, 1.9 % "
        "of its total)"}},
      {"CopiedAtTwoPercent", {{2, k1000}, {9, shapedDay(1020)}}, {}},
      // Hour 0 of both days reads 0, but the earlier one never counted it.
      {"CopiedNeedsACompleteEarlierDay",
       {{2, withHours(shapedDay(276), 0, 0, kOff)}, {9, shapedDay(276)}},
       {"02 MISSING_HOURS 1 hour not counted (00:00 to 00:59)"}}};
  for (const auto& c : cases) EXPECT_EQ(dayFlags(checkJanuary(c.days)), c.flags) << c.name;
}

// A station counted in a year needs a valid day of each weekday in every month the table
// reaches; one never counted that year gets no month flag.
TEST(MonthFlags, NameTheWeekdayWithoutAValidDay) {
  std::vector<DayInput> week;
  for (int d = 2; d <= 8; ++d) week.push_back({d, shapedDay(1000 + d)});
  week[2].hours = withHours(k1000, 14, 20, 0);  // Wednesday 4th: critical, not valid
  const CheckResults r = checkJanuary(week, 2);
  ASSERT_EQ(r.flags().size(), 2u);
  EXPECT_EQ(r.flags()[0], (CheckFlag{0, -1, test::day(2023, 1, 1), CheckCode::MissingWeekday,
                                     "no valid Wednesday in January 2023"}));
  EXPECT_EQ(checkDaysText(r.criticalDayCount(), r.warningDayCount()),
            "1 critical day, 0 warning days");
  EXPECT_EQ(BuildChecksCsvText(r.flags(), r.stations()),
            "station,date,code,severity,detail\n"
            "S,2023-01,MISSING_WEEKDAY,W,no valid Wednesday in January 2023\n"
            "S,2023-01-04,ZERO_RUN,C,7 zero hours from 14:00\n");
  // What the pickers pass: a severity, a code, stations, and dates (a month flag by any picked
  // date of its month); the counts line leaves out the TMG notes' codes that flag nothing.
  const auto passed = [&](const FlagFilter& filter) {
    std::string text;
    for (const CheckFlag& f : selectFlags(r, filter))
      text += std::string(checkCodeName(f.code)) + ' ';
    return text;
  };
  const std::vector<bool> jan2{true, false, false, false, false, false, false};
  const std::vector<bool> jan4{false, false, true, false, false, false, false};
  const std::pair<FlagFilter, const char*> filters[] = {
      {{}, "MISSING_WEEKDAY ZERO_RUN "},
      {{Severity::Critical}, "ZERO_RUN "},
      {{std::nullopt, CheckCode::MissingWeekday}, "MISSING_WEEKDAY "},
      {{std::nullopt, std::nullopt, {false, true}}, ""},
      {{std::nullopt, std::nullopt, {}, jan2}, "MISSING_WEEKDAY "},
      {{std::nullopt, std::nullopt, {true, false}, jan4}, "MISSING_WEEKDAY ZERO_RUN "}};
  for (const auto& [filter, expected] : filters) EXPECT_EQ(passed(filter), expected);
  EXPECT_EQ(checkCountsLine(countByCode(r.flags())),
            "2 flags: MISSING_HOURS 0, ZERO_RUN 1, ZERO_DAY 0, ZERO_DAYTIME 0, DAY_BAND 0, "
            "REPEATED 0, NIGHT_OVER_DAY 0, COPIED_DAY 0, MISSING_WEEKDAY 1, HOLIDAY 0, "
            "CLOCK_CHANGE 0, OWN_BAND 0, STATION_CEILING 0, DIRECTION_SPLIT 0, MADT_YEAR 0, "
            "AADT_YEAR 0");
  EXPECT_TRUE(checkCountsLine(countByCode(selectFlags(r, {Severity::Critical})))
                  .starts_with("1 flag: MISSING_HOURS 0, ZERO_RUN 1,"));
}

}  // namespace
}  // namespace ostrilo::test

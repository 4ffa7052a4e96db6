#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/calendar/HolidayCalendar.h"
#include "core/checks/CheckReport.h"
#include "core/checks/DataChecks.h"
#include "core/export/CheckExports.h"
#include "core/register/StationRegister.h"
#include "tests/support/DayCounts.h"

namespace ostrilo::test {
namespace {

// "yyyy-mm-dd CODE S detail" of the flags of one code.
std::vector<std::string> flagsOf(const CheckResults& results, CheckCode code) {
  std::vector<std::string> out;
  for (const CheckFlag& f : results.flags()) {
    if (f.code != code) continue;
    out.push_back(flagDateText(f) + ' ' + std::string(checkCodeName(code)) + ' ' +
                  severityLetter(f.severity()) + ' ' + f.detail);
  }
  return out;
}

// The first `count` Mondays from 2 January 2023 at 1000, one of them (16 January) at the given
// total: of all 9 Mondays of January and February, 8 others lie in its month and the next.
CheckResults mondays(int total16, int count = 9) {
  DayCounts counts({"S"}, on("2023-01-02"), 57);
  for (int i = 0; i < count; ++i) {
    const DateNumber d = on("2023-01-02") + 7 * i;
    counts.set(0, d, shapedDay(d == on("2023-01-16") ? total16 : 1000));
  }
  return runDataChecks(counts.view());
}

// Outside half to one and a half times the median of at least six other days.
TEST(OwnBand, FlagsOutsideHalfToOneAndAHalfTimesTheMedian) {
  const struct {
    int total, count;
    bool flagged;
  } cases[] = {{500, 9, false}, {499, 9, true}, {1500, 9, false},
               {1501, 9, true}, {300, 7, true}, {300, 6, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(flagsOf(mondays(c.total, c.count), CheckCode::OwnBand).size(), c.flagged ? 1u : 0u)
        << c.total << " " << c.count;
  }
  EXPECT_EQ(flagsOf(mondays(499), CheckCode::OwnBand),
            std::vector<std::string>{"2023-01-16 OWN_BAND W total 499, 50 % of the median 1000 "
                                     "of 8 other Mondays in Jan-Feb 2023"});
}

TEST(StationCeiling, FlagsAMedianAboveTheCeilingOncePerYear) {
  DayCounts counts({"S", "T", "U"}, on("2023-01-02"), 4);
  for (int d = 0; d < 4; ++d) {
    // 1000, 1100, 1201, 1300: the median of an even count is the middle two's mean, 1150.5.
    counts.set(0, on("2023-01-02") + d, shapedDay(1000 + 100 * d + (d == 2 ? 1 : 0)));
    counts.set(1, on("2023-01-02") + d, shapedDay(1000));
    counts.set(2, on("2023-01-02") + d, shapedDay(1000));
  }
  // S's own ceiling lies just below its median; T's, its lanes times a lane's, is its median,
  // and so is U's: a max_daily of 0 is none.
  const StationRegister reg =
      StationRegister::parse("station,max_daily,lanes\nS,1150,\nT,,2\nU,0,2\n", "r.csv");
  CheckOptions options;
  options.ceilings = registerCeilings(reg, std::vector<std::string>{"S", "T", "U"}, 500);
  const CheckResults results = runDataChecks(counts.view(), options);
  EXPECT_EQ(flagsOf(results, CheckCode::StationCeiling),
            std::vector<std::string>{"2023 STATION_CEILING W median 1150.5 vehicles a day over 4 "
                                     "valid days, above the ceiling 1150 (max_daily)"});
  // A year flag passes a picker by any picked date of its year.
  FlagFilter lastDay;
  lastDay.dates = {false, false, false, true};
  EXPECT_EQ(selectFlags(results, lastDay).at(0).code, CheckCode::StationCeiling);
  EXPECT_NE(BuildEpisodesCsvText(results).find("\nS,STATION_CEILING,W,2023,2023,1,"),
            std::string::npos);
}

// Fridays of April 2023 at 1000, 1050 and 1100 (too far apart for copies), Good Friday (the
// 7th) at 300.
CheckResults april(const HolidayCalendar* holidays) {
  DayCounts counts({"S"}, on("2023-04-07"), 22);
  for (DateNumber d = on("2023-04-07"); d <= on("2023-04-28"); d += 7) {
    counts.set(0, d,
               shapedDay(d == on("2023-04-07") ? 300 : 1000 + 50 * (d - on("2023-04-14")) / 7));
  }
  CheckOptions options;
  options.holidays = holidays;
  return runDataChecks(counts.view(), options);
}

TEST(HolidayFlags, AHolidayIsNamedAndComparedWithNoOrdinaryDay) {
  const HolidayCalendar berlin = *HolidayCalendar::builtIn("de-be");
  const CheckResults with = april(&berlin);
  EXPECT_EQ(flagsOf(with, CheckCode::Holiday),
            std::vector<std::string>{"2023-04-07 HOLIDAY I Good Friday"});
  EXPECT_TRUE(flagsOf(with, CheckCode::DayBand).empty());
  EXPECT_EQ(with.warningDayCount(), 0);  // a fact is no warning
  EXPECT_EQ(flagsOf(april(nullptr), CheckCode::DayBand).size(), 4u);
  // Nor with the other Fridays of March to May for its own band.
  DayCounts spring({"S"}, on("2023-03-03"), 85);
  for (int i = 0; i < 13; ++i) {
    spring.set(0, on("2023-03-03") + 7 * i, shapedDay(i == 5 ? 300 : 1000 + 30 * i));
  }
  CheckOptions options;
  options.holidays = &berlin;
  EXPECT_TRUE(flagsOf(runDataChecks(spring.view(), options), CheckCode::OwnBand).empty());
  EXPECT_EQ(flagsOf(runDataChecks(spring.view()), CheckCode::OwnBand).size(), 1u)
      << "without the calendar, Good Friday stands out from its band";
}

TEST(ClockChange, ReplacesMissingHoursOnlyForTheHourThatDidNotExist) {
  const HolidayCalendar berlin = *HolidayCalendar::builtIn("de-be");
  CheckOptions options;
  options.holidays = &berlin;
  const auto run = [&](int missingHour, const CheckOptions& o) {
    DayCounts counts({"S"}, on("2023-03-26"), 1);
    counts.set(0, on("2023-03-26"), test::withHours(shapedDay(1000), missingHour, missingHour, -1));
    return runDataChecks(counts.view(), o);
  };
  EXPECT_EQ(flagsOf(run(2, options), CheckCode::ClockChange),
            std::vector<std::string>{
                "2023-03-26 CLOCK_CHANGE I 23-hour day: 02:00 to 02:59 did not exist (clocks "
                "forward)"});
  EXPECT_TRUE(flagsOf(run(2, options), CheckCode::MissingHours).empty());
  EXPECT_EQ(flagsOf(run(3, options), CheckCode::MissingHours).size(), 1u);
  EXPECT_EQ(flagsOf(run(2, {}), CheckCode::MissingHours).size(), 1u);
}

}  // namespace
}  // namespace ostrilo::test

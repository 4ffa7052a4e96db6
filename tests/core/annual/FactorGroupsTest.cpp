#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/annual/ShortCounts.h"
#include "core/calendar/HolidayCalendar.h"
#include "core/register/StationRegister.h"
#include "core/table/Error.h"
#include "tests/support/DayCounts.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo {
namespace {

using test::on;
// A1 and A2 count 1000 every day of 2023, A3 too but 2000 on January's Sundays; B1 and B2 (a
// group of two), C1 (alone in its group) and N1 (in none) 1000 every day. S counts 1000 a day in
// the week of Easter.
// A3's AADT is 1000 + 1000 / 84 (one of 84 cells doubled), so its F is 1.011905 in every cell
// but January's Sundays (0.505952), and the group's F(April, k) is (1 + 1 + 1.011905) / 3.
class FactorGroups : public ::testing::Test {
 protected:
  FactorGroups() : counts({"A1", "A2", "A3", "B1", "B2", "C1", "N1", "S"}, on("2023-01-01"), 365) {
    for (DateNumber d = on("2023-01-01"); d <= on("2023-12-31"); ++d) {
      const bool januarySunday = d < on("2023-02-01") && weekday(d) == 1;
      for (std::size_t s = 0; s < 7; ++s) {
        counts.set(s, d, test::shapedDay(s == 2 && januarySunday ? 2000 : 1000));
      }
    }
    for (DateNumber d = on("2023-04-03"); d <= on("2023-04-09"); ++d) {
      counts.set(7, d, test::shapedDay(1000));
    }
  }
  GroupExpansion expand(const GroupExpansionOptions& options) {
    return ExpandByGroups(counts.view(), {"a", "a", "a", "b", "b", "c", "", "a"}, options);
  }
  test::DayCounts counts;
};

TEST_F(FactorGroups, EachStationTakesItsOwnGroupsFactorsOrSaysWhyNot) {
  GroupExpansionOptions options;
  options.stations = {7, 3, 5, 6};
  const GroupExpansion run = expand(options);
  ASSERT_EQ(run.groups.size(), 3u);
  ASSERT_EQ(run.estimates.size(), 4u);
  const GroupedEstimate& s = run.estimates[0];
  EXPECT_EQ(s.group, "a");
  EXPECT_EQ(s.estimate.daysUsed.size(), 7u);
  EXPECT_NEAR(*s.estimate.aadt, 1003.968, 0.001);
  EXPECT_NEAR(run.estimates[1].estimate.aadt.value_or(0), 1000, 1e-9);
  EXPECT_FALSE(run.estimates[2].estimate.aadt);
  EXPECT_EQ(run.estimates[2].reason, "group c has 1 member with an AADT in 2023; 2 are needed");
  EXPECT_EQ(run.estimates[3].reason, "in no factor group");

  const HolidayCalendar berlin = *HolidayCalendar::builtIn("de-be");
  options.holidays = &berlin;
  options.excludeHolidays = true;
  const GroupExpansion withoutHolidays = expand(options);
  EXPECT_EQ(withoutHolidays.estimates[0].estimate.daysUsed.size(), 6u);  // not Good Friday
}

TEST_F(FactorGroups, ACellAboveTheCvThresholdNamesTheMemberThatMovesItMost) {
  const GroupExpansion run = expand({});
  const FactorGroup& a = run.groups[0].years.at(0);
  const GroupFactor& januarySunday = a.cells[0][6];
  // F 1, 1, 0.505952: mean 0.835317, sample SD 0.285237
  EXPECT_NEAR(*januarySunday.cv, 0.285237 / 0.835317, 1e-5);
  EXPECT_TRUE(cvAbove(januarySunday, run.cvThreshold));
  EXPECT_FALSE(cvAbove(januarySunday, *januarySunday.cv));
  EXPECT_EQ(a.members.at(*januarySunday.outlier), "A3");
  // F 1, 1, 1.011905: CV 0.68 %
  EXPECT_FALSE(cvAbove(a.cells[3][0], kDefaultCvThreshold));
  EXPECT_TRUE(cvAbove(a.cells[3][0], 0.0068));
  EXPECT_FALSE(cvAbove(a.cells[3][0], 0.0069));
}

TEST(GroupFile, ReadsStationsAndGroupsAndNamesTheLineOfAFault) {
  const std::vector<std::string> stations{"B001", "B002"};
  EXPECT_EQ(parseGroupFile("station,group\nB002,city\nB999,far\nB001,\"motorway, A100\"\n", "g.csv",
                           stations),
            (StationGroups{"motorway, A100", "city"}));
  EXPECT_EQ(
      groupsFromRegister(StationRegister::parse("station,group\nB002, city \n", "r.csv"), stations),
      (StationGroups{"", "city"}));
  const Error e =
      test::thrownBy([&] { (void)parseGroupFile("B001,city\nB001,city\n", "g.csv", stations); });
  EXPECT_NE(e.description().find("g.csv, line 2"), std::string::npos) << e.description();
}

}  // namespace
}  // namespace ostrilo

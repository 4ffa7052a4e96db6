#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/cli/CliTestSupport.h"
#include "tests/support/AnnualTestSupport.h"

namespace ostrilo::test {
namespace {

// Monday 3 and Tuesday 4 January 2005. EAST counts 60 an hour but 160 at 08:00 and 260 at 17:00
// (1740 a day), WEST 40 an hour (960), SOLO 100 an hour but 300 at 07:00 and 200 at 16:00
// (2700), and once more on Monday 2 January 2006 at 100 an hour. The register puts WEST and
// EAST, in that order, on road R and SOLO alone on road S.
Day hours(int base, int peakA, int volumeA, int peakB, int volumeB) {
  Day v{};
  v.fill(base);
  v[static_cast<std::size_t>(peakA)] = volumeA;
  v[static_cast<std::size_t>(peakB)] = volumeB;
  return v;
}

std::string twoRoads() {
  std::string text;
  for (const int d : {3, 4}) {
    text += dayLines("EAST", day(2005, 1, d), hours(60, 8, 160, 17, 260)) +
            dayLines("WEST", day(2005, 1, d), spread(960)) +
            dayLines("SOLO", day(2005, 1, d), hours(100, 7, 300, 16, 200));
  }
  return text + dayLines("SOLO", day(2006, 1, 2), spread(2400));
}

class CliYearsTest : public CliTest {
 protected:
  std::string in = dir.write("w.dat", twoRoads());
  std::string reg = dir.write("reg.csv", "station,road,direction\nWEST,R,W\nEAST,R,E\nSOLO,S,N\n");
};

// R's two-way hours: 100, but 200 at 08:00 and 300 at 17:00, so its 30th highest is a 100 of
// which EAST has 60, its highest a 300 of which EAST has 260; shares in register order. Both
// days of R split 960/1740, further than 60/40, and the check names the road.
TEST_F(CliYearsTest, RoadsSumTheirDirectionsInEachCommand) {
  const std::string roads =
      "road,year,directions,valid_days,adt,aadt,cells,v30,k30_pct,d30_pct,ddhv,d1_pct,"
      "wd_am_peak_hour,wd_am_split_pct,wd_pm_peak_hour,wd_pm_split_pct\n";
  const std::string r =
      "R,2005,WEST+EAST,2,2700,,2,100,,60.00,,86.67,08:00,20.00/80.00,17:00,13.33/86.67\n";
  const std::string trend = "station,year,valid_days,adt,aadt,cells,aadt_change_pct,cagr_pct\n";
  const std::string split = ",DIRECTION_SPLIT,C,\"WEST 960 (35.6 %), EAST 1740 (64.4 %)\"\n";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"annual", "--roads", "--register", reg, "--year", "2005"},
       roads + r + "S,2005,SOLO,2,2700,,2,100,,100.00,,100.00,07:00,100.00,16:00,100.00\n"},
      {{"annual", "--roads", "--register", reg, "--stations", "EAST", "--year", "2005"}, roads + r},
      {{"trend", "--stations", "SOLO,EAST"},
       trend + "EAST,2005,2,1740,,2,,\nSOLO,2005,2,2700,,2,,\nSOLO,2006,1,2400,,1,,\n"},
      {{"trend", "--roads", "--register", reg},
       trend + "R,2005,2,2700,,2,,\nS,2005,2,2700,,2,,\nS,2006,1,2400,,1,,\n"},
      {{"check", "--severity", "C", "--register", reg},
       "station,date,code,severity,detail\nR,2005-01-03" + split + "R,2005-01-04" + split}};
  for (auto [args, out] : cases) {
    args.push_back(in);
    EXPECT_EQ(runArgs(args).out, out) << args[0];
  }
}

// 168 rows a station, Monday hour 0 first; each day is its own weekday's only day.
TEST_F(CliYearsTest, ProfileWritesTheMeanOfEveryHourOfTheWeek) {
  std::string tuesdayOfEast = "station,dow,hour,mean,n\n";
  for (int dow = 1; dow <= 7; ++dow) {
    for (int h = 0; h < 24; ++h) {
      const int mean = h == 8 ? 160 : h == 17 ? 260 : 60;
      tuesdayOfEast += "EAST," + std::to_string(dow) + "," + std::to_string(h) + "," +
                       (dow == 2 ? std::to_string(mean) + ",1\n" : ",0\n");
    }
  }
  EXPECT_EQ(runArgs({"profile", "--stations", "EAST", "--dates", "2005-01-04", in}).out,
            tuesdayOfEast);

  const std::string of2005 = runArgs({"profile", "--year", "2005", in}).out;
  EXPECT_EQ(std::count(of2005.begin(), of2005.end(), '\n'), 1 + 3 * 168);
  EXPECT_NE(of2005.find("\nSOLO,1,7,300,1\n"), std::string::npos);
  // A critical day (eight dead hours) and a half day are no valid days of the profile.
  Day deadRun = spread(2400);
  std::fill_n(deadRun.begin() + 8, 8, 0);
  const std::string more =
      dir.write("m.dat", twoRoads() + dayLines("SOLO", day(2005, 1, 10), deadRun) +
                             dayLines("SOLO", day(2005, 1, 17), spread(2400)).substr(0, 75));
  EXPECT_NE(runArgs({"profile", more}).out.find("\nSOLO,1,7,200,2\n"), std::string::npos);
}

// The synthetic year, then 2024 with every day twice its volume: AADT up by 100 %.
TEST_F(CliYearsTest, AadtChangeSetsTheShareOfTheYearOverYearRule) {
  std::string text = syntheticYear("SYN1");
  for (DateNumber d = day(2024, 1, 1); d <= day(2024, 12, 31); d += 1) {
    text += dayLines("SYN1", d, syntheticHours(2 * syntheticDailyTotal(d)));
  }
  const std::string years = dir.write("y.dat", text);
  EXPECT_NE(runArgs({"check", years}).out.find("\nSYN1,2024,AADT_YEAR,"), std::string::npos);
  EXPECT_EQ(runArgs({"check", "--aadt-change", "150", years}).out.find(",AADT_YEAR,"),
            std::string::npos);
}

}  // namespace
}  // namespace ostrilo::test

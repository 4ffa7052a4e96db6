#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/checks/YearChecks.h"
#include "core/export/TableExports.h"
#include "tests/support/DayCounts.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo {
namespace {

using test::day;

// Every hour of a station-day holds the same volume; -1: the day was not counted.
using HourlyLevel = std::function<int(std::size_t station, DateNumber date)>;

test::DayCounts countsOf(std::vector<std::string> stations, DateNumber first, DateNumber last,
                         const HourlyLevel& level) {
  const std::size_t count = stations.size();
  test::DayCounts c(std::move(stations), first, static_cast<int>(last - first) + 1);
  for (DateNumber d = first; d <= last; d += 1) {
    for (std::size_t s = 0; s < count; ++s) {
      test::Hours hours;
      hours.fill(level(s, d));
      if (hours[0] >= 0) c.set(s, d, hours);
    }
  }
  return c;
}

// The check file's rows of the given codes.
std::string rowsOf(const CheckResults& results, std::initializer_list<CheckCode> codes) {
  std::vector<CheckFlag> kept;
  for (const CheckFlag& flag : results.flags()) {
    if (std::find(codes.begin(), codes.end(), flag.code) != codes.end()) kept.push_back(flag);
  }
  const std::string text = BuildChecksCsvText(kept, results.stations());
  return text.substr(text.find('\n') + 1);
}

// 60/40 is within the band, 61/39 beyond it; a tidal road's split is only a warning. The row
// names the road. A's 5th, dead for twelve hours (600 of 1800), is a critical day: no road day.
TEST(DirectionSplit, BeyondSixtyFortyCriticalUnlessTheRoadMaySplit) {
  test::DayCounts c = countsOf({"A", "B", "C", "D"}, day(2023, 1, 2), day(2023, 1, 5),
                               [](std::size_t s, DateNumber d) {
                                 const int split = d == day(2023, 1, 2)   ? 60
                                                   : d == day(2023, 1, 3) ? (s < 2 ? 61 : 50)
                                                   : d == day(2023, 1, 4) ? (s < 2 ? 50 : 70)
                                                                          : 50;
                                 return s % 2 == 0 ? split : 100 - split;
                               });
  test::Hours dead;
  dead.fill(50);
  c.set(0, day(2023, 1, 5), test::withHours(dead, 0, 11, 0));
  CheckOptions options;
  options.roads = {{"R", {"A", "B"}, {"E", "W"}, false}, {"T", {"C", "D"}, {"E", "W"}, true}};
  EXPECT_EQ(rowsOf(runDataChecks(c.view(), options), {CheckCode::DirectionSplit}),
            "R,2023-01-03,DIRECTION_SPLIT,C,\"A 1464 (61.0 %), B 936 (39.0 %)\"\n"
            "T,2023-01-04,DIRECTION_SPLIT,W,\"C 1680 (70.0 %), D 720 (30.0 %)\"\n");
}

// A: January 2023 exactly 20 % up, February 21 %. B: every month and so the AADT exactly 10 %
// up. C: March 2022 not counted, so its March 2023 has nothing to be compared with. D: not
// counted in 2022, so 2023 is compared with no year at all. 2021 is the level of 2022.
TEST(YearRules, MonthsAndYearsAgainstTheYearBeforeAtTheirThresholds) {
  const test::DayCounts c = countsOf(
      {"A", "B", "C", "D"}, day(2021, 1, 1), day(2023, 12, 31), [](std::size_t s, DateNumber d) {
        const CivilDate civil = civilFromDate(d);
        if (s == 3) return civil.year == 2022 ? -1 : 100 * (civil.year - 2020);
        if (civil.year == 2021) return 100;
        if (civil.year == 2022) return s == 2 && civil.month == 3 ? -1 : 100;
        if (s == 0) return civil.month == 1 ? 120 : civil.month == 2 ? 121 : 100;
        return s == 1 ? 110 : civil.month == 3 ? 200 : 100;
      });
  const auto codes = {CheckCode::MadtYear, CheckCode::AadtYear};
  const CheckResults byDefault = runDataChecks(c.view(), {});
  EXPECT_EQ(rowsOf(byDefault, codes),
            "A,2023-02,MADT_YEAR,C,\"MADT 2904, 21.0 % above February 2022 (2400)\"\n");
  CheckOptions options;
  options.aadtChangePct = 9.99;
  EXPECT_EQ(rowsOf(runDataChecks(c.view(), options), codes),
            "A,2023-02,MADT_YEAR,C,\"MADT 2904, 21.0 % above February 2022 (2400)\"\n"
            "B,2023,AADT_YEAR,W,\"AADT 2640, 10.0 % above 2022 (2400)\"\n");
  const auto& flags = byDefault.flags();
  EXPECT_TRUE(std::is_sorted(flags.begin(), flags.end(), [](const auto& a, const auto& b) {
    return std::pair(a.station, a.day) < std::pair(b.station, b.day);
  }));
}

}  // namespace
}  // namespace ostrilo

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/annual/RoadFigures.h"
#include "core/export/YearExports.h"
#include "core/register/StationRegister.h"
#include "tests/support/AnnualTestSupport.h"

namespace ostrilo {
namespace {

using test::day;

// The other direction of the synthetic year: three quarters of its traffic, the day mirrored.
std::string mirroredDirection(std::string_view station) {
  std::string text;
  for (DateNumber d = day(2023, 1, 1); d <= day(2023, 12, 31); d += 1) {
    test::Day v =
        test::syntheticHours(static_cast<int>(std::lround(0.75 * test::syntheticDailyTotal(d))));
    std::reverse(v.begin(), v.end());
    text += test::dayLines(station, d, v);
  }
  return text;
}

// The worked example of the directional factor, and a road whose second direction the table
// lacks: it has no complete day, so every figure is n/a.
TEST(RoadFigures, WorkedExampleAndARoadWithoutItsOtherDirection) {
  const ATRTable table = test::tableOf(test::syntheticYear("SYN1") + mirroredDirection("SYN2"));
  const StationRegister reg = StationRegister::parse(
      "station,direction,Road,split_ok\nSYN2,W,R1,\nSYN9,N,R2,no\nSYN1,E,R1,\nSYN0,S,,\n"
      "SYN3,S,R2,\n",
      "reg.csv");
  std::vector<Road> roads = registerRoads(reg);
  ASSERT_EQ(roads.size(), 2u);
  EXPECT_EQ(roads[0].directions, (std::vector<std::string>{"W", "E"}));
  roads.push_back({"R3", {"SYN1", "SYN3"}, {"E", "W"}, false});
  EXPECT_EQ(BuildRoadsCsvText(ComputeRoadFigures(CountView::of(table), roads, {})),
            "road,year,directions,valid_days,adt,aadt,cells,v30,k30_pct,d30_pct,ddhv,d1_pct,"
            "wd_am_peak_hour,wd_am_split_pct,wd_pm_peak_hour,wd_pm_split_pct\n"
            "R1,2023,SYN2+SYN1,365,17510,17500,84,1717,9.81,58.71,1008,58.72,07:00,41.29/58.71,"
            "16:00,44.44/55.56\n"
            "R3,2023,SYN1+SYN3,0,,,0,,,,,,,,,\n");
  // DDHV is the peak direction's volume in the design hour: 1,008 of 1,717 (D1's hour would
  // give 1,717 x 1,104 / 1,880 = 1,008.28).
  EXPECT_NEAR(ComputeRoadFigures(CountView::of(table), roads, {}).at(0).ddhv.value_or(0), 1008.0,
              0.01);
}

// Two hours of equal two-way volume: the earlier one is the highest, whatever the table order.
TEST(RoadFigures, EqualHoursTakeTheirPlacesInTimeOrder) {
  const std::vector<std::string> stations = {"A", "B"};
  const std::vector<DateNumber> dates = {day(2023, 1, 3), day(2023, 1, 2)};
  std::vector<std::int16_t> volumes(4 * kHoursPerDay, 10);
  volumes[0 * kHoursPerDay + 3] = volumes[1 * kHoursPerDay + 3] = 50;  // 3 January, 03:00
  volumes[2 * kHoursPerDay + 5] = 70;                                  // 2 January, 05:00
  volumes[3 * kHoursPerDay + 5] = 30;
  const std::vector<HourMask> counted(4, kAllHours);
  const auto road = [&](const std::vector<std::int16_t>& v, const RoadOptions& options = {},
                        const std::vector<DateNumber>* on = nullptr) {
    const std::vector<Road> roads = {{"R", {"A", "B"}, {"E", "W"}, false}};
    return ComputeRoadFigures(CountView{stations, on ? *on : dates, v, counted}, roads, options)
        .at(0);
  };

  EXPECT_DOUBLE_EQ(road(volumes).d1Pct.value_or(0), 70.0);
  EXPECT_DOUBLE_EQ(road(volumes).d30Pct.value_or(0), 50.0);
  // Two-way 1000 - h on the 3rd and 900 - h on the 2nd, nearly all in A but the 30th highest hour
  // (2 January, 05:00: 895), 537 of it in A.
  std::vector<std::int16_t> ranked(4 * kHoursPerDay, 1);  // B: 1 an hour
  for (int h = 0; h < kHoursPerDay; ++h) {
    ranked[static_cast<std::size_t>(h)] = static_cast<std::int16_t>(999 - h);
    ranked[static_cast<std::size_t>(2 * kHoursPerDay + h)] = static_cast<std::int16_t>(899 - h);
  }
  ranked[2 * kHoursPerDay + 5] = 537;
  ranked[3 * kHoursPerDay + 5] = 358;
  EXPECT_NEAR(road(ranked).d30Pct.value_or(0), 60.0, 1e-9);
  // A day left out of one direction is no valid day of the road.
  RoadOptions options;
  options.excluded = [](std::int32_t s, std::int32_t d) { return s == 1 && d == 0; };
  EXPECT_EQ(road(volumes, options).twoWay.validDays, 1);
  // A Saturday stays out of the weekday split: Monday 2 January splits 30/10 at 08:00.
  const std::vector<DateNumber> monSat = {day(2023, 1, 2), day(2023, 1, 7)};
  std::vector<std::int16_t> weekend(4 * kHoursPerDay, 10);
  weekend[8] = 30;                       // A on the Monday
  weekend[3 * kHoursPerDay + 8] = 1000;  // B on the Saturday
  const auto split = road(weekend, {}, &monSat).amSplit;
  ASSERT_TRUE(split);
  EXPECT_EQ(split->hour, 8);
  EXPECT_EQ(split->sharePct, (std::vector<double>{75, 25}));
}

}  // namespace
}  // namespace ostrilo

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/annual/RoadFigures.h"
#include "core/charts/WeeklyProfile.h"
#include "core/checks/YearChecks.h"
#include "core/export/YearExports.h"
#include "core/register/StationRegister.h"
#include "tests/support/SelectionTestSupport.h"

namespace ostrilo {
namespace {

// Berlin 2023 read once, with B001 and B002 registered as the two directions of the A115.
class A115 : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_table = &test::berlin2023();
    s_roads = registerRoads(StationRegister::parse(
        "station,direction,road\nB001,Zehlendorf,A115\nB002,Funkturm,A115\n", "a115.csv"));
  }

  // The days the stations count completely, above 0 and without a critical flag.
  static bool valid(std::int32_t d, const std::vector<bool>& critical,
                    std::initializer_list<const char*> ids = {"B001", "B002"}) {
    for (const char* id : ids) {
      const std::int32_t s = s_table->ulstName().Index(id);
      const auto total = s_table->CompleteDailyVol(d, s);
      if (!total || *total <= 0 || critical[std::size_t(s_table->StaCount()) * d + s]) {
        return false;
      }
    }
    return true;
  }

  static inline const ATRTable* s_table = nullptr;
  static inline std::vector<Road> s_roads;
};

// The hours sorted by two-way volume (ties in time order) and the month x weekday cells, straight
// from the definitions. B001 misses 4 cells of its own, so the road has no AADT, K30 or DDHV.
TEST_F(A115, TwoWayFiguresEqualTheDefinitions) {
  const std::vector<bool> critical = criticalDays(*s_table);
  const std::int32_t b001 = s_table->ulstName().Index("B001");
  const std::int32_t b002 = s_table->ulstName().Index("B002");
  std::set<std::pair<int, int>> cells;
  std::vector<std::tuple<int, DateNumber, int, int>> hours;  // -two-way, date, hour, peak
  double total = 0;
  for (std::int32_t d = 0; d < s_table->DateCount(); ++d) {
    if (!valid(d, critical)) continue;
    const DateNumber date = s_table->DatebyIndex(d);
    const auto one = s_table->VolArrByIndex(d, b001);
    const auto two = s_table->VolArrByIndex(d, b002);
    cells.emplace(civilFromDate(date).month, weekday(date));
    for (int h = 0; h < kHoursPerDay; ++h) {
      total += one[h] + two[h];
      hours.emplace_back(-(one[h] + two[h]), date, h, std::max(one[h], two[h]));
    }
  }
  std::sort(hours.begin(), hours.end());
  const double v30 = -std::get<0>(hours[29]);

  const CountView view = CountView::of(*s_table);
  const auto rows = ComputeRoadFigures(view, s_roads, {2023, {}, excludingCriticalDays(view)});
  ASSERT_EQ(rows.size(), 1u);
  const RoadYear& row = rows[0];
  EXPECT_NEAR(*row.twoWay.adt, total / static_cast<double>(hours.size() / 24), 1e-9);
  EXPECT_EQ(row.twoWay.coveredCells, static_cast<std::int32_t>(cells.size()));
  EXPECT_EQ(*row.twoWay.v30.volume, v30);
  EXPECT_NEAR(*row.d30Pct, 100 * std::get<3>(hours[29]) / v30, 1e-9);
  EXPECT_NEAR(*row.d1Pct, 100.0 * std::get<3>(hours[0]) / -std::get<0>(hours[0]), 1e-9);
  EXPECT_LT(cells.size(), 84u);
  EXPECT_FALSE(row.twoWay.aadt || row.twoWay.v30.kPct || row.ddhv);
}

// A day one direction counted only partly (lanes missing) yet completely is far from 50/50.
TEST_F(A115, DirectionSplitFlagsTheDaysFarFrom5050) {
  const std::vector<bool> critical = criticalDays(*s_table);
  const std::int32_t b001 = s_table->ulstName().Index("B001");
  const std::int32_t b002 = s_table->ulstName().Index("B002");
  std::vector<std::string> expected;
  for (std::int32_t d = 0; d < s_table->DateCount(); ++d) {
    if (!valid(d, critical)) continue;
    const double one = *s_table->CompleteDailyVol(d, b001);
    const double two = *s_table->CompleteDailyVol(d, b002);
    if (std::max(one, two) / (one + two) > 0.6)
      expected.push_back(isoDate(s_table->DatebyIndex(d)));
  }
  CheckOptions options;
  options.roads = s_roads;
  std::vector<std::string> flagged;
  const CheckResults results = RunDataChecks(CountView::of(*s_table), options);
  for (const CheckFlag& flag : results.flags()) {
    if (flag.code != CheckCode::DirectionSplit) continue;
    EXPECT_EQ(flag.road, "A115");
    EXPECT_EQ(flag.severity(), Severity::Critical);
    flagged.push_back(isoDate(flag.day));
  }
  EXPECT_EQ(flagged, expected);
  EXPECT_EQ(flagged.size(), 18u);
}

// B478's average week over 2023, from its valid days in plain loops.
TEST_F(A115, WeeklyProfileOfB478) {
  const std::int32_t b478 = s_table->ulstName().Index("B478");
  PlotSelection selection;
  selection.stations = test::listOf(s_table->StaCount(), {b478});
  selection.dates.selected.assign(static_cast<std::size_t>(s_table->DateCount()), true);
  const CheckResults checks = RunDataChecks(*s_table);
  const WeeklyProfileChart chart = weeklyProfileChart(*s_table, selection, checks);
  ASSERT_EQ(chart.stations.size(), 1u);
  const std::vector<bool> critical = checks.criticalDays();
  double sum[7][24] = {};
  int n[7] = {};
  for (std::int32_t d = 0; d < s_table->DateCount(); ++d) {
    if (!valid(d, critical, {"B478"})) continue;
    const int k = (weekday(s_table->DatebyIndex(d)) + 5) % 7;
    const auto v = s_table->VolArrByIndex(d, b478);
    for (int h = 0; h < 24; ++h) sum[k][h] += v[h];
    ++n[k];
  }
  for (int k = 0; k < 7; ++k) {
    for (int h = 0; h < 24; ++h) {
      const ProfileCell& cell = chart.stations[0].cells[k][h];
      EXPECT_EQ(cell.n, n[k]);
      EXPECT_NEAR(cell.mean.value_or(-1), sum[k][h] / n[k], 1e-9);
    }
  }
  char line[64];
  std::snprintf(line, sizeof line, "\nB478,3,8,%.0f,%d\n", sum[2][8] / n[2], n[2]);
  EXPECT_NE(BuildProfileCsvText(chart).find(line), std::string::npos) << line;
}

}  // namespace
}  // namespace ostrilo

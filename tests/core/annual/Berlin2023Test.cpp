#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/annual/ShortCounts.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo {
namespace {

// The coverage the data's README states, B346's all-zero days complete but not valid, and B478
// cut down to Wednesday 18 and Thursday 19 October and expanded with the factors of the other
// stations that have an AADT landing near its own AADT. One read of the 53 files.
TEST(Berlin2023, CoverageDeadCounterDaysAndATwoDayCountOfARealStation) {
  const ATRTable& table = test::berlin2023();
  const CountView view = CountView::of(table);
  const auto completeDays = [&](std::int32_t s) {
    std::int32_t days = 0;
    for (std::int32_t d = 0; d < table.DateCount(); ++d) days += table.IsComplete(d, s) ? 1 : 0;
    return days;
  };
  const std::int32_t b478 = table.ulstName().Index("B478");
  const std::int32_t b346 = table.ulstName().Index("B346");
  std::vector<StationYear> members;
  std::int32_t mostComplete = 0;
  for (const StationYear& row : ComputeAnnualFigures(view, {})) {
    EXPECT_EQ(row.aadt.has_value(), row.coveredCells == kCells) << row.station;
    mostComplete = std::max(mostComplete, completeDays(row.stationIndex));
    if (row.aadt) members.push_back(row);
    if (row.stationIndex == b346) {
      EXPECT_EQ(completeDays(b346) - row.validDays, 82);
    }
  }
  EXPECT_EQ(members.size(), 48u);
  EXPECT_EQ(completeDays(b478), mostComplete);
  EXPECT_EQ(mostComplete, 314);

  const auto own = std::find_if(members.begin(), members.end(),
                                [&](const StationYear& row) { return row.stationIndex == b478; });
  ASSERT_NE(own, members.end());
  const double ownAadt = *own->aadt;
  members.erase(own);
  const std::vector<FactorGroup> groups = {CombineFactors(members, 2023)};
  const std::int32_t expanded[] = {b478};
  const DateNumber days[] = {dateFromCivil({2023, 10, 18}), dateFromCivil({2023, 10, 19})};
  const ShortCountEstimate estimate =
      ExpandShortCounts(view, expanded, groups, [&](std::int32_t, std::int32_t d) {
        const DateNumber date = table.DatebyIndex(d);
        return date != days[0] && date != days[1];
      }).at(0);
  EXPECT_EQ(estimate.daysUsed, std::vector<DateNumber>(std::begin(days), std::end(days)));
  EXPECT_NEAR(*estimate.aadt, ownAadt, 0.05 * ownAadt);
}

}  // namespace
}  // namespace ostrilo

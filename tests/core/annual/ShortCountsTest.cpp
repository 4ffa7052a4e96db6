#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/annual/Expansion.h"
#include "core/annual/ShortCounts.h"
#include "core/export/TableExports.h"
#include "tests/support/AnnualTestSupport.h"

namespace ostrilo {
namespace {

using test::day;

StationYear withFactor(std::string name, std::optional<double> f) {
  StationYear row;
  row.station = std::move(name);
  row.year = 2023;
  if (f) {
    row.aadt = 1000;
    for (auto &month : row.f) month.fill(*f);
  }
  return row;
}

TEST(CombineFactors, MeanSampleDeviationAndVariationPerCellWithoutMembersLackingAadt) {
  const std::vector<StationYear> members = {withFactor("A", 1.0), withFactor("B", std::nullopt),
                                            withFactor("C", 1.2), withFactor("D", 1.4)};
  const FactorGroup group = CombineFactors(members, 2023);
  EXPECT_EQ(group.members, (std::vector<std::string>{"A", "C", "D"}));
  EXPECT_EQ(group.leftOut, std::vector<std::string>{"B"});
  const GroupFactor &cell = group.cells[11][6];
  EXPECT_EQ(cell.n, 3);
  EXPECT_NEAR(*cell.mean, 1.2, 1e-12);
  // Two members with an AADT give a deviation, one none.
  EXPECT_NEAR(CombineFactors({members.data(), 3}, 2023).cells[0][0].sd.value_or(0), 0.141421, 1e-6);
  EXPECT_FALSE(CombineFactors({members.data(), 2}, 2023).cells[0][0].sd.has_value());
}

// The synthetic year's worked example: Tuesday 14 and Wednesday 15 March 2023
// at 9,650 and 9,800 expand to 9987.02; a day of another year, a half day and
// an all-zero day (a dead counter) are not used. Through the one pipeline the
// command line and the window share; the estimates keep pointing at their group
// after a move.
TEST(ExpandOverGroup, CombinesTheGroupPerYearAndExpandsTheOthers) {
  const ATRTable table = test::tableOf(
      test::syntheticYear("SYN1") + test::dayLines("SHRT", day(2023, 3, 14), test::spread(9650)) +
      test::dayLines("SHRT", day(2023, 3, 15), test::spread(9800)) +
      test::dayLines("SHRT", day(2024, 3, 13), test::spread(500)) +
      test::dayLines("SHRT", day(2023, 3, 16), test::spread(500)).substr(0, 75) +
      test::dayLines("SHRT", day(2023, 3, 17), test::Day{}));
  const CountView view = CountView::of(table);
  const std::int32_t group[] = {0};
  const std::int32_t shrt[] = {1};
  ShortCountExpansion moved = expandOverGroup(view, group, shrt, {});
  const ShortCountExpansion expansion = std::move(moved);
  ASSERT_EQ(expansion.groups.size(), 1u);
  EXPECT_EQ(expansion.groups[0].year, 2023);
  ASSERT_EQ(expansion.estimates.size(), 1u);
  EXPECT_EQ(expansion.estimates[0].group, &expansion.groups[0]);
  EXPECT_NEAR(*expansion.estimates[0].aadt, 9987.02, 0.005);
  EXPECT_EQ(BuildExpandCsvText(expansion.estimates),
            "station,year,group,left_out,days,est_aadt,days_used\n"
            "SHRT,2023,SYN1,,2,9987,2023-03-14 2023-03-15\n");

  // A left-out day counts for the estimate no more than for the factors.
  const DayExclusion notThe15th = [&](std::int32_t s, std::int32_t d) {
    return s == 1 && table.DatebyIndex(d) == day(2023, 3, 15);
  };
  const ShortCountExpansion oneDay = expandOverGroup(view, group, shrt, notThe15th, 2023);
  ASSERT_EQ(oneDay.estimates.size(), 1u);
  EXPECT_EQ(oneDay.estimates[0].daysUsed, std::vector<DateNumber>{day(2023, 3, 14)});

  // No group is no factors, not every station as the group.
  const ShortCountExpansion none = expandOverGroup(view, {}, shrt, {});
  EXPECT_TRUE(none.groups.empty());
  EXPECT_TRUE(none.estimates.empty());
}

}  // namespace
}  // namespace ostrilo

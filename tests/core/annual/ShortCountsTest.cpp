#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    for (auto& month : row.f) month.fill(*f);
  }
  return row;
}

TEST(CombineFactors, MeanSampleDeviationAndVariationPerCellWithoutMembersLackingAadt) {
  const std::vector<StationYear> members = {withFactor("A", 1.0), withFactor("B", std::nullopt),
                                            withFactor("C", 1.2), withFactor("D", 1.4)};
  const FactorGroup group = CombineFactors(members, 2023);
  EXPECT_EQ(group.members, (std::vector<std::string>{"A", "C", "D"}));
  EXPECT_EQ(group.leftOut, std::vector<std::string>{"B"});
  const GroupFactor& cell = group.cells[11][6];
  EXPECT_EQ(cell.n, 3);
  EXPECT_NEAR(*cell.mean, 1.2, 1e-12);
  EXPECT_NEAR(*cell.sd, 0.2, 1e-12);
  EXPECT_NEAR(*cell.cv, 0.2 / 1.2, 1e-12);
  EXPECT_FALSE(CombineFactors({members.data(), 2}, 2023).cells[0][0].sd.has_value());
}

// Tuesday 14 and Wednesday 15 March 2023 at 9,650 and 9,800, expanded with the synthetic
// year's own factors; a day of another year and an incomplete day are not used.
TEST(ExpandShortCounts, TwoDayCountWithTheSyntheticYearsFactors) {
  const std::string shortCount =
      test::dayLines("SHRT", day(2023, 3, 14), test::spread(9650)) +
      test::dayLines("SHRT", day(2023, 3, 15), test::spread(9800)) +
      test::dayLines("SHRT", day(2024, 3, 13), test::spread(500)) +
      test::dayLines("SHRT", day(2023, 3, 16), test::spread(500)).substr(0, 75);
  const ATRTable table = test::tableOf(test::syntheticYear("SYN1") + shortCount);
  const CountView view = CountView::of(table);
  AnnualOptions options;
  options.year = 2023;
  options.stations = {0, 1};
  const std::vector<StationYear> years = ComputeAnnualFigures(view, options);
  const std::vector<FactorGroup> groups = {CombineFactors(years, 2023)};
  EXPECT_EQ(groups[0].leftOut, std::vector<std::string>{"SHRT"});

  const std::int32_t shrt[] = {1};
  const std::vector<ShortCountEstimate> estimates = ExpandShortCounts(view, shrt, groups);
  ASSERT_EQ(estimates.size(), 1u);
  EXPECT_NEAR(*estimates[0].aadt, 9987.02, 0.005);
  EXPECT_EQ(BuildExpandCsvText(estimates),
            "station,year,group,left_out,days,est_aadt,days_used\n"
            "SHRT,2023,SYN1,SHRT,2,9987,2023-03-14 2023-03-15\n");
}

}  // namespace
}  // namespace ostrilo

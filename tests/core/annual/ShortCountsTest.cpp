#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/annual/ShortCounts.h"

namespace ostrilo {
namespace {

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

}  // namespace
}  // namespace ostrilo

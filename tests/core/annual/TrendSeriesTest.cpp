#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/annual/YearTrend.h"

namespace ostrilo {
namespace {

TrendYear trendOf(const char* station, int year, std::optional<double> adt,
                  std::optional<double> aadt) {
  TrendYear row;
  row.station = station;
  row.year = year;
  row.adt = adt;
  row.aadt = aadt;
  return row;
}

// AADT where a year has one, ADT marked as such where it has not, nothing where neither; a
// picked station without rows keeps its place.
TEST(TrendSeries, AadtElseMarkedAdtPerPickedStation) {
  const std::vector<TrendYear> rows = {
      trendOf("A", 2021, 900, std::nullopt), trendOf("A", 2022, 1010, 1000),
      trendOf("B", 2022, std::nullopt, std::nullopt), trendOf("A", 2023, 1100, 1050)};
  const std::vector<std::string> picked = {"B", "A", "C"};
  const std::vector<TrendSeries> series = trendSeries(rows, picked);
  ASSERT_EQ(series.size(), 3U);
  EXPECT_EQ(series[0].station, "B");
  EXPECT_TRUE(series[0].points.empty());
  ASSERT_EQ(series[1].points.size(), 3U);
  const struct {
    int year;
    double value;
    bool isAadt;
  } expected[] = {{2021, 900, false}, {2022, 1000, true}, {2023, 1050, true}};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(series[1].points[i].year, expected[i].year);
    EXPECT_EQ(series[1].points[i].value, expected[i].value);
    EXPECT_EQ(series[1].points[i].isAadt, expected[i].isAadt);
  }
  EXPECT_TRUE(series[2].points.empty());
}

}  // namespace
}  // namespace ostrilo

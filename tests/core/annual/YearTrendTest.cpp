#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/annual/YearTrend.h"
#include "core/export/YearExports.h"

namespace ostrilo {
namespace {

StationYear yearOf(const char* station, int year, std::optional<double> aadt) {
  StationYear row;
  row.station = station;
  row.year = year;
  row.validDays = aadt ? 300 : 40;
  row.adt = aadt ? *aadt + 10 : 900;
  row.aadt = aadt;
  row.coveredCells = aadt ? 84 : 20;
  return row;
}

// A station with years without AADT before, between and after, and one that skips a year: the
// change needs the calendar year before, the growth runs from the first year with an AADT; a
// growth from an AADT of 0 is n/a.
TEST(YearTrend, ChangeAgainstTheYearBeforeAndGrowthFromTheFirstAadt) {
  const std::vector<StationYear> rows = {yearOf("0301", 2013, std::nullopt),
                                         yearOf("0301", 2014, 50000),
                                         yearOf("0301", 2015, 51000),
                                         yearOf("0301", 2016, std::nullopt),
                                         yearOf("0301", 2017, 52020),
                                         yearOf("0301", 2018, 53060.4),
                                         yearOf("X", 2020, 100),
                                         yearOf("X", 2022, 121),
                                         yearOf("Z", 2020, 0),
                                         yearOf("Z", 2021, 100)};
  EXPECT_EQ(BuildTrendCsvText(yearTrend(rows)),
            "station,year,valid_days,adt,aadt,cells,aadt_change_pct,cagr_pct\n"
            "0301,2013,40,900,,20,,\n"
            "0301,2014,300,50010,50000,84,,\n"
            "0301,2015,300,51010,51000,84,2.00,2.00\n"
            "0301,2016,40,900,,20,,\n"
            "0301,2017,300,52030,52020,84,,1.33\n"
            "0301,2018,300,53070,53060,84,2.00,1.50\n"
            "X,2020,300,110,100,84,,\n"
            "X,2022,300,131,121,84,,10.00\n"
            "Z,2020,300,10,0,84,,\n"
            "Z,2021,300,110,100,84,,\n");
  // The files leave a non-finite figure empty; the window would show "inf".
  std::vector<TrendYear> trend = yearTrend(rows);
  EXPECT_FALSE(trend.back().aadtChangePct || trend.back().cagrPct);
  // The chart: AADT where a year has one, else its ADT marked, else nothing; every picked
  // station keeps its place.
  trend[0].adt.reset();
  std::string chart;
  for (const TrendSeries& s : trendSeries(trend, std::vector<std::string>{"X", "none", "0301"})) {
    chart += s.station + ":";
    for (const TrendPoint& p : s.points) {
      chart += ' ' + std::to_string(p.year) + (p.isAadt ? "=" : "~") + std::to_string(p.value);
    }
    chart += '\n';
  }
  EXPECT_EQ(chart,
            "X: 2020=100.000000 2022=121.000000\nnone:\n0301: 2014=50000.000000 "
            "2015=51000.000000 2016~900.000000 2017=52020.000000 2018=53060.400000\n");
}

}  // namespace
}  // namespace ostrilo

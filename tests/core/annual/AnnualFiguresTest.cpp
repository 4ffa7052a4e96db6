#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/annual/AnnualFigures.h"
#include "core/export/TableExports.h"
#include "tests/support/AnnualTestSupport.h"

namespace ostrilo::test {
namespace {

StationYear onlyRow(const CountView& view, const AnnualOptions& options = {}) {
  const std::vector<StationYear> rows = ComputeAnnualFigures(view, options);
  EXPECT_EQ(rows.size(), 1u);
  return rows.at(0);
}

// 6-10 March not counted, the 11th only in its morning, the 12th all zeros.
std::string marchGaps(DateNumber d, const std::string& lines) {
  if (d == day(2023, 3, 11)) return lines.substr(0, lines.find('\n') + 1);
  if (d == day(2023, 3, 12)) return test::dayLines("SYN1", d, test::Day{});
  return d >= day(2023, 3, 6) && d <= day(2023, 3, 10) ? "" : lines;
}

std::string noFebruary(DateNumber d, const std::string& lines) {
  return civilFromDate(d).month == 2 ? "" : lines;
}

bool hasLine(const std::string& text, const std::string& line) {
  return text.find("\nSYN1,2023," + line + "\n") != std::string::npos;
}

// Missing days leave their cells with fewer days, never with zeros; an empty cell makes AADT
// and the factors n/a instead of a mean of the months that remain.
TEST(SyntheticYear, AadtNeedsEveryCellAndIgnoresDaysThatAreNotValid) {
  const struct {
    std::string (*edit)(DateNumber, const std::string&);
    std::int32_t validDays;
    double adt;
    std::optional<double> aadt;
    std::int32_t coveredCells;
    std::array<std::int32_t, kDaysOfWeek> marchDays;
    const char* factorsLine;
  } cases[] = {{nullptr, 365, 10005.65, 10000, 84, {4, 4, 5, 5, 5, 4, 4}, "F,3,2,1.0320,4"},
               {marchGaps, 358, 10015.53, 10000, 84, {3, 3, 4, 4, 4, 3, 3}, "MADW,3,7,8075,3"},
               {noFebruary, 337, 10130.74, std::nullopt, 77, {4, 4, 5, 5, 5, 4, 4}, "MF,1,,,31"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.validDays);
    const StationYear row = onlyRow(CountView::of(test::tableOf(syntheticYear("SYN1", c.edit))));
    EXPECT_EQ(row.validDays, c.validDays);
    EXPECT_NEAR(*row.adt, c.adt, 0.005);
    EXPECT_NEAR(row.aadt.value_or(-1), c.aadt.value_or(-1), 1e-6);
    EXPECT_EQ(row.coveredCells, c.coveredCells);
    EXPECT_EQ(row.emptyCells.size(), static_cast<std::size_t>(kCells - c.coveredCells));
    for (std::size_t k = 0; k < kDaysOfWeek; ++k) EXPECT_EQ(row.madw[2][k].n, c.marchDays[k]);
    EXPECT_EQ(row.v30.kPct.has_value(), c.aadt.has_value());
    EXPECT_EQ(row.aadw[0].value.has_value(), c.aadt.has_value());
    const std::string factors = BuildFactorsCsvText({row});
    EXPECT_EQ(std::count(factors.begin(), factors.end(), '\n'), 1 + 2 * kCells + 2 * 12 + 2 * 7);
    EXPECT_TRUE(hasLine(factors, c.factorsLine)) << c.factorsLine;
  }
}

// Every figure of the full year in the factors file, and the design hours.
TEST(SyntheticYear, MonthAndDayOfWeekFiguresFactorsAndDesignHours) {
  const StationYear row = onlyRow(CountView::of(test::tableOf(syntheticYear("SYN1"))));
  const std::string text = BuildFactorsCsvText({row});
  const char* madt[] = {"8000",  "8500",  "9500",  "10000", "10500", "11500",
                        "12000", "11800", "10500", "10000", "9200",  "8500"};
  const char* mf[] = {"1.2500", "1.1765", "1.0526", "1.0000", "0.9524", "0.8696",
                      "0.8333", "0.8475", "0.9524", "1.0000", "1.0870", "1.1765"};
  const int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int m = 0; m < kMonths; ++m) {
    const std::string tail = "," + std::to_string(m + 1) + ",,";
    const std::string n = "," + std::to_string(monthDays[m]);
    EXPECT_TRUE(hasLine(text, "MADT" + tail + madt[m] + n)) << m;
    EXPECT_TRUE(hasLine(text, "MF" + tail + mf[m] + n)) << m;
  }
  const char* aadw[] = {"10000", "10200", "10300", "10500", "11500", "9000", "8500"};
  const char* df[] = {"1.0000", "0.9804", "0.9709", "0.9524", "0.8696", "1.1111", "1.1765"};
  const char* march[] = {"9500,4", "9690,4", "9785,5", "9975,5", "10925,5", "8550,4", "8075,4"};
  for (int k = 0; k < kDaysOfWeek; ++k) {
    const std::string n = k == 6 ? ",53" : ",52";
    EXPECT_TRUE(hasLine(text, "AADW,," + std::to_string(k + 1) + "," + aadw[k] + n)) << k;
    EXPECT_TRUE(hasLine(text, "DF,," + std::to_string(k + 1) + "," + df[k] + n)) << k;
    EXPECT_TRUE(hasLine(text, "MADW,3," + std::to_string(k + 1) + "," + march[k])) << k;
  }
  EXPECT_TRUE(hasLine(text, "F,3,3,1.0220,5"));
  // Positions 26 to 30 all hold 992: a rank that skipped ties would not reach it.
  EXPECT_EQ(row.v30.volume, 992);
  EXPECT_NEAR(*row.v30.kPct, 9.92, 1e-9);
  EXPECT_EQ(row.v100.volume, 938);
  EXPECT_NEAR(*row.v100.kPct, 9.38, 1e-9);
}

// AAAA: three weekdays whose morning peaks fall on different hours, so that the peak of the
// average day and the average of the daily peaks differ. BBBB: half a day in 2024 and no
// complete day. Neither has a row for the year it was not counted in.
TEST(AnnualFigures, AnnualFileAndTheTwoPeakFigures) {
  test::Day a{};
  a.fill(1);
  a[7] = 100;
  a[8] = 10;
  test::Day b = a;
  b[7] = 40;
  b[8] = 50;
  const std::string bLines = test::dayLines("BBBB", day(2024, 1, 2), a);
  const ATRTable table = test::tableOf(
      test::dayLines("AAAA", day(2023, 1, 2), a) + test::dayLines("AAAA", day(2023, 1, 3), b) +
      test::dayLines("AAAA", day(2023, 1, 4), b) + bLines.substr(0, 75));
  const std::vector<StationYear> rows = ComputeAnnualFigures(CountView::of(table), {});
  ASSERT_EQ(rows.size(), 2u);
  const WindowPeak& am = *rows[0].weekday.am;
  EXPECT_DOUBLE_EQ(am.meanDailyPeak, 200.0 / 3);
  EXPECT_EQ(am.mostFrequentHour, 8);
  // All equal: the earliest of the default (commuter) PM window.
  EXPECT_EQ(rows[0].weekday.pm->mostFrequentHour, 15);
  EXPECT_FALSE(rows[0].weekend.am.has_value());
  EXPECT_EQ(BuildAnnualCsvText(rows),
            "station,year,valid_days,adt,aadt,cells,v30,k30_pct,v100,k100_pct,wd_am_peak_hour,"
            "wd_am_peak_volume,wd_am_peak_pct,wd_pm_peak_hour,wd_pm_peak_volume,wd_pm_peak_pct\n"
            "AAAA,2023,3,119,,3,1,,,,07:00,60,50.56,15:00,1,0.84\n"
            "BBBB,2024,0,,,0,,,,,,,,,,\n");
}

// One day of station 0301 is its own average day: the data-check hook leaves the others out.
TEST(AnnualFigures, RealPeakOfTheOnlyDayInEachWindow) {
  const struct {
    DateNumber date;
    PeakWindows windows;
    std::array<PeakHour, 2> amPm;  // share rounded to 2 decimals
  } cases[] = {{day(2017, 4, 17), kNoonWindows, {{{7, 6557, 7.45}, {16, 6733, 7.65}}}},
               {day(2017, 4, 17), kCommuterWindows, {{{7, 6557, 7.45}, {16, 6733, 7.65}}}},
               {day(2017, 4, 22), kNoonWindows, {{{11, 4979, 6.37}, {12, 5891, 7.54}}}},
               {day(2017, 4, 22), kCommuterWindows, {{{9, 4121, 5.28}, {18, 5581, 7.15}}}}};
  const ATRTable table = test::tableOfFiles(OSTRILO_REALDATA_DIR, {"ATR20170417w3.dat"});
  for (const auto& c : cases) {
    SCOPED_TRACE(isoDate(c.date) + (c.windows == kNoonWindows ? " noon" : " commuter"));
    AnnualOptions options;
    options.windows = c.windows;
    options.excluded = [&](std::int32_t, std::int32_t d) { return table.DatebyIndex(d) != c.date; };
    const StationYear row = onlyRow(CountView::of(table), options);
    const DayTypeProfile& day = IsWeekend(c.date) ? row.weekend : row.weekday;
    for (std::size_t i = 0; i < 2; ++i) {
      const WindowPeak& peak = i == 0 ? *day.am : *day.pm;
      EXPECT_EQ(peak.ofAverageDay.hour, c.amPm[i].hour);
      EXPECT_EQ(peak.ofAverageDay.volume, c.amPm[i].volume);
      EXPECT_NEAR(peak.ofAverageDay.sharePct, c.amPm[i].sharePct, 0.005);
      EXPECT_EQ(peak.meanDailyPeak, c.amPm[i].volume);
      EXPECT_EQ(peak.mostFrequentHour, c.amPm[i].hour);
    }
  }
}

TEST(PeakWindows, ParsesPresetsAndTwoWindows) {
  EXPECT_EQ(parsePeakWindows("noon"), kNoonWindows);
  EXPECT_EQ(parsePeakWindows("commuter"), kCommuterWindows);
  EXPECT_EQ(parsePeakWindows("7-9,16-24"), (PeakWindows{7, 9, 16, 24}));
  for (const char* bad : {"", "Noon", "6-10", "10-6,15-19", "6-10,15-25", "6-6,15-19",
                          "6-10,15-19,", "-1-3,4-5", " 6-10,15-19", "6-10;15-19", "6-10,+15-19"}) {
    EXPECT_FALSE(parsePeakWindows(bad).has_value()) << bad;
  }
}

}  // namespace
}  // namespace ostrilo::test

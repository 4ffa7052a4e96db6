#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/annual/AnnualFigures.h"
#include "tests/support/AnnualTestSupport.h"
#include "tests/support/CountFolder.h"

namespace ostrilo {
namespace {

using test::day;
using test::syntheticYear;

StationYear onlyRow(const ATRTable& table, const AnnualOptions& options = {}) {
  const std::vector<StationYear> rows = ComputeAnnualFigures(CountView::of(table), options);
  EXPECT_EQ(rows.size(), 1u);
  return rows.at(0);
}

std::string withoutDays(DateNumber first, DateNumber last, DateNumber d, const std::string& l) {
  return d >= first && d <= last ? "" : l;
}

struct YearCase {
  std::string name;
  std::function<std::string(DateNumber, const std::string&)> edit;
  std::int32_t validDays;
  double adt;
  std::optional<double> aadt;
  std::int32_t coveredCells;
  std::array<std::int32_t, kDaysOfWeek> marchDays;
};

class SyntheticYearTest : public ::testing::TestWithParam<YearCase> {};

// Missing days leave their cells with fewer days, never with zeros; an empty cell makes AADT
// n/a instead of a mean of the months that remain.
TEST_P(SyntheticYearTest, AadtNeedsEveryCellAndIgnoresDaysThatAreNotValid) {
  const YearCase& c = GetParam();
  const StationYear row = onlyRow(test::tableOf(syntheticYear("SYN1", c.edit)));
  EXPECT_EQ(row.validDays, c.validDays);
  EXPECT_NEAR(*row.adt, c.adt, 0.005);
  EXPECT_EQ(row.aadt.has_value(), c.aadt.has_value());
  if (c.aadt) {
    EXPECT_NEAR(*row.aadt, *c.aadt, 1e-6);
  }
  EXPECT_EQ(row.coveredCells, c.coveredCells);
  EXPECT_EQ(row.emptyCells.size(), static_cast<std::size_t>(kCells - c.coveredCells));
  for (std::size_t k = 0; k < kDaysOfWeek; ++k) EXPECT_EQ(row.madw[2][k].n, c.marchDays[k]);
  EXPECT_EQ(row.f[0][0].has_value(), c.aadt.has_value());
  EXPECT_EQ(row.v30.kPct.has_value(), c.aadt.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Variants, SyntheticYearTest,
    ::testing::Values(YearCase{"Full", {}, 365, 10005.65, 10000.0, 84, {4, 4, 5, 5, 5, 4, 4}},
                      // 6-10 March not counted, the 11th only in its morning, the 12th all zeros.
                      YearCase{"MarchWeekMissingHalfAndZeroDay",
                               [](DateNumber d, const std::string& lines) {
                                 if (d == day(2023, 3, 11))
                                   return lines.substr(0, lines.find('\n') + 1);
                                 if (d == day(2023, 3, 12))
                                   return test::dayLines("SYN1", d, test::Day{});
                                 return withoutDays(day(2023, 3, 6), day(2023, 3, 10), d, lines);
                               },
                               358,
                               10015.53,
                               10000.0,
                               84,
                               {3, 3, 4, 4, 4, 3, 3}},
                      YearCase{"WithoutFebruary",
                               [](DateNumber d, const std::string& lines) {
                                 return withoutDays(day(2023, 2, 1), day(2023, 2, 28), d, lines);
                               },
                               337,
                               10130.74,
                               std::nullopt,
                               77,
                               {4, 4, 5, 5, 5, 4, 4}}),
    [](const auto& info) { return info.param.name; });

TEST(SyntheticYear, MonthAndDayOfWeekFiguresFactorsAndDesignHours) {
  const StationYear row = onlyRow(test::tableOf(syntheticYear("SYN1")));
  const double madt[] = {8000,  8500,  9500,  10000, 10500, 11500,
                         12000, 11800, 10500, 10000, 9200,  8500};
  const double mf[] = {1.2500, 1.1765, 1.0526, 1.0000, 0.9524, 0.8696,
                       0.8333, 0.8475, 0.9524, 1.0000, 1.0870, 1.1765};
  for (std::size_t m = 0; m < kMonths; ++m) {
    EXPECT_NEAR(*row.madt[m].value, madt[m], 1e-6) << m;
    EXPECT_NEAR(*row.mf[m], mf[m], 5e-5) << m;
  }
  const double aadw[] = {10000, 10200, 10300, 10500, 11500, 9000, 8500};
  const double df[] = {1.0000, 0.9804, 0.9709, 0.9524, 0.8696, 1.1111, 1.1765};
  const double march[] = {9500, 9690, 9785, 9975, 10925, 8550, 8075};
  for (std::size_t k = 0; k < kDaysOfWeek; ++k) {
    EXPECT_NEAR(*row.aadw[k].value, aadw[k], 1e-6) << k;
    EXPECT_NEAR(*row.df[k], df[k], 5e-5) << k;
    EXPECT_NEAR(*row.madw[2][k].value, march[k], 1e-6) << k;
  }
  EXPECT_NEAR(*row.f[2][1], 1.0320, 5e-5);
  EXPECT_NEAR(*row.f[2][2], 1.0220, 5e-5);
  // Positions 26 to 30 all hold 992: a rank that skipped ties would not reach it.
  EXPECT_EQ(row.v30.volume, 992);
  EXPECT_NEAR(*row.v30.kPct, 9.92, 1e-9);
  EXPECT_EQ(row.v100.volume, 938);
  EXPECT_NEAR(*row.v100.kPct, 9.38, 1e-9);
}

TEST(SyntheticYear, FactorsFileListsEveryCellOfEveryKind) {
  const std::string full = BuildFactorsCsvText({onlyRow(test::tableOf(syntheticYear("SYN1")))});
  const std::string noFeb = BuildFactorsCsvText(
      {onlyRow(test::tableOf(syntheticYear("SYN1", [](DateNumber d, const std::string& lines) {
        return withoutDays(day(2023, 2, 1), day(2023, 2, 28), d, lines);
      })))});
  for (const std::string* text : {&full, &noFeb}) {
    EXPECT_TRUE(text->starts_with("station,year,kind,month,dow,value,n\nSYN1,2023,MADW,1,1,"));
    EXPECT_EQ(std::count(text->begin(), text->end(), '\n'), 1 + 2 * kCells + 2 * kMonths + 2 * 7);
  }
  for (const char* line : {"\nSYN1,2023,MADW,3,2,9690,4\n", "\nSYN1,2023,F,3,2,1.0320,4\n",
                           "\nSYN1,2023,MF,1,,1.2500,31\n", "\nSYN1,2023,AADW,,1,10000,52\n",
                           "\nSYN1,2023,DF,,6,1.1111,52\n", "\nSYN1,2023,MADT,12,,8500,31\n"}) {
    EXPECT_NE(full.find(line), std::string::npos) << line;
  }
  for (const char* line : {"\nSYN1,2023,MADW,2,1,,0\n", "\nSYN1,2023,MADT,2,,,0\n",
                           "\nSYN1,2023,AADW,,1,,48\n", "\nSYN1,2023,MF,1,,,31\n"}) {
    EXPECT_NE(noFeb.find(line), std::string::npos) << line;
  }
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
  EXPECT_EQ(am.ofAverageDay.hour, 7);
  EXPECT_DOUBLE_EQ(am.ofAverageDay.volume, 60);
  EXPECT_DOUBLE_EQ(am.meanDailyPeak, 200.0 / 3);
  EXPECT_EQ(am.mostFrequentHour, 8);
  EXPECT_EQ(rows[0].weekday.pm->mostFrequentHour, 12);  // all equal: the earliest
  EXPECT_FALSE(rows[0].weekend.am.has_value());
  EXPECT_EQ(BuildAnnualCsvText(rows),
            "station,year,valid_days,adt,aadt,cells,v30,k30_pct,v100,k100_pct,wd_am_peak_hour,"
            "wd_am_peak_volume,wd_am_peak_pct,wd_pm_peak_hour,wd_pm_peak_volume,wd_pm_peak_pct\n"
            "AAAA,2023,3,119,,3,1,,,,07:00,60,50.56,12:00,1,0.84\n"
            "BBBB,2024,0,,,0,,,,,,,,,,\n");
}

struct PeakCase {
  DateNumber date;
  PeakWindows windows;
  int amHour;
  double amVolume;
  double amPct;
  int pmHour;
  double pmVolume;
  double pmPct;
};

class RealPeakTest : public ::testing::TestWithParam<PeakCase> {};

// One day of station 0301 is its own average day: the data-check hook leaves the others out.
TEST_P(RealPeakTest, PeakOfTheOnlyDayInEachWindow) {
  const PeakCase& c = GetParam();
  ATRTable table;
  table.setInFile(OSTRILO_REALDATA_DIR "/ATR20170417w3.dat");
  (void)table.BuildTable();
  AnnualOptions options;
  options.windows = c.windows;
  options.excluded = [&](std::int32_t, std::int32_t d) {
    return table.ulstDate().at(static_cast<std::int16_t>(d)) != c.date;
  };
  const StationYear row = onlyRow(table, options);
  EXPECT_EQ(row.validDays, 1);
  const DayTypeProfile& profile = IsWeekend(c.date) ? row.weekend : row.weekday;
  for (const auto& [peak, hour, volume, pct] :
       {std::tuple{*profile.am, c.amHour, c.amVolume, c.amPct},
        std::tuple{*profile.pm, c.pmHour, c.pmVolume, c.pmPct}}) {
    EXPECT_EQ(peak.ofAverageDay.hour, hour);
    EXPECT_EQ(peak.ofAverageDay.volume, volume);
    EXPECT_EQ(formatFixed(peak.ofAverageDay.sharePct, 2), formatFixed(pct, 2));
    EXPECT_EQ(peak.meanDailyPeak, volume);
    EXPECT_EQ(peak.mostFrequentHour, hour);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Station0301, RealPeakTest,
    ::testing::Values(PeakCase{day(2017, 4, 17), kNoonWindows, 7, 6557, 7.45, 16, 6733, 7.65},
                      PeakCase{day(2017, 4, 17), kCommuterWindows, 7, 6557, 7.45, 16, 6733, 7.65},
                      PeakCase{day(2017, 4, 22), kNoonWindows, 11, 4979, 6.37, 12, 5891, 7.54},
                      PeakCase{day(2017, 4, 22), kCommuterWindows, 9, 4121, 5.28, 18, 5581, 7.15}));

// The coverage the data's README states; a station's all-zero days are complete but not valid.
TEST(AnnualFigures, Berlin2023CoverageAndDeadCounterDays) {
  const test::FolderCounts counts = test::readCountFolder(OSTRILO_REALDATA_DIR "/berlin-2023");
  const CountView view = counts.view();
  const auto completeDays = [&](std::int32_t s) {
    std::int32_t days = 0;
    for (std::int32_t d = 0; d < std::ssize(counts.dates); ++d)
      days += view.completeDay(d, s) != nullptr;
    return days;
  };
  const std::vector<StationYear> rows = ComputeAnnualFigures(view, {});
  ASSERT_EQ(rows.size(), 231u);
  int withAadt = 0;
  std::int32_t mostComplete = 0;
  std::string mostCompleteName;
  for (const StationYear& row : rows) {
    EXPECT_EQ(row.aadt.has_value(), row.coveredCells == kCells) << row.station;
    withAadt += row.aadt.has_value();
    if (const std::int32_t days = completeDays(row.stationIndex); days > mostComplete) {
      mostComplete = days;
      mostCompleteName = row.station;
    }
  }
  EXPECT_EQ(withAadt, 48);
  EXPECT_EQ(mostCompleteName, "B478");
  EXPECT_EQ(mostComplete, 314);
  const std::int32_t b346 = counts.station("B346");
  EXPECT_EQ(completeDays(b346) - rows.at(static_cast<std::size_t>(b346)).validDays, 82);
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
}  // namespace ostrilo

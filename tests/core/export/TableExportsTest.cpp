#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/annual/AnnualFigures.h"
#include "core/annual/ShortCounts.h"
#include "core/checks/CheckReport.h"
#include "core/export/TableExports.h"
#include "core/register/StationRegister.h"
#include "tests/support/AnnualTestSupport.h"

namespace ostrilo {
namespace {

using test::day;
using test::dayLines;
using test::spread;

// A year with an AADT, a short count with a dead morning and month flags, and a station whose
// name CSV must quote and a spreadsheet would take for a formula.
struct Sample {
  ATRTable table;
  std::vector<StationYear> years;
  std::vector<FactorGroup> groups;
  std::vector<ShortCountEstimate> estimates;
  CheckResults checks;
};

const Sample& sample() {
  static const Sample s = [] {
    test::Day deadMorning = spread(24000);
    std::fill_n(deadMorning.begin(), 8, 0);
    Sample r;
    r.table = test::tableOf(test::syntheticYear("SYN1") +
                            dayLines("0301", day(2023, 3, 14), spread(9650)) +
                            dayLines("0301", day(2023, 3, 16), deadMorning) +
                            dayLines("-a,\"", day(2023, 3, 15), spread(7001)));
    const CountView view = CountView::of(r.table);
    AnnualOptions options;
    options.excluded = excludingCriticalDays(view);
    r.years = ComputeAnnualFigures(view, options);
    r.groups = {CombineFactors(std::span(r.years).first(1), 2023)};
    const std::int32_t shortCounts[] = {1, 2};
    r.estimates = ExpandShortCounts(view, shortCounts, r.groups, options.excluded);
    r.estimates.push_back({2, "-a,\"", 2024, {}, std::nullopt, nullptr});  // no group that year
    r.checks = RunDataChecks(r.table);
    return r;
  }();
  return s;
}

struct ExportCase {
  std::string name;
  std::function<TableExport(const StationRegister*)> exported;
  std::function<std::string()> file;  // the bytes the file has always had
};

class TableExportsTest : public ::testing::TestWithParam<ExportCase> {};

// The CSV from the description is the file other programs read, with a register or without; the
// register's columns follow the station's, for people only.
TEST_P(TableExportsTest, CsvIsTheFileAndRegisterColumnsFollowTheStation) {
  const auto names = StationRegister::parse(
      "station,notes,name,group\n0301,\"kerb, east\",Main St,urban\nSYN1,,Ring,rural\n", "r.csv");
  const TableExport plain = GetParam().exported(nullptr);
  ASSERT_GT(plain.table.rowCount(), 1u);
  EXPECT_EQ(buildCsvText(plain.table, plain.format), GetParam().file());
  const TableExport named = GetParam().exported(&names);
  EXPECT_EQ(buildCsvText(named.table, named.format), GetParam().file());
  EXPECT_FALSE(named.definitions.empty());

  ASSERT_EQ(named.table.columns.size(), plain.table.columns.size() + 3);
  std::vector<std::string> headers;
  for (std::size_t c = 1; c < 4; ++c) headers.push_back(named.table.columns[c].header);
  EXPECT_EQ(headers, (std::vector<std::string>{"name", "group", "notes"}));
  for (std::size_t r = 0; r < named.table.rowCount(); ++r) {
    const std::string station = std::get<std::string>(named.table.cell(r, 0));
    const std::string notes = std::get<std::string>(named.table.cell(r, 3));
    EXPECT_EQ(notes, station == "0301" ? "kerb, east" : "") << station;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Exports, TableExportsTest,
    ::testing::Values(
        ExportCase{"Annual", [](auto* n) { return annualExport(sample().years, n); },
                   [] { return BuildAnnualCsvText(sample().years); }},
        ExportCase{"Factors", [](auto* n) { return factorsExport(sample().years, n); },
                   [] { return BuildFactorsCsvText(sample().years); }},
        ExportCase{"Expand", [](auto* n) { return expandExport(sample().estimates, n); },
                   [] { return BuildExpandCsvText(sample().estimates); }},
        ExportCase{"Checks",
                   [](auto* n) {
                     return checksExport(sample().checks.flags(), sample().checks.stations(), n);
                   },
                   [] {
                     return BuildChecksCsvText(sample().checks.flags(), sample().checks.stations());
                   }}),
    [](const auto& info) { return info.param.name; });

// The sample reaches what the files spell differently: n/a figures, peaks, month and day flags,
// an estimate without a group.
TEST(TableExports, SampleHoldsEveryKindOfCell) {
  const Sample& s = sample();
  ASSERT_EQ(s.years.size(), 3u);
  EXPECT_TRUE(s.years[0].aadt && s.years[0].weekday.am);
  EXPECT_FALSE(s.years[1].aadt);
  const auto& flags = s.checks.flags();
  EXPECT_TRUE(std::any_of(flags.begin(), flags.end(), [](auto& f) { return f.wholeMonth(); }));
  EXPECT_TRUE(std::any_of(flags.begin(), flags.end(), [](auto& f) { return !f.wholeMonth(); }));
  EXPECT_TRUE(s.estimates[0].aadt);
}

}  // namespace
}  // namespace ostrilo

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/checks/CheckReport.h"
#include "core/export/TableExports.h"
#include "core/register/StationRegister.h"
#include "tests/support/AnnualTestSupport.h"

namespace ostrilo::test {
namespace {

// What the files spell differently: a year with an AADT and peaks, a short count without one,
// with a dead morning (a day flag) and months without counts (month flags), a station whose
// name CSV must quote and a spreadsheet would take for a formula, an estimate without a group.
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
                            dayLines("0301", day(2023, 3, 15), spread(9800)) +
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
    r.checks = runDataChecks(r.table);
    return r;
  }();
  return s;
}

// Export n of the sample and the bytes its file has always had.
std::pair<TableExport, std::string> exportOf(int n, const StationRegister* names) {
  const Sample& s = sample();
  const CheckResults& r = s.checks;
  if (n == 0) return {annualExport(s.years, names), BuildAnnualCsvText(s.years)};
  if (n == 1) return {factorsExport(s.years, names), BuildFactorsCsvText(s.years)};
  if (n == 2) return {expandExport(s.estimates, names), BuildExpandCsvText(s.estimates)};
  return {checksExport(r.flags(), r.stations(), names),
          BuildChecksCsvText(r.flags(), r.stations())};
}

class TableExportsTest : public ::testing::TestWithParam<int> {};

// The CSV from the description is the file other programs read, with a register or without; the
// register's columns follow the station's, for people only.
TEST_P(TableExportsTest, CsvIsTheFileAndRegisterColumnsFollowTheStation) {
  const auto names = StationRegister::parse("station,notes,name,group\n0301,,Main St,urban\n", "r");
  for (const StationRegister* register_ : {static_cast<const StationRegister*>(nullptr), &names}) {
    const auto [exported, file] = exportOf(GetParam(), register_);
    EXPECT_EQ(buildCsvText(exported.table, exported.format), file);
    EXPECT_FALSE(exported.definitions.empty());
    std::vector<std::string> forPeople;  // position and header
    bool workbookForm = false;  // past a CSV-only column: the workbook's own form of it follows
    for (std::size_t c = 0; c < exported.table.columns.size(); ++c) {
      const ExportColumn& column = exported.table.columns[c];
      workbookForm = workbookForm || !column.inWorkbook;
      if (!column.inCsv && !workbookForm)
        forPeople.push_back(std::to_string(c) + " " + column.header);
    }
    const std::vector<std::string> expected = {"1 name", "2 group", "3 notes"};
    EXPECT_EQ(forPeople, register_ ? expected : std::vector<std::string>{});
  }
}

INSTANTIATE_TEST_SUITE_P(Exports, TableExportsTest, ::testing::Range(0, 4));

}  // namespace
}  // namespace ostrilo::test

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/commands/Commands.h"
#include "core/export/ExportTable.h"
#include "core/export/TableExports.h"
#include "core/table/TableSummary.h"
#include "tests/support/SelectionTestSupport.h"

namespace ostrilo::test {
namespace {

// B1 on 2 and 1 January (table order), B2 on 1 January with its evening not
// counted.
ATRTable twoStations() {
  const std::string evening = test::countLine('1', "010123", "B2  ", test::rising(1));
  return test::tableOf(dayLines("B1  ", day(2023, 1, 2), spread(2400)) +
                       dayLines("B1  ", day(2023, 1, 1), spread(1200)) + evening + "\r\n");
}

TEST(CountExports, DailyMatrixHoldsCompleteTotalsOnly) {
  const ATRTable table = twoStations();
  const PlotSelection all = test::pick(table, {0, 1}, {0, 1});
  const auto csv = [](const TableExport &e) { return buildCsvText(e.table, e.format); };
  EXPECT_EQ(csv(dailyMatrixExport(table, all, nullptr)),
            "station,2023-01-02,2023-01-01\nB1  ,2400,1200\nB2  ,,\n");
  EXPECT_EQ(csv(dailyMatrixExport(table, test::pick(table, {1, 0}, {1}), nullptr, true)),
            "station,2023-01-01\nB1  ,1200\nB2  ,\n");
  // Everything picked, the hourly rows are those of the whole table.
  EXPECT_EQ(csv(hourlyExport(table, all, nullptr)), csv(hourlyExport(table, nullptr)));
  const std::string one = csv(hourlyExport(table, test::pick(table, {1}, {0, 1}), nullptr));
  EXPECT_EQ(one.substr(one.find('\n') + 1, 16), "B2  ,2023-01-01,");
  EXPECT_EQ(std::count(one.begin(), one.end(), '\n'), 2);
}

// B1's two days and B2's half day, counted by hand; the About sheet over what was picked.
TEST(CountExports, SummaryAndAboutSheetCountWhatWasRead) {
  const ATRTable table = twoStations();
  EXPECT_EQ(SummarizeTable(table),
            (TableSummary{2, 2, day(2023, 1, 1), day(2023, 1, 2), 4, 60, 2, 36}));
  const WorkbookAbout picked = aboutSelection(table, test::pick(table, {1}, {1, 0}), {"a.dat"});
  EXPECT_EQ(picked.stations, std::vector<std::string>{"B2  "});
  EXPECT_EQ(std::tuple(picked.firstDate, picked.lastDate, picked.dateCount),
            std::tuple(std::optional(day(2023, 1, 1)), std::optional(day(2023, 1, 2)), 2));
  const std::int32_t b1[] = {0};
  EXPECT_EQ(aboutStations(table, b1, 2024, {}).dateCount, 0);
  EXPECT_EQ(aboutStations(table, b1, 2023, {}).dateCount, 2);
}

TEST(CountExports, CountsTheLinesThatAreNotBlank) {
  const test::ScratchDir dir;
  const std::vector<std::string> paths = {dir.write("a.dat", "one\r\n   \r\ntwo\rthree\n\n"),
                                          dir.write("b.dat", "four"), dir.file("missing.dat")};
  EXPECT_EQ(countFileLines(paths), 4);
}

}  // namespace
}  // namespace ostrilo::test

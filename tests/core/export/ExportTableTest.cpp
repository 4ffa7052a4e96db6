#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "core/export/ExportTable.h"
#include "core/export/TableExports.h"
#include "core/register/StationRegister.h"
#include "core/table/ATRTable.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo {
namespace {

using test::countFile;
using test::countLine;
using test::rising;

// The description must give the statistics file's bytes exactly, so that it can take over.
TEST(ExportTable, StatisticsGiveTheStatisticsFileBytes) {
  const StatResults rows = {{"0301", 120, 80, 160, 30, 130, 100, 5},
                            {"A,\"b\"", -4, -9, 0, 3, -4, std::nullopt, 2},
                            {"EMPT", std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                             std::nullopt, std::nullopt, 0}};
  const auto names = StationRegister::parse("station,name\n0301,Main St\n", "reg.csv");
  for (const StatResults& set : {rows, StatResults{}}) {
    EXPECT_EQ(buildCsvText(statsExportTable(set), kStatsCsvFormat), BuildStatsCsvText(set));
    // The names are for people; the file keeps the columns other programs read.
    EXPECT_EQ(buildCsvText(statsExportTable(set, &names), kStatsCsvFormat), BuildStatsCsvText(set));
  }
  const ExportTable named = statsExportTable(rows, &names);
  EXPECT_EQ(named.registerText(0, 1), "Main St");
  EXPECT_EQ(named.registerText(1, 1), "");
  EXPECT_EQ(std::get<double>(named.cell(0, 2)), 120);
}

// The command line's table: LF lines, an hour not counted empty, total only for whole days.
TEST(ExportTable, HourlyTableGivesTheCommandLineTableBytes) {
  test::ScratchDir dir;
  ATRTable table;
  table.setInFile(dir.write("ATR.dat", countFile({countLine('1', "010523", "0301", rising(1)),
                                                  countLine('2', "010523", "0301", rising(13)),
                                                  countLine('1', "010523", "B7  ", rising(1))})));
  table.BuildTable();
  const std::string expected =
      "station,date,h00,h01,h02,h03,h04,h05,h06,h07,h08,h09,h10,h11,h12,h13,h14,h15,h16,h17,h18,"
      "h19,h20,h21,h22,h23,total\n"
      "0301,2023-01-05,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,300\n"
      "B7  ,2023-01-05,1,2,3,4,5,6,7,8,9,10,11,12,,,,,,,,,,,,,\n";
  EXPECT_EQ(buildCsvText(hourlyExportTable(table)), expected);
}

// Integers round halves to even; no negative zero; a percent column holds fractions.
TEST(ExportTable, CellTextFollowsTheColumnKind) {
  const std::tuple<ExportColumn, ExportCell, std::string> cases[] = {
      {{"x", ColumnKind::Integer}, 2.5, "2"},
      {{"x", ColumnKind::Decimal, 2}, 1234.5678, "1234.57"},
      {{"x", ColumnKind::Decimal, 1}, -0.01, "0.0"},
      {{"x", ColumnKind::Percent, 1}, 0.1234, "12.3"},
      {{"x", ColumnKind::Date}, 45000.0, "2023-03-15"},
      {{"x", ColumnKind::Decimal, 1}, std::nan(""), ""},
      {{"x", ColumnKind::Integer}, NotAvailable{}, "n/a"}};
  for (const auto& [column, cell, text] : cases) EXPECT_EQ(cellText(cell, column, "n/a"), text);
}

}  // namespace
}  // namespace ostrilo

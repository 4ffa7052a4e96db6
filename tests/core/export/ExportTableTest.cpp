#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "core/export/ExportTable.h"
#include "core/export/TableExports.h"
#include "core/register/StationRegister.h"

namespace ostrilo {
namespace {

// The register's columns are for people: the statistics file keeps the columns other programs
// read, byte for byte, while the table tells each row's name.
TEST(ExportTable, StatisticsWithARegisterKeepTheFileBytes) {
  const StatResults rows = {{"0301", 120, 80, 160, 30, 130, 100, 5},
                            {"A,\"b\"", -4, -9, 0, 3, -4, std::nullopt, 2},
                            {"EMPT", std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                             std::nullopt, std::nullopt, 0}};
  const auto names = StationRegister::parse("station,name\n0301,Main St\n", "reg.csv");
  const ExportTable named = statsExportTable(rows, &names);
  EXPECT_EQ(buildCsvText(named, kStatsCsvFormat), BuildStatsCsvText(rows));
  EXPECT_EQ(named.registerText(0, 1), "Main St");
  EXPECT_EQ(named.registerText(1, 1), "");
  EXPECT_EQ(std::get<double>(named.cell(0, 2)), 120);
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

#include <gtest/gtest.h>

#include "core/export/ExportTable.h"
#include "core/export/HourlyTable.h"
#include "core/export/TableExports.h"
#include "tests/support/SelectionTestSupport.h"

namespace ostrilo {
namespace {

// Hours not counted stay empty, the total only with all 24 hours, a name with a comma quoted;
// the CSV and the workbook's cells list the same rows.
TEST(HourlyCsvText, ListsEveryCountedPairAsTheWorkbookDoes) {
  const ATRTable table = test::tableOf(
      "31041717 a,b     1    2    3    4    5    6    7    8    9   10   11   12\r\n" +
      test::dayLines("0301", test::day(2017, 4, 17), test::spread(48)));
  const std::string text = hourlyCsvText(table);
  EXPECT_EQ(text,
            "station,date,h00,h01,h02,h03,h04,h05,h06,h07,h08,h09,h10,h11,h12,h13,h14,h15,h16,"
            "h17,h18,h19,h20,h21,h22,h23,total\n"
            "\"a,b \",2017-04-17,1,2,3,4,5,6,7,8,9,10,11,12,,,,,,,,,,,,,\n"
            "0301,2017-04-17,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,48\n");
  EXPECT_EQ(text, buildCsvText(hourlyExportTable(table)));
}

}  // namespace
}  // namespace ostrilo

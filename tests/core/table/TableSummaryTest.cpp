#include <gtest/gtest.h>

#include "core/table/TableSummary.h"
#include "tests/support/SelectionTestSupport.h"

namespace ostrilo {
namespace {

using test::countLine;
using test::day;
using test::rising;

// Dates listed out of calendar order; A's 5 March is a half day, B has nothing on 3 March.
TEST(SummarizeTable, CountsPairsHoursAndCompleteDaysWithTheCalendarsFirstAndLastDate) {
  const ATRTable table = test::tableOf(test::countFile(
      {countLine('1', "030503", "A", rising(1)), countLine('1', "030303", "A", rising(1)),
       countLine('2', "030303", "A", rising(1)), countLine('2', "030403", "B", rising(1)),
       countLine('1', "030403", "B", rising(1))}));
  TableSummary expected;
  expected.stations = 2;
  expected.dates = 3;
  expected.firstDate = day(2003, 3, 3);
  expected.lastDate = day(2003, 3, 5);
  expected.records = 6;
  expected.countedHours = 5 * 12;
  expected.completeDays = 2;
  expected.hoursNotCounted = 6 * 24 - 5 * 12;
  EXPECT_EQ(SummarizeTable(table), expected);
  EXPECT_EQ(SummarizeTable(ATRTable{}), TableSummary{});
}

}  // namespace
}  // namespace ostrilo

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/export/ExportTable.h"
#include "core/order/DateFilter.h"
#include "core/order/ListOrder.h"
#include "core/register/StationRegister.h"
#include "tests/support/SelectionTestSupport.h"

namespace ostrilo::test {
namespace {

int sign(int v) { return (v > 0) - (v < 0); }

TEST(NaturalCompare, NumbersByValueTextByBytes) {
  const struct {
    const char *a, *b;
    int expected;
  } cases[] = {{"B2", "B10", -1},   {"B10", "B2", 1}, {"B002", "B2", -1},  {"B2", "B2", 0},
               {"B2", "B2a", -1},   {"A9", "B1", -1}, {"0300", "0100", 1}, {"x", "", 1},
               {"B99", "B100", -1}, {"b1", "B1", 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(sign(naturalCompare(c.a, c.b)), c.expected) << c.a << " vs " << c.b;
  }
}

// Table order B10x, B2xx, C1xx, B01x (count files hold four-byte ids) on 3, 1, 2 January.
ATRTable mixedTable() {
  return test::tableOf(dayLines("B10x", test::day(2023, 1, 3), spread(24)) +
                       dayLines("B2xx", test::day(2023, 1, 1), spread(24)) +
                       dayLines("C1xx", test::day(2023, 1, 2), spread(24)) +
                       dayLines("B01x", test::day(2023, 1, 2), spread(24)));
}

TEST(ListOrder, StationsByIdOrNameAndDatesByCalendarKeepTableIndexes) {
  const ATRTable table = mixedTable();
  const StationRegister names =
      StationRegister::parse("station,name\nB10x,alpha\nC1xx,Zoo\nB2xx,beta\n", "r.csv");
  using V = std::vector<std::int32_t>;
  EXPECT_EQ(stationOrder(table, StationOrder::Table), (V{0, 1, 2, 3}));
  EXPECT_EQ(stationOrder(table, StationOrder::Id), (V{3, 1, 0, 2}));
  // Names fold case; an unnamed station follows the named ones.
  EXPECT_EQ(stationOrder(table, StationOrder::Name, &names), (V{0, 1, 2, 3}));
  EXPECT_EQ(stationOrder(table, StationOrder::Name), (V{3, 1, 0, 2}));
  EXPECT_EQ(dateOrder(table, true), (V{1, 2, 0}));
  EXPECT_EQ(dateOrder(table, false), (V{0, 1, 2}));
}

TEST(ListOrder, ExportRowsSortByStationDateOrName) {
  ExportTable t;
  t.title = "t";
  t.columns = {{"station"}, {"date", ColumnKind::Date}, {"Name", ColumnKind::Text, 0, false}};
  const double d1 = test::day(2023, 1, 1), d2 = test::day(2023, 1, 2);
  t.addRow({"B10", d2, "a"});
  t.addRow({"B2", d2, "b"});
  t.addRow({"B10", d1, "a"});
  t.addRow({"B3", d1, ""});
  const auto stationsAndDays = [](const ExportTable& e) {
    std::string out;
    for (std::size_t r = 0; r < e.rowCount(); ++r) {
      out += std::get<std::string>(e.cell(r, 0)) + "/" +
             std::to_string(
                 static_cast<int>(std::get<double>(e.cell(r, 1)) - test::day(2023, 1, 1) + 1)) +
             " ";
    }
    return out;
  };
  const struct {
    RowOrder order;
    const char* rows;
  } cases[] = {{RowOrder::Table, "B10/2 B2/2 B10/1 B3/1 "},
               {RowOrder::Id, "B2/2 B3/1 B10/1 B10/2 "},
               {RowOrder::Date, "B3/1 B10/1 B2/2 B10/2 "},
               {RowOrder::Name, "B10/1 B10/2 B2/2 B3/1 "}};
  for (const auto& c : cases) {
    ExportTable sorted = t;
    sortExportRows(sorted, c.order);
    EXPECT_EQ(stationsAndDays(sorted), c.rows);
  }
  EXPECT_EQ(parseRowOrder("date"), RowOrder::Date);
  EXPECT_EQ(parseRowOrder("name"), std::nullopt);
}

TEST(DateFilter, MatchesDatesAsDates) {
  const DateNumber nov2 = test::day(2023, 11, 2);  // a Thursday
  const DateNumber jan2 = test::day(2023, 1, 2);   // a Monday
  const struct {
    const char* filter;
    bool nov2, jan2;
  } cases[] = {
      {"", true, true},
      {"2023-01-02", false, true},
      {"2023-11", true, false},
      {"2023", true, true},
      {"thu", true, false},
      {"Mo", false, true},
      {"2023-01-01..2023-01-31", false, true},
      {"2023-02..2023-11", true, false},
      {"..2023-10-31", false, true},
      {"2023-01 mo", false, true},
      {"2023-01 tu", false, false},
      {"1/2/2023", false, true},  // no ISO form: a word of the entry's text
      {"11/2", true, false},
  };
  for (const auto& c : cases) {
    const DateFilter filter(c.filter);
    EXPECT_EQ(filter.matches(nov2 + 0.5, "11/2/2023,Th"), c.nov2) << c.filter;
    EXPECT_EQ(filter.matches(jan2, "1/2/2023,Mo"), c.jan2) << c.filter;
  }
}

}  // namespace
}  // namespace ostrilo::test

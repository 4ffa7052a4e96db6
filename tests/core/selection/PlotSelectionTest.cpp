#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/selection/PlotSelection.h"
#include "core/table/Error.h"
#include "tests/support/SelectionTestSupport.h"

namespace ostrilo {
namespace {

using test::listOf;

// The first failing test answers: an empty station list, then the dates, then the stations.
TEST(CheckPlotSelection, AnswersTheFirstFailingTest) {
  const std::tuple<ListSelection, ListSelection, std::optional<std::string>> cases[] = {
      {listOf(0, {}), listOf(0, {}), kNoDataMessage},
      {listOf(2, {}), listOf(3, {}), kNoDatesMessage},
      {listOf(2, {0}), listOf(3, {}), kNoDatesMessage},
      {listOf(2, {}), listOf(3, {2}), kNoStationsMessage},
      {listOf(2, {1}), listOf(3, {2}), std::nullopt}};
  for (const auto& [stations, dates, message] : cases) {
    EXPECT_EQ(CheckPlotSelection({stations, dates}), message);
  }
}

// Dates by calendar day, whatever their list order or gaps; a name the table lacks picks none.
TEST(SelectionAroundDay, PicksTheStationAndTheDatesWithinReach) {
  std::string text;
  for (int d : {9, 1, 2, 3, 6, 7}) text += test::dayLines("AAAA", test::day(2023, 1, d), {});
  const ATRTable table = test::tableOf(text + test::dayLines("BBBB", test::day(2023, 1, 1), {}));
  const PlotSelection around = selectionAroundDay(table, "BBBB", test::day(2023, 1, 3), 3);
  EXPECT_EQ(around.stations.selected, (std::vector<bool>{false, true}));
  EXPECT_EQ(around.stations.texts, (std::vector<std::string>{"AAAA", "BBBB"}));
  EXPECT_EQ(around.dates.selected, (std::vector<bool>{false, true, true, true, true, false}));
  EXPECT_TRUE(selectionAroundDay(table, "CCCC", 0, 3).stations.picked().empty());
}

// Names in any order and more than once pick each station once, in table order; the bytes must
// match exactly.
TEST(PickStations, NamesBecomeIndexesInTableOrder) {
  const ATRTable table =
      test::tableOf(test::dayLines("0301", test::day(2005, 1, 7), test::spread(24)) +
                    test::dayLines(" 301", test::day(2005, 1, 7), test::spread(24)) +
                    test::dayLines("a,b ", test::day(2005, 1, 7), test::spread(24)));
  const std::vector<std::string_view> names = {"a,b ", "0301", "a,b "};
  EXPECT_EQ(pickStations(table, &names), (std::vector<std::int32_t>{0, 2}));
  EXPECT_EQ(pickStations(table, nullptr), (std::vector<std::int32_t>{0, 1, 2}));
  const std::vector<std::string_view> unknown = {"0301", "301"};
  try {
    static_cast<void>(pickStations(table, &unknown));
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::Usage);
    EXPECT_EQ(e.description(), "unknown station \"301\"");
  }
  const ListSelection list = stationList(table, std::vector<std::int32_t>{1});
  EXPECT_EQ(list.texts, (std::vector<std::string>{"0301", " 301", "a,b "}));
  EXPECT_EQ(list.selected, (std::vector<bool>{false, true, false}));
}

}  // namespace
}  // namespace ostrilo

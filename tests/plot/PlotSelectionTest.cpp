#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "SelectionTestSupport.h"
#include "plot/PlotSelection.h"

namespace ostrilo {
namespace {

using test::listOf;

struct CheckCase {
  const char* name;
  ListSelection stations;
  ListSelection dates;
  std::optional<std::string> message;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class CheckPlotSelectionTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckPlotSelectionTest, AnswersTheFirstFailingTest) {
  const CheckCase& c = GetParam();
  EXPECT_EQ(CheckPlotSelection({c.stations, c.dates}), c.message);
}

ListSelection withCurrent(ListSelection list, int current) {
  list.current = current;
  return list;
}

INSTANTIATE_TEST_SUITE_P(
    Selections, CheckPlotSelectionTest,
    ::testing::Values(
        CheckCase{"EmptyStationListBeatsDates", listOf(0, {}), listOf(3, {0}), kNoDataMessage},
        CheckCase{"EmptyStationListBeatsEverything", listOf(0, {}), listOf(0, {}), kNoDataMessage},
        CheckCase{"NoDateSelected", listOf(2, {0}), withCurrent(listOf(3, {}), 1), kNoDatesMessage},
        CheckCase{"EmptyDateList", listOf(2, {0}), listOf(0, {}), kNoDatesMessage},
        CheckCase{"DatesAreTestedBeforeStations", listOf(2, {}), listOf(3, {}), kNoDatesMessage},
        CheckCase{"NoStationSelected", withCurrent(listOf(2, {}), 0), listOf(3, {2}),
                  kNoStationsMessage},
        CheckCase{"SelectedWithoutCurrentItems", listOf(2, {1}), listOf(3, {2}), std::nullopt},
        CheckCase{"EverythingSelected", withCurrent(listOf(2, {0, 1}), 1),
                  withCurrent(listOf(3, {0, 1, 2}), 0), std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct Visit {
  int k;
  std::int16_t station;
  std::int16_t date;
  friend bool operator==(const Visit&, const Visit&) = default;
};

std::vector<Visit> walk(const PlotSelection& selection) {
  std::vector<Visit> visits;
  walkSelection(selection, [&](int k, std::int16_t station, std::int16_t date) {
    visits.push_back({k, station, date});
  });
  return visits;
}

TEST(WalkSelection, VisitsStationByStationInListOrderCountingPickedStations) {
  const PlotSelection selection{listOf(5, {4, 1, 3}), listOf(3, {2, 0})};
  const std::vector<Visit> expected{{0, 1, 0}, {0, 1, 2}, {1, 3, 0},
                                    {1, 3, 2}, {2, 4, 0}, {2, 4, 2}};
  EXPECT_EQ(walk(selection), expected);
}

TEST(WalkSelection, VisitsNothingWhenEitherListHasNoPick) {
  EXPECT_TRUE(walk({listOf(3, {0, 2}), listOf(2, {})}).empty());
  EXPECT_TRUE(walk({listOf(3, {}), listOf(2, {0, 1})}).empty());
}

}  // namespace
}  // namespace ostrilo

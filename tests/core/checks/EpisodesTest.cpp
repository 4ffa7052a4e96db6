#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/checks/Completeness.h"
#include "core/checks/Episodes.h"
#include "tests/support/DayCounts.h"
#include "tests/support/SelectionTestSupport.h"

namespace ostrilo::test {
namespace {

// One station from the first date on, a day per letter: V valid, N valid with NIGHT_OVER_DAY,
// Z a zero day, M half counted, '.' nothing counted.
CheckResults daysOf(const std::string& pattern, const char* first = "2023-01-01") {
  DayCounts counts({"S"}, on(first), static_cast<int>(pattern.size()));
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const DateNumber day = on(first) + static_cast<double>(i);
    if (pattern[i] == 'V') counts.set(0, day, test::shapedDay(1000));
    if (pattern[i] == 'N') counts.set(0, day, test::withHours(test::shapedDay(1000), 1, 1, 99));
    if (pattern[i] == 'Z') counts.set(0, day, test::Hours{});
    if (pattern[i] == 'M') counts.set(0, day, test::withHours(test::shapedDay(1000), 0, 11, -1));
  }
  return runDataChecks(counts.view());
}

TEST(Episodes, MergeAcrossDaysWithoutDataAndEndAtAValidDay) {
  const struct {
    const char* days;
    std::vector<std::string> episodes;  // "CODE first last days" but MISSING_WEEKDAY
  } cases[] = {
      {"ZZ.Z", {"ZERO_DAY 01 04 3"}},
      {"ZVZ", {"ZERO_DAY 01 01 1", "ZERO_DAY 03 03 1"}},
      {"ZMZ", {"ZERO_DAY 01 03 2", "MISSING_HOURS 02 02 1"}},
      {"MZ..ZM", {"MISSING_HOURS 01 06 2", "ZERO_DAY 02 05 2"}},
      {"VV", {}},
      {"NN.N", {"NIGHT_OVER_DAY 01 04 3"}},  // a valid day with the code goes on
      {"NVN", {"NIGHT_OVER_DAY 01 01 1", "NIGHT_OVER_DAY 03 03 1"}},
  };
  for (const auto& c : cases) {
    const CheckResults results = daysOf(c.days);
    std::vector<std::string> got;
    for (const FlagEpisode& e : mergeEpisodes(results, results.flags())) {
      if (e.code == CheckCode::MissingWeekday) continue;
      got.push_back(std::string(checkCodeName(e.code)) + ' ' + isoDate(e.firstDay).substr(8) + ' ' +
                    isoDate(e.lastDay).substr(8) + ' ' + std::to_string(e.days));
    }
    EXPECT_EQ(got, c.episodes) << c.days;
  }
}

TEST(Episodes, GraphSpansThreeDaysAroundOrTheFirstAndLastWeek) {
  const auto spans = [](const char* first, const char* last) {
    FlagEpisode e;
    e.firstDay = on(first);
    e.lastDay = on(last);
    std::string text;
    for (const DaySpan& s : episodeGraphSpans(e))
      text += isoDate(s.first) + ".." + isoDate(s.last) + ' ';
    return text;
  };
  EXPECT_EQ(spans("2023-01-10", "2023-01-12"), "2023-01-07..2023-01-15 ");
  EXPECT_EQ(spans("2023-01-01", "2023-01-25"), "2022-12-29..2023-01-28 ");  // 31 days
  EXPECT_EQ(spans("2023-01-01", "2023-01-26"), "2022-12-29..2023-01-04 2023-01-23..2023-01-29 ");
  // The graph picks the dates within the spans, first and last days included.
  std::string text;
  for (const int d : {4, 5, 10, 13}) text += test::dayLines("S001", test::day(2023, 1, d), {});
  const ATRTable table = test::tableOf(text);
  const DaySpan within[] = {{on("2023-01-01"), on("2023-01-04")},
                            {on("2023-01-10"), on("2023-01-12")}};
  EXPECT_EQ(selectionOverSpans(table, "S001", within).dates.selected,
            (std::vector<bool>{true, false, true, false}));
}

TEST(Completeness, CountsCompleteIncompleteFaultyDaysAndTheLongestGap) {
  const struct {
    const char* days;
    CompletenessCounts counts;
    int longestGap;
    const char* lastComplete;  // "" for none
  } cases[] = {
      {"VVVV", {4, 4, 0, 0}, 0, "2023-01-04"},
      {"V.MZV", {5, 3, 1, 1}, 2, "2023-01-05"},
      {"ZV..", {4, 2, 0, 1}, 2, "2023-01-02"},
      {"VZ.", {3, 2, 0, 1}, 1, "2023-01-02"},  // a faulty day is complete too
      {"M..", {3, 0, 1, 0}, 3, ""},
  };
  for (const auto& c : cases) {
    const StationCompleteness row = computeCompleteness(daysOf(c.days)).at(0);
    EXPECT_EQ(row.counts, c.counts) << c.days;
    EXPECT_EQ(row.longestGap, c.longestGap) << c.days;
    EXPECT_EQ(row.lastComplete ? isoDate(*row.lastComplete) : "", c.lastComplete) << c.days;
  }
  const StationCompleteness months = computeCompleteness(daysOf("VVMV", "2023-01-30")).at(0);
  ASSERT_EQ(months.months.size(), 2u);
  EXPECT_EQ(months.months[0].counts, (CompletenessCounts{2, 2, 0, 0}));
  EXPECT_EQ(months.months[1].counts, (CompletenessCounts{2, 1, 1, 0}));
}

// Limit 2 keeps the two longest critical episodes, whatever their dates and the longer
// warning, then lists them by date; another station's and an Info episode never count.
TEST(Episodes, WorstAreTheLongestCriticalOnesInDateOrder) {
  const auto episode = [](std::int32_t station, CheckCode code, const char* first, int days) {
    return FlagEpisode{station, code, on(first), on(first) + days - 1, days, false, {}};
  };
  const std::vector<FlagEpisode> all{
      episode(0, CheckCode::ZeroDay, "2023-01-01", 1),
      episode(0, CheckCode::Holiday, "2023-01-02", 9),
      episode(0, CheckCode::NightOverDay, "2023-01-03", 9),
      episode(1, CheckCode::ZeroDay, "2023-01-04", 9),
      episode(0, CheckCode::ZeroRun, "2023-01-20", 3),
      episode(0, CheckCode::ZeroDay, "2023-01-10", 5),
  };
  const std::vector<FlagEpisode> worst = worstEpisodes(all, 0, 2);
  EXPECT_EQ(worst, (std::vector<FlagEpisode>{all[5], all[4]}));
}

}  // namespace
}  // namespace ostrilo::test

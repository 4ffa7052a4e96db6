#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/calendar/HolidayCalendar.h"
#include "core/checks/Completeness.h"
#include "core/checks/Episodes.h"
#include "core/register/StationRegister.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo {
namespace {

// The Berlin year of 231 stations, read once for every test here.
class BerlinVerdicts : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { table = &test::berlin2023(); }
  static std::int32_t station(const char* name) { return table->ulstName().Index(name); }
  static const ATRTable* table;
};
const ATRTable* BerlinVerdicts::table = nullptr;

TEST_F(BerlinVerdicts, FaultsApartFromIncompleteDaysAndB346sOutageAsOneEpisode) {
  const CheckResults results = RunDataChecks(*table);
  EXPECT_EQ(results.dayCounts().faulty, 246);  // ZERO_DAY 122 and ZERO_RUN 124 complete days
  EXPECT_EQ(computeCompleteness(results).size(), 231u);
  std::vector<std::string> outages;
  for (const FlagEpisode& e : mergeEpisodes(results, results.flags())) {
    if (e.station == station("B346") && e.code == CheckCode::ZeroDay) {
      outages.push_back(isoDate(e.firstDay) + ".." + isoDate(e.lastDay));
    }
  }
  EXPECT_EQ(outages, std::vector<std::string>{"2023-09-08..2023-12-31"});
}

TEST_F(BerlinVerdicts, BerlinHolidaysAreNamedAndNoDayBandFiresOnThem) {
  const HolidayCalendar berlin = *HolidayCalendar::builtIn("de-be");
  CheckOptions options;
  options.holidays = &berlin;
  const CheckResults results = RunDataChecks(*table, options);
  std::set<std::string> holidays;
  std::set<std::string> bandDays;
  for (const CheckFlag& f : results.flags()) {
    if (f.code == CheckCode::Holiday) holidays.insert(isoDate(f.day));
    if (f.code == CheckCode::DayBand) bandDays.insert(isoDate(f.day));
  }
  for (const char* day :
       {"2023-03-08", "2023-04-07", "2023-05-01", "2023-10-03", "2023-12-25", "2023-12-26"}) {
    EXPECT_TRUE(holidays.contains(day)) << day;
    EXPECT_FALSE(bandDays.contains(day)) << day;
  }
  // No file gives a line 1 on 26 March: more is missing than the hour that did not exist.
  const std::int32_t spring = table->ulstDate().Index(dateFromCivil({2023, 3, 26}));
  int countedThatDay = 0;
  for (std::int32_t s = 0; s < table->StaCount(); ++s) {
    if (table->CountedHours(spring, s) == 0) continue;
    ++countedThatDay;
    const auto day = results.flagsOf(spring, s);
    EXPECT_TRUE(!day.empty() && day[0].code == CheckCode::MissingHours) << s;
  }
  EXPECT_GT(countedThatDay, 100);
}

TEST_F(BerlinVerdicts, B332AboveACityStreetsCeiling) {
  const StationRegister ceilings = StationRegister::parse("station,max_daily\nB332,25000\n", "r");
  CheckOptions options;
  options.ceilings = registerCeilings(ceilings, table->ulstName().values(), std::nullopt);
  std::vector<std::string> flagged;
  const CheckResults results = RunDataChecks(*table, options);
  for (const CheckFlag& f : results.flags()) {
    if (f.code == CheckCode::StationCeiling)
      flagged.push_back(table->StaNamebyIndex(f.station) + ' ' + f.detail);
  }
  ASSERT_EQ(flagged.size(), 1u);
  EXPECT_TRUE(flagged[0].starts_with("B332 median 3")) << flagged[0];
  EXPECT_TRUE(flagged[0].ends_with("above the ceiling 25000 (max_daily)")) << flagged[0];
}

}  // namespace
}  // namespace ostrilo

#include <gtest/gtest.h>

#include <string>

#include "core/calendar/HolidayCalendar.h"
#include "core/table/Error.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo {
namespace {

DateNumber on(const char* iso) { return *parseIsoDate(iso); }

// Dates looked up in the published calendars (OPM's federal holiday lists, Berlin's
// Senatsverwaltung), not derived from the rules.
TEST(HolidayCalendar, BuiltInDaysMatchThePublishedLists) {
  const struct {
    const char* calendar;
    const char* date;
    const char* name;  // "" for an ordinary day
  } cases[] = {
      {"us", "2012-01-16", "Birthday of Martin Luther King, Jr."},
      {"us", "2012-01-02", "New Year's Day (observed)"},    // 1 January 2012 a Sunday
      {"us", "2015-07-03", "Independence Day (observed)"},  // 4 July 2015 a Saturday
      {"us", "2016-12-26", "Christmas Day (observed)"},
      {"us", "2016-05-30", "Memorial Day"},
      {"us", "2017-11-10", "Veterans Day (observed)"},
      {"us", "2018-11-22", "Thanksgiving Day"},
      {"us", "2018-10-08", "Columbus Day"},
      {"us", "2021-12-31", "New Year's Day (observed)"},  // for 1 January 2022, a Saturday
      {"us", "2018-06-19", ""},                           // Juneteenth only from 2021
      {"us", "2023-06-19", "Juneteenth National Independence Day"},
      {"us", "2018-11-23", ""},
      {"de-be", "2023-04-07", "Good Friday"},
      {"de-be", "2023-04-10", "Easter Monday"},
      {"de-be", "2023-05-18", "Ascension Day"},
      {"de-be", "2023-05-29", "Whit Monday"},
      {"de-be", "2023-03-08", "International Women's Day"},
      {"de-be", "2018-03-08", ""},  // from 2019
      {"de-be", "2023-10-03", "Day of German Unity"},
      {"de-be", "2023-12-26", "Second Day of Christmas"},
      {"de-be", "2020-05-08", "75th anniversary of the end of the Second World War"},
      {"de-be", "2023-05-08", ""},
      {"de-be", "2024-03-29", "Good Friday"},
      {"de-be", "2023-12-24", ""},
  };
  for (const auto& c : cases) {
    const HolidayCalendar calendar = *HolidayCalendar::builtIn(c.calendar);
    EXPECT_EQ(calendar.holidayName(on(c.date)), c.name) << c.calendar << ' ' << c.date;
  }
  EXPECT_EQ(HolidayCalendar::builtIn("us")->holidaysOf(2018).size(), 11u);  // 12 November observed
  EXPECT_FALSE(HolidayCalendar::builtIn("fr"));
}

TEST(HolidayCalendar, ClockChangesFollowEachRuleSet) {
  const HolidayCalendar berlin = *HolidayCalendar::builtIn("de-be");
  const HolidayCalendar us = *HolidayCalendar::builtIn("us");
  EXPECT_EQ(berlin.skippedHour(on("2023-03-26")), 2);
  EXPECT_EQ(berlin.repeatedHour(on("2023-10-29")), 2);
  EXPECT_EQ(berlin.repeatedHour(on("1995-09-24")), 2);  // the autumn change moved in 1996
  EXPECT_EQ(berlin.repeatedHour(on("1996-10-27")), 2);
  EXPECT_FALSE(berlin.skippedHour(on("2023-03-19")));
  EXPECT_EQ(us.skippedHour(on("2012-03-11")), 2);
  EXPECT_EQ(us.repeatedHour(on("2012-11-04")), 1);
  EXPECT_EQ(us.skippedHour(on("2006-04-02")), 2);
  EXPECT_FALSE(HolidayCalendar().skippedHour(on("2023-03-26")));
}

TEST(HolidayCalendar, UserFileAddsAndRenamesDaysOrChangesNothing) {
  HolidayCalendar calendar = *HolidayCalendar::builtIn("de-be");
  calendar.addDays("date,name\r\n2023-06-01,\"Works outing, all day\"\r\n2023-04-07,Karfreitag\r\n",
                   "extra.csv");
  EXPECT_EQ(calendar.holidayName(on("2023-06-01")), "Works outing, all day");
  EXPECT_EQ(calendar.holidayName(on("2023-04-07")), "Karfreitag");
  EXPECT_EQ(calendar.holidayName(on("2023-04-10")), "Easter Monday");
  for (const char* bad : {"2023-06-02,Day\n2023-13-01,Bad\n", "2023-06-02,Day\n2023-06-03\n",
                          "2023-06-02,Day\n2023-06-03,\n"}) {
    try {
      calendar.addDays(bad, "extra.csv");
      ADD_FAILURE() << bad;
    } catch (const Error& e) {
      EXPECT_NE(e.description().find("extra.csv, line 2"), std::string::npos) << e.description();
    }
    EXPECT_EQ(calendar.holidayName(on("2023-06-02")), "");  // nothing of the file stays
  }
  // A choice names a built-in calendar, a file, or a built-in one and a file added to it.
  const test::ScratchDir dir;
  const std::string file = dir.write("x.csv", "date,name\n2023-06-01,Outing\n");
  const HolidayCalendar both = loadHolidayChoice("de-be+" + file);
  EXPECT_EQ(both.holidayName(on("2023-04-10")) + "/" + both.holidayName(on("2023-06-01")),
            "Easter Monday/Outing");
  EXPECT_EQ(both.name(), "de-be+" + file);
  EXPECT_EQ(loadHolidayChoice(file).holidayName(on("2023-04-10")), "");
  EXPECT_EQ(loadHolidayChoice("none").holidayName(on("2023-04-10")), "");
}

}  // namespace
}  // namespace ostrilo

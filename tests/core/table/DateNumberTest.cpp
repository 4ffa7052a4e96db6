#include <gtest/gtest.h>

#include "core/table/DateNumber.h"

namespace ostrilo {
namespace {

struct CalendarCase {
  CivilDate civil;
  DateNumber number;
  int weekday;  // Sunday = 1
  const char* abbr;
};

// 1 March 1900 is where a calendar that wrongly keeps 29 February 1900 starts to drift.
const CalendarCase kDays[] = {{{1899, 12, 29}, -1, 6, "Fr"},
                              {{1900, 3, 1}, 61, 5, "Th"},
                              {{2000, 2, 29}, 36585, 3, "Tu"},
                              {{2012, 10, 14}, 41196, 1, "Su"},
                              {{100, 1, 1}, kFirstDateNumber, 6, "Fr"},
                              {{9999, 12, 31}, kDateNumberEnd - 1, 6, "Fr"}};

TEST(DateNumber, KnownDaysConvertBothWaysWithTheirWeekday) {
  for (const auto& c : kDays) {
    EXPECT_EQ(dateFromCivil(c.civil), c.number);
    EXPECT_EQ(civilFromDate(c.number), c.civil) << c.number;
    EXPECT_EQ(DayAbbr(c.number), c.abbr) << c.number;
    EXPECT_EQ(IsWeekend(c.number), c.weekday == 1 || c.weekday == 7);
  }
  EXPECT_FALSE(isValidCivilDate(1900, 2, 29));
}

// The fraction is a time of day; below zero the whole part is still the day (truncation).
TEST(DateNumber, TimeOfDayBelongsToItsDay) {
  EXPECT_EQ(civilFromDate(41195.99), (CivilDate{2012, 10, 13}));
  EXPECT_EQ(civilFromDate(-1.25), (CivilDate{1899, 12, 29}));
  EXPECT_EQ(weekday(-1.25), 6);
}

TEST(DateNumber, IsoTextParsesOnlyValidDays) {
  EXPECT_EQ(parseIsoDate("2000-02-29"), 36585.0);
  EXPECT_EQ(isoDate(41195.75), "2012-10-13");
  for (const char* text : {"", "2012-1-13", "2012-10-13x", "2001-02-29", " 2012-10-13"}) {
    EXPECT_FALSE(parseIsoDate(text).has_value()) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace ostrilo

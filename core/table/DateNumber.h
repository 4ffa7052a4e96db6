#pragma once

#include <optional>
#include <string>

namespace ostrilo {

// A date number counts days since 30 December 1899; the fraction is the time of day. Hour h of
// date d is d + h / 24. Negative numbers follow the same convention as the platform they come
// from: the whole part is the day and the fraction, taken as positive, the time of day.
using DateNumber = double;

struct CivilDate {
  int year = 1899;
  int month = 12;
  int day = 30;
  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// The range a table file may carry: 1 January 100 to 31 December 9999 inclusive of its last day.
inline constexpr DateNumber kFirstDateNumber = -657434.0;
inline constexpr DateNumber kDateNumberEnd = 2958466.0;  // first number past the range

[[nodiscard]] bool isValidCivilDate(int year, int month, int day);
// The date number of a valid calendar date (proleptic Gregorian calendar).
[[nodiscard]] DateNumber dateFromCivil(const CivilDate& date);
// The calendar day that holds the date number (its time of day is dropped).
[[nodiscard]] CivilDate civilFromDate(DateNumber date);
// The date number on a continuous scale, for drawing: days since 30 December 1899 with the
// time of day added, also before that day (where the date number counts its fraction forward
// from the whole day: -1.25 is 29 December 1899, 06:00, that is -0.75 here).
[[nodiscard]] double linearDays(DateNumber date);
// Day of the week, Sunday = 1 to Saturday = 7.
[[nodiscard]] int weekday(DateNumber date);
// The day of the week as two letters: "Su", "Mo", "Tu", "We", "Th", "Fr", "Sa".
[[nodiscard]] std::string DayAbbr(DateNumber date);
// True on Saturdays and Sundays.
[[nodiscard]] bool IsWeekend(DateNumber date);
// A count file's two-digit year: 00-29 are 2000-2029, 30-99 are 1930-1999.
[[nodiscard]] int fullYearFromTwoDigits(int yy);
// "yyyy-mm-dd" of the calendar day that holds the date number.
[[nodiscard]] std::string isoDate(DateNumber date);
// Parses "yyyy-mm-dd" (four-digit year, two-digit month and day) into a whole date number.
[[nodiscard]] std::optional<DateNumber> parseIsoDate(std::string_view text);

}  // namespace ostrilo

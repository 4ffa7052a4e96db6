#pragma once

#include <climits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/table/DateNumber.h"

namespace ostrilo {

// How a holiday's date is found in a year. Weekdays are those of weekday(): Sunday = 1 ..
// Saturday = 7.
struct HolidayRule {
  enum class Kind { Fixed, NthWeekday, LastWeekday, Easter };
  // A holiday on a weekend is also kept on a weekday: US federal law moves Saturday to the
  // Friday before and Sunday to the Monday after.
  enum class Observance { None, FridayOrMonday };

  std::string name;
  Kind kind = Kind::Fixed;
  int month = 1;         // Fixed, NthWeekday, LastWeekday
  int day = 1;           // Fixed
  int weekday = 2;       // NthWeekday, LastWeekday
  int nth = 1;           // NthWeekday: 1 = the first
  int easterOffset = 0;  // Easter: days after Easter Sunday, negative before
  int fromYear = INT_MIN;
  int toYear = INT_MAX;
  Observance observance = Observance::None;
};

// The rules that say which local hours a clock change removes or repeats.
enum class ClockRules { None, CentralEurope, UnitedStates };

// A holiday calendar: rules of its own, then days a user's file adds or renames. Empty: no day
// is a holiday and no clock changes.
class HolidayCalendar {
 public:
  HolidayCalendar() = default;
  HolidayCalendar(std::string name, std::vector<HolidayRule> rules, ClockRules clock);

  // "us" (the federal holidays of 5 U.S.C. 6103, observed days too) or "de-be" (Germany's
  // national holidays and Berlin's); nothing for any other name.
  [[nodiscard]] static std::optional<HolidayCalendar> builtIn(std::string_view name);

  // Adds the days of a holiday file (CSV "date,name", an optional header "date,name", dates
  // as yyyy-mm-dd) or renames a day the calendar has. Throws Error (Conversion) naming
  // fileLabel and the line for a record of other than two fields, a date that is not a date
  // or an empty name; the calendar is unchanged then.
  void addDays(std::string_view csvText, std::string_view fileLabel);

  // The holiday's name ("Good Friday", "Independence Day (observed)"); empty on other days.
  [[nodiscard]] std::string holidayName(DateNumber date) const;
  [[nodiscard]] bool isHoliday(DateNumber date) const { return !holidayName(date).empty(); }
  // Every holiday of a year, by date.
  [[nodiscard]] std::map<DateNumber, std::string> holidaysOf(int year) const;

  // The local hour that does not exist on a spring clock-change day (02:00 in both rule sets),
  // and the hour that happens twice on an autumn one; nothing on every other day.
  [[nodiscard]] std::optional<int> skippedHour(DateNumber date) const;
  [[nodiscard]] std::optional<int> repeatedHour(DateNumber date) const;

  // "us", "de-be", the file's name, or "" for none.
  [[nodiscard]] const std::string& name() const noexcept { return m_name; }
  void setName(std::string name) { m_name = std::move(name); }
  [[nodiscard]] bool empty() const noexcept { return m_rules.empty() && m_days.empty(); }
  [[nodiscard]] ClockRules clock() const noexcept { return m_clock; }

 private:
  std::string m_name;
  std::vector<HolidayRule> m_rules;
  ClockRules m_clock = ClockRules::None;
  std::map<DateNumber, std::string> m_days;  // from a file, over the rules
};

// Easter Sunday of a Gregorian year.
[[nodiscard]] DateNumber easterSunday(int year);

// The calendar a command line or a setting names: "us", "de-be", the path of a holiday file, or
// a built-in name, '+' and a file whose days go over the built-in's ("de-be+extra.csv"); the
// empty text and "none" give the empty calendar. Throws Error for a file that cannot be read.
[[nodiscard]] HolidayCalendar loadHolidayChoice(std::string_view choice);

}  // namespace ostrilo

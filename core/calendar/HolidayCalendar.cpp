#include "core/calendar/HolidayCalendar.h"

#include <cmath>

#include "core/table/CsvRecords.h"
#include "core/table/Error.h"

namespace ostrilo {

namespace {

using Kind = HolidayRule::Kind;
using Observance = HolidayRule::Observance;
constexpr int kSunday = 1;
constexpr int kMonday = 2;
constexpr int kThursday = 5;
constexpr int kFriday = 6;
constexpr int kSaturday = 7;

DateNumber firstOf(int year, int month) { return dateFromCivil({year, month, 1}); }

DateNumber lastOf(int year, int month) {
  return month == 12 ? dateFromCivil({year, 12, 31}) : firstOf(year, month + 1) - 1;
}

DateNumber nthWeekday(int year, int month, int wd, int nth) {
  const DateNumber first = firstOf(year, month);
  return first + (wd - weekday(first) + 7) % 7 + 7 * (nth - 1);
}

DateNumber lastWeekday(int year, int month, int wd) {
  const DateNumber last = lastOf(year, month);
  return last - (weekday(last) - wd + 7) % 7;
}

std::optional<DateNumber> dateOf(const HolidayRule& rule, int year) {
  if (year < rule.fromYear || year > rule.toYear) return std::nullopt;
  switch (rule.kind) {
    case Kind::Fixed:
      if (!isValidCivilDate(year, rule.month, rule.day)) return std::nullopt;
      return dateFromCivil({year, rule.month, rule.day});
    case Kind::NthWeekday:
      return nthWeekday(year, rule.month, rule.weekday, rule.nth);
    case Kind::LastWeekday:
      return lastWeekday(year, rule.month, rule.weekday);
    case Kind::Easter:
      return easterSunday(year) + rule.easterOffset;
  }
  return std::nullopt;
}

HolidayRule fixed(std::string name, int month, int day, int from = INT_MIN, int to = INT_MAX) {
  HolidayRule rule{std::move(name)};
  rule.month = month;
  rule.day = day;
  rule.fromYear = from;
  rule.toYear = to;
  return rule;
}

HolidayRule nth(std::string name, int month, int wd, int n, int from = INT_MIN) {
  HolidayRule rule{std::move(name), Kind::NthWeekday, month};
  rule.weekday = wd;
  rule.nth = n;
  rule.fromYear = from;
  return rule;
}

HolidayRule last(std::string name, int month, int wd) {
  HolidayRule rule{std::move(name), Kind::LastWeekday, month};
  rule.weekday = wd;
  return rule;
}

HolidayRule easter(std::string name, int offset) {
  HolidayRule rule{std::move(name), Kind::Easter};
  rule.easterOffset = offset;
  return rule;
}

HolidayRule observed(HolidayRule rule) {
  rule.observance = Observance::FridayOrMonday;
  return rule;
}

// 5 U.S.C. 6103(a); Inauguration Day is left out, it is a holiday only around Washington.
std::vector<HolidayRule> usRules() {
  return {observed(fixed("New Year's Day", 1, 1)),
          nth("Birthday of Martin Luther King, Jr.", 1, kMonday, 3, 1986),
          nth("Washington's Birthday", 2, kMonday, 3),
          last("Memorial Day", 5, kMonday),
          observed(fixed("Juneteenth National Independence Day", 6, 19, 2021)),
          observed(fixed("Independence Day", 7, 4)),
          nth("Labor Day", 9, kMonday, 1),
          nth("Columbus Day", 10, kMonday, 2),
          observed(fixed("Veterans Day", 11, 11)),
          nth("Thanksgiving Day", 11, kThursday, 4),
          observed(fixed("Christmas Day", 12, 25))};
}

// The national holidays, the one-off ones included, and Berlin's own.
std::vector<HolidayRule> berlinRules() {
  return {fixed("New Year's Day", 1, 1),
          fixed("International Women's Day", 3, 8, 2019),
          easter("Good Friday", -2),
          easter("Easter Monday", 1),
          fixed("Labour Day", 5, 1),
          fixed("75th anniversary of the end of the Second World War", 5, 8, 2020, 2020),
          fixed("80th anniversary of the end of the Second World War", 5, 8, 2025, 2025),
          easter("Ascension Day", 39),
          easter("Whit Monday", 50),
          fixed("Day of German Unity", 10, 3, 1990),
          fixed("Reformation Day (500th anniversary)", 10, 31, 2017, 2017),
          fixed("Christmas Day", 12, 25),
          fixed("Second Day of Christmas", 12, 26)};
}

struct ClockDays {
  DateNumber spring = 0;
  DateNumber autumn = 0;
  int repeated = 0;
};

// Germany since 1981 (the EU rule since 1996); the U.S. rules of 1967, 1987 and 2007, without
// the emergency years 1974 and 1975.
std::optional<ClockDays> clockDays(ClockRules rules, int year) {
  if (rules == ClockRules::CentralEurope && year >= 1981) {
    return ClockDays{lastWeekday(year, 3, kSunday),
                     lastWeekday(year, year < 1996 ? 9 : 10, kSunday), 2};
  }
  if (rules != ClockRules::UnitedStates || year < 1967 || year == 1974 || year == 1975) {
    return std::nullopt;
  }
  if (year >= 2007)
    return ClockDays{nthWeekday(year, 3, kSunday, 2), nthWeekday(year, 11, kSunday, 1), 1};
  const DateNumber spring =
      year >= 1987 ? nthWeekday(year, 4, kSunday, 1) : lastWeekday(year, 4, kSunday);
  return ClockDays{spring, lastWeekday(year, 10, kSunday), 1};
}

std::string trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

}  // namespace

DateNumber easterSunday(int year) {
  // The anonymous Gregorian algorithm (Meeus, Astronomical Algorithms, ch. 8).
  const int a = year % 19;
  const int b = year / 100;
  const int c = year % 100;
  const int d = b / 4;
  const int e = b % 4;
  const int f = (b + 8) / 25;
  const int g = (b - f + 1) / 3;
  const int h = (19 * a + b - d - g + 15) % 30;
  const int i = c / 4;
  const int k = c % 4;
  const int l = (32 + 2 * e + 2 * i - h - k) % 7;
  const int m = (a + 11 * h + 22 * l) / 451;
  const int month = (h + l - 7 * m + 114) / 31;
  const int day = (h + l - 7 * m + 114) % 31 + 1;
  return dateFromCivil({year, month, day});
}

HolidayCalendar::HolidayCalendar(std::string name, std::vector<HolidayRule> rules, ClockRules clock)
    : m_name(std::move(name)), m_rules(std::move(rules)), m_clock(clock) {}

std::optional<HolidayCalendar> HolidayCalendar::builtIn(std::string_view name) {
  if (name == "us") return HolidayCalendar("us", usRules(), ClockRules::UnitedStates);
  if (name == "de-be") return HolidayCalendar("de-be", berlinRules(), ClockRules::CentralEurope);
  return std::nullopt;
}

std::map<DateNumber, std::string> HolidayCalendar::holidaysOf(int year) const {
  std::map<DateNumber, std::string> days;
  // An observed day may fall in the year before (1 January on a Saturday).
  for (const int y : {year, year + 1}) {
    for (const HolidayRule& rule : m_rules) {
      const std::optional<DateNumber> date = dateOf(rule, y);
      if (!date) continue;
      if (y == year) days.emplace(*date, rule.name);
      if (rule.observance != Observance::FridayOrMonday) continue;
      const int wd = weekday(*date);
      const DateNumber moved = wd == kSaturday ? *date - 1 : wd == kSunday ? *date + 1 : *date;
      if (moved != *date && civilFromDate(moved).year == year) {
        days.emplace(moved, rule.name + " (observed)");
      }
    }
  }
  for (auto it = m_days.lower_bound(firstOf(year, 1));
       it != m_days.end() && civilFromDate(it->first).year == year; ++it) {
    days[it->first] = it->second;
  }
  return days;
}

std::string HolidayCalendar::holidayName(DateNumber date) const {
  date = std::floor(date);
  if (const auto it = m_days.find(date); it != m_days.end()) return it->second;
  if (m_rules.empty()) return {};
  const std::map<DateNumber, std::string> days = holidaysOf(civilFromDate(date).year);
  const auto it = days.find(date);
  return it == days.end() ? std::string() : it->second;
}

std::optional<int> HolidayCalendar::skippedHour(DateNumber date) const {
  const std::optional<ClockDays> days = clockDays(m_clock, civilFromDate(date).year);
  if (days && days->spring == std::floor(date)) return 2;
  return std::nullopt;
}

std::optional<int> HolidayCalendar::repeatedHour(DateNumber date) const {
  const std::optional<ClockDays> days = clockDays(m_clock, civilFromDate(date).year);
  if (days && days->autumn == std::floor(date)) return days->repeated;
  return std::nullopt;
}

void HolidayCalendar::addDays(std::string_view csvText, std::string_view fileLabel) {
  std::map<DateNumber, std::string> days = m_days;
  const std::vector<CsvRecord> records = readCsvRecords(csvText, fileLabel);
  const auto fail = [&](const CsvRecord& r, const std::string& why) {
    throw Error(ErrorKind::Conversion,
                std::string(fileLabel) + ", line " + std::to_string(r.line) + ": " + why);
  };
  for (std::size_t i = 0; i < records.size(); ++i) {
    const CsvRecord& r = records[i];
    if (r.fields.size() != 2) fail(r, "a holiday needs two fields, date and name");
    const std::string date = trimmed(r.fields[0]);
    const std::string name = trimmed(r.fields[1]);
    if (i == 0 && date == "date" && name == "name") continue;
    const std::optional<DateNumber> day = parseIsoDate(date);
    if (!day) fail(r, "field 1: " + quoteForMessage(date) + " is not a date yyyy-mm-dd");
    if (name.empty()) fail(r, "field 2: the holiday has no name");
    days[*day] = name;
  }
  m_days = std::move(days);
}

HolidayCalendar loadHolidayChoice(std::string_view choice) {
  if (choice.empty() || choice == "none") return {};
  if (std::optional<HolidayCalendar> calendar = HolidayCalendar::builtIn(choice)) return *calendar;
  HolidayCalendar calendar;
  std::string path(choice);
  if (const auto plus = choice.find('+'); plus != std::string_view::npos) {
    if (std::optional<HolidayCalendar> base = HolidayCalendar::builtIn(choice.substr(0, plus))) {
      calendar = *base;
      path = std::string(choice.substr(plus + 1));
    }
  }
  calendar.addDays(readTextFile(path), path);
  calendar.setName(calendar.name().empty() ? path : calendar.name() + "+" + path);
  return calendar;
}

}  // namespace ostrilo

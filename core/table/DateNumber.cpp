#include "core/table/DateNumber.h"

#include <cmath>
#include <cstdio>

namespace ostrilo {

namespace {

// Days from 1970-01-01 to a proleptic Gregorian date, and back (H. Hinnant's algorithms).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

CivilDate civilFromDays(long long z) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return CivilDate{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

// 1899-12-30, day 0 of the date numbers, counted from 1970-01-01.
constexpr long long kEpochOffset = -25569;

// The whole day a date number falls on. The whole part is the day also for negative numbers,
// whose fraction counts forward from that day's midnight.
long long dayOf(DateNumber date) { return static_cast<long long>(std::trunc(date)); }

}  // namespace

bool isValidCivilDate(int year, int month, int day) {
  if (month < 1 || month > 12 || day < 1) return false;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const int last = month == 2 && leap ? 29 : kDays[month - 1];
  return day <= last;
}

DateNumber dateFromCivil(const CivilDate& date) {
  return static_cast<DateNumber>(
      daysFromCivil(date.year, static_cast<unsigned>(date.month), static_cast<unsigned>(date.day)) -
      kEpochOffset);
}

CivilDate civilFromDate(DateNumber date) { return civilFromDays(dayOf(date) + kEpochOffset); }

double linearDays(DateNumber date) {
  if (date >= 0) return date;
  const double day = std::trunc(date);
  return day + (day - date);
}

int weekday(DateNumber date) {
  // Day 0 (30 December 1899) was a Saturday.
  const long long d = dayOf(date);
  return static_cast<int>(((d + 6) % 7 + 7) % 7) + 1;
}

std::string DayAbbr(DateNumber date) {
  static constexpr const char* kAbbr[] = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
  return kAbbr[weekday(date) - 1];
}

bool IsWeekend(DateNumber date) {
  const int w = weekday(date);
  return w == 1 || w == 7;
}

int fullYearFromTwoDigits(int yy) { return yy < 30 ? 2000 + yy : 1900 + yy; }

std::string isoDate(DateNumber date) {
  const CivilDate c = civilFromDate(date);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", c.year, c.month, c.day);
  return buf;
}

std::optional<DateNumber> parseIsoDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  int parts[3] = {0, 0, 0};
  const std::size_t starts[3] = {0, 5, 8};
  const std::size_t lengths[3] = {4, 2, 2};
  for (int p = 0; p < 3; ++p) {
    for (std::size_t i = 0; i < lengths[p]; ++i) {
      const char c = text[starts[p] + i];
      if (c < '0' || c > '9') return std::nullopt;
      parts[p] = parts[p] * 10 + (c - '0');
    }
  }
  if (!isValidCivilDate(parts[0], parts[1], parts[2])) return std::nullopt;
  return dateFromCivil(CivilDate{parts[0], parts[1], parts[2]});
}

}  // namespace ostrilo

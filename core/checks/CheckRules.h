#pragma once

// The rules of the check run that live in files of their own, over the facts the run gathers
// in its first pass, and what the run and its results share. Only core/checks includes this.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/checks/DataChecks.h"

namespace ostrilo::checkrules {

// A code's bit in the codes of a day.
constexpr std::uint32_t codeBit(CheckCode code) { return 1u << static_cast<unsigned>(code); }
inline constexpr std::uint32_t kCriticalCodes =
    codeBit(CheckCode::MissingHours) | codeBit(CheckCode::ZeroRun) | codeBit(CheckCode::ZeroDay) |
    codeBit(CheckCode::DeviceProblem);

// Indexed by weekday() - 1, Sunday first.
inline constexpr std::array<const char*, 7> kWeekdayNames{
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

// January first.
inline constexpr std::array<const char*, 12> kMonthNames{
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

// A flag's detail from a printf pattern; details are short, a longer text is cut at kBytes - 1.
template <std::size_t kBytes = 160>
std::string formatDetail(const char* pattern, auto... values) {
  char buffer[kBytes];
  const int n = std::snprintf(buffer, sizeof buffer, pattern, values...);
  return std::string(buffer, static_cast<std::size_t>(std::clamp(n, 0, int{sizeof buffer} - 1)));
}

struct DateFacts {
  DateNumber day = 0;
  int year = 0;
  int month = 1;        // 1..12
  int weekday = 0;      // 0 = Sunday
  std::string holiday;  // the holiday's name, empty on an ordinary day
};

// Per record (stations x date + station): the counted total, and whether the day is valid
// (complete, above 0, no critical flag).
struct DayFacts {
  std::span<const DateFacts> dates;  // by date index
  std::size_t stations = 0;
  std::span<const std::int32_t> totals;
  const std::vector<bool>* valid = nullptr;
};

// The flags a day earns on its own, without looking at other days (MISSING_HOURS, ZERO_RUN,
// ZERO_DAY, ZERO_DAYTIME, REPEATED, NIGHT_OVER_DAY), as code bits; 0 for a day not counted.
[[nodiscard]] std::uint32_t dayCodes(const std::int16_t* volumes, HourMask mask);
// The detail of one of those codes on that day; empty for any other code.
[[nodiscard]] std::string localDetail(CheckCode code, const std::int16_t* volumes, HourMask mask);
// The sum of the day's counted hours.
[[nodiscard]] std::int32_t countedTotal(const std::int16_t* volumes, HourMask mask);

// The clock-change code that replaces MISSING_HOURS when the only hour not counted is the one
// that did not exist, and its detail.
[[nodiscard]] bool onlySkippedHourMissing(HourMask mask, std::optional<int> skipped);
[[nodiscard]] std::string clockChangeDetail(int skippedHour);

// OWN_BAND: the detail of every record that breaks the rule, by record.
[[nodiscard]] std::unordered_map<std::size_t, std::string> ownBandDetails(const DayFacts& facts);

// STATION_CEILING: one flag per station and year whose median valid day exceeds the ceiling.
[[nodiscard]] std::vector<CheckFlag> stationCeilingFlags(
    const DayFacts& facts, std::span<const std::optional<DailyCeiling>> ceilings);

}  // namespace ostrilo::checkrules

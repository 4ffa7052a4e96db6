#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/table/ATRTable.h"
#include "core/table/CountView.h"
#include "core/table/DateNumber.h"

namespace ostrilo {

// The checks every station-day goes through before it reaches a figure. The order is the order
// in which a day's flags are listed.
enum class CheckCode : std::uint8_t {
  MissingHours,    // some but not all hours counted
  ZeroRun,         // 7 or more consecutive zero hours
  ZeroDay,         // a complete day that totals 0
  ZeroDaytime,     // 2 or more consecutive zero hours within 04:00-22:59, no ZeroRun
  DayBand,         // more than 20 % off the other valid days of its weekday in its month
  Repeated,        // 4 or more consecutive hours of one volume of at least 20
  NightOverDay,    // 01:00 above 13:00
  CopiedDay,       // the 24 volumes of seven days earlier, or within 2 % of its total
  MissingWeekday,  // a month with no valid day of some weekday: no AADT for its year
  DeviceProblem,   // a TMG record's restriction 2: the counting device failed or overflowed
  Restriction,     // a TMG record's restriction 1, 3, 4 or 5 (construction, weather)
  WeekdayStated,   // a TMG record's day of the week contradicts its date
};
inline constexpr int kCheckCodeCount = 12;

// Critical: the day is left out of annual figures. Warning: the day stays and is marked.
// Info: what the source said about the day, for a person to know.
enum class Severity : std::uint8_t { Critical, Warning, Info };

// "MISSING_HOURS", "ZERO_RUN", ...
[[nodiscard]] std::string_view checkCodeName(CheckCode code);
// Critical for MissingHours, ZeroRun and ZeroDay, Warning for every other code. MissingWeekday
// removes no day (it only tells why an AADT is missing), so it is a warning.
[[nodiscard]] Severity severityOf(CheckCode code);
// 'C', 'W' or 'I'.
[[nodiscard]] char severityLetter(Severity severity);

// One finding on a station-day, or on a station's month for MissingWeekday.
struct CheckFlag {
  std::int32_t station = 0;  // index in the station list
  std::int32_t date = -1;    // index in the date list; -1 for a flag on a whole month
  DateNumber day = 0;        // the date; for a month flag the first day of the month
  CheckCode code = CheckCode::MissingHours;
  std::string detail;  // for a person: "16 zero hours from 07:00"

  [[nodiscard]] bool wholeMonth() const noexcept { return date < 0; }
  [[nodiscard]] Severity severity() const { return severityOf(code); }
  friend bool operator==(const CheckFlag&, const CheckFlag&) = default;
};

using CheckCounts = std::array<std::int32_t, kCheckCodeCount>;

// The flags of a whole table, as plain data a window or an export shows.
class CheckResults {
 public:
  CheckResults() = default;

  // Every flag in station list order, then by date (a month flag before the days of its month),
  // then in CheckCode order.
  [[nodiscard]] const std::vector<CheckFlag>& flags() const noexcept { return m_flags; }
  [[nodiscard]] const std::vector<std::string>& stations() const noexcept { return m_stations; }
  [[nodiscard]] const std::vector<DateNumber>& dates() const noexcept { return m_dates; }

  // The day flags of one station and date, in CheckCode order; empty for indexes not held.
  [[nodiscard]] std::span<const CheckFlag> flagsOf(std::int32_t dateI, std::int32_t stationI) const;
  [[nodiscard]] bool hasCritical(std::int32_t dateI, std::int32_t stationI) const;
  // One entry per record (station count x date index + station index): true when that day has
  // a critical flag. This is the set of days annual figures and statistics leave out.
  [[nodiscard]] std::vector<bool> criticalDays() const;
  // Days with a critical flag, and days whose flags are all warnings (month flags not counted).
  [[nodiscard]] std::int32_t criticalDayCount() const;
  [[nodiscard]] std::int32_t warningDayCount() const;

 private:
  friend CheckResults RunDataChecks(const CountView& view);

  std::vector<std::string> m_stations;
  std::vector<DateNumber> m_dates;
  std::vector<CheckFlag> m_flags;
  std::vector<std::uint16_t> m_codes;  // per record: bit c set when code c flags the day
};

// Runs every check over the whole table, in time linear in its records. Throws
// std::invalid_argument when a view's arrays are shorter than its lists need.
[[nodiscard]] CheckResults RunDataChecks(const CountView& view);
[[nodiscard]] CheckResults RunDataChecks(const ATRTable& table);

// Only the critical checks, per record as CheckResults::criticalDays: for callers that need the
// valid days without the rest of the checks.
[[nodiscard]] std::vector<bool> criticalDays(const CountView& view);
[[nodiscard]] std::vector<bool> criticalDays(const ATRTable& table);

}  // namespace ostrilo

#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/annual/Road.h"
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
  Holiday,         // a counted day that the holiday calendar names
  ClockChange,     // a spring clock-change day whose only hour not counted did not exist
  OwnBand,         // a valid day outside 0.5-1.5 x its station's median of its weekday nearby
  StationCeiling,  // a station-year whose median valid day exceeds its ceiling
  DirectionSplit,  // a valid road day whose directions split further than 60/40
  MadtYear,        // a month's MADT more than 20 % off the same month of the year before
  AadtYear,        // a year's AADT off the year before by more than the share set
  DeviceProblem,   // a TMG record's restriction 2: the counting device failed or overflowed
  Restriction,     // a TMG record's restriction 1, 3, 4 or 5 (construction, weather)
  WeekdayStated,   // a TMG record's day of the week contradicts its date
};
inline constexpr int kCheckCodeCount = 19;

// Critical: the day is left out of annual figures. Warning: the day stays and is marked. Info:
// a fact about the day (a holiday, a clock change, what a TMG source said of it) that explains
// other figures.
enum class Severity : std::uint8_t { Critical, Warning, Info };

// "MISSING_HOURS", "ZERO_RUN", ...
[[nodiscard]] std::string_view checkCodeName(CheckCode code);
// Critical for MissingHours, ZeroRun and ZeroDay, Info for Holiday and ClockChange, Warning
// for every other code. MissingWeekday removes no day (it only tells why an AADT is missing),
// so it is a warning. DirectionSplit and MadtYear are critical too, but they judge figures
// rather than a day's own counts and remove no day (see YearChecks.h); a DirectionSplit flag of
// a tidal or one-way road is a warning.
[[nodiscard]] Severity severityOf(CheckCode code);
// 'C', 'W' or 'I'.
[[nodiscard]] char severityLetter(Severity severity);

inline constexpr std::int32_t kWholeMonth = -1;
inline constexpr std::int32_t kWholeYear = -2;

// One finding on a station-day, on a station's month (MissingWeekday, MadtYear) or year
// (StationCeiling, AadtYear), or on a road's day (DirectionSplit, on the road's first station).
struct CheckFlag {
  CheckFlag() = default;
  CheckFlag(std::int32_t station, std::int32_t date, DateNumber day, CheckCode code,
            std::string detail, std::string road = {},
            std::optional<Severity> ownSeverity = std::nullopt)
      : station(station),
        date(date),
        day(day),
        code(code),
        detail(std::move(detail)),
        road(std::move(road)),
        ownSeverity(ownSeverity) {}

  std::int32_t station = 0;         // index in the station list
  std::int32_t date = kWholeMonth;  // index in the date list; kWholeMonth or kWholeYear
  DateNumber day = 0;  // the date; for a month or year flag the first day of the month or year
  CheckCode code = CheckCode::MissingHours;
  std::string detail;  // for a person: "16 zero hours from 07:00"
  std::string road;    // a road's flag: the road, which lists show in place of the station
  std::optional<Severity> ownSeverity;  // set where the place decides, not the code

  // True for a year flag too: neither is a day's.
  [[nodiscard]] bool wholeMonth() const noexcept { return date < 0; }
  [[nodiscard]] bool wholeYear() const noexcept { return date == kWholeYear; }
  [[nodiscard]] Severity severity() const { return ownSeverity.value_or(severityOf(code)); }
  friend bool operator==(const CheckFlag&, const CheckFlag&) = default;
};

// What a list shows in the station column of flag: its road for a road's flag, else the
// station of stations (by index) it sits on.
[[nodiscard]] inline const std::string& flagPlace(const CheckFlag& flag,
                                                  std::span<const std::string> stations) {
  return flag.road.empty() ? stations[static_cast<std::size_t>(flag.station)] : flag.road;
}

using CheckCounts = std::array<std::int32_t, kCheckCodeCount>;

class HolidayCalendar;

// A station's daily ceiling and where it comes from ("max_daily", "4 lanes x 6000").
struct DailyCeiling {
  std::int64_t vehicles = 0;
  std::string source;
};

class StationRegister;

// The ceilings a register gives: its max_daily column (vehicles a day), else its lanes times
// perLane when that is given; by index of stations. A cell that is no whole number above 0
// gives none.
[[nodiscard]] std::vector<std::optional<DailyCeiling>> registerCeilings(
    const StationRegister& names, std::span<const std::string> stations,
    std::optional<std::int64_t> perLane);

inline constexpr double kDefaultAadtChangePct = 10;

// What the checks may know beyond the counts.
struct CheckOptions {
  // Holidays get a HOLIDAY flag and are compared with no other day; clock changes follow the
  // calendar's rules. None: no holiday, no clock change.
  const HolidayCalendar* holidays = nullptr;
  // By station index; a station without one (or past the end) gets no STATION_CEILING.
  std::vector<std::optional<DailyCeiling>> ceilings;
  // DirectionSplit: a valid day of a two-direction road whose directions' daily totals split
  // further than 60/40 (critical; a warning for a road whose register says split_ok). No road:
  // no DirectionSplit.
  std::vector<Road> roads;
  // AadtYear: a station-year whose AADT differs from the year before by more than this many
  // percent of the earlier AADT (a warning). MadtYear uses 20 %, the limit of TMAS.
  double aadtChangePct = kDefaultAadtChangePct;
};

// Days by completeness, over every station and date of the table.
struct DayCounts {
  std::int64_t complete = 0;    // all 24 hours counted
  std::int64_t incomplete = 0;  // some hours counted, not all
  std::int64_t faulty = 0;      // complete with a critical flag
  std::int64_t warning = 0;     // with a warning flag and no critical one
};

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
  [[nodiscard]] DayCounts dayCounts() const;
  // Per record as criticalDays: true when the day is complete and has a critical flag, the
  // days a chart marks as faults (an incomplete day is a gap, not a fault).
  [[nodiscard]] std::vector<bool> faultyCompleteDays() const;
  [[nodiscard]] bool isComplete(std::int32_t dateI, std::int32_t stationI) const;
  [[nodiscard]] bool isCounted(std::int32_t dateI, std::int32_t stationI) const;
  // The holiday calendar's name the checks ran with, "" for none.
  [[nodiscard]] const std::string& holidayCalendar() const noexcept { return m_calendar; }

 private:
  friend CheckResults runDataChecks(const CountView& view, const CheckOptions& options);

  std::vector<std::string> m_stations;
  std::vector<DateNumber> m_dates;
  std::vector<CheckFlag> m_flags;
  std::vector<std::uint32_t> m_codes;  // per record: bit c set when code c flags the day
  std::vector<std::uint8_t> m_state;   // per record: 0 nothing counted, 1 partly, 2 complete
  std::string m_calendar;
};

// Runs every check over the whole table, in time linear in its records. Throws
// std::invalid_argument when a view's arrays are shorter than its lists need.
[[nodiscard]] CheckResults runDataChecks(const CountView& view, const CheckOptions& options = {});
[[nodiscard]] CheckResults runDataChecks(const ATRTable& table, const CheckOptions& options = {});

}  // namespace ostrilo

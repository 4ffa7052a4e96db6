#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/table/ATRTable.h"
#include "core/table/CountView.h"
#include "core/table/DateNumber.h"

namespace ostrilo {

inline constexpr int kMonths = 12;
inline constexpr int kDaysOfWeek = 7;  // index 0 = Monday .. 6 = Sunday
inline constexpr int kCells = kMonths * kDaysOfWeek;

// Monday = 0 .. Sunday = 6.
[[nodiscard]] int dayOfWeekIndex(DateNumber date);

// Two windows of clock hours [begin, end), 0 <= begin < end <= 24.
struct PeakWindows {
  int amBegin = 0;
  int amEnd = 12;
  int pmBegin = 12;
  int pmEnd = 24;
  friend bool operator==(const PeakWindows&, const PeakWindows&) = default;
};
inline constexpr PeakWindows kNoonWindows{0, 12, 12, 24};
inline constexpr PeakWindows kCommuterWindows{6, 10, 15, 19};
// The windows used unless the user picks others: the commuter peaks, which is what engineers
// read "AM peak" and "PM peak" as. Every front end starts from this one.
inline constexpr PeakWindows kDefaultPeakWindows = kCommuterWindows;
// "noon", "commuter" or two windows "A-B,C-D" in whole hours; nothing when the text is none of
// them or a window is empty or leaves 0..24.
[[nodiscard]] std::optional<PeakWindows> parsePeakWindows(std::string_view text);

// The largest hour of one window (the earliest on a tie), its volume and its share of the day.
struct PeakHour {
  int hour = 0;
  double volume = 0;
  double sharePct = 0;
};

// The peak figures of one window over a set of days.
struct WindowPeak {
  PeakHour ofAverageDay;     // the hour with the largest mean volume, share of the mean day
  double meanDailyPeak = 0;  // mean over the days of each day's peak volume
  int mostFrequentHour = 0;  // the hour most often the daily peak, the earliest on a tie
};

// The average day of one day type (Monday-Friday or Saturday-Sunday) over its valid days.
struct DayTypeProfile {
  std::int32_t days = 0;
  std::array<double, kHoursPerDay> meanVolume{};  // by clock hour
  std::optional<WindowPeak> am;                   // nothing without days
  std::optional<WindowPeak> pm;
};

// The N-th largest hourly volume of the year (ties each take a position) and its share of AADT.
struct DesignHour {
  std::optional<std::int32_t> volume;  // nothing when fewer than N hours exist
  std::optional<double> kPct;          // nothing also when AADT is n/a
};

struct CellMean {
  std::int32_t n = 0;  // valid days behind the figure
  std::optional<double> value;
};

using MonthDowGrid = std::array<std::array<CellMean, kDaysOfWeek>, kMonths>;

// The annual figures of one station and calendar year over its valid days. Means are in
// vehicles per day, unrounded; an absent value is n/a. Factors exist only with AADT.
struct StationYear {
  std::int32_t stationIndex = 0;
  std::string station;
  int year = 0;
  std::int32_t validDays = 0;
  std::optional<double> adt;
  MonthDowGrid madw;                       // [month 0..11][dow 0..6]
  std::array<CellMean, kMonths> madt;      // n = valid days of the month
  std::array<CellMean, kDaysOfWeek> aadw;  // n = valid days of the day of week
  std::optional<double> aadt;
  std::int32_t coveredCells = 0;
  std::vector<std::pair<int, int>> emptyCells;  // (month 1..12, dow 0..6), month by month
  std::array<std::optional<double>, kMonths> mf;
  std::array<std::optional<double>, kDaysOfWeek> df;
  std::array<std::array<std::optional<double>, kDaysOfWeek>, kMonths> f;
  DesignHour v30;
  DesignHour v100;
  DayTypeProfile weekday;
  DayTypeProfile weekend;
};

// Tells a (station index, date index) pair to leave out, e.g. a day with a critical data-check
// flag. Empty: none is left out.
using DayExclusion = std::function<bool(std::int32_t station, std::int32_t date)>;

struct AnnualOptions {
  std::vector<std::int32_t> stations;  // station indexes; empty: every station
  std::optional<int> year;             // only this calendar year
  PeakWindows windows = kDefaultPeakWindows;
  DayExclusion excluded;
};

// The days a valid day may not be: those with a critical flag of the checks of view without a
// calendar, ceilings or roads. A program with a register or a calendar takes them from its
// TableAnalysis (excludedDays) instead, which runs the checks once for every view.
[[nodiscard]] DayExclusion excludingCriticalDays(const CountView& view);
// The days critical marks, per record (stations x date index + station index) as
// CheckResults::criticalDays gives them, for a table of that many stations; shared, not copied.
[[nodiscard]] DayExclusion excludingCriticalDays(std::shared_ptr<const std::vector<bool>> critical,
                                                 std::size_t stations);

// A valid day: complete, its total above 0, and not excluded.
//
// One result per picked station and calendar year in which the station has a counted hour,
// station by station in the order picked (view order when every station is), years ascending;
// also for a station-year without a valid day. One pass over the records.
[[nodiscard]] std::vector<StationYear> ComputeAnnualFigures(const CountView& view,
                                                            const AnnualOptions& options);

namespace detail {
struct YearSums;
}

// The annual figures of one series of days, year by year: a station's own days, or the summed
// directions of a road. Give every day with a counted hour to addCountedDay and every valid day
// (complete, total above 0, not excluded) also to addValidDay, each once.
class YearFiguresBuilder {
 public:
  explicit YearFiguresBuilder(PeakWindows windows = kNoonWindows);
  ~YearFiguresBuilder();
  YearFiguresBuilder(YearFiguresBuilder&&) noexcept;
  YearFiguresBuilder& operator=(YearFiguresBuilder&&) noexcept;

  void addCountedDay(DateNumber date);
  void addValidDay(DateNumber date, std::span<const std::int32_t, kHoursPerDay> hours);
  // One row per year with a counted day, ascending, the station left empty; empties the
  // builder.
  [[nodiscard]] std::vector<StationYear> finish();

 private:
  detail::YearSums& sumsOf(int year);

  PeakWindows m_windows;
  std::map<int, std::unique_ptr<detail::YearSums>> m_years;
};

// Text forms shared by the files and the windows.
[[nodiscard]] std::string formatHour(int hour);                     // "07:00"
[[nodiscard]] std::string formatFixed(double value, int decimals);  // "9.92"; no locale
[[nodiscard]] std::string formatVehicles(double value);             // whole, halves to even

}  // namespace ostrilo

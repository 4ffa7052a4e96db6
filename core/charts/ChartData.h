#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/table/DateNumber.h"

namespace ostrilo {

class ATRTable;
class CheckResults;
class StationRegister;
struct PlotSelection;
class HolidayCalendar;

// What each chart shows, as plain data: the windows only draw it. x values of time axes are
// date numbers (days since 30 December 1899, the hour as the fraction).

// The series kinds of the graph-type box, in its order.
enum class SeriesKind { Line = 0, Bar = 1, HorizBar = 2, Area = 3, Point = 4 };

// The kind for the graph-type box's current position; no current entry (-1, the user typed a
// text of their own) and anything unknown draw lines.
[[nodiscard]] SeriesKind seriesKindFor(int graphTypeIndex);

// Label formats of a time axis, in the notation of the stored charts; ddd is the day of the
// week. Drawn on two lines, the time stands above the day and date.
inline constexpr const char* kHourDateFormat = "hh:mm ddd m/d/yy";
inline constexpr const char* kDateFormat = "ddd m/d/yy";

// The calendar days a chart covers, first to last inclusive, as whole date numbers.
struct DayRange {
  DateNumber first = 0;
  DateNumber last = 0;
  friend bool operator==(const DayRange&, const DayRange&) = default;
};

// What a band behind the time axis marks: a run of weekend days, or of the holidays of the
// calendar in use.
enum class SpanKind { Weekend, Holiday };

// A band across the plot behind the series, over [from, to) of the time axis (date numbers).
struct ShadedSpan {
  DateNumber from = 0;
  DateNumber to = 0;
  SpanKind kind = SpanKind::Weekend;
  friend bool operator==(const ShadedSpan&, const ShadedSpan&) = default;
};

// Beyond this many days a band would be narrower than a pixel at any window size a user has:
// longer periods get none.
inline constexpr int kMaxShadedDays = 3660;

// A gap is a point whose y is NaN: an hour or a day that was not counted, or the break between
// two picked dates that are not consecutive days. Lines and areas stop at it; it has no bar.
struct ChartPoint {
  double x = 0;
  double y = 0;
  friend bool operator==(const ChartPoint&, const ChartPoint&) = default;
};

[[nodiscard]] bool isGap(const ChartPoint& point);

struct ChartSeries {
  std::string title;  // the station name, as the table's bytes
  SeriesKind kind = SeriesKind::Line;
  // In walk order; a break between non-consecutive dates follows the earlier date's points.
  std::vector<ChartPoint> points;
};

// A picked complete station-day with a critical check flag (a fault, not a gap), which the
// charts mark and explain.
struct CriticalDay {
  std::int32_t row = 0;  // series or grid row: the station's ordinal among the picked ones
  DateNumber day = 0;
  std::string reason;  // each critical flag of the day as "CODE: detail", one per line
  friend bool operator==(const CriticalDay&, const CriticalDay&) = default;
};

// The hourly and the daily volume graph.
struct LineChart {
  // Two lines, UTF-8: what the chart is, then the station ("id  name" with a register that
  // names it) or the number of stations, and the period.
  std::string title;
  std::string caption;
  std::string leftAxisTitle;
  std::string bottomAxisFormat;
  bool multiLineLabels = false;
  std::vector<ChartSeries> series;  // one per picked station, in list order
  // In walk order; the daily graph only. A day that is not complete has a gap, not a value.
  std::vector<CriticalDay> criticalDays;
  // The days the time axis shows at least; nothing when no date is picked.
  std::optional<DayRange> period;
  // The weekends of the period, in time order, then its holidays (shadeHolidays); each spans
  // the points of its days.
  std::vector<ShadedSpan> shaded;
  // Where a day's band begins, in days from its midnight: 0 where a day's points are its hours,
  // -0.5 where one point at midnight stands for the day.
  double dayStart = 0;
};

struct GridCell {
  DateNumber x = 0;     // start of the cell's hour
  std::int32_t z = 0;   // row: the ordinal of the station among the picked ones
  std::int16_t y = 0;   // the hourly volume, which picks the colour; 0 when not counted
  bool counted = true;  // false: nobody counted the hour, the cell has no colour of the scale
  friend bool operator==(const GridCell&, const GridCell&) = default;
};

struct ColorGrid {
  std::string title;  // as the line charts' title
  std::string caption;
  std::string leftAxisTitle;
  std::string bottomAxisFormat;
  std::vector<std::string> rowNames;      // row k is the k-th picked station
  std::vector<GridCell> cells;            // in walk order: row by row, date by date, hour by hour
  std::vector<CriticalDay> criticalDays;  // in walk order
  // The range of the counted volumes, which spans volumeColourScale() from its light end at the
  // lowest to its dark end at the highest; both 0 when no cell was counted.
  std::int16_t lowest = 0;
  std::int16_t highest = 0;
  std::string scaleTitle;  // what the colours mean
};

// A colour of a scale at a position from 0 (lowest) to 1 (highest); between two stops the
// colour runs linearly in RGB.
struct ColourStop {
  double at = 0;
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
};

// The colour grid's scale: viridis reversed, from light yellow for low volumes to dark violet
// for high ones. Its lightness falls steadily, so the order of volumes reads without a key, in
// print and for the colour-blind.
[[nodiscard]] const std::vector<ColourStop>& volumeColourScale();

struct Histogram {
  std::string title;  // as the line charts' title
  std::string caption;
  std::string leftAxisTitle;
  std::string bottomAxisTitle;
  std::int32_t smallest = 0;     // lower edge of bin 0, a multiple of the width
  std::int32_t width = 1;        // bin width: 1, 2 or 5 times a power of ten
  std::vector<ChartPoint> bars;  // bins 0 up to the largest volume's (at most 30): x the lower
                                 // edge, y the count
  std::int64_t counted = 0;      // counted hours binned
};

inline constexpr int kHistogramBins = 101;
inline constexpr int kHistogramBarsDrawn = 31;

// Each takes the selection as the check left it (the caller runs CheckPlotSelection first)
// and walks it station by station, both lists in list order. Only counted hours count: the
// hourly graph has a gap for each hour that was not counted, the daily graph a value only for
// complete days, the grid an empty cell, and the histogram leaves them out. The daily graph and
// the grid take their critical days from checks, the result of runDataChecks over the same
// table (an empty CheckResults marks none). With a register (`names`) a one-station title names
// the station; series and rows keep the bare ids either way.
[[nodiscard]] LineChart hourlyVolumeChart(const ATRTable& table, const PlotSelection& selection,
                                          SeriesKind kind, const StationRegister* names = nullptr);
[[nodiscard]] LineChart dailyVolumeChart(const ATRTable& table, const PlotSelection& selection,
                                         SeriesKind kind, const CheckResults& checks,
                                         const StationRegister* names = nullptr);
[[nodiscard]] ColorGrid volumeColorGrid(const ATRTable& table, const PlotSelection& selection,
                                        const CheckResults& checks,
                                        const StationRegister* names = nullptr);
// Bins of one round width over the picked counted hourly volumes: the smallest of 1, 2, 5, 10,
// 20, 50 ... that takes the range (largest - smallest) in 30 bins, the edges at its multiples,
// so that every volume falls in bins 0 to 30. A bin holds its lower edge. The largest starts at
// 0 and the smallest at 31000: nothing picked gives 31 empty bins from 31000.
[[nodiscard]] Histogram volumeHistogram(const ATRTable& table, const PlotSelection& selection,
                                        const StationRegister* names = nullptr);

// Adds a band for each run of the calendar's holidays in the chart's period (none without a
// period or with the empty calendar).
void shadeHolidays(LineChart& chart, const HolidayCalendar& calendar);

// The days a flag's graph shows: the flagged day and three on either side, whatever the
// table holds of them.
[[nodiscard]] DayRange daysAroundFlag(DateNumber day);
// What a flag's graph plots: the station (none when the table lacks it) and the table's dates
// among daysAroundFlag(day).
[[nodiscard]] PlotSelection selectionAroundFlag(const ATRTable& table, std::string_view station,
                                                DateNumber day);
// The hourly graph of that selection, its time axis and period all of daysAroundFlag(day).
[[nodiscard]] LineChart flagVolumeChart(const ATRTable& table, const PlotSelection& around,
                                        DateNumber day, SeriesKind kind,
                                        const StationRegister* names = nullptr);

}  // namespace ostrilo

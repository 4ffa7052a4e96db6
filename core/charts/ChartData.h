#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/table/DateNumber.h"

namespace ostrilo {

class ATRTable;
class CheckResults;
struct PlotSelection;

// What each chart shows, as plain data: the windows only draw it. x values of time axes are
// date numbers (days since 30 December 1899, the hour as the fraction).

// The series kinds of the graph-type box, in its order.
enum class SeriesKind { Line = 0, Bar = 1, HorizBar = 2, Area = 3, Point = 4 };

// The kind for the graph-type box's current position; no current entry (-1, the user typed a
// text of their own) and anything unknown draw lines.
[[nodiscard]] SeriesKind seriesKindFor(int graphTypeIndex);

// Label formats of a time axis, in the notation of the stored charts.
inline constexpr const char* kHourDateFormat = "hh:mm m/d/yy";  // two lines: time above date
inline constexpr const char* kDateFormat = "m/d/yy";

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
  std::string title;
  std::string caption;
  std::string leftAxisTitle;
  std::string bottomAxisFormat;
  bool multiLineLabels = false;
  std::vector<ChartSeries> series;  // one per picked station, in list order
  // In walk order; the daily graph only. A day that is not complete has a gap, not a value.
  std::vector<CriticalDay> criticalDays;
};

struct GridCell {
  DateNumber x = 0;     // start of the cell's hour
  std::int32_t z = 0;   // row: the ordinal of the station among the picked ones
  std::int16_t y = 0;   // the hourly volume, which picks the colour; 0 when not counted
  bool counted = true;  // false: nobody counted the hour, the cell has no colour of the scale
  friend bool operator==(const GridCell&, const GridCell&) = default;
};

struct ColorGrid {
  std::string title;
  std::string caption;
  std::string leftAxisTitle;
  std::string bottomAxisFormat;
  std::vector<std::string> rowNames;      // row k is the k-th picked station
  std::vector<GridCell> cells;            // in walk order: row by row, date by date, hour by hour
  std::vector<CriticalDay> criticalDays;  // in walk order
  // The range of the counted volumes, which spans the colour scale from lowest red to highest
  // green; both 0 when no cell was counted.
  std::int16_t lowest = 0;
  std::int16_t highest = 0;
};

struct Histogram {
  std::string title;
  std::string caption;
  std::string leftAxisTitle;
  std::int32_t smallest = 0;     // lower edge of bin 0
  std::int32_t width = 1;        // bin width, at least 1
  std::vector<ChartPoint> bars;  // bins 0 to 30: x the lower edge, y the count
  std::int64_t counted = 0;      // counted hours binned, drawn or not
};

inline constexpr int kHistogramBins = 101;
inline constexpr int kHistogramBarsDrawn = 31;

// Each takes the selection as the check left it (the caller runs CheckPlotSelection first)
// and walks it station by station, both lists in list order. Only counted hours count: the
// hourly graph has a gap for each hour that was not counted, the daily graph a value only for
// complete days, the grid an empty cell, and the histogram leaves them out. The daily graph and
// the grid take their critical days from checks, the result of RunDataChecks over the same
// table (an empty CheckResults marks none).
[[nodiscard]] LineChart hourlyVolumeChart(const ATRTable& table, const PlotSelection& selection,
                                          SeriesKind kind);
[[nodiscard]] LineChart dailyVolumeChart(const ATRTable& table, const PlotSelection& selection,
                                         SeriesKind kind, const CheckResults& checks);
[[nodiscard]] ColorGrid volumeColorGrid(const ATRTable& table, const PlotSelection& selection,
                                        const CheckResults& checks);
// Bins of equal width over the picked counted hourly volumes: the width is (largest - smallest) /
// 30 rounded half to even when the largest volume is 32 or more, else 1, and never below 1. A
// volume's bin is (v - smallest) / width; the bin's lower edge belongs to it. Volumes whose
// bin lies beyond 100 are left out.
[[nodiscard]] Histogram volumeHistogram(const ATRTable& table, const PlotSelection& selection);

}  // namespace ostrilo

#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/charts/ChartData.h"
#include "core/table/ATRTable.h"
#include "core/table/DateNumber.h"

namespace ostrilo {

class StationRegister;
struct PlotSelection;

// The mean hourly volumes of one day type over the picked complete days without a critical
// flag (the days the statistics and the annual figures trust), with its peak hour in each of the
// default peak windows.
struct ReportProfile {
  std::int32_t days = 0;
  std::array<double, kHoursPerDay> mean{};
  int amPeak = 0;  // the hour of the AM window with the largest mean, the earliest on a tie
  int pmPeak = 0;
};

// What one station's page of the printed report shows, texts ready to draw. Empty texts are
// left off the page.
struct ReportPage {
  std::int32_t station = 0;
  std::string title;     // "Station ID  Name"
  std::string location;  // from the register
  std::string details;   // the register's other columns, "direction: N; lanes: 2; ..."
  std::string period;    // "Period 2012-10-20 to 2012-10-26 (7 dates picked)"
  std::string sources;   // "From ATR20121020w3.dat"

  LineChart daily;                     // the picked days' totals and critical days
  std::vector<DateNumber> pickedDays;  // ascending, each once
  ReportProfile weekday;               // Monday to Friday
  ReportProfile weekend;
  std::string weekdayPeaks;  // "Weekday (5 days): AM peak 07:00, 512 veh (7.1 %); PM peak ..."
  std::string weekendPeaks;

  std::array<std::string, 7> statistics;  // ADT, Min DT, Max DT, SD, AWDDT, AWEDT, Days
  std::string earlierYears;               // "2 earlier years left out"
  std::vector<std::string> annual;        // a line per whole calendar year shown
  std::string checks;                     // "1 critical day, 2 warning days. ZERO_RUN 1, ..."
  std::vector<std::string> worstDays;     // "yyyy-mm-dd  CODE: detail; CODE: detail"
  std::string moreCritical;               // "... and 3 more critical days"
};

inline constexpr std::size_t kReportWorstDays = 5;  // critical days listed on a page
inline constexpr std::size_t kReportYears = 3;      // annual lines on a page, the latest

// One page per picked station in list order, over the picked dates. sources names the table
// file or count files the table came from; names may be null. Throws Error (Usage) with the
// message of CheckPlotSelection when the selection fails it. The data checks run once.
[[nodiscard]] std::vector<ReportPage> reportPages(const ATRTable& table,
                                                  const PlotSelection& selection,
                                                  const std::vector<std::string>& sources,
                                                  const StationRegister* names);

// The calendar years that lie whole between the first and the last of the dates.
[[nodiscard]] std::vector<int> wholeYears(const std::vector<DateNumber>& dates);

}  // namespace ostrilo

#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/annual/AnnualFigures.h"
#include "core/charts/ChartData.h"
#include "core/checks/Completeness.h"
#include "core/checks/Episodes.h"
#include "core/stats/StationStats.h"
#include "core/table/ATRTable.h"
#include "core/table/DateNumber.h"

namespace ostrilo {

class CheckResults;
class StationRegister;
struct PlotSelection;

// The mean hourly volumes of one day type over the page's valid days, with its peak hour in
// each of the page's peak windows (the earliest on a tie; share of the mean day).
struct ReportProfile {
  std::int32_t days = 0;
  std::array<double, kHoursPerDay> mean{};
  PeakHour am;
  PeakHour pm;
};

// The annual figures of one whole calendar year over the page's valid days in it.
struct ReportYear {
  int year = 0;
  bool counted = false;  // the station has a counted hour in the year; else nothing below is set
  std::int32_t validDays = 0;
  std::optional<double> aadt;
  std::int32_t coveredCells = 0;  // of kCells
  std::optional<std::int32_t> v30;
  std::optional<double> k30Pct;
  std::optional<PeakHour> weekdayAm;  // of the average weekday
  std::optional<PeakHour> weekdayPm;
};

// What one station's page of the printed report shows. Texts come from the register, figures as
// numbers for the renderer to format in the user's locale. Every figure rests on the valid days:
// the picked dates whose day is complete and has no critical flag.
struct ReportPage {
  std::int32_t station = 0;
  std::string title;     // "Station ID  Name"
  std::string location;  // from the register
  std::string details;   // the register's other columns, "direction: N; lanes: 2; ..."

  DateNumber firstDay = 0;  // of the picked dates
  DateNumber lastDay = 0;
  std::int32_t datesPicked = 0;
  // The names (no folders) of the files the table came from: all of them, or the first and the
  // last when there are more than kReportSources.
  std::vector<std::string> sources;
  std::size_t sourceCount = 0;

  // Over the picked dates: days = dates picked; valid = complete - faulty.
  CompletenessCounts days;
  std::int32_t warningDays = 0;  // with a warning flag and no critical one

  LineChart daily;                     // the picked days' totals and faulty days
  std::vector<DateNumber> pickedDays;  // ascending, each once
  PeakWindows windows;
  ReportProfile weekday;  // Monday to Friday
  ReportProfile weekend;
  StationStat statistics;

  std::size_t earlierYears = 0;  // whole years left off the page
  std::vector<ReportYear> annual;

  CheckCounts flags{};                // per code, over the picked dates
  std::string holidays;               // the calendar the checks ran with, "" for none
  std::vector<FlagEpisode> episodes;  // the worst faults, in date order; incompleteness apart
  std::size_t moreEpisodes = 0;       // episodes over the picked dates not listed
};

// What a report may be asked beyond its selection.
struct ReportOptions {
  PeakWindows windows = kDefaultPeakWindows;
};

inline constexpr std::size_t kReportSources = 3;   // file names listed in full
inline constexpr std::size_t kReportEpisodes = 6;  // episodes listed on a page
inline constexpr std::size_t kReportYears = 3;     // annual lines on a page, the latest

// One page per picked station in list order, over the picked dates, the peaks taken in the
// options' windows. checks are those of the whole table (runDataChecks with the calendar and
// ceilings the user chose; the pages name its calendar). sources names the table file or count
// files the table came from (paths; the pages keep their file names); names may be null. Throws
// Error (Usage) with the message of CheckPlotSelection when the selection fails it, and
// std::invalid_argument when checks are not of a table of the table's size.
[[nodiscard]] std::vector<ReportPage> reportPages(const ATRTable& table, const CheckResults& checks,
                                                  const PlotSelection& selection,
                                                  const std::vector<std::string>& sources,
                                                  const StationRegister* names,
                                                  const ReportOptions& options = {});

// The calendar years that lie whole between the first and the last of the dates.
[[nodiscard]] std::vector<int> wholeYears(const std::vector<DateNumber>& dates);

}  // namespace ostrilo

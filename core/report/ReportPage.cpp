#include "core/report/ReportPage.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <span>
#include <utility>

#include "core/annual/AnnualFigures.h"
#include "core/checks/CheckReport.h"
#include "core/checks/DataChecks.h"
#include "core/register/StationRegister.h"
#include "core/selection/PlotSelection.h"
#include "core/stats/StationStats.h"
#include "core/table/CountView.h"
#include "core/table/Error.h"

namespace ostrilo {

namespace {

using AnnualByStation = std::map<std::pair<std::int32_t, int>, StationYear>;

// What every page reads: the checks and annual figures, computed once for the report.
struct ReportInputs {
  const ATRTable& table;
  const PlotSelection& selection;
  const std::vector<std::string>& sources;
  const StationRegister* names;
  CheckResults checks;
  std::vector<std::int32_t> dates;
  std::vector<int> years;
  AnnualByStation annual;
};

std::string figure(const std::optional<std::int32_t>& value) {
  return value ? std::to_string(*value) : "n/a";
}

std::pair<ReportProfile, ReportProfile> dayProfiles(const ReportInputs& in, std::int32_t station) {
  ReportProfile weekday;
  ReportProfile weekend;
  for (const std::int32_t d : in.dates) {
    if (!in.table.IsComplete(d, station) || in.checks.hasCritical(d, station)) continue;
    ReportProfile& profile = IsWeekend(in.table.DatebyIndex(d)) ? weekend : weekday;
    const HourlyVolumes volumes = in.table.VolArrByIndex(d, station);
    for (int h = 0; h < kHoursPerDay; ++h) profile.mean[h] += volumes[h];
    ++profile.days;
  }
  const PeakWindows windows = AnnualOptions().windows;
  for (ReportProfile* profile : {&weekday, &weekend}) {
    if (profile->days > 0) {
      for (double& v : profile->mean) v /= profile->days;
    }
    const auto peak = [&](int begin, int end) {
      const auto first = profile->mean.begin();
      return static_cast<int>(std::max_element(first + begin, first + end) - first);
    };
    profile->amPeak = peak(windows.amBegin, windows.amEnd);
    profile->pmPeak = peak(windows.pmBegin, windows.pmEnd);
  }
  return {weekday, weekend};
}

std::string peaksText(const std::string& label, const ReportProfile& profile) {
  if (profile.days == 0) return label + ": no complete day";
  double total = 0;
  for (const double v : profile.mean) total += v;
  const auto peak = [&](const char* half, int hour) {
    const double share = total > 0 ? 100 * profile.mean[hour] / total : 0;
    return std::string(half) + " peak " + formatHour(hour) + ", " +
           formatVehicles(profile.mean[hour]) + " veh (" + formatFixed(share, 1) + " %)";
  };
  return label + " (" + std::to_string(profile.days) + " days): " + peak("AM", profile.amPeak) +
         "; " + peak("PM", profile.pmPeak);
}

std::string sourcesText(const std::vector<std::string>& sources) {
  if (sources.empty()) return "(not saved)";
  if (sources.size() > 3) {
    return std::to_string(sources.size()) + " files: " + sources.front() + " ... " + sources.back();
  }
  std::string text;
  for (const std::string& s : sources) text += (text.empty() ? "" : ", ") + s;
  return text;
}

std::string annualText(const StationYear& row) {
  std::string text = std::to_string(row.year) + ": " +
                     (row.aadt ? "AADT " + formatVehicles(*row.aadt) : std::string("AADT n/a")) +
                     " (" + std::to_string(row.coveredCells) + " of " + std::to_string(kCells) +
                     " month-weekday cells covered, " + std::to_string(row.validDays) +
                     " valid days)";
  if (row.v30.volume) {
    text += "; 30th highest hour " + std::to_string(*row.v30.volume) + " veh";
    if (row.v30.kPct) text += ", K30 " + formatFixed(*row.v30.kPct, 1) + " %";
  }
  const auto peak = [](const char* half, const std::optional<WindowPeak>& p) {
    return p ? std::string(half) + " " + formatHour(p->ofAverageDay.hour) + " (" +
                   formatFixed(p->ofAverageDay.sharePct, 1) + " %)"
             : std::string(half) + " n/a";
  };
  return text + "; weekday peaks " + peak("AM", row.weekday.am) + ", " + peak("PM", row.weekday.pm);
}

void describeStation(ReportPage& page, const ReportInputs& in) {
  const std::string id = in.table.StaNamebyIndex(page.station);
  const StationEntry* entry = in.names ? in.names->find(id) : nullptr;
  page.title = "Station " + id + (entry && !entry->name.empty() ? "  " + entry->name : "");
  if (entry == nullptr) return;
  page.location = entry->location;
  // The rest of the register's row, so that a register of other columns still says something.
  const auto add = [&](const std::string& label, const std::string& value) {
    if (!value.empty()) page.details += (page.details.empty() ? "" : "; ") + label + ": " + value;
  };
  add("direction", entry->direction);
  add("lanes", entry->lanes);
  add("group", entry->group);
  const std::vector<std::string>& columns = in.names->extraColumns();
  for (std::size_t i = 0; i < columns.size() && i < entry->extra.size(); ++i) {
    add(columns[i], entry->extra[i]);
  }
}

void describePeriod(ReportPage& page, const ReportInputs& in) {
  page.period = "Period " + isoDate(page.pickedDays.front()) + " to " +
                isoDate(page.pickedDays.back()) + " (" + std::to_string(in.dates.size()) +
                " dates picked)";
  page.sources = "From " + sourcesText(in.sources);
}

void describeYears(ReportPage& page, const ReportInputs& in) {
  if (in.years.empty()) page.annual.emplace_back("The period holds no whole calendar year.");
  // A page holds a few years; the latest tell most.
  const std::size_t skipped = in.years.size() - std::min(in.years.size(), kReportYears);
  if (skipped > 0) page.earlierYears = std::to_string(skipped) + " earlier years left out";
  for (const int year : std::span(in.years).subspan(skipped)) {
    const auto found = in.annual.find({page.station, year});
    page.annual.push_back(found != in.annual.end() ? annualText(found->second)
                                                   : std::to_string(year) + ": no counted hour");
  }
}

std::int32_t criticalFlags(std::span<const CheckFlag> flags) {
  return static_cast<std::int32_t>(std::count_if(flags.begin(), flags.end(), [](const auto& f) {
    return f.severity() == Severity::Critical;
  }));
}

void describeChecks(ReportPage& page, const ReportInputs& in) {
  FlagFilter filter;
  filter.stations.assign(static_cast<std::size_t>(in.table.StaCount()), false);
  filter.stations[static_cast<std::size_t>(page.station)] = true;
  filter.dates = in.selection.dates.selected;
  std::int32_t criticalDays = 0;
  std::int32_t warningDays = 0;
  std::map<DateNumber, std::int32_t> criticalByDay;
  for (const std::int32_t d : in.dates) {
    if (in.checks.hasCritical(d, page.station)) {
      ++criticalDays;
      criticalByDay[in.table.DatebyIndex(d)] = criticalFlags(in.checks.flagsOf(d, page.station));
    } else if (!in.checks.flagsOf(d, page.station).empty()) {
      ++warningDays;
    }
  }
  page.checks = checkDaysText(criticalDays, warningDays) + ". " +
                checkCountsLine(countByCode(selectFlags(in.checks, filter)));
  // The worst days first: those with the most critical flags, then the earliest.
  std::vector<CriticalDay> worst = page.daily.criticalDays;
  std::stable_sort(worst.begin(), worst.end(), [&](const CriticalDay& a, const CriticalDay& b) {
    return criticalByDay[a.day] > criticalByDay[b.day];
  });
  const std::size_t shown = std::min(worst.size(), kReportWorstDays);
  for (const CriticalDay& day : std::span(worst).first(shown)) {
    std::string line = isoDate(day.day) + "  ";
    for (const char c : day.reason) line += c == '\n' ? std::string("; ") : std::string(1, c);
    page.worstDays.push_back(std::move(line));
  }
  if (worst.size() > shown) {
    page.moreCritical = "... and " + std::to_string(worst.size() - shown) + " more critical days";
  }
}

ReportPage stationPage(const ReportInputs& in, std::int32_t station) {
  ReportPage page;
  page.station = station;
  PlotSelection one = in.selection;
  one.stations.selected.assign(one.stations.selected.size(), false);
  one.stations.selected[static_cast<std::size_t>(station)] = true;
  for (const std::int32_t d : in.dates) page.pickedDays.push_back(in.table.DatebyIndex(d));
  std::sort(page.pickedDays.begin(), page.pickedDays.end());
  page.pickedDays.erase(std::unique(page.pickedDays.begin(), page.pickedDays.end()),
                        page.pickedDays.end());
  describeStation(page, in);
  describePeriod(page, in);
  page.daily = dailyVolumeChart(in.table, one, SeriesKind::Line, in.checks);
  std::tie(page.weekday, page.weekend) = dayProfiles(in, station);
  page.weekdayPeaks = peaksText("Weekday", page.weekday);
  page.weekendPeaks = peaksText("Weekend day", page.weekend);
  const StationStat stat = ComputeStationStats(in.table, one).front();
  page.statistics = {figure(stat.ADT),         figure(stat.MinDT), figure(stat.MaxDT),
                     figure(stat.SD),          figure(stat.AWDDT), figure(stat.AWEDT),
                     std::to_string(stat.Days)};
  describeYears(page, in);
  describeChecks(page, in);
  return page;
}

}  // namespace

std::vector<int> wholeYears(const std::vector<DateNumber>& dates) {
  std::vector<int> years;
  if (dates.empty()) return years;
  const auto [first, last] = std::minmax_element(dates.begin(), dates.end());
  for (int y = civilFromDate(*first).year; y <= civilFromDate(*last).year; ++y) {
    if (std::floor(*first) <= dateFromCivil({y, 1, 1}) &&
        std::floor(*last) >= dateFromCivil({y, 12, 31})) {
      years.push_back(y);
    }
  }
  return years;
}

std::vector<ReportPage> reportPages(const ATRTable& table, const PlotSelection& selection,
                                    const std::vector<std::string>& sources,
                                    const StationRegister* names) {
  if (const std::optional<std::string> problem = CheckPlotSelection(selection)) {
    throw Error(ErrorKind::Usage, *problem);
  }
  ReportInputs in{table, selection, sources, names, RunDataChecks(table), selection.dates.picked(),
                  {},    {}};
  const std::vector<std::int32_t> stations = selection.stations.picked();
  std::vector<DateNumber> days;
  for (const std::int32_t d : in.dates) days.push_back(table.DatebyIndex(d));
  in.years = wholeYears(days);
  if (!in.years.empty()) {
    const CountView view = CountView::of(table);
    AnnualOptions options;
    options.stations = stations;
    options.excluded = excludingCriticalDays(view);
    for (StationYear& row : ComputeAnnualFigures(view, options)) {
      in.annual.emplace(std::make_pair(row.stationIndex, row.year), std::move(row));
    }
  }
  std::vector<ReportPage> pages;
  for (const std::int32_t station : stations) pages.push_back(stationPage(in, station));
  return pages;
}

}  // namespace ostrilo

#include "core/report/ReportPage.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <span>
#include <stdexcept>
#include <utility>

#include "core/analysis/TableAnalysis.h"
#include "core/checks/CheckReport.h"
#include "core/checks/DataChecks.h"
#include "core/register/StationRegister.h"
#include "core/selection/PlotSelection.h"
#include "core/table/CountView.h"
#include "core/table/Error.h"

namespace ostrilo {

namespace {

using AnnualByStation = std::map<std::pair<std::int32_t, int>, StationYear>;

// What every page reads: the checks, the episodes and the annual figures, computed once.
struct ReportInputs {
  const ATRTable& table;
  const PlotSelection& selection;
  const StationRegister* names;
  const ReportOptions& options;
  const CheckResults& checks;
  std::vector<std::int32_t> dates;
  std::vector<bool> leftOut;  // per record, as CheckResults::criticalDays
  std::vector<int> years;
  AnnualByStation annual;
};

bool isValid(const ReportInputs& in, std::int32_t date, std::int32_t station) {
  return in.checks.isComplete(date, station) && !in.checks.hasCritical(date, station);
}

PeakHour peakIn(const ReportProfile& profile, int begin, int end, double total) {
  const auto first = profile.mean.begin();
  const auto hour = static_cast<int>(std::max_element(first + begin, first + end) - first);
  const double volume = profile.mean[static_cast<std::size_t>(hour)];
  return {hour, volume, total > 0 ? 100 * volume / total : 0};
}

std::pair<ReportProfile, ReportProfile> dayProfiles(const ReportInputs& in, std::int32_t station) {
  ReportProfile weekday;
  ReportProfile weekend;
  for (const std::int32_t d : in.dates) {
    if (!isValid(in, d, station)) continue;
    ReportProfile& profile = IsWeekend(in.table.DatebyIndex(d)) ? weekend : weekday;
    const HourlyVolumes volumes = in.table.VolArrByIndex(d, station);
    for (int h = 0; h < kHoursPerDay; ++h) profile.mean[h] += volumes[h];
    ++profile.days;
  }
  for (ReportProfile* profile : {&weekday, &weekend}) {
    if (profile->days > 0) {
      for (double& v : profile->mean) v /= profile->days;
    }
    double total = 0;
    for (const double v : profile->mean) total += v;
    profile->am = peakIn(*profile, in.options.windows.amBegin, in.options.windows.amEnd, total);
    profile->pm = peakIn(*profile, in.options.windows.pmBegin, in.options.windows.pmEnd, total);
  }
  return {weekday, weekend};
}

void listSources(ReportPage& page, const std::vector<std::string>& sources) {
  page.sourceCount = sources.size();
  // A folder says where the files lay on one machine: nothing a reader of the page needs.
  const auto name = [](const std::string& path) {
    return std::filesystem::path(path).filename().string();
  };
  if (sources.size() > kReportSources) {
    page.sources = {name(sources.front()), name(sources.back())};
  } else {
    std::transform(sources.begin(), sources.end(), std::back_inserter(page.sources), name);
  }
}

ReportYear yearOf(const StationYear& row) {
  ReportYear year{row.year,       true,         row.validDays, row.aadt,    row.coveredCells,
                  row.v30.volume, row.v30.kPct, std::nullopt,  std::nullopt};
  if (row.weekday.am) year.weekdayAm = row.weekday.am->ofAverageDay;
  if (row.weekday.pm) year.weekdayPm = row.weekday.pm->ofAverageDay;
  return year;
}

void describeStation(ReportPage& page, const ReportInputs& in) {
  const std::string id = in.table.StaNamebyIndex(page.station);
  const StationEntry* entry = in.names ? in.names->find(id) : nullptr;
  page.title = "Station " + id + (entry && !entry->name.empty() ? "  " + entry->name : "");
  if (entry == nullptr) return;
  // A register without names lends the location to the title; saying it twice tells nothing.
  if (entry->location != entry->name) page.location = entry->location;
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

void countDays(ReportPage& page, const ReportInputs& in) {
  for (const std::int32_t d : in.dates) {
    const bool complete = in.checks.isComplete(d, page.station);
    const bool critical = in.checks.hasCritical(d, page.station);
    ++page.days.days;
    page.days.complete += complete;
    page.days.incomplete += !complete && in.checks.isCounted(d, page.station);
    page.days.faulty += complete && critical;
    // A holiday or a clock change is information: it alone makes no warning day.
    const auto flags = in.checks.flagsOf(d, page.station);
    page.warningDays += !critical && std::any_of(flags.begin(), flags.end(), [](const auto& f) {
      return f.severity() == Severity::Warning;
    });
  }
}

void describeYears(ReportPage& page, const ReportInputs& in) {
  // A page holds a few years; the latest tell most.
  page.earlierYears = in.years.size() - std::min(in.years.size(), kReportYears);
  for (const int year : std::span(in.years).subspan(page.earlierYears)) {
    const auto found = in.annual.find({page.station, year});
    ReportYear row;
    row.year = year;
    page.annual.push_back(found != in.annual.end() ? yearOf(found->second) : row);
  }
}

void describeChecks(ReportPage& page, const ReportInputs& in) {
  FlagFilter filter;
  filter.stations.assign(static_cast<std::size_t>(in.table.StaCount()), false);
  filter.stations[static_cast<std::size_t>(page.station)] = true;
  filter.dates = in.selection.dates.selected;
  std::vector<CheckFlag> flags = selectFlags(in.checks, filter);
  page.flags = countByCode(flags);
  page.holidays = in.checks.holidayCalendar();
  // Incompleteness has its count of days; among the faults its long runs would crowd out the
  // few real outages. The episodes are those of the picked dates, so the list fits the period.
  std::erase_if(flags, [](const CheckFlag& f) { return f.code == CheckCode::MissingHours; });
  const std::vector<FlagEpisode> episodes = mergeEpisodes(in.checks, flags);
  page.episodes = worstEpisodes(episodes, page.station, kReportEpisodes);
  const auto listable = std::count_if(episodes.begin(), episodes.end(), [](const FlagEpisode& e) {
    return e.severity() != Severity::Info;
  });
  page.moreEpisodes = static_cast<std::size_t>(listable) - page.episodes.size();
}

ReportPage stationPage(const ReportInputs& in, std::int32_t station) {
  ReportPage page;
  page.station = station;
  page.windows = in.options.windows;
  PlotSelection one = in.selection;
  one.stations.selected.assign(one.stations.selected.size(), false);
  one.stations.selected[static_cast<std::size_t>(station)] = true;
  for (const std::int32_t d : in.dates) page.pickedDays.push_back(in.table.DatebyIndex(d));
  std::sort(page.pickedDays.begin(), page.pickedDays.end());
  page.pickedDays.erase(std::unique(page.pickedDays.begin(), page.pickedDays.end()),
                        page.pickedDays.end());
  page.firstDay = page.pickedDays.front();
  page.lastDay = page.pickedDays.back();
  page.datesPicked = static_cast<std::int32_t>(in.dates.size());
  describeStation(page, in);
  countDays(page, in);
  page.daily = dailyVolumeChart(in.table, one, SeriesKind::Line, in.checks);
  std::tie(page.weekday, page.weekend) = dayProfiles(in, station);
  page.statistics = ComputeStationStats(in.table, one, in.leftOut).front();
  describeYears(page, in);
  describeChecks(page, in);
  return page;
}

// The annual figures of the whole years over the same days as the rest of a page: a date not
// picked or a day with a critical flag is left out.
AnnualByStation annualFigures(const ReportInputs& in, const std::vector<std::int32_t>& stations) {
  AnnualOptions options;
  options.stations = stations;
  options.windows = in.options.windows;
  options.excluded = [&in](std::int32_t station, std::int32_t date) {
    return !in.selection.dates.selected[static_cast<std::size_t>(date)] ||
           in.checks.hasCritical(date, station);
  };
  AnnualByStation annual;
  for (StationYear& row : ComputeAnnualFigures(CountView::of(in.table), options)) {
    annual.emplace(std::make_pair(row.stationIndex, row.year), std::move(row));
  }
  return annual;
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

std::vector<ReportPage> reportPages(const ATRTable& table, const CheckResults& checks,
                                    const PlotSelection& selection,
                                    const std::vector<std::string>& sources,
                                    const StationRegister* names, const ReportOptions& options) {
  if (const std::optional<std::string> problem = CheckPlotSelection(selection)) {
    throw Error(ErrorKind::Usage, *problem);
  }
  if (!checksFit(checks, table)) {
    throw std::invalid_argument("reportPages: the checks are of another table");
  }
  ReportInputs in{table, selection, names, options, checks, selection.dates.picked(), {}, {}, {}};
  in.leftOut = in.checks.criticalDays();
  const std::vector<std::int32_t> stations = selection.stations.picked();
  std::vector<DateNumber> days;
  for (const std::int32_t d : in.dates) days.push_back(table.DatebyIndex(d));
  in.years = wholeYears(days);
  if (!in.years.empty()) in.annual = annualFigures(in, stations);
  std::vector<ReportPage> pages;
  for (const std::int32_t station : stations) {
    pages.push_back(stationPage(in, station));
    listSources(pages.back(), sources);
  }
  return pages;
}

}  // namespace ostrilo

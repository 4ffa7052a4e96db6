#include "core/checks/Episodes.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "core/checks/CheckReport.h"
#include "core/selection/PlotSelection.h"
#include "core/table/ATRTable.h"

namespace ostrilo {

namespace {

constexpr int kGraphMargin = 3;
constexpr int kGraphMaxDays = 31;

// The valid dates of every station, ascending.
std::vector<std::vector<DateNumber>> validDates(const CheckResults& results) {
  const auto stations = static_cast<std::int32_t>(results.stations().size());
  std::vector<std::vector<DateNumber>> valid(results.stations().size());
  for (std::int32_t d = 0; d < static_cast<std::int32_t>(results.dates().size()); ++d) {
    for (std::int32_t s = 0; s < stations; ++s) {
      if (results.isComplete(d, s) && !results.hasCritical(d, s)) {
        valid[static_cast<std::size_t>(s)].push_back(results.dates()[static_cast<std::size_t>(d)]);
      }
    }
  }
  for (auto& dates : valid) std::sort(dates.begin(), dates.end());
  return valid;
}

bool validBetween(const std::vector<DateNumber>& valid, DateNumber after, DateNumber before) {
  const auto it = std::upper_bound(valid.begin(), valid.end(), after);
  return it != valid.end() && *it < before;
}

}  // namespace

std::vector<FlagEpisode> mergeEpisodes(const CheckResults& results,
                                       std::span<const CheckFlag> flags) {
  const std::vector<std::vector<DateNumber>> valid = validDates(results);
  std::vector<FlagEpisode> episodes;
  std::map<std::pair<std::int32_t, CheckCode>, std::size_t> open;
  for (const CheckFlag& flag : flags) {
    if (flag.wholeMonth()) {
      episodes.push_back({flag.station, flag.code, flag.day, flag.day, 1, true, flag.detail});
      continue;
    }
    const auto key = std::pair(flag.station, flag.code);
    const auto it = open.find(key);
    if (it != open.end()) {
      FlagEpisode& episode = episodes[it->second];
      if (!validBetween(valid[static_cast<std::size_t>(flag.station)], episode.lastDay, flag.day)) {
        episode.lastDay = flag.day;
        ++episode.days;
        continue;
      }
    }
    open[key] = episodes.size();
    episodes.push_back({flag.station, flag.code, flag.day, flag.day, 1, false, flag.detail});
  }
  std::stable_sort(episodes.begin(), episodes.end(),
                   [](const FlagEpisode& a, const FlagEpisode& b) {
                     return std::tuple(a.station, a.firstDay, !a.wholePeriod, a.code) <
                            std::tuple(b.station, b.firstDay, !b.wholePeriod, b.code);
                   });
  return episodes;
}

std::vector<FlagEpisode> worstEpisodes(std::span<const FlagEpisode> episodes, std::int32_t station,
                                       std::size_t limit) {
  std::vector<FlagEpisode> worst;
  for (const FlagEpisode& e : episodes) {
    if (e.station == station && e.severity() != Severity::Info) worst.push_back(e);
  }
  std::stable_sort(worst.begin(), worst.end(), [](const FlagEpisode& a, const FlagEpisode& b) {
    return std::tuple(a.severity(), -a.days) < std::tuple(b.severity(), -b.days);
  });
  if (worst.size() > limit) worst.resize(limit);
  std::stable_sort(worst.begin(), worst.end(), [](const FlagEpisode& a, const FlagEpisode& b) {
    return a.firstDay < b.firstDay;
  });
  return worst;
}

std::vector<DaySpan> episodeGraphSpans(const FlagEpisode& episode) {
  const DateNumber first = episode.firstDay - kGraphMargin;
  const DateNumber last = episode.lastDay + kGraphMargin;
  if (last - first + 1 <= kGraphMaxDays) return {{first, last}};
  return {{first, episode.firstDay + kGraphMargin}, {episode.lastDay - kGraphMargin, last}};
}

PlotSelection selectionOverSpans(const ATRTable& table, std::string_view station,
                                 std::span<const DaySpan> spans) {
  PlotSelection selection = selectionAroundDay(table, station, 0, -1);  // no date yet
  for (std::int32_t d = 0; d < table.DateCount(); ++d) {
    const DateNumber day = dateFromCivil(civilFromDate(table.DatebyIndex(d)));
    selection.dates.selected[static_cast<std::size_t>(d)] =
        std::any_of(spans.begin(), spans.end(),
                    [&](const DaySpan& s) { return day >= s.first && day <= s.last; });
  }
  return selection;
}

std::string episodeDateText(const FlagEpisode& episode, DateNumber day) {
  std::string text = isoDate(day);
  if (!episode.wholePeriod) return text;
  return text.substr(0, episode.code == CheckCode::StationCeiling ? 4 : 7);
}

}  // namespace ostrilo

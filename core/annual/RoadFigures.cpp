#include "core/annual/RoadFigures.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>

#include "core/register/StationRegister.h"

namespace ostrilo {

namespace {

std::string lowerTrimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// The register keeps columns it does not know as extra columns, in file order.
std::optional<std::size_t> extraColumn(const StationRegister& reg, std::string_view name) {
  const auto& columns = reg.extraColumns();
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (lowerTrimmed(columns[i]) == name) return i;
  }
  return std::nullopt;
}

bool saysYes(std::string_view cell) {
  const std::string text = lowerTrimmed(cell);
  return !(text.empty() || text == "no" || text == "n" || text == "false" || text == "0");
}

// One two-way hour of a valid road day, with its peak direction's volume.
struct TwoWayHour {
  std::int32_t volume = 0;
  std::int32_t peak = 0;
  DateNumber date = 0;
  int hour = 0;
};

// What the directional figures of one road-year need beyond the two-way ones.
struct DirectionSums {
  std::vector<TwoWayHour> hours;
  std::vector<std::array<std::int64_t, kHoursPerDay>> weekday;  // per direction
};

// The peak direction's share in the hour at a position of the descending two-way order, ties
// by time; the hours are reordered.
std::optional<double> peakShareAt(std::vector<TwoWayHour>& hours, std::size_t position) {
  if (hours.size() < position) return std::nullopt;
  const auto before = [](const TwoWayHour& a, const TwoWayHour& b) {
    return std::tuple(-a.volume, a.date, a.hour) < std::tuple(-b.volume, b.date, b.hour);
  };
  const auto nth = hours.begin() + static_cast<std::ptrdiff_t>(position - 1);
  std::nth_element(hours.begin(), nth, hours.end(), before);
  if (nth->volume <= 0) return std::nullopt;
  return 100.0 * nth->peak / nth->volume;
}

std::optional<DirectionalSplit> splitAt(const std::optional<WindowPeak>& peak,
                                        const DirectionSums& sums) {
  if (!peak) return std::nullopt;
  DirectionalSplit split;
  split.hour = peak->ofAverageDay.hour;
  const auto h = static_cast<std::size_t>(split.hour);
  std::int64_t total = 0;
  for (const auto& direction : sums.weekday) total += direction[h];
  if (total <= 0) return std::nullopt;
  for (const auto& direction : sums.weekday) {
    split.sharePct.push_back(100.0 * static_cast<double>(direction[h]) /
                             static_cast<double>(total));
  }
  return split;
}

void finishRoadYear(DirectionSums& sums, RoadYear& row) {
  row.d30Pct = peakShareAt(sums.hours, 30);
  row.d1Pct = peakShareAt(sums.hours, 1);
  if (row.twoWay.aadt && row.twoWay.v30.kPct && row.d30Pct) {
    row.ddhv = *row.twoWay.aadt * (*row.twoWay.v30.kPct / 100.0) * (*row.d30Pct / 100.0);
  }
  row.amSplit = splitAt(row.twoWay.weekday.am, sums);
  row.pmSplit = splitAt(row.twoWay.weekday.pm, sums);
}

}  // namespace

std::vector<Road> registerRoads(const StationRegister& reg) {
  std::vector<Road> roads;
  const auto roadColumn = extraColumn(reg, "road");
  if (!roadColumn) return roads;
  const auto splitColumn = extraColumn(reg, "split_ok");
  std::map<std::string, std::size_t> indexOf;
  for (const StationEntry& entry : reg.entries()) {
    const std::string& name = entry.extra[*roadColumn];
    if (lowerTrimmed(name).empty()) continue;
    const auto [found, added] = indexOf.emplace(name, roads.size());
    if (added) roads.push_back({name, {}, {}, false});
    Road& road = roads[found->second];
    road.stations.push_back(entry.station);
    road.directions.push_back(entry.direction);
    if (splitColumn && saysYes(entry.extra[*splitColumn])) road.splitOk = true;
  }
  return roads;
}

std::string joinedStations(const Road& road) {
  std::string text;
  for (const std::string& station : road.stations) {
    if (!text.empty()) text += '+';
    text += station;
  }
  return text;
}

RoadDays::RoadDays(const CountView& view, const Road& road, DayExclusion excluded)
    : m_view(view), m_excluded(std::move(excluded)) {
  for (const std::string& station : road.stations) {
    const auto found = std::find(view.stations.begin(), view.stations.end(), station);
    m_stations.push_back(found == view.stations.end()
                             ? -1
                             : static_cast<std::int32_t>(found - view.stations.begin()));
  }
}

bool RoadDays::anyCounted(std::int32_t date) const {
  return std::any_of(m_stations.begin(), m_stations.end(),
                     [&](std::int32_t s) { return s >= 0 && m_view.countedHours(date, s) != 0; });
}

bool RoadDays::validDay(std::int32_t date,
                        std::vector<std::array<std::int32_t, kHoursPerDay>>& volumes) const {
  volumes.resize(m_stations.size());
  for (std::size_t i = 0; i < m_stations.size(); ++i) {
    const std::int32_t s = m_stations[i];
    const std::int16_t* hours = s < 0 ? nullptr : m_view.completeDay(date, s);
    if (hours == nullptr) return false;
    std::int32_t total = 0;
    for (std::size_t h = 0; h < kHoursPerDay; ++h) total += volumes[i][h] = hours[h];
    if (total <= 0 || (m_excluded && m_excluded(s, date))) return false;
  }
  return !m_stations.empty();
}

std::vector<RoadYear> ComputeRoadFigures(const CountView& view, std::span<const Road> roads,
                                         const RoadOptions& options) {
  std::vector<RoadYear> rows;
  std::vector<std::array<std::int32_t, kHoursPerDay>> volumes;
  for (const Road& road : roads) {
    const RoadDays days(view, road, options.excluded);
    YearFiguresBuilder builder(options.windows);
    std::map<int, DirectionSums> extra;
    for (std::int32_t d = 0; d < static_cast<std::int32_t>(view.dates.size()); ++d) {
      const DateNumber date = view.dates[static_cast<std::size_t>(d)];
      const int year = civilFromDate(date).year;
      if ((options.year && year != *options.year) || !days.anyCounted(d)) continue;
      builder.addCountedDay(date);
      if (!days.validDay(d, volumes)) continue;
      std::array<std::int32_t, kHoursPerDay> twoWay{};
      DirectionSums& sums = extra[year];
      sums.weekday.resize(volumes.size());
      const bool weekday = dayOfWeekIndex(date) < 5;
      for (std::size_t h = 0; h < kHoursPerDay; ++h) {
        std::int32_t peak = 0;
        for (std::size_t i = 0; i < volumes.size(); ++i) {
          twoWay[h] += volumes[i][h];
          peak = std::max(peak, volumes[i][h]);
          if (weekday) sums.weekday[i][h] += volumes[i][h];
        }
        sums.hours.push_back({twoWay[h], peak, date, static_cast<int>(h)});
      }
      builder.addValidDay(date, twoWay);
    }
    for (StationYear& figures : builder.finish()) {
      RoadYear& row = rows.emplace_back();
      row.road = road.name;
      row.directions = joinedStations(road);
      figures.station = road.name;
      figures.stationIndex = -1;
      row.twoWay = std::move(figures);
      finishRoadYear(extra[row.twoWay.year], row);
    }
  }
  return rows;
}

}  // namespace ostrilo

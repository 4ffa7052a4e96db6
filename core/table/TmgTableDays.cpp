#include <map>
#include <set>
#include <tuple>

#include "core/table/Error.h"
#include "core/table/TmgVolumeReader.h"

namespace ostrilo {

namespace {

int mismatch(const TmgVolumeRecord& r) {
  return r.statedWeekday != 0 && r.statedWeekday != weekday(r.date) ? r.statedWeekday : 0;
}

TmgTableDay dayOf(const TmgVolumeRecord& r, std::string name) {
  TmgTableDay day{std::move(name), r.date, {}, r.counted, r.restriction, mismatch(r)};
  for (int h = 0; h < kHoursPerDay; ++h) {
    day.volumes[static_cast<std::size_t>(h)] =
        static_cast<std::int16_t>(r.volumes[static_cast<std::size_t>(h)]);
  }
  return day;
}

// A direction's day over its lanes: counted where every lane the file holds counted the hour.
std::vector<TmgTableDay> sumLanes(const std::vector<TmgVolumeRecord>& records,
                                  std::string_view fileLabel) {
  using Direction = std::pair<std::string, int>;
  std::map<Direction, std::set<int>> lanesOf;
  std::map<std::tuple<std::string, int, DateNumber>, std::map<int, std::size_t>> lanesOfDay;
  std::vector<std::tuple<std::string, int, DateNumber>> order;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const TmgVolumeRecord& r = records[i];
    lanesOf[{r.station, r.direction}].insert(r.lane);
    auto& day = lanesOfDay[{r.station, r.direction, r.date}];
    if (day.empty()) order.emplace_back(r.station, r.direction, r.date);
    day[r.lane] = i;  // a later record of the lane replaces an earlier one
  }
  std::vector<TmgTableDay> days;
  for (const auto& key : order) {
    const auto& [id, direction, date] = key;
    const auto& byLane = lanesOfDay[key];
    TmgTableDay day{tmgStationName(id, direction, std::nullopt), date, {}, kAllHours, 0, 0};
    std::array<std::int32_t, kHoursPerDay> sum{};
    for (const int lane : lanesOf[{id, direction}]) {
      const auto found = byLane.find(lane);
      if (found == byLane.end()) {
        day.counted = 0;
        continue;
      }
      const TmgVolumeRecord& r = records[found->second];
      day.counted &= r.counted;
      for (std::size_t h = 0; h < sum.size(); ++h) sum[h] += r.volumes[h];
      if (r.restriction == 2 || day.restriction == 0) day.restriction = r.restriction;
      if (day.statedWeekday == 0) day.statedWeekday = mismatch(r);
    }
    for (int h = 0; h < kHoursPerDay; ++h) {
      if ((day.counted >> h & 1u) == 0) continue;
      const std::int32_t v = sum[static_cast<std::size_t>(h)];
      if (v > 32767) {
        throw Error(ErrorKind::Overflow, std::string(fileLabel) + ", station " + day.name + ", " +
                                             isoDate(date) + ", hour " + std::to_string(h) +
                                             ": the lanes add up to " + std::to_string(v) +
                                             ", above 32767");
      }
      day.volumes[static_cast<std::size_t>(h)] = static_cast<std::int16_t>(v);
    }
    days.push_back(std::move(day));
  }
  return days;
}

}  // namespace

std::vector<TmgTableDay> readTmgDays(const std::string& path, std::string_view fileLabel,
                                     const TmgOptions& options) {
  std::vector<TmgVolumeRecord> records;
  bool singleLanes = false;
  readTmgFile(path, fileLabel,
              {[&](const TmgVolumeRecord& r) {
                 singleLanes = singleLanes || r.lane != 0;
                 records.push_back(r);
               },
               {}});
  if (options.sumLanes) return sumLanes(records, fileLabel);
  std::vector<TmgTableDay> days;
  days.reserve(records.size());
  for (const TmgVolumeRecord& r : records) {
    days.push_back(dayOf(r, tmgStationName(r.station, r.direction,
                                           singleLanes ? std::optional(r.lane) : std::nullopt)));
  }
  return days;
}

}  // namespace ostrilo

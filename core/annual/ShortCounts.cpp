#include "core/annual/ShortCounts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

#include "core/calendar/HolidayCalendar.h"
#include "core/register/StationRegister.h"
#include "core/table/CsvField.h"
#include "core/table/CsvRecords.h"
#include "core/table/Error.h"

namespace ostrilo {

namespace {

std::string trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

// The annual figures of the stations, with the factors over days without holidays when asked:
// F(m,k) = AADT over every valid day / MADW(m,k) over the valid days that are no holiday.
std::vector<StationYear> memberFigures(const CountView& view, std::vector<std::int32_t> stations,
                                       const GroupExpansionOptions& options,
                                       const DayExclusion& withoutHolidays) {
  AnnualOptions annual;
  annual.stations = std::move(stations);
  annual.year = options.year;
  annual.excluded = options.excluded;
  std::vector<StationYear> rows = ComputeAnnualFigures(view, annual);
  if (!withoutHolidays) return rows;
  annual.excluded = withoutHolidays;
  const std::vector<StationYear> ordinary = ComputeAnnualFigures(view, annual);
  for (std::size_t i = 0; i < rows.size() && i < ordinary.size(); ++i) {
    if (!rows[i].aadt) continue;
    for (std::size_t m = 0; m < kMonths; ++m) {
      for (std::size_t k = 0; k < kDaysOfWeek; ++k) {
        // The MADW shown beside F is the one F divides by.
        rows[i].madw[m][k] = ordinary[i].madw[m][k];
        const std::optional<double>& madw = rows[i].madw[m][k].value;
        rows[i].f[m][k] = madw && *madw > 0 ? std::optional(*rows[i].aadt / *madw) : std::nullopt;
      }
    }
  }
  return rows;
}

DayExclusion holidayExclusion(const CountView& view, const GroupExpansionOptions& options) {
  if (!options.excludeHolidays || options.holidays == nullptr) return {};
  std::vector<bool> holiday(view.dates.size());
  for (std::size_t d = 0; d < holiday.size(); ++d) {
    holiday[d] = options.holidays->isHoliday(view.dates[d]);
  }
  return
      [holiday = std::move(holiday), excluded = options.excluded](std::int32_t s, std::int32_t d) {
        return holiday[static_cast<std::size_t>(d)] || (excluded && excluded(s, d));
      };
}

std::string memberCountReason(const std::string& group, const FactorGroup& year) {
  const std::size_t n = year.members.size();
  return "group " + group + " has " + std::to_string(n) + (n == 1 ? " member" : " members") +
         " with an AADT in " + std::to_string(year.year) + "; 2 are needed";
}

}  // namespace

std::vector<StationYear> factorFigures(const CountView& view, std::vector<std::int32_t> stations,
                                       const GroupExpansionOptions& options) {
  return memberFigures(view, std::move(stations), options, holidayExclusion(view, options));
}

bool cvAbove(const GroupFactor& cell, double threshold) { return cell.cv && *cell.cv > threshold; }

FactorGroup CombineFactors(std::span<const StationYear> members, int year) {
  FactorGroup group;
  group.year = year;
  std::vector<const StationYear*> used;
  for (const StationYear& member : members) {
    (member.aadt ? group.members : group.leftOut).push_back(member.station);
    if (member.aadt) used.push_back(&member);
  }
  for (std::size_t m = 0; m < kMonths; ++m) {
    for (std::size_t k = 0; k < kDaysOfWeek; ++k) {
      // A factor without holidays may lack a cell whose only valid days were holidays.
      std::vector<std::pair<std::size_t, double>> values;
      for (std::size_t i = 0; i < used.size(); ++i) {
        if (used[i]->f[m][k]) values.emplace_back(i, *used[i]->f[m][k]);
      }
      GroupFactor& cell = group.cells[m][k];
      cell.n = static_cast<std::int32_t>(values.size());
      if (cell.n == 0) continue;
      double sum = 0;
      for (const auto& [i, f] : values) sum += f;
      const double mean = sum / cell.n;
      cell.mean = mean;
      if (cell.n < 2) continue;
      double squares = 0;
      double farthest = -1;
      for (const auto& [i, f] : values) {
        const double diff = f - mean;
        squares += diff * diff;
        if (std::abs(diff) > farthest) {
          farthest = std::abs(diff);
          cell.outlier = i;
          cell.outlierFactor = f;
        }
      }
      cell.sd = std::sqrt(squares / (cell.n - 1));
      cell.cv = *cell.sd / mean;
    }
  }
  return group;
}

std::vector<ShortCountEstimate> ExpandShortCounts(const CountView& view,
                                                  std::span<const std::int32_t> stations,
                                                  std::span<const FactorGroup> groups,
                                                  const DayExclusion& excluded) {
  std::vector<ShortCountEstimate> estimates;
  std::vector<double> sums(stations.size() * groups.size());
  for (const std::int32_t s : stations) {
    for (const FactorGroup& group : groups) {
      ShortCountEstimate& estimate = estimates.emplace_back();
      estimate.stationIndex = s;
      estimate.station = view.stations[static_cast<std::size_t>(s)];
      estimate.year = group.year;
      estimate.group = &group;
    }
  }
  const auto dateCount = static_cast<std::int32_t>(view.dates.size());
  for (std::int32_t d = 0; d < dateCount; ++d) {
    const DateNumber date = view.dates[static_cast<std::size_t>(d)];
    const CivilDate civil = civilFromDate(date);
    const auto found = std::find_if(groups.begin(), groups.end(),
                                    [&](const FactorGroup& g) { return g.year == civil.year; });
    if (found == groups.end()) continue;
    const auto g = static_cast<std::size_t>(found - groups.begin());
    const GroupFactor& factor = found->cells[static_cast<std::size_t>(civil.month - 1)]
                                            [static_cast<std::size_t>(dayOfWeekIndex(date))];
    if (!factor.mean) continue;
    for (std::size_t i = 0; i < stations.size(); ++i) {
      const std::int16_t* hours = view.completeDay(d, stations[i]);
      if (hours == nullptr) continue;
      std::int32_t total = 0;
      for (int h = 0; h < kHoursPerDay; ++h) total += hours[h];
      // An all-zero day is a dead counter, and would pull the estimate down like a real count.
      if (total <= 0 || (excluded && excluded(stations[i], d))) continue;
      const std::size_t slot = i * groups.size() + g;
      sums[slot] += total * *factor.mean;
      estimates[slot].daysUsed.push_back(date);
    }
  }
  for (std::size_t slot = 0; slot < estimates.size(); ++slot) {
    ShortCountEstimate& estimate = estimates[slot];
    std::sort(estimate.daysUsed.begin(), estimate.daysUsed.end());
    if (!estimate.daysUsed.empty()) {
      estimate.aadt = sums[slot] / static_cast<double>(estimate.daysUsed.size());
    }
  }
  return estimates;
}

StationGroups groupsFromRegister(const StationRegister& names,
                                 std::span<const std::string> stations) {
  StationGroups groups(stations.size());
  for (std::size_t s = 0; s < stations.size(); ++s) {
    if (const StationEntry* entry = names.find(stations[s])) groups[s] = trimmed(entry->group);
  }
  return groups;
}

StationGroups parseGroupFile(std::string_view text, std::string_view fileLabel,
                             std::span<const std::string> stations) {
  std::map<std::string, std::size_t, std::less<>> index;
  for (std::size_t s = 0; s < stations.size(); ++s) index.emplace(stations[s], s);
  StationGroups groups(stations.size());
  std::map<std::string, std::size_t> seen;
  const std::vector<CsvRecord> records = readCsvRecords(text, fileLabel);
  for (std::size_t i = 0; i < records.size(); ++i) {
    const CsvRecord& r = records[i];
    const auto fail = [&](const std::string& why) {
      throw Error(ErrorKind::Conversion,
                  std::string(fileLabel) + ", line " + std::to_string(r.line) + ": " + why);
    };
    if (r.fields.size() != 2) fail("a line needs two fields, station and group");
    const std::string station = trimmed(r.fields[0]);
    const std::string group = trimmed(r.fields[1]);
    if (i == 0 && station == "station" && group == "group") continue;
    if (station.empty() || group.empty()) fail("a station and its group may not be empty");
    if (const auto [at, fresh] = seen.emplace(station, r.line); !fresh) {
      fail("station " + escapeName(station) + " is listed twice (first on line " +
           std::to_string(at->second) + ")");
    }
    if (const auto it = index.find(station); it != index.end()) groups[it->second] = group;
  }
  return groups;
}

StationGroups loadGroups(std::string_view choice, const StationRegister* names,
                         std::span<const std::string> stations) {
  if (choice == "register") {
    if (names == nullptr || names->empty()) {
      throw Error(ErrorKind::Usage, "groups from the register need a register (--register)");
    }
    if (!names->hasColumn("group")) {
      throw Error(ErrorKind::Usage, "the register has no group column");
    }
    return groupsFromRegister(*names, stations);
  }
  const std::string path(choice);
  return parseGroupFile(readTextFile(path), path, stations);
}

GroupExpansion ExpandByGroups(const CountView& view, const StationGroups& groups,
                              const GroupExpansionOptions& options) {
  GroupExpansion out;
  out.cvThreshold = options.cvThreshold;
  std::map<std::string, std::vector<std::int32_t>> members;
  for (std::size_t s = 0; s < groups.size() && s < view.stations.size(); ++s) {
    if (!groups[s].empty()) members[groups[s]].push_back(static_cast<std::int32_t>(s));
  }
  const DayExclusion withoutHolidays = holidayExclusion(view, options);
  for (auto& [name, stations] : members) {
    std::map<int, std::vector<StationYear>> byYear;
    for (StationYear& row : memberFigures(view, stations, options, withoutHolidays)) {
      byYear[row.year].push_back(std::move(row));
    }
    NamedFactorGroup& group = out.groups.emplace_back();
    group.name = name;
    for (const auto& [year, rows] : byYear) group.years.push_back(CombineFactors(rows, year));
  }
  std::vector<std::int32_t> picked = options.stations;
  if (picked.empty()) {
    for (const auto& [name, stations] : members)
      picked.insert(picked.end(), stations.begin(), stations.end());
    std::sort(picked.begin(), picked.end());
  }
  const DayExclusion& daysLeftOut = withoutHolidays ? withoutHolidays : options.excluded;
  for (const std::int32_t s : picked) {
    const std::string& name = static_cast<std::size_t>(s) < groups.size()
                                  ? groups[static_cast<std::size_t>(s)]
                                  : std::string();
    const auto group = std::find_if(out.groups.begin(), out.groups.end(),
                                    [&](const NamedFactorGroup& g) { return g.name == name; });
    if (name.empty() || group == out.groups.end()) {
      GroupedEstimate& e = out.estimates.emplace_back();
      e.estimate.stationIndex = s;
      e.estimate.station = view.stations[static_cast<std::size_t>(s)];
      e.reason = "in no factor group";
      continue;
    }
    for (const FactorGroup& year : group->years) {
      std::vector<ShortCountEstimate> one =
          ExpandShortCounts(view, std::span(&s, 1), std::span(&year, 1), daysLeftOut);
      GroupedEstimate& e =
          out.estimates.emplace_back(GroupedEstimate{std::move(one.front()), name, {}});
      if (year.members.size() < 2) {
        e.estimate.aadt.reset();
        e.reason = memberCountReason(name, year);
      }
    }
  }
  return out;
}

}  // namespace ostrilo

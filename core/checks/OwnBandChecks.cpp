#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <map>
#include <tuple>

#include "core/checks/CheckRules.h"
#include "core/register/StationRegister.h"

namespace ostrilo::checkrules {

namespace {

// Ours: half and one and a half times the median leave the weekly and seasonal swing of a
// street inside and catch a detector that counts half the lanes or double.
constexpr std::int64_t kLowNumerator = 1;  // band [1/2, 3/2] x median
constexpr std::int64_t kHighNumerator = 3;
constexpr std::size_t kMinOtherDays = 6;

constexpr std::array<const char*, 12> kMonthAbbr{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string halves(std::int64_t twice) {
  return std::to_string(twice / 2) + (twice % 2 != 0 ? ".5" : "");
}

// Twice the median, so that the middle of an even count stays a whole number.
std::int64_t twiceMedian(std::vector<std::int32_t>& values) {
  const std::size_t n = values.size();
  std::nth_element(values.begin(), values.begin() + n / 2, values.end());
  const std::int64_t upper = values[n / 2];
  if (n % 2 == 1) return 2 * upper;
  const std::int64_t lower = *std::max_element(values.begin(), values.begin() + n / 2);
  return lower + upper;
}

bool comparable(const DayFacts& f, std::size_t record) {
  return (*f.valid)[record] && f.dates[record / f.stations].holiday.empty();
}

std::string bandText(std::int32_t total, std::int64_t median2, std::size_t others,
                     const DateFacts& date) {
  const int from = std::max(1, date.month - 1);
  const int to = std::min(12, date.month + 1);
  char text[200];
  std::snprintf(text, sizeof text,
                "total %d, %.0f %% of the median %s of %zu other %ss in %s-%s %d", total,
                200.0 * total / static_cast<double>(median2), halves(median2).c_str(), others,
                kWeekdayNames[static_cast<std::size_t>(date.weekday)], kMonthAbbr[from - 1],
                kMonthAbbr[to - 1], date.year);
  return text;
}

}  // namespace

std::unordered_map<std::size_t, std::string> ownBandDetails(const DayFacts& f) {
  std::unordered_map<std::size_t, std::string> details;
  const std::size_t records = f.totals.size();
  for (std::size_t s = 0; s < f.stations; ++s) {
    // The station's comparable totals by year, month and weekday.
    std::map<std::tuple<int, int, int>, std::vector<std::int32_t>> cells;
    for (std::size_t r = s; r < records; r += f.stations) {
      if (!comparable(f, r)) continue;
      const DateFacts& date = f.dates[r / f.stations];
      cells[{date.year, date.month, date.weekday}].push_back(f.totals[r]);
    }
    std::vector<std::int32_t> others;
    for (std::size_t r = s; r < records; r += f.stations) {
      if (!comparable(f, r)) continue;
      const DateFacts& date = f.dates[r / f.stations];
      others.clear();
      for (int m = date.month - 1; m <= date.month + 1; ++m) {
        const auto it = cells.find({date.year, m, date.weekday});
        if (it != cells.end()) others.insert(others.end(), it->second.begin(), it->second.end());
      }
      others.erase(std::find(others.begin(), others.end(), f.totals[r]));  // the day itself
      if (others.size() < kMinOtherDays) continue;
      const std::size_t n = others.size();
      const std::int64_t median2 = twiceMedian(others);
      const std::int64_t total4 = 4 * std::int64_t{f.totals[r]};
      if (total4 < kLowNumerator * median2 || total4 > kHighNumerator * median2) {
        details.emplace(r, bandText(f.totals[r], median2, n, date));
      }
    }
  }
  return details;
}

std::vector<CheckFlag> stationCeilingFlags(const DayFacts& f,
                                           std::span<const std::optional<DailyCeiling>> ceilings) {
  std::vector<CheckFlag> flags;
  for (std::size_t s = 0; s < f.stations && s < ceilings.size(); ++s) {
    if (!ceilings[s]) continue;
    std::map<int, std::vector<std::int32_t>> byYear;
    for (std::size_t r = s; r < f.totals.size(); r += f.stations) {
      if ((*f.valid)[r]) byYear[f.dates[r / f.stations].year].push_back(f.totals[r]);
    }
    for (auto& [year, totals] : byYear) {
      const std::size_t n = totals.size();
      const std::int64_t median2 = twiceMedian(totals);
      if (median2 <= 2 * ceilings[s]->vehicles) continue;
      char text[200];
      std::snprintf(text, sizeof text,
                    "median %s vehicles a day over %zu valid days, above the ceiling %lld (%s)",
                    halves(median2).c_str(), n, static_cast<long long>(ceilings[s]->vehicles),
                    ceilings[s]->source.c_str());
      flags.push_back({static_cast<std::int32_t>(s), kWholeYear, dateFromCivil({year, 1, 1}),
                       CheckCode::StationCeiling, text});
    }
  }
  return flags;
}

}  // namespace ostrilo::checkrules

namespace ostrilo {

namespace {

std::optional<std::int64_t> wholeAbove0(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value <= 0) return std::nullopt;
  return value;
}

}  // namespace

std::vector<std::optional<DailyCeiling>> registerCeilings(const StationRegister& names,
                                                          std::span<const std::string> stations,
                                                          std::optional<std::int64_t> perLane) {
  std::optional<std::size_t> column;
  for (std::size_t c = 0; c < names.extraColumns().size(); ++c) {
    std::string header;
    for (const char ch : names.extraColumns()[c]) {
      if (ch != ' ') header += static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
    }
    if (header == "max_daily") column = c;
  }
  std::vector<std::optional<DailyCeiling>> ceilings(stations.size());
  for (std::size_t s = 0; s < stations.size(); ++s) {
    const StationEntry* entry = names.find(stations[s]);
    if (entry == nullptr) continue;
    if (column && *column < entry->extra.size()) {
      if (const auto max = wholeAbove0(entry->extra[*column])) {
        ceilings[s] = DailyCeiling{*max, "max_daily"};
        continue;
      }
    }
    const auto lanes = wholeAbove0(entry->lanes);
    if (perLane && lanes) {
      ceilings[s] = DailyCeiling{*lanes * *perLane,
                                 std::to_string(*lanes) + " lanes x " + std::to_string(*perLane)};
    }
  }
  return ceilings;
}

}  // namespace ostrilo

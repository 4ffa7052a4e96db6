#include "core/checks/YearChecks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <tuple>

#include "core/checks/CheckRules.h"

namespace ostrilo {

namespace {

constexpr int kSplitLimitPct = 60;  // 50/50 give or take 10 percentage points
constexpr int kMadtChangePct = 20;

using checkrules::formatDetail;
using checkrules::kMonthNames;

DayExclusion excludingDays(const std::vector<bool>& criticalDays, std::size_t stations) {
  auto days = std::make_shared<const std::vector<bool>>(criticalDays);
  return [days, stations](std::int32_t s, std::int32_t d) {
    const std::size_t r = static_cast<std::size_t>(d) * stations + static_cast<std::size_t>(s);
    return r < days->size() && (*days)[r];
  };
}

void appendSplitFlags(const CountView& view, const Road& road, const DayExclusion& excluded,
                      std::vector<CheckFlag>& flags) {
  if (road.stations.size() != 2) return;  // a split from 50/50 needs two directions
  const RoadDays days(view, road, excluded);
  std::vector<std::array<std::int32_t, kHoursPerDay>> volumes;
  for (std::int32_t d = 0; d < static_cast<std::int32_t>(view.dates.size()); ++d) {
    if (!days.validDay(d, volumes)) continue;
    std::array<std::int64_t, 2> totals{};
    for (std::size_t i = 0; i < 2; ++i) {
      for (const std::int32_t v : volumes[i]) totals[i] += v;
    }
    const std::int64_t both = totals[0] + totals[1];
    if (std::max(totals[0], totals[1]) * 100 <= both * kSplitLimitPct) continue;
    const auto share = [&](std::size_t i) { return 100.0 * static_cast<double>(totals[i]) / both; };
    CheckFlag flag{
        days.stations()[0],
        d,
        view.dates[static_cast<std::size_t>(d)],
        CheckCode::DirectionSplit,
        formatDetail<200>("%s %lld (%.1f %%), %s %lld (%.1f %%)", road.stations[0].c_str(),
                          static_cast<long long>(totals[0]), share(0), road.stations[1].c_str(),
                          static_cast<long long>(totals[1]), share(1)),
        road.name,
        std::nullopt};
    if (road.splitOk) flag.ownSeverity = Severity::Warning;
    flags.push_back(std::move(flag));
  }
}

// Whether now lies further from before than limitPct percent of before.
bool changedBeyond(double now, double before, double limitPct) {
  return std::abs(now - before) * 100 > limitPct * before;
}

std::string changeText(const char* figure, double now, double before, const std::string& when) {
  return formatDetail<200>("%s %.0f, %.1f %% %s %s (%.0f)", figure, now,
                           100.0 * std::abs(now - before) / before,
                           now > before ? "above" : "below", when.c_str(), before);
}

void appendYearFlags(const StationYear& row, const StationYear& before, double aadtLimitPct,
                     std::vector<CheckFlag>& flags) {
  const std::string lastYear = std::to_string(before.year);
  for (std::size_t m = 0; m < kMonths; ++m) {
    const auto& now = row.madt[m].value;
    const auto& then = before.madt[m].value;
    if (!now || !then || !changedBeyond(*now, *then, kMadtChangePct)) continue;
    flags.push_back({row.stationIndex, kWholeMonth,
                     dateFromCivil({row.year, static_cast<int>(m) + 1, 1}), CheckCode::MadtYear,
                     changeText("MADT", *now, *then, kMonthNames[m] + (" " + lastYear))});
  }
  if (row.aadt && before.aadt && changedBeyond(*row.aadt, *before.aadt, aadtLimitPct)) {
    flags.push_back({row.stationIndex,
                     kWholeYear,
                     dateFromCivil({row.year, 1, 1}),
                     CheckCode::AadtYear,
                     changeText("AADT", *row.aadt, *before.aadt, lastYear),
                     {},
                     std::nullopt});
  }
}

}  // namespace

void appendYearChecks(const CountView& view, const CheckOptions& options,
                      const std::vector<bool>& criticalDays, std::vector<CheckFlag>& flags) {
  const auto firstNew = static_cast<std::ptrdiff_t>(flags.size());
  AnnualOptions annual;
  annual.excluded = excludingDays(criticalDays, view.stations.size());
  for (const Road& road : options.roads) appendSplitFlags(view, road, annual.excluded, flags);
  const std::vector<StationYear> rows = ComputeAnnualFigures(view, annual);
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const StationYear& before = rows[i - 1];
    if (before.stationIndex == rows[i].stationIndex && before.year + 1 == rows[i].year) {
      appendYearFlags(rows[i], before, options.aadtChangePct, flags);
    }
  }
  // The order runDataChecks gives: station, date (a year's flags before a month's, a month's
  // before its days'), code; the flags of one month keep the order they came in.
  const auto key = [](const CheckFlag& f) {
    return std::tuple(f.station, f.day, f.wholeYear() ? 0 : f.wholeMonth() ? 1 : 2, f.code);
  };
  const auto before = [&](const CheckFlag& a, const CheckFlag& b) { return key(a) < key(b); };
  std::stable_sort(flags.begin() + firstNew, flags.end(), before);
  std::inplace_merge(flags.begin(), flags.begin() + firstNew, flags.end(), before);
}

}  // namespace ostrilo

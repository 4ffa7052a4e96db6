#include "core/checks/Completeness.h"

#include <algorithm>
#include <numeric>

namespace ostrilo {

namespace {

enum class DayState : std::uint8_t { None, Incomplete, Complete, Faulty };

void add(CompletenessCounts& counts, DayState state) {
  ++counts.days;
  counts.complete += state == DayState::Complete || state == DayState::Faulty;
  counts.incomplete += state == DayState::Incomplete;
  counts.faulty += state == DayState::Faulty;
}

}  // namespace

std::vector<StationCompleteness> computeCompleteness(const CheckResults& results,
                                                     std::span<const std::int32_t> stations) {
  std::vector<std::int32_t> all;
  if (stations.empty()) {
    all.resize(results.stations().size());
    std::iota(all.begin(), all.end(), 0);
    stations = all;
  }
  const std::vector<DateNumber>& dates = results.dates();
  std::vector<StationCompleteness> rows;
  if (dates.empty()) {
    for (const std::int32_t s : stations) rows.push_back({s, {}, 0, std::nullopt, {}});
    return rows;
  }
  const auto [lo, hi] = std::minmax_element(dates.begin(), dates.end());
  const DateNumber first = *lo;
  const auto span = static_cast<std::size_t>(*hi - first) + 1;
  for (const std::int32_t s : stations) {
    std::vector<DayState> days(span, DayState::None);
    for (std::size_t d = 0; d < dates.size(); ++d) {
      const auto di = static_cast<std::int32_t>(d);
      DayState state = DayState::None;
      if (results.isComplete(di, s)) {
        state = results.hasCritical(di, s) ? DayState::Faulty : DayState::Complete;
      } else if (results.isCounted(di, s)) {
        state = DayState::Incomplete;
      }
      days[static_cast<std::size_t>(dates[d] - first)] = state;
    }
    StationCompleteness row{s, {}, 0, std::nullopt, {}};
    std::int32_t gap = 0;
    for (std::size_t i = 0; i < span; ++i) {
      const DateNumber day = first + static_cast<double>(i);
      const CivilDate civil = civilFromDate(day);
      if (row.months.empty() || row.months.back().month != civil.month ||
          row.months.back().year != civil.year) {
        row.months.push_back({civil.year, civil.month, {}});
      }
      add(row.counts, days[i]);
      add(row.months.back().counts, days[i]);
      const bool complete = days[i] == DayState::Complete || days[i] == DayState::Faulty;
      gap = complete ? 0 : gap + 1;
      row.longestGap = std::max(row.longestGap, gap);
      if (complete) row.lastComplete = day;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace ostrilo

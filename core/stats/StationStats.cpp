#include "core/stats/StationStats.h"

#include <algorithm>
#include <cmath>

#include "core/selection/PlotSelection.h"
#include "core/table/ATRTable.h"
#include "core/table/Checked.h"
#include "core/table/CsvField.h"

namespace ostrilo {

namespace {

struct Accumulator {
  std::int64_t sum = 0;
  std::int64_t count = 0;

  void add(std::int32_t v) {
    sum += v;
    ++count;
  }
  [[nodiscard]] std::optional<std::int32_t> mean() const {
    if (count == 0) return std::nullopt;
    return roundHalfEven(static_cast<double>(sum) / static_cast<double>(count));
  }
};

}  // namespace

std::int32_t roundHalfEven(double value) {
  // nearbyint rounds halves to even under the default rounding mode, which nothing changes.
  return checkedNarrow<std::int32_t>(static_cast<std::int64_t>(std::nearbyint(value)), "statistic");
}

StatResults ComputeStationStats(const ATRTable& table, const PlotSelection& selection,
                                const std::vector<bool>& leaveOut) {
  const auto leftOut = [&](std::int32_t date, std::int32_t station) {
    if (leaveOut.empty()) return false;
    const std::size_t record =
        static_cast<std::size_t>(table.StaCount()) * static_cast<std::size_t>(date) +
        static_cast<std::size_t>(station);
    return record < leaveOut.size() && leaveOut[record];
  };
  const auto dates = selection.dates.picked();
  std::vector<bool> weekend;
  weekend.reserve(dates.size());
  for (const auto j : dates) weekend.push_back(IsWeekend(table.DatebyIndex(j)));

  StatResults rows;
  for (const auto i : selection.stations.picked()) {
    StationStat row;
    const auto index = static_cast<std::size_t>(i);
    if (index < selection.stations.texts.size()) row.AtrId = selection.stations.texts[index];

    Accumulator all;
    Accumulator weekday;
    Accumulator weekendDays;
    std::vector<std::int32_t> volumes;
    volumes.reserve(dates.size());
    for (std::size_t n = 0; n < dates.size(); ++n) {
      const std::optional<std::int32_t> v = table.CompleteDailyVol(dates[n], i);
      if (!v || leftOut(dates[n], i)) continue;
      volumes.push_back(*v);
      all.add(*v);
      (weekend[n] ? weekendDays : weekday).add(*v);
    }
    row.Days = static_cast<std::int32_t>(volumes.size());
    row.ADT = all.mean();
    row.AWDDT = weekday.mean();
    row.AWEDT = weekendDays.mean();
    if (!volumes.empty()) {
      row.MinDT = *std::min_element(volumes.begin(), volumes.end());
      row.MaxDT = *std::max_element(volumes.begin(), volumes.end());
      // The deviation is taken from the whole-number ADT, as the published figures are.
      double squares = 0;
      for (const std::int32_t v : volumes) {
        const auto d = static_cast<double>(std::int64_t{v} - *row.ADT);
        squares += d * d;
      }
      row.SD = roundHalfEven(std::sqrt(squares / static_cast<double>(volumes.size())));
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace ostrilo

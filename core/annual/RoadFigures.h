#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/annual/AnnualFigures.h"
#include "core/annual/Road.h"
#include "core/table/CountView.h"

namespace ostrilo {

class StationRegister;

// The roads of a register in the order of their first station; empty without a `road` column.
// Stations with an empty road belong to none.
[[nodiscard]] std::vector<Road> registerRoads(const StationRegister& reg);
// "B001+B002".
[[nodiscard]] std::string joinedStations(const Road& road);

// The days of a road in a count view. A road's day is complete when every direction's is, its
// volumes are the sums of its directions', and it is valid when every direction's day is valid
// (complete, total above 0, not excluded). A direction the view lacks has no day at all.
class RoadDays {
 public:
  RoadDays(const CountView& view, const Road& road, DayExclusion excluded);

  [[nodiscard]] std::size_t directionCount() const noexcept { return m_stations.size(); }
  // The view's station indexes, -1 for a station it lacks.
  [[nodiscard]] const std::vector<std::int32_t>& stations() const noexcept { return m_stations; }
  // Some direction has a counted hour on the date (index).
  [[nodiscard]] bool anyCounted(std::int32_t date) const;
  // The volumes of each direction (hour 0 first) on a valid road day; false otherwise.
  [[nodiscard]] bool validDay(std::int32_t date,
                              std::vector<std::array<std::int32_t, kHoursPerDay>>& volumes) const;

 private:
  const CountView& m_view;
  std::vector<std::int32_t> m_stations;
  DayExclusion m_excluded;
};

// The share of each direction (register order, percent) in one hour of the average weekday.
struct DirectionalSplit {
  int hour = 0;
  std::vector<double> sharePct;
};

// The figures of one road and calendar year over its valid days. twoWay holds the figures of
// the summed directions exactly as a station's (ADT, AADT by the 84 cells, V30, K30, peaks).
struct RoadYear {
  std::string road;
  std::string directions;  // "B001+B002"
  StationYear twoWay;
  // The peak direction's share of the two-way volume in the 30th-highest and the highest
  // two-way hour (equal volumes ordered by time, the earliest first); nothing when the year has
  // fewer such hours or that hour is 0.
  std::optional<double> d30Pct;
  std::optional<double> d1Pct;
  std::optional<double> ddhv;  // AADT x K30 x D30; nothing when any of them is n/a
  // At the AM and PM peak hours of the two-way average weekday; nothing without a weekday.
  std::optional<DirectionalSplit> amSplit;
  std::optional<DirectionalSplit> pmSplit;
};

struct RoadOptions {
  std::optional<int> year;
  PeakWindows windows = kNoonWindows;
  DayExclusion excluded;  // as AnnualOptions::excluded, per direction
};

// One row per road and calendar year in which any direction has a counted hour, roads in the
// order given, years ascending.
[[nodiscard]] std::vector<RoadYear> ComputeRoadFigures(const CountView& view,
                                                       std::span<const Road> roads,
                                                       const RoadOptions& options);

}  // namespace ostrilo

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ostrilo {

class ATRTable;
struct PlotSelection;

// One station's daily-traffic figures over its complete days among the picked dates, in whole
// vehicles per day. A figure over no day is empty: there is nothing to average, and a 0 would
// read as a measured day without traffic.
struct StationStat {
  std::string AtrId;  // the station's item text in the station list
  std::optional<std::int32_t> ADT;
  std::optional<std::int32_t> MinDT;
  std::optional<std::int32_t> MaxDT;
  std::optional<std::int32_t> SD;
  std::optional<std::int32_t> AWDDT;
  std::optional<std::int32_t> AWEDT;
  std::int32_t Days = 0;  // the complete days the figures were taken over

  friend bool operator==(const StationStat&, const StationStat&) = default;
};

// The records of one computation, one per picked station in station list order.
using StatResults = std::vector<StationStat>;

// The figures of every picked station, in station list order, over those picked dates on which
// all 24 hours of the station were counted (a day with a missing hour has no daily total):
// ADT the mean daily total; Min DT and Max DT the lowest and highest; SD the population standard
// deviation about the whole-number ADT; AWDDT and AWEDT the means over the complete
// Monday-to-Friday and Saturday-Sunday days. Zeros and negatives of complete days count like
// any other total. Quotients round to the nearest whole number, halves to even. Sums are
// 64-bit, so no selection the table can hold overflows. The caller runs the selection check
// first.
// leaveOut, when not empty, holds one flag per record (StaCount x date index + station index,
// as CheckResults::criticalDays gives them): a flagged day is left out as well, and Days counts
// only the days taken. Empty, the figures are over every complete day.
[[nodiscard]] StatResults ComputeStationStats(const ATRTable& table, const PlotSelection& selection,
                                              const std::vector<bool>& leaveOut = {});

// The nearest whole number, a value exactly halfway going to the even neighbour.
[[nodiscard]] std::int32_t roundHalfEven(double value);

}  // namespace ostrilo

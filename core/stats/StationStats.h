#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ostrilo {

class ATRTable;
struct PlotSelection;

// One station's daily-traffic figures over the picked dates, in whole vehicles per day.
struct StationStat {
  std::string AtrId;  // the station's item text in the station list
  std::int32_t ADT = 0;
  std::int32_t MinDT = 0;
  std::int32_t MaxDT = 0;
  std::int32_t SD = 0;
  std::int32_t AWDDT = 0;
  std::int32_t AWEDT = 0;

  friend bool operator==(const StationStat&, const StationStat&) = default;
};

// The records of one computation, one per picked station in station list order.
using StatResults = std::vector<StationStat>;

// The figures of every picked station, in station list order, over every picked date:
// ADT the mean daily total; Min DT and Max DT the lowest and highest (0 when no date is
// picked); SD the population standard deviation about the whole-number ADT; AWDDT and AWEDT the
// means over the picked Monday-to-Friday and Saturday-Sunday dates (0 when there are none).
// Every picked date counts, zeros and negatives included. Quotients round to the nearest whole
// number, halves to even. Sums are 64-bit, so no selection the table can hold overflows.
// The caller runs the selection check first.
[[nodiscard]] StatResults ComputeStationStats(const ATRTable& table,
                                              const PlotSelection& selection);

// The nearest whole number, a value exactly halfway going to the even neighbour.
[[nodiscard]] std::int32_t roundHalfEven(double value);

// The statistics file: the header "ATR ID, ADT, Min DT, Max DT, SD, AWDDT, AWEDT", then one
// line per record, fields separated by a comma and two blanks, figures as plain integers,
// every line ended by CR LF, names as their bytes. A name holding a comma, a double quote or a
// line break is quoted as in RFC 4180 so that it stays in its column.
[[nodiscard]] std::string BuildStatsCsvText(const StatResults& rows);

}  // namespace ostrilo

#pragma once

// The rules of the check run that live in files of their own, over the facts the run gathers
// in its first pass. Only the check run includes this.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/checks/DataChecks.h"

namespace ostrilo::checkrules {

struct DateFacts {
  DateNumber day = 0;
  int year = 0;
  int month = 1;        // 1..12
  int weekday = 0;      // 0 = Sunday
  std::string holiday;  // the holiday's name, empty on an ordinary day
};

// Per record (stations x date + station): the counted total, and whether the day is valid
// (complete, above 0, no critical flag).
struct DayFacts {
  std::span<const DateFacts> dates;  // by date index
  std::size_t stations = 0;
  std::span<const std::int32_t> totals;
  const std::vector<bool>* valid = nullptr;
};

// The clock-change code that replaces MISSING_HOURS when the only hour not counted is the one
// that did not exist, and its detail.
[[nodiscard]] bool onlySkippedHourMissing(HourMask mask, std::optional<int> skipped);
[[nodiscard]] std::string clockChangeDetail(int skippedHour);

// OWN_BAND: the detail of every record that breaks the rule, by record.
[[nodiscard]] std::unordered_map<std::size_t, std::string> ownBandDetails(const DayFacts& facts);

// STATION_CEILING: one flag per station and year whose median valid day exceeds the ceiling.
[[nodiscard]] std::vector<CheckFlag> stationCeilingFlags(
    const DayFacts& facts, std::span<const std::optional<DailyCeiling>> ceilings);

}  // namespace ostrilo::checkrules

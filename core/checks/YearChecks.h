#pragma once

#include <cstdint>
#include <vector>

#include "core/annual/RoadFigures.h"
#include "core/checks/DataChecks.h"
#include "core/table/CountView.h"

namespace ostrilo {

inline constexpr double kDefaultAadtChangePct = 10;

// What the checks across directions and years need beyond the counts. Their flags judge the
// figures that the valid days make, so none of them removes a day: removing one would change
// what they judge.
struct CheckOptions {
  // DirectionSplit: a valid day of a two-direction road whose directions' daily totals split
  // further than 60/40 (critical; a warning for a road whose register says split_ok).
  std::vector<Road> roads;
  // AadtYear: a station-year whose AADT differs from the year before by more than this many
  // percent of the earlier AADT (a warning). MadtYear uses 20 %, the limit of TMAS.
  double aadtChangePct = kDefaultAadtChangePct;
};

// Appends to flags (as RunDataChecks has ordered them) the flags of the rules above and
// MadtYear (a month whose MADT differs by more than 20 % from the same month's MADT of the
// year before; both must exist) and keeps the order. criticalDays as
// CheckResults::criticalDays: the days that are not valid.
void appendYearChecks(const CountView& view, const CheckOptions& options,
                      const std::vector<bool>& criticalDays, std::vector<CheckFlag>& flags);

}  // namespace ostrilo

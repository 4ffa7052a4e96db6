#pragma once

#include <cstdint>
#include <vector>

#include "core/annual/RoadFigures.h"
#include "core/checks/DataChecks.h"
#include "core/table/CountView.h"

namespace ostrilo {

// The checks across directions and years (CheckOptions: roads, aadtChangePct). Their flags
// judge the figures that the valid days make, so none of them removes a day: removing one
// would change what they judge.
//
// Appends to flags (as runDataChecks has ordered them) the flags of DirectionSplit, AadtYear and
// MadtYear (a month whose MADT differs by more than 20 % from the same month's MADT of the
// year before; both must exist) and keeps the order. criticalDays as
// CheckResults::criticalDays: the days that are not valid.
void appendYearChecks(const CountView& view, const CheckOptions& options,
                      const std::vector<bool>& criticalDays, std::vector<CheckFlag>& flags);

}  // namespace ostrilo

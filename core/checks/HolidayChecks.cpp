#include <bit>
#include <cstdio>

#include "core/checks/CheckRules.h"

namespace ostrilo::checkrules {

bool onlySkippedHourMissing(HourMask mask, std::optional<int> skipped) {
  return skipped && (mask & kAllHours) == (kAllHours & ~(HourMask{1} << *skipped));
}

std::string clockChangeDetail(int skippedHour) {
  char text[96];
  std::snprintf(text, sizeof text, "23-hour day: %02d:00 to %02d:59 did not exist (clocks forward)",
                skippedHour, skippedHour);
  return text;
}

}  // namespace ostrilo::checkrules

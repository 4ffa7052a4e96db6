#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/checks/DataChecks.h"

namespace ostrilo {

// Which flags a list or an export shows. Empty vectors and unset fields let everything pass.
struct FlagFilter {
  std::optional<Severity> severity;
  std::optional<CheckCode> code;
  std::vector<bool> stations;  // by station index
  // By date index. A month (year) flag passes when a picked date lies in its month (year).
  std::vector<bool> dates;
};

// The flags that pass, in the order of results.flags().
[[nodiscard]] std::vector<CheckFlag> selectFlags(const CheckResults& results,
                                                 const FlagFilter& filter);

[[nodiscard]] CheckCounts countByCode(std::span<const CheckFlag> flags);
// "12 flags: MISSING_HOURS 3, ZERO_RUN 7, ..." with every code, in CheckCode order; the codes
// of TMG notes (DEVICE_PROBLEM, TMG_RESTRICTION, DAY_OF_WEEK) only where they flag a day.
[[nodiscard]] std::string checkCountsLine(const CheckCounts& counts);

// "yyyy-mm-dd", "yyyy-mm" for a month flag, "yyyy" for a year flag.
[[nodiscard]] std::string flagDateText(const CheckFlag& flag);

// "3 critical days, 1 warning day": CheckResults::criticalDayCount and warningDayCount for a
// summary line.
[[nodiscard]] std::string checkDaysText(std::int32_t criticalDays, std::int32_t warningDays);

}  // namespace ostrilo

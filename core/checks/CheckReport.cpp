#include "core/checks/CheckReport.h"

#include <set>
#include <utility>

#include "core/checks/TmgFlags.h"
#include "core/table/CsvField.h"

namespace ostrilo {

namespace {

bool picked(const std::vector<bool>& list, std::int32_t i) {
  return list.empty() ||
         (i >= 0 && static_cast<std::size_t>(i) < list.size() && list[static_cast<std::size_t>(i)]);
}

std::pair<int, int> monthOf(DateNumber day) {
  const CivilDate civil = civilFromDate(day);
  return {civil.year, civil.month};
}

}  // namespace

std::vector<CheckFlag> selectFlags(const CheckResults& results, const FlagFilter& filter) {
  std::set<std::pair<int, int>> pickedMonths;
  std::set<int> pickedYears;
  if (!filter.dates.empty()) {
    for (std::size_t d = 0; d < results.dates().size() && d < filter.dates.size(); ++d) {
      if (filter.dates[d]) pickedMonths.insert(monthOf(results.dates()[d]));
      if (filter.dates[d]) pickedYears.insert(monthOf(results.dates()[d]).first);
    }
  }
  const auto periodPicked = [&](const CheckFlag& flag) {
    return flag.wholeYear() ? pickedYears.contains(monthOf(flag.day).first)
                            : pickedMonths.contains(monthOf(flag.day));
  };
  std::vector<CheckFlag> selected;
  for (const CheckFlag& flag : results.flags()) {
    if (filter.severity && flag.severity() != *filter.severity) continue;
    if (filter.code && flag.code != *filter.code) continue;
    if (!picked(filter.stations, flag.station)) continue;
    if (!filter.dates.empty() &&
        !(flag.wholeMonth() ? periodPicked(flag) : picked(filter.dates, flag.date))) {
      continue;
    }
    selected.push_back(flag);
  }
  return selected;
}

CheckCounts countByCode(std::span<const CheckFlag> flags) {
  CheckCounts counts{};
  for (const CheckFlag& flag : flags) ++counts[static_cast<std::size_t>(flag.code)];
  return counts;
}

std::string checkCountsLine(const CheckCounts& counts) {
  std::int64_t total = 0;
  std::string parts;
  for (int k = 0; k < kCheckCodeCount; ++k) {
    // The codes of TMG files' notes appear only where they flag something, so that the line
    // stays as scripts know it for count files.
    if (isNoteCode(static_cast<CheckCode>(k)) && counts[static_cast<std::size_t>(k)] == 0) continue;
    total += counts[static_cast<std::size_t>(k)];
    parts += k == 0 ? "" : ", ";
    parts += checkCodeName(static_cast<CheckCode>(k));
    parts += ' ' + std::to_string(counts[static_cast<std::size_t>(k)]);
  }
  return std::to_string(total) + (total == 1 ? " flag: " : " flags: ") + parts;
}

std::string flagDateText(const CheckFlag& flag) {
  std::string text = isoDate(flag.day);
  if (flag.wholeYear()) {
    text.resize(4);
  } else if (flag.wholeMonth()) {
    text.resize(text.size() - 3);
  }
  return text;
}

std::string checkDaysText(std::int32_t criticalDays, std::int32_t warningDays) {
  const auto days = [](std::int32_t n, const char* kind) {
    return std::to_string(n) + ' ' + kind + (n == 1 ? " day" : " days");
  };
  return days(criticalDays, "critical") + ", " + days(warningDays, "warning");
}

}  // namespace ostrilo

#include "core/annual/Expansion.h"

#include <map>
#include <utility>

namespace ostrilo {

ShortCountExpansion expandOverGroup(const CountView& view, std::span<const std::int32_t> group,
                                    std::span<const std::int32_t> expanded,
                                    const DayExclusion& excluded, std::optional<int> year) {
  ShortCountExpansion expansion;
  // No stations would mean every station to the annual figures.
  if (group.empty()) return expansion;
  AnnualOptions options;
  options.stations.assign(group.begin(), group.end());
  options.year = year;
  options.excluded = excluded;
  std::map<int, std::vector<StationYear>> byYear;
  for (StationYear& row : ComputeAnnualFigures(view, options)) {
    byYear[row.year].push_back(std::move(row));
  }
  for (const auto& [groupYear, rows] : byYear) {
    expansion.groups.push_back(CombineFactors(rows, groupYear));
  }
  expansion.estimates = ExpandShortCounts(view, expanded, expansion.groups, excluded);
  return expansion;
}

}  // namespace ostrilo

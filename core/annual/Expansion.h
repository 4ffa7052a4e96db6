#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/annual/AnnualFigures.h"
#include "core/annual/ShortCounts.h"

namespace ostrilo {

// The short-count expansion over a factor group: the group's factors for each year its members
// have figures in, and the estimates of the expanded stations against them. Each estimate's
// group points into groups, so an expansion moves but is not copied.
struct ShortCountExpansion {
  std::vector<FactorGroup> groups;  // years ascending
  std::vector<ShortCountEstimate> estimates;

  ShortCountExpansion() = default;
  ShortCountExpansion(ShortCountExpansion&&) noexcept = default;
  ShortCountExpansion& operator=(ShortCountExpansion&&) noexcept = default;
  ShortCountExpansion(const ShortCountExpansion&) = delete;
  ShortCountExpansion& operator=(const ShortCountExpansion&) = delete;
};

// The annual figures of the group's stations (of year only, when given) combined per year, and
// each expanded station's estimate for every such year, station by station; excluded days
// count for neither. An empty group gives no groups and so no estimates.
[[nodiscard]] ShortCountExpansion expandOverGroup(const CountView& view,
                                                  std::span<const std::int32_t> group,
                                                  std::span<const std::int32_t> expanded,
                                                  const DayExclusion& excluded,
                                                  std::optional<int> year = std::nullopt);

}  // namespace ostrilo

#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/table/ATRTable.h"
#include "core/table/DateNumber.h"

namespace ostrilo {

// Read-only access to the counts in the count table's layout: record stations.size() x d + s
// holds 24 volumes from volumes[24 x record] (hour 0 first) and its counted-hours mask. A
// volume of an hour not counted means nothing; a record past the end of either array counts as
// not counted. A table gives one (of); a benchmark may lay out its own past the table's size.
struct CountView {
  std::span<const std::string> stations;
  std::span<const DateNumber> dates;
  std::span<const std::int16_t> volumes;
  std::span<const HourMask> counted;
  // What TMG files said about some days (ATRTable::dayNotes()); null: nothing.
  const DayNotes* notes = nullptr;

  [[nodiscard]] static CountView of(const ATRTable& table);

  // The hours of a record that were counted; none past the end of the arrays.
  [[nodiscard]] HourMask countedHours(std::int32_t date, std::int32_t station) const;
  // The 24 volumes of a record whose 24 hours are all counted; null otherwise.
  [[nodiscard]] const std::int16_t* completeDay(std::int32_t date, std::int32_t station) const;
};

}  // namespace ostrilo

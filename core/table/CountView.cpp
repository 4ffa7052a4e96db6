#include "core/table/CountView.h"

namespace ostrilo {

CountView CountView::of(const ATRTable& table) {
  return {table.ulstName().values(), table.ulstDate().values(), table.volumeArray(),
          table.countedArray(), table.dayNotes().empty() ? nullptr : &table.dayNotes()};
}

HourMask CountView::countedHours(std::int32_t date, std::int32_t station) const {
  const std::size_t record =
      static_cast<std::size_t>(date) * stations.size() + static_cast<std::size_t>(station);
  if (record >= counted.size() || (record + 1) * kHoursPerDay > volumes.size()) return 0;
  return counted[record];
}

const std::int16_t* CountView::completeDay(std::int32_t date, std::int32_t station) const {
  if (countedHours(date, station) != kAllHours) return nullptr;
  const std::size_t record =
      static_cast<std::size_t>(date) * stations.size() + static_cast<std::size_t>(station);
  return volumes.data() + record * kHoursPerDay;
}

}  // namespace ostrilo

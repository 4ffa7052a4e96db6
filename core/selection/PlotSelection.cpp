#include "core/selection/PlotSelection.h"

#include <algorithm>
#include <cmath>

#include "core/table/ATRTable.h"
#include "core/table/Error.h"

namespace ostrilo {

std::vector<std::int32_t> ListSelection::picked() const {
  std::vector<std::int32_t> positions;
  for (std::size_t i = 0; i < selected.size(); ++i) {
    if (selected[i]) positions.push_back(static_cast<std::int32_t>(i));
  }
  return positions;
}

std::optional<std::string> CheckPlotSelection(const PlotSelection& selection) {
  const auto anySelected = [](const ListSelection& list) {
    return std::find(list.selected.begin(), list.selected.end(), true) != list.selected.end();
  };
  if (selection.stations.itemCount() == 0) return kNoDataMessage;
  if (!anySelected(selection.dates)) return kNoDatesMessage;
  if (!anySelected(selection.stations)) return kNoStationsMessage;
  return std::nullopt;
}

std::vector<std::int32_t> pickStations(const ATRTable& table,
                                       const std::vector<std::string_view>* names) {
  const std::int32_t count = table.StaCount();
  std::vector<bool> picked(static_cast<std::size_t>(count), names == nullptr);
  if (names != nullptr) {
    for (const std::string_view name : *names) {
      const std::int32_t index = table.ulstName().Index(name);
      if (index < 0) throw Error(ErrorKind::Usage, "unknown station " + quoteForMessage(name));
      picked[static_cast<std::size_t>(index)] = true;
    }
  }
  std::vector<std::int32_t> indexes;
  for (std::int32_t i = 0; i < count; ++i) {
    if (picked[static_cast<std::size_t>(i)]) indexes.push_back(i);
  }
  return indexes;
}

ListSelection stationList(const ATRTable& table, std::span<const std::int32_t> selected) {
  ListSelection list;
  const std::int32_t count = table.StaCount();
  list.selected.assign(static_cast<std::size_t>(count), false);
  list.texts.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) list.texts.push_back(table.StaNamebyIndex(i));
  for (const std::int32_t s : selected) list.selected[static_cast<std::size_t>(s)] = true;
  return list;
}

PlotSelection selectionAroundDay(const ATRTable& table, std::string_view station, DateNumber day,
                                 int reach) {
  // Whole days through the calendar: a date number's fraction is a time of day, and before
  // 1900 its whole part is not simply the floor.
  const auto wholeDay = [](DateNumber d) { return dateFromCivil(civilFromDate(d)); };
  PlotSelection selection;
  const std::int32_t stations = table.StaCount();
  selection.stations.selected.assign(static_cast<std::size_t>(stations), false);
  for (std::int32_t i = 0; i < stations; ++i) {
    selection.stations.texts.push_back(table.StaNamebyIndex(i));
  }
  if (const auto index = table.ulstName().Index(station); index >= 0) {
    selection.stations.selected[static_cast<std::size_t>(index)] = true;
  }
  const DateNumber centre = wholeDay(day);
  const std::int32_t dates = table.DateCount();
  selection.dates.selected.reserve(static_cast<std::size_t>(dates));
  for (std::int32_t i = 0; i < dates; ++i) {
    const DateNumber d = wholeDay(table.DatebyIndex(i));
    selection.dates.selected.push_back(std::abs(d - centre) <= reach);
  }
  return selection;
}

}  // namespace ostrilo

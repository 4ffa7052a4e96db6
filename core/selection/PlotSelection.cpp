#include "core/selection/PlotSelection.h"

#include <algorithm>

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

}  // namespace ostrilo

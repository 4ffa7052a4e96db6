#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/table/DateNumber.h"

namespace ostrilo {

class ATRTable;

// What the plots and the statistics read of one pick list: its items' selected flags and (for
// the station list) its item texts. Item i is table index i. Only the selected flags count:
// the list's current item picks nothing.
struct ListSelection {
  std::vector<bool> selected;      // one flag per item
  std::vector<std::string> texts;  // item texts, as the table's bytes; may be empty for dates

  [[nodiscard]] int itemCount() const noexcept { return static_cast<int>(selected.size()); }
  // The selected items' positions, in list order.
  [[nodiscard]] std::vector<std::int32_t> picked() const;
};

struct PlotSelection {
  ListSelection stations;
  ListSelection dates;
};

// The three messages of the selection check.
inline constexpr const char* kNoDataMessage = "You must create the data first.";
inline constexpr const char* kNoDatesMessage = "You must select one or more dates.";
inline constexpr const char* kNoStationsMessage = "You must select one or more stations.";

// The check every plot and the statistics run first: an empty station list, then no selected
// date, then no selected station. Answers the message of the first test that fails, or nothing
// when the selection can be walked.
[[nodiscard]] std::optional<std::string> CheckPlotSelection(const PlotSelection& selection);

// The lists of the table with one station picked, the one named `station` (none when the table
// lacks it), and every date whose calendar day lies within `reach` days of `day`'s, in list
// order: what a look at a day among its neighbours plots. Dates the table lacks stay unpicked.
[[nodiscard]] PlotSelection selectionAroundDay(const ATRTable& table, std::string_view station,
                                               DateNumber day, int reach);

// The stations named, as table indexes in table order, each once; every station when names is
// null. A name is a station's bytes exactly, blanks and commas kept. Throws Error (Usage)
// "unknown station \"NAME\"" for the first name the table does not hold.
[[nodiscard]] std::vector<std::int32_t> pickStations(const ATRTable& table,
                                                     const std::vector<std::string_view>* names);

// The station list as the main window fills it, item i the name of station i, with the given
// stations selected.
[[nodiscard]] ListSelection stationList(const ATRTable& table,
                                        std::span<const std::int32_t> selected);

// Visits the picked (date index, station index) pairs station by station, both in list order:
// every picked date of the first picked station, then of the next. k counts the picked
// stations from 0, so the k-th picked station is series or grid row k.
//   visit(int k, std::int32_t stationIndex, std::int32_t dateIndex)
template <typename Visit>
void walkSelection(const PlotSelection& selection, Visit&& visit) {
  const std::vector<std::int32_t> dates = selection.dates.picked();
  int k = 0;
  for (const std::int32_t station : selection.stations.picked()) {
    for (const std::int32_t date : dates) visit(k, station, date);
    ++k;
  }
}

}  // namespace ostrilo

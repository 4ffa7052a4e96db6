#pragma once

// Tables of whole days of counts and selections over their lists.

#include <algorithm>
#include <array>
#include <cstdio>
#include <initializer_list>

#include "core/selection/PlotSelection.h"
#include "core/table/ATRTable.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo::test {

using Day = std::array<int, kHoursPerDay>;

// 24 hourly volumes adding up to total, the remainder in hour 0; 786,408 gives 32767 each.
inline Day spread(int total) {
  Day v{};
  v.fill(total / kHoursPerDay);
  v[0] += total % kHoursPerDay;
  return v;
}

// The two half-day lines of one station and date.
inline std::string dayLines(std::string_view station, DateNumber date, const Day& v) {
  const CivilDate c = civilFromDate(date);
  char mmddyy[16];
  std::snprintf(mmddyy, sizeof mmddyy, "%02d%02d%02d", c.month, c.day, c.year % 100);
  Twelve first{};
  Twelve second{};
  std::copy_n(v.begin(), 12, first.begin());
  std::copy_n(v.begin() + 12, 12, second.begin());
  return countLine('1', mmddyy, station, first) + "\r\n" + countLine('2', mmddyy, station, second) +
         "\r\n";
}

inline ATRTable tableOf(std::string_view text) {
  const ScratchDir dir;
  ATRTable table;
  table.setInFile(dir.write("counts.dat", text));
  (void)table.BuildTable();
  return table;
}

// A list of count items with the given positions selected and no current item.
inline ListSelection listOf(int count, std::initializer_list<int> selected,
                            std::vector<std::string> texts = {}) {
  ListSelection list;
  list.selected.assign(static_cast<std::size_t>(count), false);
  for (int i : selected) list.selected[static_cast<std::size_t>(i)] = true;
  list.texts = std::move(texts);
  return list;
}

// The selection the main window's lists would hold for the table, as its item texts.
inline PlotSelection pick(const ATRTable& table, std::initializer_list<int> stations,
                          std::initializer_list<int> dates) {
  std::vector<std::string> names;
  for (std::int32_t i = 0; i < table.StaCount(); ++i) names.push_back(table.StaNamebyIndex(i));
  return {listOf(table.StaCount(), stations, names), listOf(table.DateCount(), dates)};
}

}  // namespace ostrilo::test

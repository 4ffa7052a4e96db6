#include "core/export/TableExports.h"

#include <algorithm>

#include "core/register/StationRegister.h"
#include "core/selection/PlotSelection.h"
#include "core/table/ATRTable.h"

namespace ostrilo {

namespace {

ExportCell figure(const std::optional<std::int32_t>& value) {
  if (!value) return {};
  return static_cast<double>(*value);
}

ExportCell nameCell(const StationRegister& names, std::string_view station) {
  return std::string(names.name(station));
}

WorkbookAbout about(const ATRTable& table, const std::vector<std::int32_t>& stations,
                    const std::vector<std::int32_t>& dates, std::vector<std::string> sources,
                    const StationRegister* names) {
  WorkbookAbout result;
  result.sources = std::move(sources);
  for (const std::int32_t s : stations) {
    const std::string id = table.StaNamebyIndex(s);
    result.stations.push_back(names != nullptr ? names->displayText(id) : id);
  }
  for (const std::int32_t d : dates) {
    const DateNumber date = table.DatebyIndex(d);
    result.firstDate = std::min(result.firstDate.value_or(date), date);
    result.lastDate = std::max(result.lastDate.value_or(date), date);
  }
  result.dateCount = static_cast<std::int64_t>(dates.size());
  return result;
}

std::vector<std::int32_t> upTo(std::int32_t count) {
  std::vector<std::int32_t> indexes(static_cast<std::size_t>(std::max(count, 0)));
  for (std::int32_t i = 0; i < count; ++i) indexes[static_cast<std::size_t>(i)] = i;
  return indexes;
}

}  // namespace

ExportTable statsExportTable(const StatResults& rows, const StationRegister* names) {
  ExportTable table;
  table.title = "Statistics";
  table.columns.push_back({"ATR ID", ColumnKind::Text});
  if (names != nullptr) table.columns.push_back({"Name", ColumnKind::Text, 0, false});
  for (const char* header : {"ADT", "Min DT", "Max DT", "SD", "AWDDT", "AWEDT", "Days"}) {
    table.columns.push_back({header, ColumnKind::Integer});
  }
  for (const StationStat& row : rows) {
    std::vector<ExportCell> cells{row.AtrId};
    if (names != nullptr) cells.push_back(nameCell(*names, row.AtrId));
    for (const auto& value : {row.ADT, row.MinDT, row.MaxDT, row.SD, row.AWDDT, row.AWEDT}) {
      cells.push_back(figure(value));
    }
    cells.push_back(static_cast<double>(row.Days));
    table.addRow(std::move(cells));
  }
  return table;
}

ExportTable hourlyExportTable(const ATRTable& table, const StationRegister* names) {
  ExportTable out;
  out.title = "Hourly volumes";
  out.columns.push_back({"station", ColumnKind::Text});
  if (names != nullptr) out.columns.push_back({"name", ColumnKind::Text, 0, false});
  out.columns.push_back({"date", ColumnKind::Date});
  for (int hour = 0; hour < kHoursPerDay; ++hour) {
    out.columns.push_back({(hour < 10 ? "h0" : "h") + std::to_string(hour), ColumnKind::Integer});
  }
  out.columns.push_back({"total", ColumnKind::Integer});

  const std::int32_t dateCount = table.DateCount();
  const std::int32_t staCount = table.StaCount();
  for (std::int32_t d = 0; d < dateCount; ++d) {
    const DateNumber date = table.DatebyIndex(d);
    for (std::int32_t s = 0; s < staCount; ++s) {
      const HourMask counted = table.CountedHours(d, s);
      if (counted == 0) continue;
      const std::string station = table.StaNamebyIndex(s);
      out.cells.emplace_back(station);
      if (names != nullptr) out.cells.push_back(nameCell(*names, station));
      out.cells.emplace_back(date);
      const HourlyVolumes volumes = table.VolArrByIndex(d, s);
      for (int hour = 0; hour < kHoursPerDay; ++hour) {
        if ((counted >> hour & 1u) != 0) {
          out.cells.emplace_back(static_cast<double>(volumes[static_cast<std::size_t>(hour)]));
        } else {
          out.cells.emplace_back();
        }
      }
      if (counted == kAllHours) {
        out.cells.emplace_back(static_cast<double>(table.DailyVolByIndex(d, s)));
      } else {
        out.cells.emplace_back();
      }
    }
  }
  return out;
}

WorkbookAbout aboutSelection(const ATRTable& table, const PlotSelection& selection,
                             std::vector<std::string> sources, const StationRegister* names) {
  const auto widen = [](const auto& picked) {
    return std::vector<std::int32_t>(picked.begin(), picked.end());
  };
  return about(table, widen(selection.stations.picked()), widen(selection.dates.picked()),
               std::move(sources), names);
}

WorkbookAbout aboutTable(const ATRTable& table, std::vector<std::string> sources,
                         const StationRegister* names) {
  return about(table, upTo(table.StaCount()), upTo(table.DateCount()), std::move(sources), names);
}

}  // namespace ostrilo

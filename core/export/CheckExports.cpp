#include "core/export/CheckExports.h"

#include <cstdio>

#include "core/checks/CheckReport.h"
#include "core/register/StationRegister.h"

namespace ostrilo {

namespace {

void addStation(ExportTable& table, std::vector<ExportCell>& cells, const std::string& station,
                const StationRegister* names) {
  cells.emplace_back(station);
  if (names != nullptr) cells.emplace_back(std::string(names->name(station)));
  (void)table;
}

std::vector<ExportColumn> stationColumns(const StationRegister* names) {
  std::vector<ExportColumn> columns{{"station", ColumnKind::Text}};
  if (names != nullptr) columns.push_back({"Name", ColumnKind::Text, 0, false});
  return columns;
}

ExportCell episodeDay(const FlagEpisode& episode, DateNumber day) {
  if (episode.wholePeriod) return episodeDateText(episode, day);
  return day;
}

std::string monthHeader(const MonthCompleteness& month) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d", month.year, month.month);
  return text;
}

}  // namespace

TableExport episodesExport(std::span<const FlagEpisode> episodes,
                           std::span<const std::string> stations, const StationRegister* names) {
  ExportTable out;
  out.title = "Episodes";
  out.columns = stationColumns(names);
  out.columns.insert(out.columns.end(), {{"code", ColumnKind::Text},
                                         {"severity", ColumnKind::Text},
                                         {"first_date", ColumnKind::Date},
                                         {"last_date", ColumnKind::Date},
                                         {"days", ColumnKind::Integer},
                                         {"detail", ColumnKind::Text}});
  for (const FlagEpisode& e : episodes) {
    std::vector<ExportCell> cells;
    addStation(out, cells, stations[static_cast<std::size_t>(e.station)], names);
    cells.insert(cells.end(),
                 {std::string(checkCodeName(e.code)), std::string(1, severityLetter(e.severity())),
                  episodeDay(e, e.firstDay), episodeDay(e, e.lastDay), static_cast<double>(e.days),
                  e.detail});
    out.addRow(std::move(cells));
  }
  return {std::move(out),
          {},
          {"severity: C critical, W warning, I information",
           "Episode: consecutive days of one station with one code; days without data do not "
           "end it, a valid day does; detail of its first day"}};
}

TableExport completenessExport(std::span<const StationCompleteness> rows,
                               std::span<const std::string> stations,
                               const StationRegister* names) {
  ExportTable out;
  out.title = "Completeness";
  out.columns = stationColumns(names);
  out.columns.insert(out.columns.end(), {{"days", ColumnKind::Integer},
                                         {"complete_days", ColumnKind::Integer},
                                         {"complete_pct", ColumnKind::Percent, 1},
                                         {"incomplete_days", ColumnKind::Integer},
                                         {"faulty_days", ColumnKind::Integer},
                                         {"longest_gap_days", ColumnKind::Integer},
                                         {"last_complete_date", ColumnKind::Date}});
  if (!rows.empty()) {
    for (const MonthCompleteness& month : rows.front().months) {
      out.columns.push_back({monthHeader(month), ColumnKind::Integer, 0, false});
    }
  }
  for (const StationCompleteness& row : rows) {
    std::vector<ExportCell> cells;
    addStation(out, cells, stations[static_cast<std::size_t>(row.station)], names);
    const CompletenessCounts& c = row.counts;
    cells.insert(cells.end(), {double(c.days), double(c.complete), c.completeShare(),
                               double(c.incomplete), double(c.faulty), double(row.longestGap),
                               row.lastComplete ? ExportCell(*row.lastComplete) : ExportCell()});
    for (const MonthCompleteness& month : row.months)
      cells.emplace_back(double(month.counts.complete));
    out.addRow(std::move(cells));
  }
  return {std::move(out),
          {},
          {"days: the dates from the table's first to its last date",
           "complete: all 24 hours counted; incomplete: some counted; faulty: complete with a "
           "critical flag; gap: consecutive dates without a complete day",
           "month columns: complete days in the month"}};
}

std::string BuildEpisodesCsvText(const CheckResults& results) {
  const std::vector<FlagEpisode> episodes = mergeEpisodes(results, results.flags());
  return buildCsvText(episodesExport(episodes, results.stations(), nullptr).table);
}

}  // namespace ostrilo

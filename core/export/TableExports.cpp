#include "core/export/TableExports.h"

#include <algorithm>

#include "core/checks/CheckReport.h"
#include "core/register/StationRegister.h"
#include "core/selection/PlotSelection.h"
#include "core/table/ATRTable.h"

namespace ostrilo {

namespace {

ExportCell figure(const std::optional<std::int32_t>& value) {
  if (!value) return {};
  return static_cast<double>(*value);
}

// The register's texts a person reads beside the id: those of its known columns it has, then
// its other columns as they are.
constexpr std::pair<std::string_view, std::size_t> kDescriptions[] = {
    {"name", StationEntry::kNameText},
    {"location", StationEntry::kLocationText},
    {"direction", StationEntry::kDirectionText},
    {"lanes", StationEntry::kLanesText},
    {"group", StationEntry::kGroupText}};

void addRegisterColumns(ExportTable& table, const StationRegister* names, bool titleCase) {
  table.registerBegin = table.columns.size();
  if (names == nullptr) return;
  table.names = names;
  for (const auto& [column, text] : kDescriptions) {
    if (!names->hasColumn(column)) continue;
    std::string header(column);
    if (titleCase) header[0] = static_cast<char>(header[0] - 'a' + 'A');
    table.columns.push_back({header, ColumnKind::Text, 0, false});
    table.registerTexts.push_back(text);
  }
  for (std::size_t k = 0; k < names->extraColumns().size(); ++k) {
    table.columns.push_back({names->extraColumns()[k], ColumnKind::Text, 0, false});
    table.registerTexts.push_back(StationEntry::kExtraText + k);
  }
}

const StationEntry* entryOf(const StationRegister* names, std::string_view station) {
  return names == nullptr ? nullptr : names->find(station);
}

ExportCell optionalFigure(const std::optional<double>& value) {
  if (!value) return NotAvailable{};
  return *value;
}

std::string joined(const std::vector<std::string>& items, std::string_view separator) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += separator;
    text += items[i];
  }
  return text;
}

void addColumns(ExportTable& table, std::initializer_list<ExportColumn> columns) {
  table.columns.insert(table.columns.end(), columns);
}

const std::string kValidDay = "Valid day: complete, total above 0, no critical flag";
const std::string kAadt = "AADT: AASHTO method, 84 cells";

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

static ExportTable hourlyRows(const ATRTable& table, const StationRegister* names,
                              const std::vector<bool>& stations, const std::vector<bool>& dates);

ExportTable statsExportTable(const StatResults& rows, const StationRegister* names) {
  ExportTable table;
  table.title = "Statistics";
  table.columns.push_back({"ATR ID", ColumnKind::Text});
  addRegisterColumns(table, names, true);
  for (const char* header : {"ADT", "Min DT", "Max DT", "SD", "AWDDT", "AWEDT", "Days"}) {
    table.columns.push_back({header, ColumnKind::Integer});
  }
  for (const StationStat& row : rows) {
    std::vector<ExportCell> cells{row.AtrId};
    for (const auto& value : {row.ADT, row.MinDT, row.MaxDT, row.SD, row.AWDDT, row.AWEDT}) {
      cells.push_back(figure(value));
    }
    cells.push_back(static_cast<double>(row.Days));
    table.addRow(std::move(cells), entryOf(names, row.AtrId));
  }
  return table;
}

ExportTable hourlyExportTable(const ATRTable& table, const StationRegister* names) {
  return hourlyRows(table, names, {}, {});
}

// The hourly rows of the stations and dates flagged (every one when a list is empty).
static ExportTable hourlyRows(const ATRTable& table, const StationRegister* names,
                              const std::vector<bool>& stations, const std::vector<bool>& dates) {
  const auto taken = [](const std::vector<bool>& flags, std::int32_t i) {
    return flags.empty() ||
           (static_cast<std::size_t>(i) < flags.size() && flags[static_cast<std::size_t>(i)]);
  };
  ExportTable out;
  out.title = "Hourly volumes";
  out.columns.push_back({"station", ColumnKind::Text});
  addRegisterColumns(out, names, false);
  out.columns.push_back({"date", ColumnKind::Date});
  for (int hour = 0; hour < kHoursPerDay; ++hour) {
    out.columns.push_back({(hour < 10 ? "h0" : "h") + std::to_string(hour), ColumnKind::Integer});
  }
  out.columns.push_back({"total", ColumnKind::Integer});

  const std::int32_t dateCount = table.DateCount();
  const std::int32_t staCount = table.StaCount();
  for (std::int32_t d = 0; d < dateCount; ++d) {
    if (!taken(dates, d)) continue;
    const DateNumber date = table.DatebyIndex(d);
    for (std::int32_t s = 0; s < staCount; ++s) {
      const HourMask counted = table.CountedHours(d, s);
      if (counted == 0 || !taken(stations, s)) continue;
      const std::string station = table.StaNamebyIndex(s);
      out.cells.emplace_back(station);
      if (!out.registerTexts.empty()) out.rowEntries.push_back(entryOf(names, station));
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

TableExport statsExport(const StatResults& rows, const StationRegister* names) {
  return {statsExportTable(rows, names),
          kStatsCsvFormat,
          {"Complete day: all 24 hours counted", "ADT: mean daily total of the complete days",
           "SD: population standard deviation about ADT",
           "AWDDT, AWEDT: means of the complete Monday-Friday and Saturday-Sunday days"}};
}

TableExport trimmedStatsExport(TableExport stats) {
  stats.format = kStatsPlainCsvFormat;
  return stats;
}

TableExport hourlyExport(const ATRTable& table, const StationRegister* names) {
  return {hourlyExportTable(table, names), {}, {"total: only when all 24 hours were counted"}};
}

TableExport hourlyExport(const ATRTable& table, const PlotSelection& selection,
                         const StationRegister* names) {
  return {hourlyRows(table, names, selection.stations.selected, selection.dates.selected),
          {},
          {"total: only when all 24 hours were counted"}};
}

TableExport dailyMatrixExport(const ATRTable& table, const PlotSelection& selection,
                              const StationRegister* names, bool calendarColumns) {
  std::vector<std::int32_t> dates = selection.dates.picked();
  if (calendarColumns) {
    std::stable_sort(dates.begin(), dates.end(), [&table](std::int32_t a, std::int32_t b) {
      return linearDays(table.DatebyIndex(a)) < linearDays(table.DatebyIndex(b));
    });
  }
  ExportTable out;
  out.title = "Daily totals";
  addColumns(out, {{"station", ColumnKind::Text}});
  addRegisterColumns(out, names, false);
  for (const std::int32_t d : dates) {
    out.columns.push_back({isoDate(table.DatebyIndex(d)), ColumnKind::Integer});
  }
  for (const std::int32_t s : selection.stations.picked()) {
    const std::string station = table.StaNamebyIndex(s);
    std::vector<ExportCell> cells{station};
    for (const std::int32_t d : dates) cells.push_back(figure(table.CompleteDailyVol(d, s)));
    out.addRow(std::move(cells), entryOf(names, station));
  }
  return {std::move(out), {}, {"A day's total only when all 24 hours were counted"}};
}

TableExport annualExport(const std::vector<StationYear>& rows, const StationRegister* names) {
  ExportTable out;
  out.title = "Annual figures";
  addColumns(out, {{"station", ColumnKind::Text}});
  addRegisterColumns(out, names, false);
  addColumns(out, {{"year", ColumnKind::Integer},
                   {"valid_days", ColumnKind::Integer},
                   {"adt", ColumnKind::Integer},
                   {"aadt", ColumnKind::Integer},
                   {"cells", ColumnKind::Integer},
                   {"v30", ColumnKind::Integer},
                   {"k30_pct", ColumnKind::Decimal, 2},
                   {"v100", ColumnKind::Integer},
                   {"k100_pct", ColumnKind::Decimal, 2}});
  for (const char* window : {"wd_am_peak_", "wd_pm_peak_"}) {
    const std::string prefix = window;
    addColumns(out, {{prefix + "hour", ColumnKind::Text},
                     {prefix + "volume", ColumnKind::Integer},
                     {prefix + "pct", ColumnKind::Decimal, 2}});
  }
  for (const StationYear& row : rows) {
    std::vector<ExportCell> cells{row.station};
    cells.insert(cells.end(), {double(row.year), double(row.validDays), optionalFigure(row.adt),
                               optionalFigure(row.aadt), double(row.coveredCells)});
    for (const DesignHour* design : {&row.v30, &row.v100}) {
      cells.push_back(design->volume ? ExportCell(double(*design->volume)) : NotAvailable{});
      cells.push_back(optionalFigure(design->kPct));
    }
    for (const auto* peak : {&row.weekday.am, &row.weekday.pm}) {
      if (*peak) {
        const PeakHour& hour = (*peak)->ofAverageDay;
        cells.insert(cells.end(), {formatHour(hour.hour), hour.volume, hour.sharePct});
      } else {
        cells.insert(cells.end(), 3, ExportCell());
      }
    }
    out.addRow(std::move(cells), entryOf(names, row.station));
  }
  return {std::move(out),
          {},
          {kValidDay, kAadt, "K30: 30th highest hour / AADT", "K100: 100th highest hour / AADT",
           "Peak hours: of the average weekday"}};
}

TableExport factorsExport(const std::vector<StationYear>& rows, const StationRegister* names) {
  ExportTable out;
  out.title = "Factors";
  addColumns(out, {{"station", ColumnKind::Text}});
  addRegisterColumns(out, names, false);
  addColumns(out, {{"year", ColumnKind::Integer},
                   {"kind", ColumnKind::Text},
                   {"month", ColumnKind::Integer},
                   {"dow", ColumnKind::Integer},
                   {"value", ColumnKind::Decimal, 4},
                   {"n", ColumnKind::Integer}});
  for (const StationYear& row : rows) {
    const StationEntry* entry = entryOf(names, row.station);
    const std::vector<ExportCell> lead{row.station, double(row.year)};
    // month and dow count from 1; 0 leaves the field empty for a kind without it.
    const auto add = [&](const char* kind, std::size_t month, std::size_t dow,
                         const std::optional<double>& value, std::int32_t n, int places) {
      std::vector<ExportCell> cells = lead;
      cells.emplace_back(std::string(kind));
      for (const std::size_t part : {month, dow}) {
        cells.push_back(part > 0 ? ExportCell(double(part)) : ExportCell());
      }
      cells.push_back(value ? ExportCell(FixedNumber{*value, places}) : NotAvailable{});
      cells.emplace_back(double(n));
      out.addRow(std::move(cells), entry);
    };
    for (std::size_t m = 0; m < kMonths; ++m) {
      for (std::size_t k = 0; k < kDaysOfWeek; ++k) {
        add("MADW", m + 1, k + 1, row.madw[m][k].value, row.madw[m][k].n, 0);
      }
    }
    for (std::size_t m = 0; m < kMonths; ++m)
      add("MADT", m + 1, 0, row.madt[m].value, row.madt[m].n, 0);
    for (std::size_t k = 0; k < kDaysOfWeek; ++k)
      add("AADW", 0, k + 1, row.aadw[k].value, row.aadw[k].n, 0);
    for (std::size_t m = 0; m < kMonths; ++m) add("MF", m + 1, 0, row.mf[m], row.madt[m].n, 4);
    for (std::size_t k = 0; k < kDaysOfWeek; ++k) add("DF", 0, k + 1, row.df[k], row.aadw[k].n, 4);
    for (std::size_t m = 0; m < kMonths; ++m) {
      for (std::size_t k = 0; k < kDaysOfWeek; ++k) {
        add("F", m + 1, k + 1, row.f[m][k], row.madw[m][k].n, 4);
      }
    }
  }
  return {std::move(out),
          {},
          {kValidDay, kAadt, "MF = AADT / MADT, DF = AADT / AADW, F = AADT / MADW",
           "dow: 1 = Monday .. 7 = Sunday; n: valid days behind the value"}};
}

namespace {

// The estimates' table; by groups, two columns more from the run's own rows.
TableExport estimatesExport(std::span<const ShortCountEstimate> estimates,
                            const StationRegister* names, const GroupExpansion* run) {
  ExportTable out;
  out.title = "Short-count estimates";
  addColumns(out, {{"station", ColumnKind::Text}});
  addRegisterColumns(out, names, false);
  addColumns(out, {{"year", ColumnKind::Integer},
                   {"group", ColumnKind::Text},
                   {"left_out", ColumnKind::Text},
                   {"days", ColumnKind::Integer},
                   {"est_aadt", ColumnKind::Integer},
                   {"days_used", ColumnKind::Text}});
  if (run != nullptr)
    addColumns(out, {{"factor_group", ColumnKind::Text}, {"note", ColumnKind::Text}});
  for (std::size_t r = 0; r < estimates.size(); ++r) {
    const ShortCountEstimate& estimate = estimates[r];
    std::vector<ExportCell> cells{estimate.station};
    cells.emplace_back(double(estimate.year));
    if (estimate.group != nullptr) {
      cells.insert(cells.end(),
                   {joined(estimate.group->members, ";"), joined(estimate.group->leftOut, ";")});
    } else {
      cells.insert(cells.end(), 2, ExportCell());
    }
    cells.emplace_back(double(estimate.daysUsed.size()));
    cells.push_back(optionalFigure(estimate.aadt));
    std::vector<std::string> days;
    for (const DateNumber day : estimate.daysUsed) days.push_back(isoDate(day));
    cells.emplace_back(joined(days, " "));
    if (run != nullptr) {
      cells.emplace_back(run->estimates[r].group);
      cells.emplace_back(run->estimates[r].reason);
    }
    out.addRow(std::move(cells), entryOf(names, estimate.station));
  }
  return {std::move(out),
          {},
          {kValidDay, kAadt,
           "est_aadt: mean over the valid days of the day's total x the group's mean "
           "F(month, day of week)"}};
}

}  // namespace

TableExport expandExport(std::span<const ShortCountEstimate> estimates,
                         const StationRegister* names) {
  return estimatesExport(estimates, names, nullptr);
}

TableExport groupedExpandExport(const GroupExpansion& run, const StationRegister* names) {
  std::vector<ShortCountEstimate> estimates;
  for (const GroupedEstimate& e : run.estimates) estimates.push_back(e.estimate);
  return estimatesExport(estimates, names, &run);
}

TableExport checksExport(std::span<const CheckFlag> flags, std::span<const std::string> stations,
                         const StationRegister* names) {
  ExportTable out;
  out.title = "Data checks";
  addColumns(out, {{"station", ColumnKind::Text}});
  addRegisterColumns(out, names, false);
  // The CSV keeps one date column, a month flag's month as its text; the workbook gives the
  // month a column of its own, so that the date column holds only dates.
  addColumns(out, {{"date", ColumnKind::Date, 0, true, false},
                   {"date", ColumnKind::Date, 0, false, true},
                   {"month", ColumnKind::Text, 0, false, true},
                   {"code", ColumnKind::Text},
                   {"severity", ColumnKind::Text},
                   {"detail", ColumnKind::Text}});
  for (const CheckFlag& flag : flags) {
    const std::string& station = flagPlace(flag, stations);
    std::vector<ExportCell> cells{station};
    // A month flag names its month, which no date cell can.
    cells.push_back(flag.wholeMonth() ? ExportCell(flagDateText(flag)) : ExportCell(flag.day));
    cells.push_back(flag.wholeMonth() ? ExportCell() : ExportCell(flag.day));
    cells.push_back(flag.wholeMonth() ? ExportCell(flagDateText(flag)) : ExportCell());
    cells.insert(cells.end(), {std::string(checkCodeName(flag.code)),
                               std::string(1, severityLetter(flag.severity())), flag.detail});
    out.addRow(std::move(cells), entryOf(names, station));
  }
  return {std::move(out), {}, {"severity: C critical, W warning"}};
}

void saveHourlyExport(const std::string& path, const ATRTable& table, const StationRegister* names,
                      WorkbookAbout about) {
  if (isWorkbookPath(path)) {
    std::size_t rows = 0;
    for (std::int32_t d = 0; d < table.DateCount(); ++d) {
      for (std::int32_t s = 0; s < table.StaCount(); ++s) rows += table.CountedHours(d, s) != 0;
    }
    ExportTable header;  // the columns alone
    addRegisterColumns(header, names, false);
    checkWorkbookSize(path, rows, header.columns.size() + 2 + kHoursPerDay + 1);
  }
  saveTableExport(path, hourlyExport(table, names), std::move(about));
}

void saveTableExport(const std::string& path, const TableExport& table, WorkbookAbout about) {
  about.definitions.insert(about.definitions.begin(), table.definitions.begin(),
                           table.definitions.end());
  saveExport(path, table.table, table.format, about);
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

WorkbookAbout aboutStations(const ATRTable& table, std::span<const std::int32_t> stations,
                            std::optional<int> year, std::vector<std::string> sources,
                            const StationRegister* names) {
  std::vector<std::int32_t> dates;
  for (std::int32_t d = 0; d < table.DateCount(); ++d) {
    if (!year || civilFromDate(table.DatebyIndex(d)).year == *year) dates.push_back(d);
  }
  return about(table, {stations.begin(), stations.end()}, dates, std::move(sources), names);
}

namespace {
std::string csvOf(const TableExport& e) { return buildCsvText(e.table, e.format); }
}  // namespace

std::string BuildStatsCsvText(const StatResults& rows) { return csvOf(statsExport(rows, nullptr)); }
std::string BuildAnnualCsvText(const std::vector<StationYear>& rows) {
  return csvOf(annualExport(rows, nullptr));
}
std::string BuildFactorsCsvText(const std::vector<StationYear>& rows) {
  return csvOf(factorsExport(rows, nullptr));
}
std::string BuildExpandCsvText(std::span<const ShortCountEstimate> estimates) {
  return csvOf(expandExport(estimates, nullptr));
}
std::string BuildChecksCsvText(std::span<const CheckFlag> flags,
                               std::span<const std::string> stations) {
  return csvOf(checksExport(flags, stations, nullptr));
}

}  // namespace ostrilo

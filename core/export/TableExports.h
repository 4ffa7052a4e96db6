#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/annual/AnnualFigures.h"
#include "core/annual/ShortCounts.h"
#include "core/checks/DataChecks.h"
#include "core/export/ExportTable.h"
#include "core/export/WorkbookWriter.h"
#include "core/stats/StationStats.h"

namespace ostrilo {

class ATRTable;
class StationRegister;
struct PlotSelection;

// The statistics file's layout: ", " between the header's names, ",  " between fields, CR LF.
inline constexpr CsvFormat kStatsCsvFormat{", ", ",  ", "\r\n", ""};
// The statistics file with plain numbers: a bare comma between names and between fields.
inline constexpr CsvFormat kStatsPlainCsvFormat{",", ",", "\r\n", ""};
// The About sheet's line on the days a statistics export rests on.
inline constexpr const char* kCriticalDaysLeftOut = "Days with a critical flag left out";
inline constexpr const char* kCriticalDaysKept = "Complete days with a critical flag kept";

// The statistics as a table: ATR ID (text), ADT ... AWEDT and Days (whole numbers), an empty
// figure as an empty cell. With a register, its columns follow ATR ID (Name, Location, ...) for
// the workbook and the windows; they are left out of the CSV, which stays the statistics file.
[[nodiscard]] ExportTable statsExportTable(const StatResults& rows,
                                           const StationRegister* names = nullptr);

// The hourly table: station, date, h00 ... h23, total; one row per station and date with at
// least one counted hour, dates in table order and stations within them. An hour not counted
// is an empty cell, total is empty unless all 24 hours were counted. With a register, its
// columns follow station, outside the CSV.
[[nodiscard]] ExportTable hourlyExportTable(const ATRTable& table,
                                            const StationRegister* names = nullptr);

// Everything one export needs: its table, the CSV layout that other programs read, and the
// definitions a person needs to read the figures.
struct TableExport {
  ExportTable table;
  CsvFormat format;
  std::vector<std::string> definitions;
};

// The exports of the program. With a register, the workbook (and a window) gets the register's
// name, location, direction, lanes and group columns that it has, then its other columns, after the
// station column; the CSV keeps exactly the columns it has without one. Figures are numbers in the
// CSV's rounding; n/a is NotAvailable, an absent value empty.
[[nodiscard]] TableExport statsExport(const StatResults& rows, const StationRegister* names);
// The statistics export with plain numbers (the command line's --trim): the same rows and
// columns, fields separated by a bare comma, so that a reader finds no blank before a value.
[[nodiscard]] TableExport trimmedStatsExport(TableExport stats);
[[nodiscard]] TableExport hourlyExport(const ATRTable& table, const StationRegister* names);
// The hourly rows of the picked stations and dates only, as hourlyExport writes them: with
// everything picked, its bytes.
[[nodiscard]] TableExport hourlyExport(const ATRTable& table, const PlotSelection& selection,
                                       const StationRegister* names);
// Daily totals, a station x date matrix: a row per picked station (table order), a column per
// picked date headed yyyy-mm-dd (table order, or calendar order with calendarColumns), a
// complete day's total in whole vehicles and an empty cell for any other day.
[[nodiscard]] TableExport dailyMatrixExport(const ATRTable& table, const PlotSelection& selection,
                                            const StationRegister* names,
                                            bool calendarColumns = false);
// station, year, valid_days, adt, aadt, cells, v30, k30_pct, v100, k100_pct and the average
// weekday's AM and PM peak hour ("07:00", text), volume and percentage.
[[nodiscard]] TableExport annualExport(const std::vector<StationYear>& rows,
                                       const StationRegister* names);
// The long form station, year, kind, month, dow, value, n: MADW, MADT, AADW in whole vehicles
// and the factors MF, DF, F with 4 decimals, each a FixedNumber.
[[nodiscard]] TableExport factorsExport(const std::vector<StationYear>& rows,
                                        const StationRegister* names);
// station, year, group and left_out (names joined by ';'), days, est_aadt, days_used (dates
// joined by ' ').
[[nodiscard]] TableExport expandExport(std::span<const ShortCountEstimate> estimates,
                                       const StationRegister* names);
// The estimates of a run by groups as expandExport writes them, and two columns more: each
// station's factor_group and the note saying why it has no estimate where it has none.
[[nodiscard]] TableExport groupedExpandExport(const GroupExpansion& run,
                                              const StationRegister* names);
// station, date (a date cell, or yyyy-mm text for a month flag), code, severity, detail.
// stations are the station names by index (CheckResults::stations()).
[[nodiscard]] TableExport checksExport(std::span<const CheckFlag> flags,
                                       std::span<const std::string> stations,
                                       const StationRegister* names);

// Saves an export: a workbook when path ends in .xlsx (any case), whose About sheet lists the
// export's definitions before about's own; else the CSV. A failed save changes nothing; throws
// Error naming path.
void saveTableExport(const std::string& path, const TableExport& table, WorkbookAbout about);

// The hourly table saved as saveTableExport saves it; a workbook's row limit is checked before
// the table is built, which would take gigabytes for millions of rows.
void saveHourlyExport(const std::string& path, const ATRTable& table, const StationRegister* names,
                      WorkbookAbout about);

// The About sheet of an export over the picked stations and dates, or over the whole table.
[[nodiscard]] WorkbookAbout aboutSelection(const ATRTable& table, const PlotSelection& selection,
                                           std::vector<std::string> sources,
                                           const StationRegister* names = nullptr);
[[nodiscard]] WorkbookAbout aboutTable(const ATRTable& table, std::vector<std::string> sources,
                                       const StationRegister* names = nullptr);
// Over the given station indexes and the table's dates of year (every date without one).
[[nodiscard]] WorkbookAbout aboutStations(const ATRTable& table,
                                          std::span<const std::int32_t> stations,
                                          std::optional<int> year, std::vector<std::string> sources,
                                          const StationRegister* names = nullptr);

// The CSV files other programs read, byte for byte, built from the exports above.
// The statistics file: the header "ATR ID, ADT, Min DT, Max DT, SD, AWDDT, AWEDT, Days", then
// one line per record, fields separated by a comma and two blanks, figures as plain integers
// and an empty figure as an empty field, every line ended by CR LF, names as their bytes. A name
// holding a comma, a double quote or a line break is quoted as in RFC 4180 so that it stays in
// its column.
[[nodiscard]] std::string BuildStatsCsvText(const StatResults& rows);

// The annual table: header "station,year,valid_days,adt,aadt,cells,v30,k30_pct,v100,k100_pct,
// wd_am_peak_hour,wd_am_peak_volume,wd_am_peak_pct,wd_pm_peak_hour,wd_pm_peak_volume,
// wd_pm_peak_pct", one row per result; vehicles as whole numbers (halves to even), percentages
// with 2 decimals, hours as "07:00", cells as the number of covered cells, n/a as an empty
// field, LF lines. The peaks are those of the average weekday.
[[nodiscard]] std::string BuildAnnualCsvText(const std::vector<StationYear>& rows);

// The long form "station,year,kind,month,dow,value,n", kinds MADW, MADT, AADW, MF, DF, F, every
// cell of every kind listed (n/a as an empty value). dow 1 = Monday .. 7 = Sunday; month or
// dow empty where the kind has none. MADW, MADT, AADW in whole vehicles, factors with 4
// decimals; n the valid days behind the figure.
[[nodiscard]] std::string BuildFactorsCsvText(const std::vector<StationYear>& rows);

// Header "station,year,group,left_out,days,est_aadt,days_used": group and left_out list names
// separated by ';', days_used the dates as yyyy-mm-dd separated by ' ', the estimate in whole
// vehicles (halves to even), empty when n/a; LF lines.
[[nodiscard]] std::string BuildExpandCsvText(std::span<const ShortCountEstimate> estimates);

// The checks file: the header "station,date,code,severity,detail", then one row per flag in
// the given order; station names and details quoted as RFC 4180 wants; every line ends in LF.
// stations are the station names by index (CheckResults::stations()).
[[nodiscard]] std::string BuildChecksCsvText(std::span<const CheckFlag> flags,
                                             std::span<const std::string> stations);

}  // namespace ostrilo

#include <optional>
#include <ostream>

#include "cli/CliApp.h"
#include "cli/Commands.h"
#include "core/export/HourlyTable.h"
#include "core/export/TableExports.h"
#include "core/export/WorkbookWriter.h"
#include "core/table/ATRTable.h"
#include "core/table/DateNumber.h"
#include "core/table/TableSummary.h"

namespace ostrilo::cli {

namespace {

void runConvert(const CommandLine& line, std::ostream& /*out*/) {
  const std::string& path = *line.value("output");
  // A table file named .xlsx would be mistaken for a workbook by everything that opens it.
  if (isWorkbookPath(path)) {
    throw line.usage(inQuotes(path) +
                     " names a workbook; convert writes a table file (table -o NAME.xlsx "
                     "writes the hourly table as a workbook)");
  }
  loadTable(line).SaveToFile(path);
}

void runTable(const CommandLine& line, std::ostream& out) {
  const ATRTable table = loadTable(line);
  // Sorting needs the rows as export cells; the table's own order streams from the table.
  if (rowOrder(line).value_or(RowOrder::Table) != RowOrder::Table) {
    writeExport(line, out, hourlyExport(table, line.names),
                aboutTable(table, line.inputs, line.names));
  } else if (const std::string* path = line.value("output")) {
    saveHourlyTable(*path, table, line.inputs, line.names);
  } else {
    writeToStream(out, hourlyCsvText(table));
  }
}

// One "name: value" line per figure, numbers plain so that scripts can read them; a table
// without dates has no first or last date, and its lines stay with an empty value.
std::string summaryText(const TableSummary& summary) {
  const auto dateText = [](const std::optional<DateNumber>& date) {
    return date ? " " + isoDate(*date) : std::string();
  };
  return "stations: " + std::to_string(summary.stations) +
         "\ndates: " + std::to_string(summary.dates) +
         "\nfirst date:" + dateText(summary.firstDate) +
         "\nlast date:" + dateText(summary.lastDate) +
         "\nrecords: " + std::to_string(summary.records) +
         "\ncounted hours: " + std::to_string(summary.countedHours) +
         "\ncomplete days: " + std::to_string(summary.completeDays) +
         "\nhours not counted: " + std::to_string(summary.hoursNotCounted) + "\n";
}

void runInfo(const CommandLine& line, std::ostream& out) {
  writeResult(line, out, summaryText(SummarizeTable(loadTable(line))));
}

}  // namespace

Command convertCommand() {
  return {"convert",
          "convert -o OUT.cont INPUT...",
          "save the table as a table file",
          {kOutputOption, kLanesOption, kRegisterOption},
          {"output"},
          &runConvert};
}

Command tableCommand() {
  return {"table",
          "table [-o OUT.csv|OUT.xlsx] [--order table|id|date] INPUT...",
          "write the table as CSV (station,date,h00..h23,total), to standard output without -o;\n"
          "      an hour not counted is an empty field, total is empty unless all 24 hours were\n"
          "      counted, and a station and date without any counted hour has no row",
          {kOutputOption, kOrderOption, kLanesOption, kRegisterOption},
          {},
          &runTable};
}

Command infoCommand() {
  return {
      "info",
      "info INPUT...",
      "write what the table holds, one \"name: value\" line each: stations, dates, first\n"
      "      date, last date, records (stations x dates), counted hours, complete days (all 24\n"
      "      hours counted), hours not counted",
      {kLanesOption, kRegisterOption},
      {},
      &runInfo};
}

}  // namespace ostrilo::cli

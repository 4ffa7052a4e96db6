#include <QApplication>
#include <cstdio>
#include <ostream>

#include "cli/Commands.h"
#include "core/selection/PlotSelection.h"
#include "core/table/ATRTable.h"
#include "core/table/DateNumber.h"
#include "core/table/Error.h"
#include "gui/report/StationReport.h"

namespace ostrilo::cli {

namespace {

// The charts of a report are drawn by widgets, which need an application; a terminal has no
// display, so the application draws offscreen unless the user chose a platform.
void runReport(const CommandLine& line, std::ostream& /*out*/) {
  if (line.value("dates") != nullptr && line.value("year") != nullptr) {
    throw line.usage("--dates and --year pick the dates two ways; give one");
  }
  const std::optional<std::vector<std::string>> days = parseDays(line);
  const std::optional<int> year = parseYear(line);
  const ATRTable table = loadTable(line);
  requireYear(line, table, year);
  PlotSelection selection{{}, dateSelection(line, table, days)};
  if (year) {
    for (std::int32_t i = 0; i < table.DateCount(); ++i) {
      selection.dates.selected[static_cast<std::size_t>(i)] =
          civilFromDate(table.DatebyIndex(i)).year == *year;
    }
  }
  selection.stations.selected.assign(static_cast<std::size_t>(table.StaCount()), false);
  for (const std::int32_t s : stationIndexes(line, table)) {
    selection.stations.selected[static_cast<std::size_t>(s)] = true;
  }
  if (const std::optional<std::string> problem = CheckPlotSelection(selection)) {
    throw Error(ErrorKind::Usage, *problem);
  }
  std::optional<QApplication> application;
  if (QCoreApplication::instance() == nullptr) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "ostrilo-cli";
    static char* argv[] = {name, nullptr};
    // Qt's remarks about the missing display and runtime folder mean nothing to a terminal
    // user; failures still arrive as errors.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
      if (type == QtCriticalMsg || type == QtFatalMsg) std::fputs(qPrintable(text + '\n'), stderr);
    });
    application.emplace(argc, argv);
  }
  writeStationReport(*line.value("output"), table, selection, line.inputs, line.names);
}

}  // namespace

Command reportCommand() {
  return {"report",
          "report -o OUT.pdf [--stations NAMES] [--dates DATES|--year YYYY] INPUT...",
          "write a printable PDF report, a page per station: the period and sources, the daily\n"
          "      graph, the weekday and weekend hourly profiles, the daily statistics, the annual\n"
          "      figures of every whole year, and the data-check summary; A4, Letter in the US\n"
          "      and Canada locales",
          {kOutputOption, kStationsOption, kDatesOption, kYearOption, kRegisterOption},
          {"output"},
          &runReport};
}

}  // namespace ostrilo::cli

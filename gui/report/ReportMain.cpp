// ostrilo-report: the report command of ostrilo-cli, which runs this program from its own folder
// with the command's arguments, so that the command line itself links no windowing toolkit.

#include <QApplication>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "gui/report/StationReport.h"

namespace {

// The charts of a report are drawn by widgets, which need an application; a terminal has no
// display, so the application draws offscreen unless the user chose a platform. Made only once
// the command line and the inputs have been accepted.
void drawReport(const std::string& path, const std::vector<ostrilo::ReportPage>& pages) {
  std::optional<QApplication> application;
  if (QCoreApplication::instance() == nullptr) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "ostrilo-report";
    static char* argv[] = {name, nullptr};
    // Qt's remarks about the missing display and runtime folder mean nothing to a terminal
    // user; failures still arrive as errors.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
      if (type == QtCriticalMsg || type == QtFatalMsg) std::fputs(qPrintable(text + '\n'), stderr);
    });
    application.emplace(argc, argv);
  }
  ostrilo::writeStationReport(path, pages);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args{"report"};
  args.insert(args.end(), argv + 1, argv + argc);
  return ostrilo::cli::runCli(args, std::cout, std::cerr, &drawReport);
}

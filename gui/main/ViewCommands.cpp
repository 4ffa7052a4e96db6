// The main window's commands that open views of the table (the plots, the data checks, the
// annual figures, the report) and those that choose what the views know beyond the counts:
// the station register and the holiday calendar.
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QSettings>
#include <algorithm>

#include "core/calendar/HolidayCalendar.h"
#include "core/register/StationRegister.h"
#include "core/table/ATRTable.h"
#include "gui/annual/frmAnnual.h"
#include "gui/charts/Plots.h"
#include "gui/charts/frmGraphH.h"
#include "gui/charts/frmGraphL.h"
#include "gui/charts/frmVolColorGrid.h"
#include "gui/charts/frmWeeklyProfile.h"
#include "gui/checks/frmDataChecks.h"
#include "gui/main/ListTools.h"
#include "gui/main/MainDialogs.h"
#include "gui/main/frmMain.h"
#include "gui/report/ReportTexts.h"
#include "gui/report/StationReport.h"
#include "gui/toolkit/RecentFolders.h"
#include "gui/toolkit/SelectionLists.h"
#include "gui/toolkit/TextFormats.h"
#include "gui/toolkit/Toolkit.h"

namespace ostrilo {

namespace {

using mainwindow::kOpenFlags;

const QString kRegisterKey = QStringLiteral("register/lastPath");
// The calendar last chosen: "" none, "us", "de-be", or a holiday file's path.
const QString kHolidaysKey = QStringLiteral("checks/holidays");
const QString kHolidayFileItem = QStringLiteral("?");

// The graph-type box's position, or -1 when the user typed a text that is not the current
// entry's; the plots decide what that draws.
int graphTypeIndex(const QComboBox& box) {
  const int index = box.currentIndex();
  if (index < 0 || box.currentText() != box.itemText(index)) return -1;
  return index;
}

// Notes a window a command opened (none after a refused selection), forgetting closed ones.
void keep(QList<QPointer<QWidget>>& windows, QWidget* opened) {
  windows.removeAll(nullptr);
  if (opened != nullptr) windows << opened;
}

}  // namespace

ExportSources frmMain::exportSources() const { return {m_sourceFiles, m_register}; }

void frmMain::cmdLineClick() {
  keep(m_lineGraphs, PlotHourlyVol(m_toolkit, this, m_table, listSelection(),
                                   graphTypeIndex(*cmbGType), m_register.get(), &m_analysis));
}

void frmMain::cmdDailyGraphClick() {
  keep(m_lineGraphs, PlotDailyVol(m_toolkit, this, m_table, listSelection(),
                                  graphTypeIndex(*cmbGType), m_register.get(), &m_analysis));
}

void frmMain::cmdColorGridClick() {
  keep(m_colorGrids,
       PlotVolColorGrid(m_toolkit, this, m_table, listSelection(), m_register.get(), &m_analysis));
}

void frmMain::cmdHistClick() {
  keep(m_histograms, PlotVolHistogram(m_toolkit, this, m_table, listSelection(), m_register.get()));
}

void frmMain::cmdWeeklyProfileClick() {
  keep(m_colorGrids,
       PlotWeeklyProfile(m_toolkit, this, m_table, listSelection(), m_register.get(), &m_analysis));
}

void frmMain::cmdDataChecksClick() {
  const PlotSelection selection = selectionFromLists(*lstSta, *lstDate);
  if (!checkSelectionOrWarn(m_toolkit, this, selection)) return;
  m_checksSelection = selection;
  if (!m_checksWindow) {
    m_checksWindow = new frmDataChecks(m_toolkit);
    connect(m_checksWindow, &frmDataChecks::hourlyGraphRequested, this, &frmMain::plotDaysAround);
    connect(
        m_checksWindow, &frmDataChecks::episodeGraphRequested, this,
        [this](const std::string& station, const std::vector<DaySpan>& spans) {
          keep(m_lineGraphs,
               PlotHourlyVol(m_toolkit, this, m_table, selectionOverSpans(m_table, station, spans),
                             graphTypeIndex(*cmbGType), m_register.get(), &m_analysis));
        });
  }
  m_checksWindow->setExportAbout(
      aboutSelection(m_table, selection, m_sourceFiles, m_register.get()), m_register);
  m_checksWindow->ShowFlags(m_analysis.checks(m_table), selection, displayLocale());
  m_checksWindow->show();
  m_checksWindow->raise();
}

void frmMain::plotDaysAround(const std::string& station, DateNumber day) {
  keep(m_lineGraphs, PlotDaysAround(m_toolkit, this, m_table, station, day,
                                    graphTypeIndex(*cmbGType), m_register.get(), &m_analysis));
}

void frmMain::cmdAnnualClick() {
  keep(m_annualWindows, ShowAnnualFigures(m_toolkit, this, m_table, m_analysis,
                                          selectionFromLists(*lstSta, *lstDate), exportSources()));
}

void frmMain::cmdReportClick() {
  const PlotSelection selection = listSelection();
  if (!checkSelectionOrWarn(m_toolkit, this, selection)) return;
  const FileDialogSettings settings{QStringLiteral("Select the report *.pdf file"),
                                    QStringLiteral("All files (*.*)|*.*|*.pdf files|*.pdf"),
                                    2,
                                    QStringLiteral("pdf"),
                                    DialogFlag::kPathMustExist | DialogFlag::kHideReadOnly |
                                        DialogFlag::kNoReadOnlyReturn |
                                        DialogFlag::kOverwritePrompt,
                                    inLastFolder(FileKind::Report, QStringLiteral("report.pdf"))};
  std::vector<Choice> choices = {{QStringLiteral("Peak windows"), reportPeakChoices(), 0}};
  if (!m_toolkit.askChoices(this, QStringLiteral("Report"), choices)) return;
  const auto path = m_toolkit.saveFileName(this, settings);
  if (!path) return;
  rememberFolder(FileKind::Report, *path);
  const ReportOptions options{reportPeakWindows(choices.front().chosen)};
  if (attempt([&] {
        writeStationReport(toFsPath(*path),
                           reportPages(m_table, m_analysis.checks(m_table), selection,
                                       m_sourceFiles, m_register.get(), options));
      })) {
    inform(QStringLiteral("Done."));
  }
}

void frmMain::cmdStationsClick() {
  const FileDialogSettings settings{
      QStringLiteral("Select a station register *.csv file"),
      QStringLiteral("All files (*.*)|*.*|*.csv files|*.csv"),
      2,
      QStringLiteral("csv"),
      kOpenFlags,
      QSettings(kSettingsOrganisation, kSettingsApplication).value(kRegisterKey).toString()};
  if (const auto path = m_toolkit.openFileName(this, settings)) LoadRegister(*path);
}

bool frmMain::LoadRegister(const QString& path) {
  std::shared_ptr<const StationRegister> loaded;
  if (!attempt([&] {
        loaded = std::make_shared<const StationRegister>(StationRegister::load(toFsPath(path)));
      })) {
    return false;
  }
  m_register = std::move(loaded);
  ensureSecondTab();
  tableChanged();  // the register's ceilings join the checks
  QSettings(kSettingsOrganisation, kSettingsApplication).setValue(kRegisterKey, path);
  rememberFolder(FileKind::Register, path);
  // A register that names stations sorts the list by name, unless the table's order was chosen.
  const bool named = std::any_of(m_register->entries().begin(), m_register->entries().end(),
                                 [](const StationEntry& e) { return !e.name.empty(); });
  if (named && cmbOrder->currentIndex() == 0) {
    cmbOrder->setCurrentIndex(1);  // applies the order
  } else if (stationListOrder() == StationOrder::Name) {
    applyListOrder();
  } else {
    showStationNames();
  }
  showTableSummary();
  return true;
}

void frmMain::showStationNames() {
  // Only the texts change: the entries keep their rows, so selections and filters stay.
  for (int i = 0; i < lstSta->count(); ++i) {
    QListWidgetItem& item = *lstSta->item(i);
    const QVariant kept = item.data(kStationIdRole);
    const QString id = kept.isValid() ? kept.toString() : item.text();
    const std::string_view name =
        m_register ? m_register->name(id.toLatin1().toStdString()) : std::string_view();
    item.setData(kStationIdRole, name.empty() ? QVariant() : QVariant(id));
    item.setText(name.empty() ? id : id + QStringLiteral("  ") + fromCoreText(std::string(name)));
  }
  m_staFilter->apply();
}

void frmMain::restoreHolidayChoice() {
  // The calendar last used, but never a file dialog while the window opens.
  const QString remembered =
      QSettings(kSettingsOrganisation, kSettingsApplication).value(kHolidaysKey).toString();
  if (remembered != kHolidayFileItem) setHolidayChoice(remembered);
}

bool frmMain::setHolidayChoice(const QString& choice) {
  HolidayCalendar calendar;
  if (!attempt([&] { calendar = loadHolidayChoice(toFsPath(choice)); })) {
    showHolidayChoice();  // the calendar in use stays
    return false;
  }
  m_analysis.setHolidays(std::move(calendar));
  QSettings(kSettingsOrganisation, kSettingsApplication)
      .setValue(kHolidaysKey, fromCoreText(m_analysis.holidays().name()));
  if (!lstDate) return true;  // the second tab shows the choice when it is made
  showHolidayChoice();
  showDateHolidays();
  if (m_table.StaCount() > 0) showTableSummary();
  if (m_checksWindow && m_checksWindow->isVisible()) {
    m_checksWindow->ShowFlags(m_analysis.checks(m_table), m_checksSelection, displayLocale());
  }
  return true;
}

void frmMain::showHolidayChoice() {
  if (!cmbHolidays) return;
  const QString used = fromCoreText(m_analysis.holidays().name());
  int item = cmbHolidays->findData(used);
  if (item < 0) {
    // A holiday file: one entry of its own, before "Holiday file...".
    while (cmbHolidays->count() > 4) cmbHolidays->removeItem(3);
    cmbHolidays->insertItem(3, holidayCalendarText(used), used);
    item = 3;
  }
  cmbHolidays->setCurrentIndex(item);
  cmbHolidays->setToolTip(QStringLiteral("Holidays: ") + holidayCalendarText(used));
}

void frmMain::cmbHolidaysActivated() {
  QString choice = cmbHolidays->currentData().toString();
  if (choice == kHolidayFileItem) {
    const FileDialogSettings settings{QStringLiteral("Select a holiday *.csv file (date,name)"),
                                      QStringLiteral("All files (*.*)|*.*|*.csv files|*.csv"),
                                      2,
                                      QStringLiteral("csv"),
                                      kOpenFlags,
                                      inLastFolder(FileKind::Register, QString())};
    const auto path = m_toolkit.openFileName(this, settings);
    if (!path) {
      showHolidayChoice();
      return;
    }
    choice = *path;
  }
  setHolidayChoice(choice);
}

}  // namespace ostrilo

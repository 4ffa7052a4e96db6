// The main window's commands over the lists' order, the statistics and the exports of the
// second tab.
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <algorithm>
#include <set>

#include "core/checks/DataChecks.h"
#include "core/export/TableExports.h"
#include "core/register/StationRegister.h"
#include "core/stats/StationStats.h"
#include "core/table/ATRTable.h"
#include "core/table/TableSummary.h"
#include "gui/main/CountsExport.h"
#include "gui/main/DateField.h"
#include "gui/main/FileNameList.h"
#include "gui/main/ListTools.h"
#include "gui/main/frmMain.h"
#include "gui/stats/frmLV.h"
#include "gui/toolkit/RecentFolders.h"
#include "gui/toolkit/SelectionLists.h"
#include "gui/toolkit/TextFormats.h"
#include "gui/toolkit/Toolkit.h"

namespace ostrilo {

namespace {

QString counted(qint64 n, const QString& one, const QString& many, const QLocale& locale) {
  return locale.toString(n) + u' ' + (n == 1 ? one : many);
}

// The table indexes a list has picked.
std::set<int> pickedIndexes(const QListWidget& list) {
  std::set<int> picked;
  for (const QModelIndex& index : list.selectionModel()->selectedIndexes()) {
    picked.insert(tableIndexOf(list, index.row()));
  }
  return picked;
}

void pickAgain(QListWidget& list, const std::set<int>& picked, int current) {
  for (int row = 0; row < list.count(); ++row) {
    if (tableIndexOf(list, row) == current) {
      list.setCurrentRow(row, QItemSelectionModel::NoUpdate);
    }
  }
  selectVisible(list, [&](int row) { return picked.contains(tableIndexOf(list, row)); });
}

}  // namespace

StationOrder frmMain::stationListOrder() const {
  switch (cmbOrder->currentIndex()) {
    case 1:
      return StationOrder::Name;
    case 2:
      return StationOrder::Table;
    default:
      return StationOrder::Id;
  }
}

RowOrder frmMain::listRowOrder() const {
  switch (stationListOrder()) {
    case StationOrder::Name:
      return m_register ? RowOrder::Name : RowOrder::Id;
    case StationOrder::Table:
      return RowOrder::Table;
    default:
      return RowOrder::Id;
  }
}

void frmMain::applyListOrder() {
  if (m_table.StaCount() == 0) return;
  const std::set<int> stations = pickedIndexes(*lstSta), dates = pickedIndexes(*lstDate);
  const auto currentOf = [](const QListWidget& list) {
    return list.currentRow() >= 0 ? tableIndexOf(list, list.currentRow()) : -1;
  };
  const int station = currentOf(*lstSta), date = currentOf(*lstDate);
  // The range pick and the filters stay as the user set them.
  const QDate from = m_rangePick->from->date();
  const QDate to = m_rangePick->to->date();
  refillLists(false);
  m_rangePick->from->setDate(from);
  m_rangePick->to->setDate(to);
  // The rows were hidden anew by the filters; hidden rows keep their picks only when visible
  // ones are set, so every row is shown while the picks return.
  for (QListWidget* list : {lstSta, lstDate}) {
    for (int row = 0; row < list->count(); ++row) list->setRowHidden(row, false);
  }
  pickAgain(*lstSta, stations, station);
  pickAgain(*lstDate, dates, date);
  m_staFilter->apply();
  m_dateFilter->apply();
}

QString frmMain::fillReport(bool add, const TableSummary& before, std::size_t files,
                            std::int64_t lines) const {
  const QLocale locale = displayLocale();
  const TableSummary after = SummarizeTable(m_table);
  const QString read =
      QStringLiteral("Read %1, %2.")
          .arg(counted(static_cast<qint64>(files), QStringLiteral("file"), QStringLiteral("files"),
                       locale),
               counted(lines, QStringLiteral("line"), QStringLiteral("lines"), locale));
  const QString holds =
      QStringLiteral("The table holds %1, %2, %3.")
          .arg(counted(after.stations, QStringLiteral("station"), QStringLiteral("stations"),
                       locale),
               counted(after.dates, QStringLiteral("date"), QStringLiteral("dates"), locale),
               counted(after.countedHours, QStringLiteral("hour counted"),
                       QStringLiteral("hours counted"), locale));
  if (!add) return QStringLiteral("Table build done.\r\n") + read + u' ' + holds;
  const QString added =
      QStringLiteral("Added %1, %2, %3.")
          .arg(counted(after.stations - before.stations, QStringLiteral("station"),
                       QStringLiteral("stations"), locale),
               counted(after.dates - before.dates, QStringLiteral("date"), QStringLiteral("dates"),
                       locale),
               counted(after.countedHours - before.countedHours, QStringLiteral("hour counted"),
                       QStringLiteral("hours counted"), locale));
  return QStringLiteral("Adding data done.\r\n") + read + u' ' + added + u' ' + holds;
}

QString frmMain::proposedTableName() const {
  const TableSummary summary = SummarizeTable(m_table);
  QString name;
  if (summary.firstDate && summary.lastDate) {
    const auto compact = [](DateNumber d) {
      return QString::fromStdString(isoDate(d)).remove(u'-');
    };
    name = QStringLiteral("ATR%1-%2.cont")
               .arg(compact(*summary.firstDate), compact(*summary.lastDate));
  }
  // Beside the count files read when no table was saved yet.
  const QString countFile = fileNamesInText(txtATRfileName->text()).front();
  const qsizetype slash = std::max(countFile.lastIndexOf(u'/'), countFile.lastIndexOf(u'\\'));
  const QString beside = slash >= 0 ? countFile.left(slash + 1) + name : name;
  return lastFolder(FileKind::TableFile).isEmpty() ? beside
                                                   : inLastFolder(FileKind::TableFile, name);
}

StatResults frmMain::statsOf(const PlotSelection& selection, bool leaveOut) {
  if (!checkSelectionOrWarn(m_toolkit, this, selection)) return {};
  return ComputeStationStats(m_table, selection,
                             leaveOut ? m_analysis.criticalDays(m_table) : std::vector<bool>());
}

void frmMain::showStats(const PlotSelection& selection) {
  m_statsSelection = selection;
  if (!m_statsWindow) {
    m_statsWindow = new frmLV;
    m_statsWindow->chkLeaveOutCritical->setChecked(m_leaveOutCritical);
    connect(m_statsWindow, &frmLV::leaveOutCriticalChanged, this, [this](bool leaveOut) {
      m_leaveOutCritical = leaveOut;
      showStats(m_statsSelection);
    });
  }
  const QLocale locale = displayLocale();
  m_statsWindow->FillStatsList(statsOf(selection, m_leaveOutCritical), locale, m_register.get());
  m_statsWindow->ShowPeriod(aboutSelection(m_table, selection, {}), locale);
  m_statsWindow->show();
  m_statsWindow->raise();
}

void frmMain::cmdStatClick() { showStats(listSelection()); }

void frmMain::cmdExportClick() {
  std::vector<Choice> choices = {
      {QStringLiteral("Leave out days with a critical flag"), {}, m_leaveOutCritical ? 1 : 0},
      {QStringLiteral("Plain numbers (no blank after a comma)"), {}, 0},
      {QStringLiteral("Rows"), kRowOrderChoices, 0}};
  if (!m_toolkit.askChoices(this, QStringLiteral("Export statistics"), choices)) return;
  const QString countFile = fileNamesInText(txtATRfileName->text()).front();
  const QString proposed =
      !countFile.isEmpty()
          ? replaceExtension(countFile, QStringLiteral(".dat"), QStringLiteral(".csv"))
          : replaceExtension(txtLoadFile->text(), QStringLiteral(".cont"), QStringLiteral(".csv"));
  const auto path = askExportPath(m_toolkit, this,
                                  QStringLiteral("Select the Excel output *.csv file"), proposed);
  if (!path) return;
  const PlotSelection selection = listSelection();
  const bool leaveOut = choices[0].chosen != 0;
  ExportSources sources = exportSources();
  TableExport stats = statsExport(statsOf(selection, leaveOut), sources.names.get());
  if (choices[1].chosen != 0) stats = trimmedStatsExport(std::move(stats));
  if (choices[2].chosen != 0) sortExportRows(stats.table, listRowOrder());
  WorkbookAbout about =
      aboutSelection(m_table, selection, std::move(sources.files), sources.names.get());
  about.definitions.push_back(leaveOut ? kCriticalDaysLeftOut : kCriticalDaysKept);
  saveExportAndReport(m_toolkit, this, *path, stats, std::move(about));
}

void frmMain::cmdExportCountsClick() {
  const PlotSelection selection = listSelection();
  if (!checkSelectionOrWarn(m_toolkit, this, selection)) return;
  exportCounts(m_toolkit, this, m_table, m_analysis.checks(m_table), selection, exportSources(),
               listRowOrder());
}

}  // namespace ostrilo

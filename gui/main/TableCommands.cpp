// The main window's commands of the table itself: Build, Add, Load and Save, and what the
// window shows of the table afterwards.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QProgressDialog>
#include <QTabWidget>
#include <vector>

#include "core/annual/RoadFigures.h"
#include "core/calendar/HolidayCalendar.h"
#include "core/checks/DataChecks.h"
#include "core/commands/Commands.h"
#include "core/register/StationRegister.h"
#include "core/table/ATRTable.h"
#include "core/table/TableSummary.h"
#include "gui/checks/frmDataChecks.h"
#include "gui/main/FileNameList.h"
#include "gui/main/ListTools.h"
#include "gui/main/MainDialogs.h"
#include "gui/main/frmMain.h"
#include "gui/toolkit/RecentFolders.h"
#include "gui/toolkit/SelectionLists.h"
#include "gui/toolkit/TextFormats.h"
#include "gui/toolkit/Toolkit.h"

namespace ostrilo {

namespace {

using mainwindow::kOpenFlags;

const QString kCountFileMissing = QStringLiteral(
    "You must select an ATR data file named: ATRyyyymmddw#.dat.\r\n"
    " Click the Browse button to navigate.");

constexpr unsigned kTableFileFlags = DialogFlag::kPathMustExist | DialogFlag::kHideReadOnly |
                                     DialogFlag::kNoReadOnlyReturn | DialogFlag::kOverwritePrompt;

FileDialogSettings tableFileDialog(const QString& title, const QString& initialFileName) {
  return {title,
          QStringLiteral("All files (*.*)|*.*|*.cont files|*.cont"),
          2,
          QStringLiteral("cont"),
          kTableFileFlags,
          initialFileName};
}

// The core's progress callback for reading count files: after `delay` it shows a modal dialog
// (file n of N, Cancel) and answers false once Cancel was pressed.
class FileProgressDialog {
 public:
  FileProgressDialog(QWidget* parent, std::chrono::milliseconds delay)
      : m_parent(parent), m_delay(delay) {
    m_clock.start();
  }

  bool operator()(std::size_t fileNumber, std::size_t fileCount) {
    if (!m_dialog && m_clock.elapsed() >= m_delay.count()) {
      m_dialog = std::make_unique<QProgressDialog>(QString(), QStringLiteral("Cancel"), 0,
                                                   static_cast<int>(fileCount), m_parent);
      m_dialog->setObjectName(QStringLiteral("progress"));
      m_dialog->setWindowTitle(kAppTitle);
      // The table must not be touched while it is being replaced.
      m_dialog->setWindowModality(Qt::ApplicationModal);
      m_dialog->setMinimumDuration(0);
      m_dialog->setAutoClose(false);
      m_dialog->setAutoReset(false);
      m_dialog->show();
    }
    if (!m_dialog) return true;
    if (fileNumber <= fileCount) {
      m_dialog->setLabelText(
          QStringLiteral("Reading count file %1 of %2").arg(fileNumber).arg(fileCount));
    }
    m_dialog->setValue(static_cast<int>(fileNumber - 1));
    // The work runs on this thread; without this the dialog would neither draw nor see Cancel.
    QCoreApplication::processEvents();
    return !m_dialog->wasCanceled();
  }

 private:
  QWidget* m_parent;
  std::chrono::milliseconds m_delay;
  QElapsedTimer m_clock;
  std::unique_ptr<QProgressDialog> m_dialog;
};

QString counted(qint64 n, const QString& one, const QString& many, const QLocale& locale) {
  return locale.toString(n) + u' ' + (n == 1 ? one : many);
}

QString summaryText(const TableSummary& summary, const CheckResults& checks,
                    const QLocale& locale) {
  const DayCounts days = checks.dayCounts();
  QString dates = counted(summary.dates, QStringLiteral("date"), QStringLiteral("dates"), locale);
  if (summary.firstDate && summary.lastDate) {
    const auto day = [&locale](DateNumber d) {
      const CivilDate c = civilFromDate(d);
      return locale.toString(QDate(c.year, c.month, c.day), fullYearDateFormat(locale));
    };
    dates += QStringLiteral(", %1 to %2").arg(day(*summary.firstDate), day(*summary.lastDate));
  }
  return QStringList{
      counted(summary.stations, QStringLiteral("station"), QStringLiteral("stations"), locale),
      dates,
      counted(summary.completeDays, QStringLiteral("complete day"), QStringLiteral("complete days"),
              locale) +
          QStringLiteral(" (%1 with a critical fault)").arg(locale.toString(days.faulty)),
      counted(days.incomplete, QStringLiteral("incomplete day"), QStringLiteral("incomplete days"),
              locale),
      counted(summary.hoursNotCounted, QStringLiteral("hour not counted"),
              QStringLiteral("hours not counted"), locale),
      counted(days.warning, QStringLiteral("warning day"), QStringLiteral("warning days"), locale)}
      .join(QStringLiteral("; "));
}

}  // namespace

void frmMain::showTableSummary() {
  QString text = summaryText(SummarizeTable(m_table), m_analysis.checks(m_table), displayLocale());
  if (m_register) {
    text +=
        QLatin1Char('\n') + fromCoreText(registerSummary(*m_register, m_table.ulstName().values()));
  }
  m_summary->setText(text);
  m_summary->setToolTip(text);  // the designed size shows two lines of it
}

void frmMain::cmdATRBrowseClick() {
  const FileDialogSettings settings{QStringLiteral("Select a ATRyyyymmdds#.dat file"),
                                    QStringLiteral("All files (*.*)|*.*|ATR*.dat files|ATR*.dat|"
                                                   "TMG volume files|*.vol;*.VOL"),
                                    2,
                                    QStringLiteral("dat"),
                                    kOpenFlags,
                                    inLastFolder(FileKind::CountFiles, QString())};
  if (const auto paths = m_toolkit.openFileNames(this, settings); paths && !paths->isEmpty()) {
    txtATRfileName->setText(fileNameListText(*paths));
    rememberFolder(FileKind::CountFiles, paths->constFirst());
  }
}

void frmMain::cmdBuildNewClick() { fillFromCountFiles(false); }

void frmMain::cmdAdd2TableClick() { fillFromCountFiles(true); }

void frmMain::fillFromCountFiles(bool add) {
  const QStringList names = fileNamesInText(txtATRfileName->text());
  if (names.contains(QString())) {
    warn(kCountFileMissing);
    return;
  }
  std::vector<std::string> paths;
  for (const QString& name : names) paths.push_back(toFsPath(name));
  bool done = false;
  const TableSummary before = SummarizeTable(m_table);
  FileProgressDialog progress(this, m_progressDelay);
  if (!attempt([&] {
        done = FillFromCountFiles(m_table, paths, add ? FillMode::Add : FillMode::Build,
                                  std::ref(progress), {.sumLanes = chkSumLanes->isChecked()});
      }) ||
      !done) {
    return;
  }
  if (!add) m_sourceFiles.clear();
  m_sourceFiles.insert(m_sourceFiles.end(), paths.begin(), paths.end());
  refillLists(add);
  tableFilled();
  inform(fillReport(add, before, paths.size(), countFileLines(paths)));
}

void frmMain::cmdLdBrowseClick() {
  const QString typed = txtLoadFile->text();
  const auto path = m_toolkit.openFileName(
      this, tableFileDialog(QStringLiteral("Select a *.cont file"),
                            typed.isEmpty() ? inLastFolder(FileKind::TableFile, typed) : typed));
  if (!path) return;
  txtLoadFile->setText(*path);
  rememberFolder(FileKind::TableFile, *path);
  if (!attempt([&] { LoadTableFile(m_table, toFsPath(*path)); })) return;
  m_sourceFiles = {toFsPath(*path)};
  refillLists(false);
  tableFilled();
  inform(QStringLiteral("Loading done. \r\n") + fromCoreText(escapeName(toFsPath(*path))));
}

void frmMain::cmdSaveClick() {
  const auto path = m_toolkit.saveFileName(
      this, tableFileDialog(QStringLiteral("Select the output *.cont file"), proposedTableName()));
  if (!path) return;
  txtLoadFile->setText(*path);
  if (!attempt([&] { SaveTableFile(m_table, toFsPath(*path)); })) return;
  rememberFolder(FileKind::TableFile, *path);
  inform(QStringLiteral("Saved %1 (%2 bytes).")
             .arg(*path, displayLocale().toString(QFileInfo(*path).size())));
}

void frmMain::refillLists(bool selectFirst) {
  ensureSecondTab();
  const ATRTable& table = m_table;
  lstSta->clear();
  for (const std::int32_t i : stationOrder(table, stationListOrder(), m_register.get())) {
    auto* item = new QListWidgetItem(stationText(table.StaNamebyIndex(i)), lstSta);
    item->setData(kTableIndexRole, i);
  }
  showStationNames();
  // Add picks the table's first entries, wherever the list shows them.
  const auto pickFirst = [](QListWidget& list) {
    for (int row = 0; row < list.count(); ++row) {
      if (tableIndexOf(list, row) == 0) list.setCurrentRow(row);
    }
  };
  if (selectFirst) pickFirst(*lstSta);

  const QLocale locale = displayLocale();
  lstDate->clear();
  for (const std::int32_t i : dateOrder(table, stationListOrder() != StationOrder::Table)) {
    const DateNumber date = table.DatebyIndex(i);
    auto* item = new QListWidgetItem(dateEntryText(date, locale), lstDate);
    item->setData(kEntryTextRole, item->text());
    const CivilDate civil = civilFromDate(date);
    item->setData(kEntryDateRole, QDate(civil.year, civil.month, civil.day));
    item->setData(kTableIndexRole, i);
  }
  if (selectFirst) pickFirst(*lstDate);
  showDateHolidays();
  m_staFilter->apply();
  m_dateFilter->apply();
  m_rangePick->reset(locale);

  cmbGType->setCurrentIndex(0);
}

void frmMain::tableFilled() {
  // The annual windows read the table itself: they close before anything can reach them.
  for (const QPointer<QWidget>& window : m_annualWindows) {
    if (window) window->close();
  }
  tableChanged();
  SSTab1->setTabEnabled(1, true);
  EnablePlotButtons();
  showTableSummary();
}

void frmMain::tableChanged() {
  m_analysis.invalidate();
  // The checks window's rows and picked positions describe the table before the change.
  if (m_checksWindow) m_checksWindow->hide();
  m_checksSelection = {};
  if (m_register) {
    m_analysis.setRegister(*m_register, m_table.ulstName().values());
  }
}

void frmMain::showDateHolidays() {
  const HolidayCalendar& calendar = m_analysis.holidays();
  for (int row = 0; row < lstDate->count(); ++row) {
    QListWidgetItem& item = *lstDate->item(row);
    const std::string name = calendar.holidayName(m_table.DatebyIndex(tableIndexOf(*lstDate, row)));
    // The entry's own text stays as it is; the holiday's name follows it.
    const QString plain = item.data(kEntryTextRole).toString();
    item.setText(name.empty() ? plain : plain + QStringLiteral("  ") + fromCoreText(name));
  }
}

}  // namespace ostrilo

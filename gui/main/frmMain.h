#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "core/analysis/TableAnalysis.h"
#include "core/order/ListOrder.h"
#include "core/selection/PlotSelection.h"
#include "core/stats/StationStats.h"
#include "core/table/DateNumber.h"
#include "gui/main/DesignedLayout.h"
#include "gui/toolkit/CsvExport.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace ostrilo {

class ATRTable;
class DateRangePick;
class ListFilter;
class StationRegister;
class Toolkit;
struct TableSummary;
class frmDataChecks;
class frmLV;

// The main window: the first tab builds, adds, loads and saves the count table, the second
// picks stations, dates and a graph type for the plots and the statistics. At its designed size
// the controls stand where they were designed; a larger window gives the lists the room, and
// every other control keeps its distance to the corner it sits in.
//
// Every command asks through the toolkit, then does its work on the table it was given.
// Closing the window, by "Exit" or the close control, empties that table and closes the chart
// windows and the statistics window it opened before itself.
class frmMain : public QWidget {
  Q_OBJECT

 public:
  frmMain(ATRTable& table, Toolkit& toolkit, QWidget* parent = nullptr);
  ~frmMain() override;

  // Reading count files that takes longer than this shows a progress dialog.
  void setProgressDelay(std::chrono::milliseconds delay) { m_progressDelay = delay; }

  // Enables "Hourly Graph", "Histogram", "Show Statistics", "Data Checks" and "Annual Figures".
  void EnablePlotButtons();

  // The second tab's controls (from Label11 on) are made when a table is first filled, a
  // register is loaded or this is called; until then their pointers are null.
  void ensureSecondTab();

  QLabel* Label4 = nullptr;
  QTabWidget* SSTab1 = nullptr;
  // First tab.
  QGroupBox* Frame1 = nullptr;
  QLineEdit* txtATRfileName = nullptr;
  QPushButton* cmdATRBrowse = nullptr;
  QPushButton* cmdBuildNew = nullptr;
  QPushButton* cmdAdd2Table = nullptr;
  QCheckBox* chkSumLanes = nullptr;  // Build and Add add a TMG direction's lanes
  QGroupBox* Frame2 = nullptr;
  QPushButton* cmdSave = nullptr;
  QPushButton* cmdExit = nullptr;
  QGroupBox* Frame4 = nullptr;
  QLineEdit* txtLoadFile = nullptr;
  QPushButton* cmdLdBrowse = nullptr;
  // Second tab.
  QLabel* Label11 = nullptr;
  QLabel* Label9 = nullptr;
  QLabel* Label1 = nullptr;
  QListWidget* lstSta = nullptr;
  QListWidget* lstDate = nullptr;
  QComboBox* cmbGType = nullptr;
  QPushButton* cmdLine = nullptr;
  QPushButton* cmdDailyGraph = nullptr;
  QPushButton* cmdColorGrid = nullptr;
  QPushButton* cmdHist = nullptr;
  QPushButton* cmdStat = nullptr;
  QPushButton* cmdExport = nullptr;
  QPushButton* cmdDataChecks = nullptr;
  QPushButton* cmdAnnual = nullptr;
  QPushButton* cmdStations = nullptr;
  QPushButton* cmdReport = nullptr;
  // The order of the lists: by id, by name, the table's own (entries in cmbOrder's order).
  QLabel* lblOrder = nullptr;
  QComboBox* cmbOrder = nullptr;
  QPushButton* cmdExportCounts = nullptr;
  // The holiday calendar of the date list, the line charts and the checks: none, United States,
  // Germany - Berlin, a holiday file (then "Holiday file..." to pick another). Remembered.
  QLabel* lblHolidays = nullptr;
  QComboBox* cmbHolidays = nullptr;

  // Loads the station register at path (the one in use stays when it fails, after the error is
  // shown) and shows its names in the station list; the path is remembered for the next time.
  bool LoadRegister(const QString& path);
  // Uses the calendar choice names ("" none, "us", "de-be", a holiday file's path) and
  // remembers it; a file that cannot be read is shown and the calendar in use stays.
  bool setHolidayChoice(const QString& choice);
  // What the views share of the table: its checks and valid days, computed once per change.
  [[nodiscard]] const TableAnalysis& analysis() const noexcept { return m_analysis; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void createFirstTab(QWidget* page);
  // The second tab: the lists with their headings and the graph column; the other commands.
  void createPickControls(QWidget* page);
  void createCommandButtons(QWidget* page);
  // The filters and the range pick above and below the lists, and what the table holds.
  void createListTools(QWidget* page);
  void setTabOrder();
  void placeTabPages();
  void placePage(const QWidget* page);
  // How each control follows the window's growth: the first tab's, then the second's.
  void addLayoutRules();
  void addSecondTabLayoutRules();
  void keepToCorners(const QWidget* page);
  void layoutControls();
  void showTableSummary();

  void cmdATRBrowseClick();
  void cmdBuildNewClick();
  void cmdAdd2TableClick();
  void cmdLdBrowseClick();
  void cmdSaveClick();
  void cmdStatClick();
  void cmdExportClick();
  void cmdLineClick();
  void cmdDailyGraphClick();
  void cmdColorGridClick();
  void cmdHistClick();
  void cmdWeeklyProfileClick();
  void cmdAnnualClick();
  void cmdStationsClick();
  void cmdReportClick();
  // The station list's entries: "id  name" with a register that names the station, else the id.
  void showStationNames();

  // The data checks: the window with the flags of the selection, and the hourly graph of a
  // station for a day and the three days on each side.
  void cmdDataChecksClick();
  void plotDaysAround(const std::string& station, DateNumber day);

  // The files the table came from and the register in use, for the exports.
  ExportSources exportSources() const;

  // The statistics of the selection, without the days with a critical flag when leaveOut;
  // none, after the check's warning, when the selection cannot be walked.
  StatResults statsOf(const PlotSelection& selection, bool leaveOut);
  void showStats(const PlotSelection& selection);
  void cmdExportCountsClick();
  // The station order cmbOrder shows, and the row order of an output "in the list's order".
  [[nodiscard]] StationOrder stationListOrder() const;
  [[nodiscard]] RowOrder listRowOrder() const;
  // Puts the lists' entries in cmbOrder's order; the picked entries stay picked.
  void applyListOrder();
  // The message after Build or Add: what was read, and what the table holds.
  [[nodiscard]] QString fillReport(bool add, const TableSummary& before, std::size_t files,
                                   std::int64_t lines) const;
  // The name Save proposes: from the table's first and last date.
  [[nodiscard]] QString proposedTableName() const;

  PlotSelection listSelection() const;
  // Build and Add differ only in the table operation, the selection and the message.
  void fillFromCountFiles(bool add);
  // Runs the work; when it throws, shows the reason and answers false.
  bool attempt(const std::function<void()>& work);
  void refillLists(bool selectFirst);
  // After Build, Add or Load: the analysis starts anew, the second tab opens.
  void tableFilled();
  void tableChanged();
  // The date list's entries with the names of the calendar's holidays after their text.
  void showDateHolidays();
  void restoreHolidayChoice();
  void showHolidayChoice();
  void cmbHolidaysActivated();
  void warn(const QString& text);
  void inform(const QString& text);

  ATRTable& m_table;
  Toolkit& m_toolkit;
  bool m_pagesPlaced = false;
  // The windows this one opened, by kind, in the order the closing sequence closes them; a
  // pointer turns null when its window is deleted.
  QList<QPointer<QWidget>> m_histograms, m_lineGraphs, m_colorGrids, m_annualWindows;
  QPointer<frmLV> m_statsWindow;           // one at a time; closing it deletes it
  QPointer<frmDataChecks> m_checksWindow;  // likewise
  std::unique_ptr<ListFilter> m_staFilter, m_dateFilter;
  std::unique_ptr<DateRangePick> m_rangePick;
  QLabel* m_summary = nullptr;
  DesignedLayout m_layout;
  std::chrono::milliseconds m_progressDelay{500};
  std::vector<std::string> m_sourceFiles;  // the count files read, or the table file loaded
  std::shared_ptr<const StationRegister> m_register;  // null: stations show their bare ids
  // The statistics window's box, which its export follows too, and the selection it shows.
  bool m_leaveOutCritical = true;
  PlotSelection m_statsSelection;
  TableAnalysis m_analysis;
  PlotSelection m_checksSelection;  // the checks window's
};

}  // namespace ostrilo

#pragma once

#include <QLocale>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "core/checks/CheckReport.h"
#include "core/checks/DataChecks.h"
#include "core/checks/Episodes.h"
#include "core/export/WorkbookWriter.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace ostrilo {

class ATRTable;
class StationRegister;
class Toolkit;
struct PlotSelection;

// "Data Checks": the flags of the picked stations and dates, merged into episodes (station,
// first and last date, days, code, severity, the first day's detail) or one row per day
// (station, date with its day of the week, code, severity, detail), the number of flags per
// code above them and how many rows the filters leave. MISSING_HOURS rows (incomplete days, a
// completeness matter) show only when asked. The rows can be narrowed to any set of codes, one
// severity and one station, sorted by any column (dates by date, stations in list order, codes
// in check order), copied as tab-separated lines and exported (the checks file, or the episodes
// file). A double-click on a day's row asks for the hourly graph around that day, on an
// episode's for the graph over the episode. A line names the holiday calendar the checks ran
// with; "Completeness..." opens the completeness table of the picked stations.
class frmDataChecks : public QWidget {
  Q_OBJECT

 public:
  explicit frmDataChecks(Toolkit& toolkit, QWidget* parent = nullptr);

  // Shows the flags of results that fall on the selection's picked stations and dates (a month
  // flag when a picked date lies in its month). The code and severity filters stay as they were;
  // the station filter too while its station is still picked.
  void ShowFlags(const CheckResults& results, const PlotSelection& selection,
                 const QLocale& locale);
  // True when the rows are episodes, false when they are days.
  [[nodiscard]] bool showsEpisodes() const;

  // The selected rows in their shown order, cells as shown, separated by tabs, every line ended
  // by LF; empty when no row is selected.
  [[nodiscard]] QString selectedRowsText() const;
  // Puts selectedRowsText on the clipboard.
  void copySelectedRows();
  // What the workbook export's About sheet states, and the register whose columns it adds and
  // whose names the Name column shows (none: bare ids, no Name column). Set before ShowFlags.
  void setExportAbout(WorkbookAbout about, std::shared_ptr<const StationRegister> names);
  // Asks for a file through the toolkit and writes the shown flags there (a workbook when the
  // name ends in .xlsx), in station then date
  // order whatever the sort; a failure is reported and leaves an existing file untouched.
  void exportCsv();

  QLabel* lblCounts = nullptr;
  QLabel* lblShown = nullptr;
  QComboBox* cmbView = nullptr;     // Episodes, Days
  QListWidget* lstCodes = nullptr;  // checkable, every code but MISSING_HOURS
  QCheckBox* chkMissingHours = nullptr;
  QLabel* lblHolidays = nullptr;  // the calendar the checks ran with
  QPushButton* cmdCompleteness = nullptr;
  QComboBox* cmbSeverity = nullptr;
  QComboBox* cmbStation = nullptr;
  QPushButton* cmdCopy = nullptr;
  QPushButton* cmdExportCsv = nullptr;
  QTreeWidget* lvFlags = nullptr;
  QTreeWidget* lvEpisodes = nullptr;

 signals:
  // The hourly graph of station (its name) for the days around day is wanted.
  void hourlyGraphRequested(const std::string& station, DateNumber day);
  // The hourly graph of station over the days of the spans is wanted.
  void episodeGraphRequested(const std::string& station, const std::vector<DaySpan>& spans);

 private:
  void createFilters();
  void createRowLists();
  void layOut();
  void connectControls();
  void applyFilters();
  void fillEpisodes();
  void rowActivated(int shownIndex);
  void episodeActivated(int shownIndex);
  void showCompleteness();

  Toolkit& m_toolkit;
  QPushButton* m_codesAll = nullptr;  // check every code, or none
  QPushButton* m_codesNone = nullptr;
  QLocale m_locale;
  CheckResults m_results;
  FlagFilter m_picked;             // the selection's stations and dates
  std::vector<CheckFlag> m_shown;  // the rows, in results order
  std::vector<FlagEpisode> m_episodes;
  std::size_t m_pickedCount = 0;  // the flags of the picked stations and dates
  WorkbookAbout m_about;
  std::shared_ptr<const StationRegister> m_names;
};

}  // namespace ostrilo

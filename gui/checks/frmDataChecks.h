#pragma once

#include <QLocale>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "core/checks/CheckReport.h"
#include "core/checks/DataChecks.h"
#include "core/export/WorkbookWriter.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace ostrilo {

class StationRegister;
class Toolkit;
struct PlotSelection;

// "Data Checks": the flags of the picked stations and dates, one row each (station, date with
// its day of the week, code, severity, detail), the number of flags per code above them. The
// rows can be narrowed to one code, one severity and one station, sorted by any column (dates
// by date, stations in list order, codes in check order), copied as tab-separated lines and
// exported as the checks CSV file. A double-click on a day's row asks for the hourly graph
// around that day.
class frmDataChecks : public QWidget {
  Q_OBJECT

 public:
  explicit frmDataChecks(Toolkit& toolkit, QWidget* parent = nullptr);

  // Shows the flags of results that fall on the selection's picked stations and dates (a month
  // flag when a picked date lies in its month). The code and severity filters stay as they were;
  // the station filter too while its station is still picked.
  void ShowFlags(const CheckResults& results, const PlotSelection& selection,
                 const QLocale& locale);

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
  QComboBox* cmbCode = nullptr;
  QComboBox* cmbSeverity = nullptr;
  QComboBox* cmbStation = nullptr;
  QPushButton* cmdCopy = nullptr;
  QPushButton* cmdExportCsv = nullptr;
  QTreeWidget* lvFlags = nullptr;

 signals:
  // The hourly graph of station (its name) for the days around day is wanted.
  void hourlyGraphRequested(const std::string& station, DateNumber day);

 private:
  void applyFilters();
  void rowActivated(int shownIndex);

  Toolkit& m_toolkit;
  QLocale m_locale;
  CheckResults m_results;
  FlagFilter m_picked;             // the selection's stations and dates
  std::vector<CheckFlag> m_shown;  // the rows, in results order
  WorkbookAbout m_about;
  std::shared_ptr<const StationRegister> m_names;
};

}  // namespace ostrilo

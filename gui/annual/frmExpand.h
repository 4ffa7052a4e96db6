#pragma once

#include <QDialog>
#include <QLocale>
#include <QWidget>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/annual/ShortCounts.h"
#include "gui/annual/AnnualTexts.h"
#include "gui/toolkit/CsvExport.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;
class QTreeWidget;

namespace ostrilo {

class StationRegister;
class Toolkit;

// Asks for the factor stations (the group) and the stations whose short counts are expanded,
// from every station of the table ("id  name" with a register), with a first pick; each list
// has a filter and All / None for its visible entries. With a register that has a group
// column, "each station with its own group's factors" replaces the factor list. OK needs one
// of each. The dialog can be resized; the lists take the room.
class frmExpandPick : public QDialog {
  Q_OBJECT

 public:
  frmExpandPick(std::span<const std::string> stations, const std::vector<std::int32_t>& group,
                const std::vector<std::int32_t>& expanded, QWidget* parent = nullptr,
                const StationRegister* names = nullptr);

  [[nodiscard]] std::vector<std::int32_t> groupStations() const;
  [[nodiscard]] std::vector<std::int32_t> expandedStations() const;
  // True when each station is to be expanded with its own register group's factors.
  [[nodiscard]] bool byRegisterGroups() const;

  QListWidget* lstGroup = nullptr;
  QListWidget* lstExpand = nullptr;
  QLineEdit* txtGroupFilter = nullptr;
  QLineEdit* txtExpandFilter = nullptr;
  QCheckBox* chkByGroups = nullptr;
  QPushButton* cmdOK = nullptr;
};

// The AADT estimates of short counts: one row per station and year of the group, with the days
// used; the group's members and those left out; the group's factor per month and day of week
// with its n and coefficient of variation. No owner; deletes itself when closed.
class frmExpand : public QWidget {
  Q_OBJECT

 public:
  // The toolkit asks for file names and shows messages; it must outlive the window.
  explicit frmExpand(Toolkit& toolkit);

  // The group's factors are combined year by year over its members' valid days.
  void fill(const SharedCounts& counts, const std::vector<std::int32_t>& group,
            const std::vector<std::int32_t>& expanded, const QLocale& locale);
  // Each station with its own group's factors: the groups side by side above the factor grid,
  // a cell whose CV exceeds the threshold marked with the member that moves it most.
  void fillByGroups(const SharedCounts& counts, const StationGroups& groups,
                    const std::vector<std::int32_t>& expanded, const QLocale& locale);
  [[nodiscard]] const std::vector<ShortCountEstimate>& estimates() const noexcept {
    return m_estimates;
  }
  void setExportSources(ExportSources sources) { m_sources = std::move(sources); }
  // Writes the estimates to the path, a workbook when it ends in .xlsx, else the CSV; a
  // failure is shown, never half a file.
  void exportTo(const QString& path);
  // Shows the factor cells of the group of groups()[index].
  void showGroup(int index);
  // Marks the factor cells whose CV exceeds percent (15 at first) with their outlier member.
  void setCvThreshold(double percent);

  QLabel* lblGroup = nullptr;
  QTreeWidget* LV = nullptr;
  QTableWidget* grdGroups = nullptr;  // one column per group; only with groups
  QComboBox* cmbYear = nullptr;
  QDoubleSpinBox* spnCv = nullptr;  // the CV threshold in percent
  QTableWidget* grdFactors = nullptr;
  QPushButton* cmdExport = nullptr;

 private:
  void askExport();
  void showGroupSummaries();
  void showEstimates(const std::vector<std::string>& reasons);

  Toolkit& m_toolkit;
  std::vector<FactorGroup> m_groups;      // the estimates point into it: filled once per fill
  std::unique_ptr<GroupExpansion> m_run;  // or into this, with groups
  std::vector<QString> m_groupLabels;     // by m_groups index
  std::vector<ShortCountEstimate> m_estimates;
  QLocale m_locale;
  double m_cvThreshold = kDefaultCvThreshold;
  SharedCounts m_counts;
  std::vector<std::int32_t> m_stations;  // the group's and the short counts'
  ExportSources m_sources;
};

}  // namespace ostrilo

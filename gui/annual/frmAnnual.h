#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>
#include <vector>

#include "core/annual/AnnualFigures.h"
#include "core/annual/RoadFigures.h"
#include "core/annual/YearTrend.h"
#include "gui/annual/AnnualTexts.h"
#include "gui/toolkit/CsvExport.h"

class QComboBox;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace ostrilo {

class TableAnalysis;
class Toolkit;
class frmAnnualDetail;
class frmExpand;
class frmYearChart;
struct PlotSelection;

// "Annual Figures": one row per picked station and calendar year over every date of the table,
// the peaks those of the average weekday in the chosen windows. Headings sort (figures by
// value, n/a last; a second click reverses); Ctrl+C copies the selected rows as tab-separated
// text; a double-click opens the row's detail. With a register that names roads, a Roads view
// gives the two-way figures of each road touching the picked stations; the Years views set each
// station's (or road's) years side by side and chart their AADT. No owner; deletes itself when
// closed.
class frmAnnual : public QWidget {
  Q_OBJECT

 public:
  // The toolkit asks for file names and shows messages; it must outlive the window.
  frmAnnual(Toolkit& toolkit, SharedCounts counts, std::vector<std::int32_t> stations);

  // Recomputes every row with these windows.
  void setWindows(const PeakWindows& windows);
  [[nodiscard]] const std::vector<StationYear>& rows() const noexcept { return m_rows; }

  enum View { kStations, kStationYears, kRoads, kRoadYears };
  // Shows the view; the box offers the road views only with roads.
  void setView(View view);
  [[nodiscard]] View view() const noexcept { return m_view; }
  [[nodiscard]] const std::vector<RoadYear>& roadRows() const noexcept { return m_roadRows; }
  [[nodiscard]] const std::vector<TrendYear>& trendRows() const noexcept { return m_trendRows; }
  // A Years view's chart of the stations (or roads) of the selected rows, every one when none
  // is selected; shown. Nothing in the other views.
  frmYearChart* openYearChart();

  void copySelectedRows() const;
  // The files and register the exports name, the register's names in a Name column; the
  // estimate windows opened later get them too.
  void setExportSources(ExportSources sources);
  // Writes the view's table to the path, a workbook when it ends in .xlsx, else the CSV; a
  // name ending in .geojson gets a layer of the station rows in the Stations view with a
  // register, and is refused (shown) otherwise. A failure is shown, never half a file.
  void exportTo(const QString& path);
  // The detail of rows()[index], shown.
  frmAnnualDetail* openDetail(std::size_t index);
  // The estimates for the named stations with the factors of the group, shown.
  frmExpand* openExpand(const std::vector<std::int32_t>& group,
                        const std::vector<std::int32_t>& expanded);

  QComboBox* cmbView = nullptr;
  QComboBox* cmbPeaks = nullptr;
  QLineEdit* txtPeaks = nullptr;
  QTreeWidget* LV = nullptr;          // the station rows
  QTreeWidget* lstFigures = nullptr;  // the other views' rows
  QPushButton* cmdChart = nullptr;
  QPushButton* cmdCopy = nullptr;
  QPushButton* cmdExport = nullptr;
  QPushButton* cmdExpand = nullptr;

 protected:
  // The detail and estimate windows it opened have no owner; they close with it.
  void closeEvent(QCloseEvent* event) override;

 private:
  QHBoxLayout* createControls();
  void createLists();
  void connectControls();
  void fill();
  // The Name column: shown, and filled, only with a register.
  void showNames();
  void sortByColumn(int column);
  void fillView();
  void offerViews();
  [[nodiscard]] QTreeWidget& shownList() const;
  void peakChoiceChanged(int index);
  void customPeaksEntered();
  void askExport();
  void askExpand();
  // With a register that groups stations, the factor group starts as the stations with an AADT
  // in the groups of the short counts (when there are any).
  void preferRegisterGroup(std::vector<std::int32_t>& group,
                           const std::vector<std::int32_t>& expanded) const;

  Toolkit& m_toolkit;
  SharedCounts m_counts;
  std::vector<std::int32_t> m_stations;
  PeakWindows m_windows = kDefaultPeakWindows;
  std::vector<StationYear> m_rows;
  std::vector<Road> m_roads;  // of the register, touching the picked stations
  std::vector<RoadYear> m_roadRows;
  std::vector<TrendYear> m_trendRows;
  View m_view = kStations;
  int m_sortColumn = -1;
  Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
  QList<QPointer<QWidget>> m_opened;
  ExportSources m_sources;
};

// Opens the annual figures of the picked stations over every date of the table, the days the
// analysis of the table finds critical left out. The window reads the table itself, which must
// outlive it: close it before the table changes. The figures take all dates, so only the
// station part of the selection check can refuse (its warning is shown, parented to `parent`,
// and nothing opens).
frmAnnual* ShowAnnualFigures(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                             TableAnalysis& analysis, const PlotSelection& selection,
                             ExportSources sources = {});

}  // namespace ostrilo

#pragma once

#include <QPointer>
#include <QWidget>

#include "core/annual/AnnualFigures.h"

class QCPGraph;
class QCustomPlot;
class QLabel;
class QLocale;
class QTableWidget;

namespace ostrilo {

// The detail of one station-year: a summary line; the month x day-of-week grid of MADW with the
// valid days behind each cell (empty cells marked), MADT and MF per month, AADW and DF per day
// of week; a chart of the average weekday and weekend-day hourly profiles with their AM and PM
// peaks marked. No owner; deletes itself when closed.
class frmAnnualDetail : public QWidget {
  Q_OBJECT

 public:
  explicit frmAnnualDetail(QWidget* parent = nullptr);

  void fill(const StationYear& row, const PeakWindows& windows, const QLocale& locale);

  // Grid rows: the 12 months, then AADW and DF; columns: Monday to Sunday, then MADT and MF.
  static constexpr int kAadwRow = kMonths;
  static constexpr int kDfRow = kMonths + 1;
  static constexpr int kMadtColumn = kDaysOfWeek;
  static constexpr int kMfColumn = kDaysOfWeek + 1;

  QLabel* lblSummary = nullptr;
  QTableWidget* grdMadw = nullptr;
  QCustomPlot* TChart1 = nullptr;
  // The two profiles (absent for a day type without valid days) and the peak markers.
  QPointer<QCPGraph> weekdayProfile;
  QPointer<QCPGraph> weekendProfile;
  QPointer<QCPGraph> peaks;

 private:
  void fillGrid(const StationYear& row, const QLocale& locale);
  void drawProfiles(const StationYear& row, const PeakWindows& windows, const QLocale& locale);
};

}  // namespace ostrilo

#pragma once

#include <QWidget>

#include "core/stats/StationStats.h"

class QCheckBox;
class QLabel;
class QLocale;
class QTreeWidget;

namespace ostrilo {

class StationRegister;
struct WorkbookAbout;

// "Station Stat": one row per picked station with its six daily-traffic figures (a cell stays
// empty where a figure has no day to be taken over) and the number of days. A click on a
// column heading sorts the rows ascending by that column, the name by its text and the figures
// by their values; the sort stays on for later fills until the window closes. Above the rows:
// the period and the number of dates picked, and the box that leaves out the days with a
// critical flag (on at the start) with a line saying which days the figures rest on.
class frmLV : public QWidget {
  Q_OBJECT

 public:
  explicit frmLV(QWidget* parent = nullptr);

  // Recreates the columns (dragged widths return to their start) and the rows; with a register
  // that names stations, a Name column follows the station.
  void FillStatsList(const StatResults& rows, const QLocale& locale,
                     const StationRegister* names = nullptr);
  // The period line: the first and last picked date and how many were picked.
  void ShowPeriod(const WorkbookAbout& picked, const QLocale& locale);

  [[nodiscard]] bool leavesOutCritical() const;

  QLabel* lblPeriod = nullptr;
  QCheckBox* chkLeaveOutCritical = nullptr;
  QLabel* lblBasis = nullptr;
  QTreeWidget* LV = nullptr;

 signals:
  // The box was switched: the figures must be taken again.
  void leaveOutCriticalChanged(bool leaveOut);

 private:
  void sortByColumn(int column);
  void showBasis();

  int m_sortColumn = -1;
};

// A figure in the window's format: at least one digit, grouped in threes with the locale's
// grouping character, a leading minus when negative.
[[nodiscard]] QString figureText(std::int32_t value, const QLocale& locale);

// The line beside the box: the days the figures rest on.
[[nodiscard]] QString statsBasisText(bool leaveOutCritical);

}  // namespace ostrilo

#pragma once

#include <QWidget>

#include "core/stats/StationStats.h"

class QLocale;
class QTreeWidget;

namespace ostrilo {

class StationRegister;

// "Station Stat": one row per picked station with its six daily-traffic figures (a cell stays
// empty where a figure has no day to be taken over) and the number of days. A click on a
// column heading sorts the rows ascending by that column, the name by its text and the figures
// by their values; the sort stays on for later fills until the window closes.
class frmLV : public QWidget {
  Q_OBJECT

 public:
  explicit frmLV(QWidget* parent = nullptr);

  // Recreates the columns (dragged widths return to their start) and the rows; with a register
  // that names stations, a Name column follows the station.
  void FillStatsList(const StatResults& rows, const QLocale& locale,
                     const StationRegister* names = nullptr);

  QTreeWidget* LV = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void sortByColumn(int column);

  int m_sortColumn = -1;
};

// A figure in the window's format: at least one digit, grouped in threes with the locale's
// grouping character, a leading minus when negative.
[[nodiscard]] QString figureText(std::int32_t value, const QLocale& locale);

}  // namespace ostrilo

#pragma once

#include <QStringList>
#include <QWidget>
#include <vector>

#include "core/annual/YearTrend.h"

class QCustomPlot;

namespace ostrilo {

// AADT by year for the picked stations or roads: one colour per series, AADT as filled discs
// joined by a line, and a year without AADT shown by its ADT as a hollow square off the line.
// No owner; deletes itself when closed.
class frmYearChart : public QWidget {
  Q_OBJECT

 public:
  frmYearChart();

  // labels: the legend's text of each series, by index.
  void fill(const std::vector<TrendSeries>& series, const QStringList& labels);

  QCustomPlot* plot = nullptr;
};

}  // namespace ostrilo

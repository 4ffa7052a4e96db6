#pragma once

#include <QPointer>
#include <vector>

#include "core/charts/ChartData.h"
#include "gui/charts/ChartWindow.h"

class QCPAbstractPlottable;

namespace ostrilo {

// The line-graph window of the hourly and the daily volume graph: one series per station, all of
// one kind, against a date-time axis, with a legend of the station names. A double-click opens
// the chart editor.
class frmGraphL final : public ChartWindow {
  Q_OBJECT

 public:
  explicit frmGraphL(Toolkit& toolkit);

  // Draws the chart and takes its caption; called once, before the window is shown.
  void fill(const LineChart& chart);

  [[nodiscard]] QString toolTipAt(const QPointF& pos) const override;

 private:
  [[nodiscard]] QString barToolTip(const QPointF& pos) const;
  [[nodiscard]] QString pointToolTip(const QPointF& pos) const;

  std::vector<QPointer<QCPAbstractPlottable>> m_series;
  SeriesKind m_kind = SeriesKind::Line;
  double m_period = 0;  // seconds between two points of a series: an hour or a day
  bool m_withTime = false;
};

}  // namespace ostrilo

#pragma once

#include <QPointer>
#include <QString>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/charts/ChartData.h"
#include "gui/charts/ChartWindow.h"

class QCPAbstractPlottable;
class QCPAxis;

namespace ostrilo {

// The line-graph window of the hourly and the daily volume graph: one series per station, all of
// one kind, against a date-time axis, with a legend of the station names. The points of days
// with a critical check flag are circled, and their tooltips say why. A double-click opens the
// chart editor.
class frmGraphL final : public ChartWindow {
  Q_OBJECT

 public:
  explicit frmGraphL(Toolkit& toolkit);

  // Draws the chart and takes its caption; called once, before the window is shown. With a
  // register, the legend names the stations.
  void fill(const LineChart& chart, const StationRegister* names = nullptr);

  [[nodiscard]] QString toolTipAt(const QPointF& pos) const override;

 private:
  [[nodiscard]] QString barToolTip(const QPointF& pos) const;
  [[nodiscard]] QString pointToolTip(const QPointF& pos) const;
  void markCriticalDays(const LineChart& chart, QCPAxis& keyAxis, QCPAxis& valueAxis);
  // The text, with the reason below it when the point of that series and key is marked.
  [[nodiscard]] QString withReason(std::size_t series, double key, const QString& text) const;

  std::vector<QPointer<QCPAbstractPlottable>> m_series;
  // By series index and key, as the chart data gives them: most are never shown.
  std::map<std::pair<std::size_t, double>, std::string> m_reasons;
  SeriesKind m_kind = SeriesKind::Line;
  double m_period = 0;  // seconds between two points of a series: an hour or a day
  bool m_withTime = false;
};

}  // namespace ostrilo

#include "gui/charts/frmGraphL.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "gui/charts/ChartFormat.h"
#include "gui/charts/ChartStyle.h"
#include "gui/charts/CriticalMarks.h"
#include "gui/charts/DenseSeries.h"
#include "gui/charts/SpanBands.h"
#include "gui/toolkit/TextFormats.h"

namespace ostrilo {

namespace {

constexpr double kHoverRadius = 6;  // pixels
constexpr int kLegendRows = 10;     // entries a legend column holds before the next one starts
// More series than two legend columns hold would leave too little room for the chart; such a
// legend starts hidden, and the editor can show it.
constexpr std::size_t kLegendSeries = 2 * kLegendRows;
// Above this many points smoothing the edges of lines, fills and markers costs more than it
// shows: at the table's size limit it would make every pan take seconds.
constexpr std::size_t kSmoothPointLimit = 20000;

template <typename Data>
bool isInTimeOrder(const QVector<Data>& data) {
  return std::is_sorted(data.begin(), data.end(),
                        [](const Data& a, const Data& b) { return a.key < b.key; });
}

bool isBars(SeriesKind kind) { return kind == SeriesKind::Bar || kind == SeriesKind::HorizBar; }

double coordAlong(const QCPAxis& axis, const QPointF& pos) {
  return axis.pixelToCoord(axis.orientation() == Qt::Horizontal ? pos.x() : pos.y());
}

// markPoints: a small dot on each point of a line or area, so that a value between two gaps,
// which has no neighbour to draw a line to, still shows.
QCPAbstractPlottable* addGraph(QCPAxis& keyAxis, QCPAxis& valueAxis, const ChartSeries& series,
                               bool markPoints) {
  QCPGraph* graph = series.kind == SeriesKind::Area ? newAreaGraph(keyAxis, valueAxis)
                                                    : new QCPGraph(&keyAxis, &valueAxis);
  QVector<QCPGraphData> data;
  data.reserve(static_cast<qsizetype>(series.points.size()));
  for (const ChartPoint& p : series.points) data.append(QCPGraphData(timeKey(p.x), p.y));
  // Dates picked out of calendar order are drawn in time order; in calendar order they need
  // no sorting, which at the size limit took a third of the drawing.
  graph->data()->set(data, isInTimeOrder(data));
  if (series.kind == SeriesKind::Point) {
    graph->setLineStyle(QCPGraph::lsNone);
    graph->setScatterStyle(discMarker(Qt::black));
    return graph;
  }
  if (series.kind == SeriesKind::Area) {
    // A brush with no second graph to fill towards fills down to zero.
    graph->setBrush(Qt::SolidPattern);
  }
  if (markPoints) graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 4));
  return graph;
}

QCPAbstractPlottable* addBars(QCPAxis& keyAxis, QCPAxis& valueAxis, const ChartSeries& series,
                              QCPBarsGroup& group, double width) {
  QCPBars* bars = newTimeBars(keyAxis, valueAxis);
  QVector<QCPBarsData> data;
  data.reserve(static_cast<qsizetype>(series.points.size()));
  for (const ChartPoint& p : series.points) {
    if (!isGap(p)) data.append(QCPBarsData(timeKey(p.x), p.y));
  }
  bars->data()->set(data, isInTimeOrder(data));
  bars->setWidthType(QCPBars::wtPlotCoords);
  bars->setWidth(width);
  bars->setBarsGroup(&group);
  return bars;
}

// The value of a drawn point at exactly key; nothing for a gap or no point.
std::optional<double> valueAt(const QCPAbstractPlottable& series, double key) {
  const auto find = [key](const auto& data) -> std::optional<double> {
    const auto it = data->findBegin(key, false);
    if (it == data->constEnd() || it->key != key || std::isnan(it->value)) return std::nullopt;
    return it->value;
  };
  if (const auto* graph = qobject_cast<const QCPGraph*>(&series)) return find(graph->data());
  if (const auto* bars = qobject_cast<const QCPBars*>(&series)) return find(bars->data());
  return std::nullopt;
}

// The whole data and the chart's period with half a period to spare at either end, so that
// the outer bars and markers are not cut, and the value axis from zero.
void showAll(const LineChart& chart, QCPAxis& keyAxis, QCPAxis& valueAxis, double period) {
  double lowKey = std::numeric_limits<double>::max();
  double highKey = std::numeric_limits<double>::lowest();
  if (chart.period) {
    lowKey = timeKey(chart.period->first);
    // The last point of a day is its last hour, or its midnight where a point is a day.
    highKey = timeKey(chart.period->last) + kSecondsPerDay - period;
  }
  double lowValue = 0;
  double highValue = 0;
  for (const ChartSeries& series : chart.series) {
    for (const ChartPoint& p : series.points) {
      if (isGap(p)) continue;
      lowKey = std::min(lowKey, timeKey(p.x));
      highKey = std::max(highKey, timeKey(p.x));
      lowValue = std::min(lowValue, p.y);
      highValue = std::max(highValue, p.y);
    }
  }
  if (lowKey > highKey) return;  // nothing to show: the axes keep their defaults
  keyAxis.setRange(lowKey - period / 2, highKey + period / 2);
  // Volumes are whole vehicles: a chart of zeros gets a scale of some, not of fractions.
  constexpr double kLeastScale = 10;
  if (highValue - lowValue < kLeastScale) highValue = lowValue + kLeastScale;
  valueAxis.setRange(lowValue, highValue + (highValue - lowValue) * 0.05);
}

}  // namespace

frmGraphL::frmGraphL(Toolkit& toolkit)
    : ChartWindow(toolkit, QStringLiteral("frmGraphL"), QSize(571, 313)) {
  enableEditor();
}

void frmGraphL::fill(const LineChart& chart, const StationRegister* names) {
  QCustomPlot& plot = *TChart1;
  // One kind for the whole window: the first series' (every series of a chart has the same).
  m_kind = chart.series.empty() ? SeriesKind::Line : chart.series.front().kind;
  m_period = showsHours(chart.bottomAxisFormat) ? kSecondsPerHour : kSecondsPerDay;
  m_withTime = showsHours(chart.bottomAxisFormat);

  setChartTitle(plot, QString::fromStdString(chart.title));
  const bool timeUpwards = m_kind == SeriesKind::HorizBar;
  QCPAxis& keyAxis = timeUpwards ? *plot.yAxis : *plot.xAxis;
  QCPAxis& valueAxis = timeUpwards ? *plot.xAxis : *plot.yAxis;
  setDateTimeAxis(keyAxis, qtDateTimeFormat(chart.bottomAxisFormat, chart.multiLineLabels),
                  timeUpwards ? 4 : 5);
  valueAxis.setLabel(stationText(chart.leftAxisTitle));

  QCPBarsGroup* group = nullptr;
  if (isBars(m_kind)) {
    group = new QCPBarsGroup(&plot);
    group->setSpacingType(QCPBarsGroup::stAbsolute);
    group->setSpacing(0);
  }
  // Side by side, the bars of one date share its period.
  const double barWidth = m_period / std::max<double>(1, static_cast<double>(chart.series.size()));
  int k = 0;
  for (const ChartSeries& series : chart.series) {
    QCPAbstractPlottable* plottable = group != nullptr
                                          ? addBars(keyAxis, valueAxis, series, *group, barWidth)
                                          : addGraph(keyAxis, valueAxis, series, !m_withTime);
    plottable->setName(
        shortStationLabel(chartStationLabel(series.title, names), names, plot.legend->font()));
    plottable->setSelectable(QCP::stNone);
    setSeriesColour(*plottable, seriesColour(k++));
    m_series.emplace_back(plottable);
  }
  markCriticalDays(chart, keyAxis, valueAxis);
  addShadedSpans(keyAxis, chart.shaded);
  std::size_t points = 0;
  for (const ChartSeries& series : chart.series) points += series.points.size();
  if (points > kSmoothPointLimit) {
    plot.setNotAntialiasedElements(QCP::aePlottables | QCP::aeFills | QCP::aeScatters);
  }
  showLegendBeside(plot, !chart.series.empty() && chart.series.size() <= kLegendSeries,
                   kLegendRows);
  showAll(chart, keyAxis, valueAxis, m_period);
  std::vector<std::string> stations;
  for (const ChartSeries& series : chart.series) stations.push_back(series.title);
  setWindowTitle(chartWindowTitle(chart.caption, stations, names));
  finishFill(keyAxis);
}

// Only days with a value get a mark and a reason: a day not counted in full is a gap, with no
// point to circle or to rest the pointer on.
void frmGraphL::markCriticalDays(const LineChart& chart, QCPAxis& keyAxis, QCPAxis& valueAxis) {
  std::vector<CriticalMark> marks;
  for (const CriticalDay& day : chart.criticalDays) {
    const auto row = static_cast<std::size_t>(day.row);
    if (row >= m_series.size() || m_series[row] == nullptr) continue;
    const double key = timeKey(day.day);
    const std::optional<double> value = valueAt(*m_series[row], key);
    if (!value) continue;
    marks.push_back({m_series[row], key, *value});
    m_reasons[{row, key}] = day.reason;
  }
  if (!marks.empty()) addCriticalMarks(keyAxis, valueAxis, std::move(marks));
}

QString frmGraphL::withReason(std::size_t series, double key, const QString& text) const {
  const auto it = m_reasons.find({series, key});
  return it == m_reasons.end() ? text : text + QLatin1Char('\n') + fromCoreText(it->second);
}

QString frmGraphL::toolTipAt(const QPointF& pos) const {
  if (!TChart1->axisRect()->rect().contains(pos.toPoint())) return {};
  return isBars(m_kind) ? barToolTip(pos) : pointToolTip(pos);
}

QString frmGraphL::pointToolTip(const QPointF& pos) const {
  double nearest = kHoverRadius;
  QString text;
  for (std::size_t i = 0; i < m_series.size(); ++i) {
    const auto* graph = qobject_cast<const QCPGraph*>(m_series[i].data());
    if (graph == nullptr || !graph->visible()) continue;
    const QCPAxis& keyAxis = *graph->keyAxis();
    const double keyPixel = keyAxis.orientation() == Qt::Horizontal ? pos.x() : pos.y();
    double from = keyAxis.pixelToCoord(keyPixel - kHoverRadius);
    double to = keyAxis.pixelToCoord(keyPixel + kHoverRadius);
    if (from > to) std::swap(from, to);
    const auto data = graph->data();
    for (auto it = data->findBegin(from, false); it != data->findEnd(to, false); ++it) {
      const QPointF at = graph->coordsToPixels(it->key, it->value);
      const double distance = std::hypot(at.x() - pos.x(), at.y() - pos.y());
      if (distance <= nearest) {
        nearest = distance;
        text = withReason(
            i, it->key,
            volumeToolTip(graph->name(), it->key, m_withTime, it->value, displayLocale()));
      }
    }
  }
  return text;
}

QString frmGraphL::barToolTip(const QPointF& pos) const {
  const auto count = static_cast<double>(m_series.size());
  for (std::size_t i = 0; i < m_series.size(); ++i) {
    const auto* bars = qobject_cast<const QCPBars*>(m_series[i].data());
    if (bars == nullptr || !bars->visible()) continue;
    // With no spacing, bar i of the group sits this far from its key, in key units.
    const double offset = (static_cast<double>(i) - (count - 1) / 2) * bars->width();
    const double key = coordAlong(*bars->keyAxis(), pos) - offset;
    const double value = coordAlong(*bars->valueAxis(), pos);
    const auto data = bars->data();
    const auto it = data->findBegin(key - bars->width() / 2, false);
    if (it == data->constEnd() || it->key > key + bars->width() / 2) continue;
    if (value < std::min(0.0, it->value) || value > std::max(0.0, it->value)) continue;
    return withReason(i, it->key,
                      volumeToolTip(bars->name(), it->key, m_withTime, it->value, displayLocale()));
  }
  return {};
}

}  // namespace ostrilo

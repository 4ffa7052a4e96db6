#include "gui/charts/frmGraphH.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

#include "core/charts/ChartData.h"
#include "gui/charts/ChartFormat.h"
#include "gui/charts/ChartStyle.h"
#include "gui/toolkit/TextFormats.h"

namespace ostrilo {

namespace {

QCPBars* drawHistogram(QCustomPlot& plot, const Histogram& histogram) {
  setChartTitle(plot, QString::fromStdString(histogram.title));
  plot.legend->setVisible(false);
  plot.yAxis->setLabel(stationText(histogram.leftAxisTitle));
  plot.xAxis->setLabel(stationText(histogram.bottomAxisTitle));

  auto* bars = new QCPBars(plot.xAxis, plot.yAxis);
  bars->setSelectable(QCP::stNone);
  bars->setWidthType(QCPBars::wtPlotCoords);
  bars->setWidth(histogram.width);
  bars->setBrush(QColor(255, 0, 0));
  bars->setPen(QPen(QColor(160, 0, 0)));
  double highest = 0;
  QVector<QCPBarsData> data;
  // A bin holds [edge, edge + width); its bar is centred on that span.
  for (const ChartPoint& bin : histogram.bars) {
    data.append(QCPBarsData(bin.x + histogram.width / 2.0, bin.y));
    highest = std::max(highest, bin.y);
  }
  bars->data()->set(data, true);

  // Ticks fall on bin edges, at a step of whole bins that keeps the labels apart.
  auto ticker = QSharedPointer<QCPAxisTickerFixed>::create();
  ticker->setTickStep(histogram.width);
  ticker->setScaleStrategy(QCPAxisTickerFixed::ssMultiples);
  ticker->setTickOrigin(histogram.smallest);
  ticker->setTickCount(8);
  plot.xAxis->setTicker(ticker);
  const double span =
      static_cast<double>(histogram.width) * static_cast<double>(histogram.bars.size());
  plot.xAxis->setRange(histogram.smallest, histogram.smallest + span);
  plot.yAxis->setRange(0, highest > 0 ? highest * 1.05 : 1);
  return bars;
}

}  // namespace

frmGraphH::frmGraphH(Toolkit& toolkit)
    : ChartWindow(toolkit, QStringLiteral("frmGraphH"), QSize(470, 311)) {}

void frmGraphH::fill(const Histogram& histogram) {
  m_smallest = histogram.smallest;
  m_width = histogram.width;
  m_bars = drawHistogram(*TChart1, histogram);
  setWindowTitle(stationText(histogram.caption));
  finishFill(*TChart1->xAxis);
}

QString frmGraphH::toolTipAt(const QPointF& pos) const {
  if (m_bars == nullptr || !TChart1->axisRect()->rect().contains(pos.toPoint())) return {};
  // The whole column of a bin answers, so that bins with few or no volumes can be read too.
  // A pointer on a bar's first pixel reads the bin's edge back a hair below it, which must not
  // move it into the bin before.
  constexpr double kHair = 1e-9;  // in bins
  const double bin =
      std::floor((TChart1->xAxis->pixelToCoord(pos.x()) - m_smallest) / m_width + kHair);
  if (bin < 0 || bin >= m_bars->data()->size()) return {};
  const auto it = m_bars->data()->at(static_cast<int>(bin));
  return binToolTip(m_smallest + bin * m_width, m_width, it->value, displayLocale());
}

}  // namespace ostrilo

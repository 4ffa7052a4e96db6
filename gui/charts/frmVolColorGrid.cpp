#include "gui/charts/frmVolColorGrid.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

#include "core/charts/ChartData.h"
#include "gui/charts/ChartFormat.h"
#include "gui/charts/ChartStyle.h"
#include "gui/charts/ColorGridPlottable.h"
#include "gui/toolkit/TextFormats.h"

namespace ostrilo {

namespace {

// Labels rows with station names at whole-row steps; with many rows it skips some rather than
// writing names over each other.
class RowTicker final : public QCPAxisTicker {
 public:
  explicit RowTicker(QStringList names) : m_names(std::move(names)) {}

 protected:
  double getTickStep(const QCPRange& range) override {
    return std::max(1.0, std::ceil(QCPAxisTicker::getTickStep(range)));
  }
  int getSubTickCount(double) override { return 0; }
  QString getTickLabel(double tick, const QLocale&, QChar, int) override {
    const auto row = static_cast<qsizetype>(std::lround(tick));
    return row >= 0 && row < m_names.size() ? m_names.at(row) : QString();
  }

 private:
  QStringList m_names;
};

QCPColorGradient redToGreen() {
  QCPColorGradient gradient;
  gradient.clearColorStops();
  gradient.setColorStopAt(0, QColor(255, 0, 0));
  gradient.setColorStopAt(1, QColor(0, 255, 0));
  // Through orange and yellow rather than a muddy brown: middle volumes stay easy to tell.
  gradient.setColorInterpolation(QCPColorGradient::ciHSV);
  return gradient;
}

// The colour scale, aligned with the axis rect, right of it.
void addColourScale(QCustomPlot& plot, const QCPColorGradient& gradient, const ColorGrid& grid) {
  auto* scale = new QCPColorScale(&plot);
  plot.plotLayout()->addElement(plot.plotLayout()->rowCount() - 1, 1, scale);
  plot.plotLayout()->setColumnStretchFactor(1, 0.001);
  scale->setType(QCPAxis::atRight);
  scale->setBarWidth(10);
  scale->setGradient(gradient);
  scale->setDataRange(QCPRange(grid.lowest, std::max<double>(grid.highest, grid.lowest + 1)));
  scale->axis()->setLabel(QStringLiteral("Vehicles per hour"));
  auto* margins = new QCPMarginGroup(&plot);
  plot.axisRect()->setMarginGroup(QCP::msTop | QCP::msBottom, margins);
  scale->setMarginGroup(QCP::msTop | QCP::msBottom, margins);
}

QCPAbstractPlottable* drawColorGrid(QCustomPlot& plot, const ColorGrid& grid,
                                    const QStringList& rowNames) {
  setChartTitle(plot, stationText(grid.title));
  plot.legend->setVisible(false);
  setDateTimeAxis(*plot.xAxis, qtDateTimeFormat(grid.bottomAxisFormat, true), 5);
  plot.yAxis->setLabel(stationText(grid.leftAxisTitle));
  auto ticker = QSharedPointer<RowTicker>::create(rowNames);
  ticker->setTickCount(std::min<int>(10, std::max<int>(1, static_cast<int>(rowNames.size()))));
  plot.yAxis->setTicker(ticker);
  plot.yAxis->grid()->setVisible(false);
  // Read top down, like the station list.
  plot.yAxis->setRangeReversed(true);

  const QCPColorGradient gradient = redToGreen();
  QCPAbstractPlottable* cells = addColorGrid(*plot.xAxis, *plot.yAxis, grid, gradient);
  cells->setName(stationText(grid.title));
  addColourScale(plot, gradient, grid);

  bool found = false;
  const QCPRange keys = cells->getKeyRange(found);
  if (found) plot.xAxis->setRange(keys);
  plot.yAxis->setRange(-0.5, std::max<double>(1, static_cast<double>(rowNames.size())) - 0.5);
  return cells;
}

}  // namespace

frmVolColorGrid::frmVolColorGrid(Toolkit& toolkit)
    : ChartWindow(toolkit, QStringLiteral("frmVolColorGrid"), QSize(566, 334)) {
  enableEditor();
}

void frmVolColorGrid::fill(const ColorGrid& grid) {
  for (const std::string& name : grid.rowNames) m_rowNames << stationText(name);
  m_grid = drawColorGrid(*TChart1, grid, m_rowNames);
  setWindowTitle(stationText(grid.caption));
  finishFill(*TChart1->xAxis);
}

QString frmVolColorGrid::toolTipAt(const QPointF& pos) const {
  if (m_grid == nullptr || !TChart1->axisRect()->rect().contains(pos.toPoint())) return {};
  const auto cell =
      cellAt(m_grid, TChart1->xAxis->pixelToCoord(pos.x()), TChart1->yAxis->pixelToCoord(pos.y()));
  if (!cell) return {};
  return volumeToolTip(m_rowNames.value(cell->row), cell->key, true, cell->volume, displayLocale());
}

}  // namespace ostrilo

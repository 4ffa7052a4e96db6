#include "gui/charts/frmVolColorGrid.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <vector>

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

// A legend of one entry: a square drawn with a pen and a brush, then its meaning.
class SwatchLabel final : public QCPTextElement {
 public:
  SwatchLabel(QCustomPlot* plot, const QString& name, const QString& text, const QPen& pen,
              const QBrush& brush)
      : QCPTextElement(plot, text), m_pen(pen), m_brush(brush) {
    setObjectName(name);
    QFont font = plot->font();
    font.setPointSizeF(font.pointSizeF() - 1);
    setFont(font);
  }

  [[nodiscard]] QSize minimumOuterSizeHint() const override { return widened(); }
  [[nodiscard]] QSize maximumOuterSizeHint() const override {
    return {QWIDGETSIZE_MAX, widened().height()};
  }

 protected:
  void draw(QCPPainter* painter) override {
    const QFontMetrics metrics(mainFont());
    const int side = swatchSide();
    const int width = side + kGap + metrics.horizontalAdvance(text());
    const int left = mRect.center().x() - width / 2;
    painter->setPen(m_pen);
    painter->setBrush(m_brush);
    painter->drawRect(QRect(left, mRect.center().y() - side / 2, side, side));
    painter->setFont(mainFont());
    painter->setPen(mainTextColor());
    painter->drawText(QRect(left + side + kGap, mRect.top(), width, mRect.height()),
                      Qt::AlignLeft | Qt::AlignVCenter, text());
  }

 private:
  static constexpr int kGap = 4;

  [[nodiscard]] int swatchSide() const { return QFontMetrics(mainFont()).height() * 2 / 3; }
  [[nodiscard]] QSize widened() const {
    QSize size = QCPTextElement::minimumOuterSizeHint();
    size.rwidth() += swatchSide() + kGap;
    return size;
  }

  QPen m_pen;
  QBrush m_brush;
};

// The colour scale, aligned with the axis rect, right of it.
void addColourScale(QCustomPlot& plot, const QCPColorGradient& gradient, const ColorGrid& grid) {
  auto* scale = new QCPColorScale(&plot);
  plot.plotLayout()->addElement(plot.plotLayout()->rowCount() - 1, 1, scale);
  plot.plotLayout()->setColumnStretchFactor(1, 0.001);
  scale->setType(QCPAxis::atRight);
  scale->setBarWidth(10);
  scale->setGradient(gradient);
  scale->setDataRange(QCPRange(grid.lowest, std::max<double>(grid.highest, grid.lowest + 1)));
  scale->axis()->setLabel(QString::fromStdString(grid.scaleTitle));
  // Not counted is no volume, so it gets no place on the scale but an entry of its own above it,
  // as does the outline of critical days.
  std::vector<QCPLayoutElement*> keys;
  if (std::any_of(grid.cells.begin(), grid.cells.end(),
                  [](const GridCell& c) { return !c.counted; })) {
    keys.push_back(new SwatchLabel(&plot, QStringLiteral("notCountedKey"),
                                   QStringLiteral("Not counted"), QPen(Qt::black, 0),
                                   notCountedColour()));
  }
  if (!grid.criticalDays.empty()) {
    keys.push_back(new SwatchLabel(&plot, QStringLiteral("criticalKey"),
                                   QStringLiteral("Critical check flag"),
                                   QPen(criticalOutlineColour(), 2), Qt::NoBrush));
  }
  if (!keys.empty()) {
    auto* column = new QCPLayoutGrid;
    column->setFillOrder(QCPLayoutGrid::foRowsFirst);
    for (QCPLayoutElement* key : keys) column->addElement(key);
    plot.plotLayout()->addElement(0, 1, column);
  }
  auto* margins = new QCPMarginGroup(&plot);
  plot.axisRect()->setMarginGroup(QCP::msTop | QCP::msBottom, margins);
  scale->setMarginGroup(QCP::msTop | QCP::msBottom, margins);
}

QCPAbstractPlottable* drawColorGrid(QCustomPlot& plot, const ColorGrid& grid,
                                    const QStringList& rowNames) {
  setChartTitle(plot, QString::fromStdString(grid.title));
  plot.legend->setVisible(false);
  setDateTimeAxis(*plot.xAxis, qtDateTimeFormat(grid.bottomAxisFormat, true), 5);
  plot.yAxis->setLabel(stationText(grid.leftAxisTitle));
  auto ticker = QSharedPointer<RowTicker>::create(rowNames);
  ticker->setTickCount(std::min<int>(10, std::max<int>(1, static_cast<int>(rowNames.size()))));
  plot.yAxis->setTicker(ticker);
  plot.yAxis->grid()->setVisible(false);
  // Read top down, like the station list.
  plot.yAxis->setRangeReversed(true);

  // Between two picked dates lie days the table may not hold; they have no cells, and what
  // shows through must read as "not counted", not as the other charts' yellow.
  plot.axisRect()->setBackground(QBrush(notCountedColour()));
  const QCPColorGradient gradient = volumeGradient();
  QCPAbstractPlottable* cells = addColorGrid(*plot.xAxis, *plot.yAxis, grid, gradient);
  cells->setName(QString::fromStdString(grid.title));
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

void frmVolColorGrid::fill(const ColorGrid& grid, const StationRegister* names) {
  QStringList rowLabels;
  for (const std::string& name : grid.rowNames) {
    m_rowNames << chartStationLabel(name, names);
    rowLabels << shortStationLabel(m_rowNames.back(), names, TChart1->yAxis->tickLabelFont());
  }
  m_grid = drawColorGrid(*TChart1, grid, rowLabels);
  setWindowTitle(chartWindowTitle(grid.caption, grid.rowNames, names));
  finishFill(*TChart1->xAxis);
}

QString frmVolColorGrid::toolTipAt(const QPointF& pos) const {
  if (m_grid == nullptr || !TChart1->axisRect()->rect().contains(pos.toPoint())) return {};
  const auto cell =
      cellAt(m_grid, TChart1->xAxis->pixelToCoord(pos.x()), TChart1->yAxis->pixelToCoord(pos.y()));
  if (!cell) return {};
  std::optional<double> volume;
  if (cell->volume) volume = *cell->volume;
  const QString text =
      volumeToolTip(m_rowNames.value(cell->row), cell->key, true, volume, displayLocale());
  return cell->reason.isEmpty() ? text : text + QLatin1Char('\n') + cell->reason;
}

}  // namespace ostrilo

#include "gui/charts/ChartStyle.h"

#include <qcustomplot.h>

#include <QDateTime>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QLocale>
#include <algorithm>

namespace ostrilo {

namespace {

constexpr int kAreaAlpha = 70;
constexpr const char* kFullTitle = "fullTitle";  // the title as set, before eliding

// Asks for no more ticks than the axis has room for labels: a label with the day of the week
// is wider than a tick step of a narrow chart.
class FittingDateTimeTicker final : public QCPAxisTickerDateTime {
 public:
  FittingDateTimeTicker(QCPAxis& axis, int most) : m_axis(&axis), m_most(std::max(2, most)) {}

 protected:
  double getTickStep(const QCPRange& range) override {
    const QFontMetrics metrics(m_axis->tickLabelFont());
    // A wide date: two-digit month and day.
    const QDateTime sample(QDate(2000, 12, 27), QTime(0, 0), Qt::UTC);
    const QStringList lines = QLocale::c().toString(sample, dateTimeFormat()).split('\n');
    int widest = 0;
    for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
    const bool horizontal = m_axis->orientation() == Qt::Horizontal;
    const int length = horizontal ? m_axis->axisRect()->width() : m_axis->axisRect()->height();
    const int room =
        horizontal ? widest + 16 : metrics.height() * static_cast<int>(lines.size()) + 8;
    setTickCount(std::clamp(length / std::max(1, room), 2, m_most));
    return QCPAxisTickerDateTime::getTickStep(range);
  }

 private:
  QCPAxis* m_axis;
  int m_most;
};

}  // namespace

void applyChartLook(QCustomPlot& plot) {
  QLinearGradient background(0, 0, 0, 1);
  // Spans the axis rect whatever its size.
  background.setCoordinateMode(QGradient::ObjectMode);
  background.setColorAt(0, Qt::white);
  background.setColorAt(1, QColor(255, 255, 128));
  plot.axisRect()->setBackground(QBrush(background));
}

void setChartTitle(QCustomPlot& plot, const QString& text) {
  QCPTextElement* title = chartTitle(plot);
  if (title == nullptr) {
    QFont font = plot.font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() + 1);
    plot.plotLayout()->insertRow(0);
    title = new QCPTextElement(&plot, text, font);
    title->setObjectName(QStringLiteral("title"));
    plot.plotLayout()->addElement(0, 0, title);
  }
  title->setProperty(kFullTitle, text);
  fitChartTitle(plot);
}

QString chartTitleText(const QCustomPlot& plot) {
  const QCPTextElement* title = chartTitle(plot);
  return title != nullptr ? title->property(kFullTitle).toString() : QString();
}

void fitChartTitle(QCustomPlot& plot) {
  QCPTextElement* title = chartTitle(plot);
  if (title == nullptr) return;
  // A line wider than the chart would widen the layout beyond the window and cut both ends;
  // elided in the middle it keeps the station's id and the period's last date.
  constexpr int kMargin = 16;
  const QFontMetrics metrics(title->font());
  // The title stands above the first column only; a legend or colour scale takes the others.
  QCPLayoutGrid* layout = plot.plotLayout();
  int others = 0;
  for (int column = 1; column < layout->columnCount(); ++column) {
    int widest = 0;
    for (int row = 0; row < layout->rowCount(); ++row) {
      // element() warns about every empty cell; ask first.
      if (layout->hasElement(row, column)) {
        widest = std::max(widest, layout->element(row, column)->minimumOuterSizeHint().width());
      }
    }
    others += widest;
  }
  const int width = std::max(80, plot.width() - others - kMargin);
  QStringList lines = title->property(kFullTitle).toString().split(QLatin1Char('\n'));
  for (QString& line : lines) line = metrics.elidedText(line, Qt::ElideMiddle, width);
  title->setText(lines.join(QLatin1Char('\n')));
}

QCPTextElement* chartTitle(const QCustomPlot& plot) {
  for (QCPLayoutElement* element : plot.plotLayout()->elements(false)) {
    if (auto* title = qobject_cast<QCPTextElement*>(element)) return title;
  }
  return nullptr;
}

void showLegendBeside(QCustomPlot& plot, bool shown, int rows) {
  QCPLegend* legend = plot.legend;
  legend->setVisible(shown);
  legend->setWrap(rows);
  // Also moves the entries already there into columns of `rows`.
  legend->setFillOrder(QCPLayoutGrid::foRowsFirst, true);
  QCPLayoutGrid* layout = plot.plotLayout();
  // A grid, not the axis rect's inset layout, holds the legend while it is beside the chart.
  auto* side = qobject_cast<QCPLayoutGrid*>(legend->layout());
  if (shown && side == nullptr) {
    int axisRow = 0;
    while (axisRow + 1 < layout->rowCount() && layout->element(axisRow, 0) != plot.axisRect()) {
      ++axisRow;
    }
    if (legend->layout() != nullptr) legend->layout()->take(legend);
    side = new QCPLayoutGrid;
    layout->addElement(axisRow, 1, side);
    layout->setColumnStretchFactor(1, 0.001);
    side->addElement(0, 0, legend);
    side->addElement(1, 0, new QCPLayoutElement(&plot));  // keeps the legend at the top
    side->setRowStretchFactor(0, 0.001);
    side->setMargins(QMargins(0, 6, 6, 0));
  } else if (!shown && side != nullptr) {
    side->take(legend);
    plot.axisRect()->insetLayout()->addElement(legend, Qt::AlignRight | Qt::AlignTop);
    layout->remove(side);
    layout->simplify();
  }
}

void setDateTimeAxis(QCPAxis& axis, const QString& qtFormat, int tickCount) {
  auto ticker = QSharedPointer<FittingDateTimeTicker>::create(axis, tickCount);
  ticker->setDateTimeFormat(qtFormat);
  ticker->setDateTimeSpec(Qt::UTC);
  ticker->setTickCount(tickCount);
  axis.setTicker(ticker);
}

QCPScatterStyle discMarker(const QColor& colour) {
  constexpr int kSize = 6;
  QPixmap disc(kSize, kSize);
  disc.fill(Qt::transparent);
  QPainter painter(&disc);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawEllipse(QRectF(0, 0, kSize, kSize));
  painter.end();
  return QCPScatterStyle(disc);
}

void setSeriesColour(QCPAbstractPlottable& plottable, const QColor& colour) {
  QPen pen = plottable.pen();
  if (auto* bars = qobject_cast<QCPBars*>(&plottable)) {
    // Bars a pixel or less wide would show nothing but a darker outline.
    pen.setColor(colour);
    bars->setPen(pen);
    bars->setBrush(colour);
    return;
  }
  pen.setColor(colour);
  plottable.setPen(pen);
  if (plottable.brush().style() != Qt::NoBrush) {
    QColor fill = colour;
    fill.setAlpha(kAreaAlpha);
    plottable.setBrush(fill);
  }
  if (auto* graph = qobject_cast<QCPGraph*>(&plottable)) {
    if (graph->scatterStyle().shape() == QCPScatterStyle::ssPixmap) {
      graph->setScatterStyle(discMarker(colour));
    }
  }
}

QColor seriesColourOf(const QCPAbstractPlottable& plottable) {
  if (qobject_cast<const QCPBars*>(&plottable) != nullptr) return plottable.brush().color();
  return plottable.pen().color();
}

}  // namespace ostrilo

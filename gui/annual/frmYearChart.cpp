#include "gui/annual/frmYearChart.h"

#include <qcustomplot.h>

#include <QFontMetrics>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "gui/toolkit/TextFormats.h"

namespace ostrilo {

namespace {

QColor colourOf(int k) {
  static const QColor colours[] = {
      QColor(31, 119, 180),  QColor(255, 127, 14), QColor(44, 160, 44),   QColor(214, 39, 40),
      QColor(148, 103, 189), QColor(140, 86, 75),  QColor(227, 119, 194), QColor(127, 127, 127),
      QColor(188, 189, 34),  QColor(23, 190, 207)};
  return colours[k % 10];
}

// The title above the axes, the legend beside them, where it hides no point.
void placeTitleAndLegend(QCustomPlot& plot, const QString& family) {
  plot.plotLayout()->insertRow(0);
  plot.plotLayout()->addElement(
      0, 0, new QCPTextElement(&plot, QStringLiteral("AADT by year"), QFont(family, 11)));
  plot.axisRect()->insetLayout()->take(plot.legend);
  auto* side = new QCPLayoutGrid;
  plot.plotLayout()->addElement(1, 1, side);
  plot.plotLayout()->setColumnStretchFactor(1, 0.001);
  side->addElement(0, 0, plot.legend);
  side->addElement(1, 0, new QCPLayoutElement(&plot));  // keeps the legend at the top
  side->setRowStretchFactor(0, 0.001);
  plot.legend->setMaximumSize(300, QWIDGETSIZE_MAX);
}

}  // namespace

frmYearChart::frmYearChart() : QWidget(nullptr) {
  setObjectName(QStringLiteral("frmYearChart"));
  setWindowTitle(QStringLiteral("AADT by Year"));
  setAttribute(Qt::WA_DeleteOnClose);
  plot = new QCustomPlot;
  plot->setObjectName(QStringLiteral("plot"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(plot);
  resize(760, 440);
}

void frmYearChart::fill(const std::vector<TrendSeries>& series, const QStringList& labels) {
  plot->clearPlottables();
  int first = 0, last = 0;
  double highest = 0;
  bool any = false, anyAdt = false;
  for (std::size_t k = 0; k < series.size(); ++k) {
    const QColor colour = colourOf(static_cast<int>(k));
    QCPGraph* aadt = plot->addGraph();
    // A register's long location would push the chart aside.
    aadt->setName(QFontMetrics(plot->legend->font())
                      .elidedText(labels.value(static_cast<int>(k)), Qt::ElideRight, 260));
    aadt->setPen(QPen(colour, 2));
    aadt->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, colour, colour, 8));
    QCPGraph* adt = plot->addGraph();
    adt->setPen(Qt::NoPen);
    adt->setLineStyle(QCPGraph::lsNone);
    adt->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssSquare, QPen(colour, 2), Qt::white, 9));
    adt->removeFromLegend();
    for (const TrendPoint& p : series[k].points) {
      // A year without AADT breaks the AADT line rather than bridging it.
      aadt->addData(p.year, p.isAadt ? p.value : std::nan(""));
      if (!p.isAadt) adt->addData(p.year, p.value);
      anyAdt = anyAdt || !p.isAadt;
      first = any ? std::min(first, p.year) : p.year;
      last = any ? std::max(last, p.year) : p.year;
      highest = std::max(highest, p.value);
      any = true;
    }
  }
  if (anyAdt) {
    // One legend entry explains the hollow squares of every series.
    QCPGraph* key = plot->addGraph();
    key->setName(QStringLiteral("ADT (year without AADT)"));
    key->setLineStyle(QCPGraph::lsNone);
    key->setScatterStyle(
        QCPScatterStyle(QCPScatterStyle::ssSquare, QPen(Qt::black, 2), Qt::white, 9));
  }
  auto ticker = QSharedPointer<QCPAxisTickerText>::create();
  for (int year = first; year <= last; ++year) ticker->addTick(year, QString::number(year));
  plot->xAxis->setTicker(ticker);
  plot->xAxis->setLabel(QStringLiteral("Year"));
  plot->yAxis->setLabel(QStringLiteral("Vehicles per day"));
  plot->xAxis->setRange(first - 0.5, last + 0.5);
  plot->yAxis->setRange(0, std::max(1.0, highest * 1.1));
  plot->setLocale(displayLocale());
  plot->legend->setVisible(true);
  if (plot->plotLayout()->rowCount() == 1) placeTitleAndLegend(*plot, font().family());
  plot->replot();
}

}  // namespace ostrilo

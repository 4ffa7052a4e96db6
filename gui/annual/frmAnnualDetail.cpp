#include "gui/annual/frmAnnualDetail.h"

#include <qcustomplot.h>

#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/annual/AnnualTexts.h"
#include "gui/toolkit/TextFormats.h"

namespace ostrilo {

namespace {

const QColor kEmptyCell(255, 210, 210);
const QColor kWeekdayColour(0, 90, 200);
const QColor kWeekendColour(220, 110, 0);

QTableWidgetItem* cell(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

// "9,500 (4)": the mean and the valid days behind it; an empty cell is marked.
QTableWidgetItem* meanCell(const CellMean& mean, const QLocale& locale) {
  auto* item = cell(vehiclesText(mean.value, locale) + QStringLiteral(" (%1)").arg(mean.n));
  if (mean.n == 0) {
    item->setBackground(kEmptyCell);
    item->setToolTip(QStringLiteral("No valid day"));
  }
  return item;
}

QString percentSign(std::optional<double> value, const QLocale& locale) {
  return value ? percentText(value, locale) + QStringLiteral(" %") : naText();
}

QString peakText(const char* name, const std::optional<WindowPeak>& peak, const QLocale& locale) {
  if (!peak) return QString::fromLatin1(name) + QStringLiteral(" n/a");
  const PeakHour& hour = peak->ofAverageDay;
  return QStringLiteral("%1 %2 %3 (%4)")
      .arg(QString::fromLatin1(name), QString::fromStdString(formatHour(hour.hour)),
           vehiclesText(hour.volume, locale), percentSign(hour.sharePct, locale));
}

QString windowText(int begin, int end) {
  return QString::fromStdString(formatHour(begin)) + QStringLiteral("-") +
         QString::fromStdString(formatHour(end));
}

}  // namespace

frmAnnualDetail::frmAnnualDetail(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("frmAnnualDetail"));
  setAttribute(Qt::WA_DeleteOnClose);

  lblSummary = new QLabel;
  lblSummary->setObjectName(QStringLiteral("lblSummary"));
  lblSummary->setWordWrap(true);
  lblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);

  grdMadw = new QTableWidget(kMonths + 2, kDaysOfWeek + 2);
  grdMadw->setObjectName(QStringLiteral("grdMadw"));
  QStringList columns;
  for (int k = 0; k < kDaysOfWeek; ++k) columns << dayText(k);
  columns << QStringLiteral("MADT") << QStringLiteral("MF");
  grdMadw->setHorizontalHeaderLabels(columns);
  QStringList rows;
  for (int m = 0; m < kMonths; ++m) rows << monthText(m);
  rows << QStringLiteral("AADW") << QStringLiteral("DF");
  grdMadw->setVerticalHeaderLabels(rows);
  grdMadw->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdMadw->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  grdMadw->setToolTip(QStringLiteral("Mean daily volume (valid days)"));
  grdMadw->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grdMadw->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  TChart1 = new QCustomPlot;
  TChart1->setObjectName(QStringLiteral("TChart1"));
  TChart1->setMinimumHeight(280);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblSummary);
  layout->addWidget(grdMadw, 0, Qt::AlignLeft);
  layout->addWidget(TChart1, 1);
}

void frmAnnualDetail::fill(const StationYear& row, const PeakWindows& windows,
                           const QLocale& locale) {
  setWindowTitle(
      QStringLiteral("Annual Figures %1 %2").arg(stationText(row.station)).arg(row.year));
  std::optional<double> v30, v100;
  if (row.v30.volume) v30 = *row.v30.volume;
  if (row.v100.volume) v100 = *row.v100.volume;
  lblSummary->setText(QStringLiteral("<b>%1, %2</b>: %3 valid days; ADT %4; AADT %5 (%6/%7 cells); "
                                     "V30 %8, K30 %9; V100 %10, K100 %11")
                          .arg(stationText(row.station).toHtmlEscaped())
                          .arg(row.year)
                          .arg(locale.toString(row.validDays), vehiclesText(row.adt, locale),
                               vehiclesText(row.aadt, locale))
                          .arg(row.coveredCells)
                          .arg(kCells)
                          .arg(vehiclesText(v30, locale), percentSign(row.v30.kPct, locale),
                               vehiclesText(v100, locale), percentSign(row.v100.kPct, locale)));
  fillGrid(row, locale);
  drawProfiles(row, windows, locale);

  // The grid shows whole, without scroll bars; the chart takes the rest.
  const int frame = 2 * grdMadw->frameWidth();
  const int width =
      grdMadw->verticalHeader()->sizeHint().width() + grdMadw->horizontalHeader()->length() + frame;
  const int height = grdMadw->horizontalHeader()->sizeHint().height() +
                     grdMadw->verticalHeader()->length() + frame;
  grdMadw->setFixedSize(width, height);
  resize(std::max(width + 24, 640), height + 420);
}

void frmAnnualDetail::fillGrid(const StationYear& row, const QLocale& locale) {
  for (int m = 0; m < kMonths; ++m) {
    for (int k = 0; k < kDaysOfWeek; ++k) grdMadw->setItem(m, k, meanCell(row.madw[m][k], locale));
    grdMadw->setItem(m, kMadtColumn, meanCell(row.madt[m], locale));
    grdMadw->setItem(m, kMfColumn, cell(factorText(row.mf[m], locale)));
  }
  for (int k = 0; k < kDaysOfWeek; ++k) {
    grdMadw->setItem(kAadwRow, k, meanCell(row.aadw[k], locale));
    grdMadw->setItem(kDfRow, k, cell(factorText(row.df[k], locale)));
  }
  // The corners pair a monthly with a day-of-week figure: nothing belongs there.
  for (int r : {kAadwRow, kDfRow}) {
    for (int c : {kMadtColumn, kMfColumn}) grdMadw->setItem(r, c, cell(QString()));
  }
  grdMadw->resizeColumnsToContents();
}

void frmAnnualDetail::drawProfiles(const StationYear& row, const PeakWindows& windows,
                                   const QLocale& locale) {
  QCustomPlot& plot = *TChart1;
  plot.clearGraphs();
  plot.legend->setVisible(true);
  // Below the chart the legend hides no curve, however the profiles run.
  if (plot.axisRect()->insetLayout()->take(plot.legend)) {
    plot.axisRect()->insetLayout()->simplify();
    plot.plotLayout()->addElement(1, 0, plot.legend);
    plot.plotLayout()->setRowStretchFactor(1, 0.001);
    plot.legend->setBorderPen(Qt::NoPen);
  }
  plot.xAxis->setLabel(QStringLiteral("Hour of day"));
  plot.yAxis->setLabel(QStringLiteral("Mean vehicles per hour"));
  plot.xAxis->setRange(-0.5, 23.5);
  auto ticker = QSharedPointer<QCPAxisTickerFixed>::create();
  ticker->setTickStep(2);
  plot.xAxis->setTicker(ticker);

  peaks = plot.addGraph();
  peaks->setName(QStringLiteral("Peak hours (AM %1, PM %2)")
                     .arg(windowText(windows.amBegin, windows.amEnd),
                          windowText(windows.pmBegin, windows.pmEnd)));
  peaks->setLineStyle(QCPGraph::lsNone);
  peaks->setScatterStyle(
      QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(Qt::black, 2), Qt::NoBrush, 11));

  double highest = 0;
  auto draw = [&](const DayTypeProfile& profile, const QString& name,
                  const QColor& colour) -> QCPGraph* {
    // A day type without valid days has no profile; zeros would look like a closed road.
    if (profile.days == 0) return nullptr;
    QCPGraph* graph = plot.addGraph();
    graph->setPen(QPen(colour, 2));
    graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, colour, 5));
    for (int h = 0; h < kHoursPerDay; ++h) {
      graph->addData(h, profile.meanVolume[h]);
      highest = std::max(highest, profile.meanVolume[h]);
    }
    for (const auto& peak : {profile.am, profile.pm}) {
      if (peak) peaks->addData(peak->ofAverageDay.hour, peak->ofAverageDay.volume);
    }
    graph->setName(
        QStringLiteral("%1 (%2 days): %3, %4")
            .arg(name)
            .arg(profile.days)
            .arg(peakText("AM", profile.am, locale), peakText("PM", profile.pm, locale)));
    return graph;
  };
  weekdayProfile = draw(row.weekday, QStringLiteral("Average weekday"), kWeekdayColour);
  weekendProfile = draw(row.weekend, QStringLiteral("Average weekend day"), kWeekendColour);
  plot.yAxis->setRange(0, highest > 0 ? highest * 1.05 : 1);
  plot.replot();
}

}  // namespace ostrilo

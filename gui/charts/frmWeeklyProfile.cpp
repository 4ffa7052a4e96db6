#include "gui/charts/frmWeeklyProfile.h"

#include <qcustomplot.h>

#include <QComboBox>
#include <QFontMetrics>
#include <cmath>

#include "core/charts/ChartData.h"
#include "gui/charts/ChartFormat.h"
#include "gui/charts/ChartStyle.h"
#include "gui/charts/ColorGridPlottable.h"
#include "gui/toolkit/TextFormats.h"

namespace ostrilo {

namespace {

const char* const kDayNames[kProfileDays] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                             "Friday", "Saturday", "Sunday"};

QCPColorGradient profileGradient() {
  QCPColorGradient gradient = volumeGradient();
  gradient.setNanHandling(QCPColorGradient::nhNanColor);
  gradient.setNanColor(notCountedColour());
  return gradient;
}

// Day k at row k, Monday on top, each labelled with its name.
void dayAxis(QCPAxis& axis) {
  auto ticker = QSharedPointer<QCPAxisTickerText>::create();
  for (int k = 0; k < kProfileDays; ++k) ticker->addTick(k, QString::fromLatin1(kDayNames[k]));
  axis.setTicker(ticker);
  axis.setRangeReversed(true);
  axis.setRange(-0.5, kProfileDays - 0.5);
  axis.grid()->setVisible(false);
}

void hourAxis(QCPAxis& axis) {
  auto ticker = QSharedPointer<QCPAxisTickerFixed>::create();
  ticker->setTickStep(2);
  ticker->setScaleStrategy(QCPAxisTickerFixed::ssNone);
  axis.setTicker(ticker);
  axis.setLabel(QStringLiteral("Hour of day (the hour that begins at)"));
}

// The mean of day k (Monday first) at hour h; NaN, a gap, where no valid day gives one.
double cellMean(const StationWeek& week, int k, int h) {
  const auto& mean = week.cells[static_cast<std::size_t>(k)][static_cast<std::size_t>(h)].mean;
  return mean ? *mean : std::nan("");
}

// The week as a colour grid on the scale lowest..highest that every station shares; answers
// the colour scale it adds beside the grid.
QCPColorScale* drawProfileGrid(QCustomPlot& plot, const StationWeek& week, double lowest,
                               double highest) {
  showLegendBeside(plot, false);
  auto* map = new QCPColorMap(plot.xAxis, plot.yAxis);
  map->data()->setSize(kHoursPerDay, kProfileDays);
  map->data()->setRange(QCPRange(0, kHoursPerDay - 1), QCPRange(0, kProfileDays - 1));
  for (int k = 0; k < kProfileDays; ++k) {
    for (int h = 0; h < kHoursPerDay; ++h) map->data()->setCell(h, k, cellMean(week, k, h));
  }
  map->setGradient(profileGradient());
  map->setInterpolate(false);
  map->setDataRange(QCPRange(lowest, std::max(highest, lowest + 1)));
  auto* scale = new QCPColorScale(&plot);
  plot.plotLayout()->addElement(plot.plotLayout()->rowCount() - 1, 1, scale);
  scale->setType(QCPAxis::atRight);
  scale->setBarWidth(10);
  scale->setGradient(profileGradient());
  scale->setDataRange(map->dataRange());
  scale->axis()->setLabel(QStringLiteral("Mean vehicles per hour"));
  auto* margins = new QCPMarginGroup(&plot);
  plot.axisRect()->setMarginGroup(QCP::msTop | QCP::msBottom, margins);
  scale->setMarginGroup(QCP::msTop | QCP::msBottom, margins);
  dayAxis(*plot.yAxis);
  plot.yAxis->setLabel(QString());
  plot.xAxis->setRange(-0.5, kHoursPerDay - 0.5);
  return scale;
}

// The seven days as curves over the hours, the weekend's dashed, up to the highest mean of
// every station.
void drawProfileCurves(QCustomPlot& plot, const StationWeek& week, double highest) {
  plot.yAxis->setTicker(QSharedPointer<QCPAxisTicker>::create());
  plot.yAxis->setRangeReversed(false);
  plot.yAxis->grid()->setVisible(true);
  plot.yAxis->setLabel(QStringLiteral("Mean vehicles per hour"));
  for (int k = 0; k < kProfileDays; ++k) {
    QCPGraph* graph = plot.addGraph();
    graph->setName(QString::fromLatin1(kDayNames[k]));
    QPen pen(seriesColour(k), k >= 5 ? 2.5 : 1.5);
    if (k >= 5) pen.setStyle(Qt::DashLine);  // the weekend apart from the working days
    graph->setPen(pen);
    for (int h = 0; h < kHoursPerDay; ++h) graph->addData(h, cellMean(week, k, h));
  }
  showLegendBeside(plot, true, kProfileDays);
  plot.xAxis->setRange(0, kHoursPerDay - 1);
  plot.yAxis->setRange(0, std::max(1.0, highest * 1.05));
}

}  // namespace

frmWeeklyProfile::frmWeeklyProfile(Toolkit& toolkit)
    : ChartWindow(toolkit, QStringLiteral("frmWeeklyProfile"), QSize(760, 420)) {
  cmbKind = new QComboBox(this);
  cmbKind->setObjectName(QStringLiteral("cmbKind"));
  cmbKind->addItems({QStringLiteral("Colour grid"), QStringLiteral("Day curves")});
  cmbStation = new QComboBox(this);
  cmbStation->setObjectName(QStringLiteral("cmbStation"));
  connect(cmbKind, &QComboBox::activated, this,
          [this](int kind) { draw(m_station, static_cast<Kind>(kind)); });
  connect(cmbStation, &QComboBox::activated, this, [this](int station) { draw(station, m_kind); });
}

void frmWeeklyProfile::resizeEvent(QResizeEvent* event) {
  ChartWindow::resizeEvent(event);
  // The choices in a strip of their own above the chart, where they hide no title.
  cmbKind->adjustSize();
  cmbStation->adjustSize();
  const int strip = cmbKind->height() + 8;
  cmbKind->move(4, 4);
  cmbStation->move(cmbKind->geometry().right() + 8, 4);
  TChart1->setGeometry(rect().adjusted(0, strip, 0, 0));
  fitChartTitle(*TChart1);
}

void frmWeeklyProfile::fill(WeeklyProfileChart chart, const StationRegister* names) {
  m_chart = std::move(chart);
  for (const StationWeek& week : m_chart.stations) {
    m_labels << chartStationLabel(week.station, names);
    cmbStation->addItem(m_labels.back());
  }
  cmbStation->setVisible(m_labels.size() > 1);
  std::vector<std::string> ids;
  for (const StationWeek& week : m_chart.stations) ids.push_back(week.station);
  setWindowTitle(chartWindowTitle(m_chart.title, ids, names));
  draw(0, Grid);
}

void frmWeeklyProfile::draw(int station, Kind kind) {
  if (station < 0 || static_cast<std::size_t>(station) >= m_chart.stations.size()) return;
  m_station = station;
  m_kind = kind;
  cmbKind->setCurrentIndex(kind);
  cmbStation->setCurrentIndex(station);
  QCustomPlot& plot = *TChart1;
  plot.clearPlottables();
  if (m_scale) {
    plot.plotLayout()->remove(m_scale);
    plot.plotLayout()->simplify();
  }
  const StationWeek& week = m_chart.stations[static_cast<std::size_t>(station)];
  // The title sits over the grid only, beside the colour scale: a long name is cut short.
  const QString label =
      QFontMetrics(plot.font()).elidedText(m_labels.value(station), Qt::ElideRight, 320);
  setChartTitle(plot, QString::fromStdString(m_chart.title) + QStringLiteral(" - ") + label +
                          QLatin1Char('\n') + QString::fromStdString(m_chart.caption));
  hourAxis(*plot.xAxis);
  if (kind == Grid) {
    m_scale = drawProfileGrid(plot, week, m_chart.lowest, m_chart.highest);
  } else {
    drawProfileCurves(plot, week, m_chart.highest);
  }
  finishFill(*plot.xAxis);
  plot.replot();
}

QString frmWeeklyProfile::cellText(int day, int hour) const {
  const ProfileCell& cell =
      m_chart.stations[static_cast<std::size_t>(m_station)]
          .cells[static_cast<std::size_t>(day)][static_cast<std::size_t>(hour)];
  const QLocale locale = displayLocale();
  const QString mean =
      cell.mean ? QStringLiteral("Mean %1 vehicles").arg(locale.toString(*cell.mean, 'f', 1))
                : QStringLiteral("No valid day");
  return QStringLiteral("%1\n%2 %3:00-%4:00\n%5 (n %6 days)")
      .arg(m_labels.value(m_station), QString::fromLatin1(kDayNames[day]))
      .arg(hour, 2, 10, QLatin1Char('0'))
      .arg(hour + 1, 2, 10, QLatin1Char('0'))
      .arg(mean)
      .arg(cell.n);
}

QString frmWeeklyProfile::toolTipAt(const QPointF& pos) const {
  if (m_chart.stations.empty() || !TChart1->axisRect()->rect().contains(pos.toPoint())) return {};
  const int hour = static_cast<int>(std::lround(TChart1->xAxis->pixelToCoord(pos.x())));
  if (hour < 0 || hour >= kHoursPerDay) return {};
  const double value = TChart1->yAxis->pixelToCoord(pos.y());
  if (m_kind == Grid) {
    const int day = static_cast<int>(std::lround(value));
    return day >= 0 && day < kProfileDays ? cellText(day, hour) : QString();
  }
  // The curve nearest the pointer at that hour.
  const auto& cells = m_chart.stations[static_cast<std::size_t>(m_station)].cells;
  int nearest = -1;
  double distance = 0;
  for (int k = 0; k < kProfileDays; ++k) {
    const auto& mean = cells[static_cast<std::size_t>(k)][static_cast<std::size_t>(hour)].mean;
    if (mean && (nearest < 0 || std::abs(*mean - value) < distance)) {
      nearest = k;
      distance = std::abs(*mean - value);
    }
  }
  return nearest >= 0 ? cellText(nearest, hour) : QString();
}

}  // namespace ostrilo

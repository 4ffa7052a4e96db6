#include "gui/report/StationReport.h"

#include <qcustomplot.h>

#include <QBuffer>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <algorithm>
#include <array>
#include <cmath>

#include "core/charts/ChartData.h"
#include "core/report/ReportPage.h"
#include "core/table/Error.h"
#include "core/table/OutputFile.h"
#include "gui/report/ReportTexts.h"

namespace ostrilo {

namespace {

// At 72 dots per inch a unit of the page is a point, so fonts and lengths read alike.
constexpr int kPointsPerInch = 72;
constexpr double kMargin = 40;
constexpr DateNumber kUnixEpochDate = 25569;  // 1970-01-01
constexpr double kSecondsPerDay = 86400;

const QColor kWeekdayColor(31, 95, 170);
const QColor kWeekendColor(214, 120, 30);
const QColor kCriticalColor(200, 30, 30);
const QColor kGapColor(225, 225, 225);

QString qtext(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Writes lines down a page, wrapping what is too long for the width.
class PageWriter {
 public:
  PageWriter(QPainter& painter, const QRectF& area) : m_painter(painter), m_area(area) {
    m_top = area.top();
  }

  void text(const QString& line, double pointSize = 8.5, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    m_painter.setFont(font);
    m_painter.setPen(Qt::black);
    const QRectF room(m_area.left(), m_top, m_area.width(), m_area.bottom() - m_top);
    QRectF used;
    m_painter.drawText(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, line, &used);
    m_top += used.height() + 1;
  }
  void heading(const QString& line) {
    skip(5);
    text(line, 10, true);
  }
  // A row of cells at fixed tab stops.
  void row(const QStringList& cells, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(8.5);
    font.setBold(bold);
    m_painter.setFont(font);
    const double width = m_area.width() / static_cast<double>(std::max(1, int(cells.size())));
    for (int i = 0; i < cells.size(); ++i) {
      m_painter.drawText(QRectF(m_area.left() + i * width, m_top, width, 14),
                         Qt::AlignLeft | Qt::AlignTop, cells[i]);
    }
    m_top += 12;
  }
  QRectF take(double height) {
    const QRectF rect(m_area.left(), m_top, m_area.width(), height);
    m_top += height;
    return rect;
  }
  void skip(double height) { m_top += height; }

 private:
  QPainter& m_painter;
  QRectF m_area;
  double m_top = 0;
};

void drawPlot(QCustomPlot& plot, QCPPainter& painter, const QRectF& rect) {
  painter.save();
  painter.translate(rect.topLeft());
  plot.toPainter(&painter, static_cast<int>(rect.width()), static_cast<int>(rect.height()));
  painter.restore();
}

void setSmallFonts(QCustomPlot& plot) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPointSizeF(7);
  for (QCPAxis* axis : plot.axisRect()->axes()) {
    axis->setTickLabelFont(font);
    axis->setLabelFont(font);
  }
  plot.legend->setFont(font);
}

double toSeconds(double date) { return (date - kUnixEpochDate) * kSecondsPerDay; }

// Grey bands behind the picked days not counted in full.
void addGapBands(QCustomPlot& plot, const std::vector<ChartPoint>& points,
                 const std::vector<DateNumber>& pickedDays) {
  for (const ChartPoint& p : points) {
    if (!isGap(p) || !std::binary_search(pickedDays.begin(), pickedDays.end(), p.x)) continue;
    auto* band = new QCPItemRect(&plot);
    band->topLeft->setTypeX(QCPItemPosition::ptPlotCoords);
    band->topLeft->setTypeY(QCPItemPosition::ptAxisRectRatio);
    band->bottomRight->setTypeX(QCPItemPosition::ptPlotCoords);
    band->bottomRight->setTypeY(QCPItemPosition::ptAxisRectRatio);
    band->topLeft->setCoords(toSeconds(p.x - 0.5), 0);
    band->bottomRight->setCoords(toSeconds(p.x + 0.5), 1);
    band->setPen(Qt::NoPen);
    band->setBrush(kGapColor);
    band->setLayer(QStringLiteral("background"));
  }
}

void setDayTicks(QCustomPlot& plot, double low, double high) {
  // A few weeks get a tick per day; the date ticker's round steps would repeat a day's label.
  constexpr double kDailyTicks = 16;
  if (high - low <= kDailyTicks) {
    auto ticker = QSharedPointer<QCPAxisTickerText>::create();
    for (double day = std::floor(low); day <= high; ++day) {
      ticker->addTick(toSeconds(day), qtext(isoDate(day)).mid(5));
    }
    plot.xAxis->setTicker(ticker);
    plot.xAxis->setLabel(qtext(isoDate(low)).left(4));
  } else {
    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker->setDateTimeSpec(Qt::UTC);
    ticker->setDateTimeFormat(high - low > 120 ? QStringLiteral("MMM yyyy")
                                               : QStringLiteral("yyyy-MM-dd"));
    ticker->setTickCount(6);
    plot.xAxis->setTicker(ticker);
  }
}

// The daily totals as a line; picked days not counted in full are grey bands (the line breaks
// there, as it does between dates that were not picked) and days with a critical flag carry a
// red mark and line.
void drawDailyGraph(QCPPainter& painter, const QRectF& rect, const LineChart& chart,
                    const std::vector<DateNumber>& pickedDays) {
  QCustomPlot plot;
  setSmallFonts(plot);
  QVector<double> xs;
  QVector<double> ys;
  double low = 0;
  double high = 0;
  double top = 1;
  bool first = true;
  const std::vector<ChartPoint>& points = chart.series.front().points;
  for (const ChartPoint& p : points) {
    xs << toSeconds(p.x);
    ys << p.y;
    low = first ? p.x : std::min(low, p.x);
    high = first ? p.x : std::max(high, p.x);
    first = false;
    if (!isGap(p)) top = std::max(top, p.y);
  }
  plot.xAxis->setRange(toSeconds(low - 0.5), toSeconds(high + 0.5));
  plot.yAxis->setRange(0, top * 1.1);
  addGapBands(plot, points, pickedDays);
  QCPGraph* graph = plot.addGraph();
  graph->setData(xs, ys, true);
  graph->setPen(QPen(kWeekdayColor, 1.2));
  if (points.size() <= 62) graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 3));
  QCPGraph* marks = plot.addGraph();
  marks->setLineStyle(QCPGraph::lsNone);
  marks->setScatterStyle(
      QCPScatterStyle(QCPScatterStyle::ssTriangle, kCriticalColor, kCriticalColor, 7));
  for (const CriticalDay& day : chart.criticalDays) {
    auto* line = new QCPItemStraightLine(&plot);
    line->point1->setCoords(toSeconds(day.day), 0);
    line->point2->setCoords(toSeconds(day.day), 1);
    line->setPen(QPen(kCriticalColor, 0.8, Qt::DashLine));
    const auto value = std::find_if(points.begin(), points.end(),
                                    [&](const ChartPoint& p) { return p.x == day.day; });
    const double y = value != points.end() && !isGap(*value) ? value->y : 0;
    marks->addData(toSeconds(day.day), y);
  }
  setDayTicks(plot, low, high);
  plot.yAxis->setLabel(QStringLiteral("Vehicles per day"));
  drawPlot(plot, painter, rect);
}

void drawProfiles(QCPPainter& painter, const QRectF& rect, const ReportPage& page) {
  QCustomPlot plot;
  setSmallFonts(plot);
  double top = 1;
  const auto addProfile = [&](const ReportProfile& profile, const QString& name,
                              const QColor& color) {
    if (profile.days == 0) return;
    QVector<double> xs;
    QVector<double> ys;
    for (int h = 0; h < kHoursPerDay; ++h) {
      xs << h;
      ys << profile.mean[h];
      top = std::max(top, profile.mean[h]);
    }
    QCPGraph* graph = plot.addGraph();
    graph->setName(name);
    graph->setData(xs, ys, true);
    graph->setPen(QPen(color, 1.4));
    QCPGraph* peaks = plot.addGraph();
    peaks->removeFromLegend();
    peaks->setLineStyle(QCPGraph::lsNone);
    peaks->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, color, color, 6));
    for (const PeakHour& peak : {profile.am, profile.pm}) peaks->addData(peak.hour, peak.volume);
  };
  addProfile(page.weekday, QStringLiteral("Weekday (Mon-Fri)"), kWeekdayColor);
  addProfile(page.weekend, QStringLiteral("Weekend day (Sat-Sun)"), kWeekendColor);
  auto ticker = QSharedPointer<QCPAxisTickerFixed>::create();
  ticker->setTickStep(3);
  plot.xAxis->setTicker(ticker);
  plot.xAxis->setRange(-0.5, 23.5);
  plot.xAxis->setLabel(QStringLiteral("Hour of day"));
  plot.yAxis->setRange(0, top * 1.1);
  plot.yAxis->setLabel(QStringLiteral("Vehicles per hour"));
  // The legend goes in a row below the axes, where no curve can run under it; an empty legend
  // there would squeeze the axes.
  if (plot.graphCount() > 0) {
    plot.legend->setVisible(true);
    plot.legend->setIconSize(16, 6);
    plot.legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    plot.legend->setBorderPen(Qt::NoPen);
    plot.plotLayout()->addElement(1, 0, plot.legend);
    plot.plotLayout()->setRowStretchFactor(1, 0.001);
  }
  drawPlot(plot, painter, rect);
}

void drawFooter(QPainter& painter, const QRectF& page, int number, int count) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPointSizeF(8);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(QRectF(0, page.height() - kMargin * 0.75, page.width(), 12), Qt::AlignCenter,
                   QString("page %1 of %2").arg(number).arg(count));
}

}  // namespace

// Every figure and text comes computed in the page; here they are only formatted and placed.
void drawStationPage(QCPPainter& painter, const QRectF& area, const ReportPage& data,
                     const QLocale& locale) {
  const ReportTexts texts = reportTexts(data, locale);
  PageWriter page(painter, area);
  page.text(qtext(data.title), 15, true);
  if (!data.location.empty()) page.text(qtext(data.location), 9.5);
  if (!data.details.empty()) page.text(qtext(data.details), 8);
  page.text(texts.period, 9.5);
  page.text(texts.sources, 8);
  page.text(texts.days, 8.5, true);

  page.heading(QStringLiteral("Daily traffic"));
  drawDailyGraph(painter, page.take(190), data.daily, data.pickedDays);
  page.text(QStringLiteral("Grey: days not counted in full. Red: complete days with a critical "
                           "check flag, left out of every figure."),
            7);

  page.heading(QStringLiteral("Average hourly profiles"));
  drawProfiles(painter, page.take(170), data);
  page.text(texts.windows, 8);
  page.text(texts.weekdayPeaks, 8);
  page.text(texts.weekendPeaks, 8);

  page.heading(QStringLiteral("Daily statistics"));
  page.row({"ADT", "Min DT", "Max DT", "SD", "AWDDT", "AWEDT", "Days"}, true);
  page.row(texts.statistics, false);

  page.heading(QStringLiteral("Annual figures"));
  for (const QString& line : texts.annual) page.text(line);

  page.heading(QStringLiteral("Data checks"));
  page.text(texts.checks);
  if (!texts.episodes.isEmpty()) page.text(QStringLiteral("Worst fault episodes:"), 8, true);
  for (const QString& line : texts.episodes) page.text(line, 8);
}

QPageSize reportPageSize(const QLocale& locale) {
  const QLocale::Territory territory = locale.territory();
  return QPageSize(territory == QLocale::UnitedStates || territory == QLocale::Canada
                       ? QPageSize::Letter
                       : QPageSize::A4);
}

void writeStationReport(const std::string& path, const std::vector<ReportPage>& pages) {
  const QLocale locale = reportLocale();

  // The whole document is made in memory and saved in one piece, so a failure on the way
  // leaves an existing file untouched.
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setCreator(QStringLiteral("Ostrilo"));
    writer.setTitle(QStringLiteral("Station report"));
    writer.setResolution(kPointsPerInch);
    writer.setPageLayout(QPageLayout(reportPageSize(QLocale()), QPageLayout::Portrait, QMarginsF(),
                                     QPageLayout::Point));
    QCPPainter painter;
    if (!painter.begin(&writer)) {
      throw Error(ErrorKind::Io, "cannot draw the report \"" + path + "\"");
    }
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    const QRectF page(0, 0, writer.width(), writer.height());
    const QRectF area = page.adjusted(kMargin, kMargin, -kMargin, -kMargin);
    const int count = static_cast<int>(pages.size());
    for (int i = 0; i < count; ++i) {
      if (i > 0) writer.newPage();
      drawStationPage(painter, area, pages[static_cast<std::size_t>(i)], locale);
      drawFooter(painter, page, i + 1, count);
    }
    painter.end();
  }
  const QByteArray& bytes = buffer.data();
  writeOutputFile(path,
                  std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace ostrilo

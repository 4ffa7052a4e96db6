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
#include <map>
#include <set>
#include <span>

#include "core/annual/AnnualFigures.h"
#include "core/charts/ChartData.h"
#include "core/checks/CheckReport.h"
#include "core/checks/DataChecks.h"
#include "core/register/StationRegister.h"
#include "core/selection/PlotSelection.h"
#include "core/stats/StationStats.h"
#include "core/table/ATRTable.h"
#include "core/table/CountView.h"
#include "core/table/Error.h"
#include "core/table/OutputFile.h"

namespace ostrilo {

namespace {

// At 72 dots per inch a unit of the page is a point, so fonts and lengths read alike.
constexpr int kPointsPerInch = 72;
constexpr double kMargin = 40;
constexpr int kWorstDays = 5;
constexpr std::size_t kMostYears = 3;
constexpr DateNumber kUnixEpochDate = 25569;  // 1970-01-01
constexpr double kSecondsPerDay = 86400;

const QColor kWeekdayColor(31, 95, 170);
const QColor kWeekendColor(214, 120, 30);
const QColor kCriticalColor(200, 30, 30);
const QColor kGapColor(225, 225, 225);

QString qtext(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString figure(const std::optional<std::int32_t>& value) {
  return value ? QString::number(*value) : QStringLiteral("n/a");
}

// The mean hourly volumes of one day type over the picked complete days without a critical
// flag: the days the statistics and the annual figures trust.
struct Profile {
  std::int32_t days = 0;
  std::array<double, kHoursPerDay> mean{};
};

struct Profiles {
  Profile weekday;
  Profile weekend;
};

Profiles pickedProfiles(const ATRTable& table, std::int32_t station,
                        const std::vector<std::int32_t>& dates, const CheckResults& checks) {
  Profiles profiles;
  for (const std::int32_t d : dates) {
    if (!table.IsComplete(d, station) || checks.hasCritical(d, station)) continue;
    Profile& profile = IsWeekend(table.DatebyIndex(d)) ? profiles.weekend : profiles.weekday;
    const HourlyVolumes volumes = table.VolArrByIndex(d, station);
    for (int h = 0; h < kHoursPerDay; ++h) profile.mean[h] += volumes[h];
    ++profile.days;
  }
  for (Profile* profile : {&profiles.weekday, &profiles.weekend}) {
    if (profile->days == 0) continue;
    for (double& v : profile->mean) v /= profile->days;
  }
  return profiles;
}

// The hour of [begin, end) with the largest mean, the earliest on a tie.
int peakHour(const Profile& profile, int begin, int end) {
  return static_cast<int>(
      std::max_element(profile.mean.begin() + begin, profile.mean.begin() + end) -
      profile.mean.begin());
}

QString peaksText(const char* label, const Profile& profile) {
  if (profile.days == 0) return QString("%1: no complete day").arg(label);
  double total = 0;
  for (const double v : profile.mean) total += v;
  const auto peak = [&](const char* half, int hour) {
    const double share = total > 0 ? 100 * profile.mean[hour] / total : 0;
    return QString("%1 peak %2, %3 veh (%4 %)")
        .arg(half, qtext(formatHour(hour)), qtext(formatVehicles(profile.mean[hour])),
             qtext(formatFixed(share, 1)));
  };
  return QString("%1 (%2 days): %3; %4")
      .arg(label)
      .arg(profile.days)
      .arg(peak("AM", peakHour(profile, 0, 12)), peak("PM", peakHour(profile, 12, 24)));
}

QString sourcesText(const std::vector<std::string>& sources) {
  if (sources.empty()) return QStringLiteral("(not saved)");
  if (sources.size() <= 3) {
    QStringList names;
    for (const std::string& s : sources) names << qtext(s);
    return names.join(", ");
  }
  return QString("%1 files: %2 ... %3")
      .arg(sources.size())
      .arg(qtext(sources.front()), qtext(sources.back()));
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

// The daily totals as a line; picked days not counted in full are grey bands (the line breaks
// there, as it does between dates that were not picked) and days with a critical flag carry a
// red mark and line.
void drawDailyGraph(QCPPainter& painter, const QRectF& rect, const LineChart& chart,
                    const std::set<DateNumber>& pickedDays) {
  QCustomPlot plot;
  setSmallFonts(plot);
  const auto toSeconds = [](double date) { return (date - kUnixEpochDate) * kSecondsPerDay; };
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
  for (const ChartPoint& p : points) {
    if (!isGap(p) || pickedDays.count(p.x) == 0) continue;
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
  plot.yAxis->setLabel(QStringLiteral("Vehicles per day"));
  drawPlot(plot, painter, rect);
}

void drawProfiles(QCPPainter& painter, const QRectF& rect, const Profiles& profiles) {
  QCustomPlot plot;
  setSmallFonts(plot);
  double top = 1;
  const auto addProfile = [&](const Profile& profile, const QString& name, const QColor& color) {
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
    for (const int h : {peakHour(profile, 0, 12), peakHour(profile, 12, 24)}) {
      peaks->addData(h, profile.mean[h]);
    }
  };
  addProfile(profiles.weekday, QStringLiteral("Weekday (Mon-Fri)"), kWeekdayColor);
  addProfile(profiles.weekend, QStringLiteral("Weekend day (Sat-Sun)"), kWeekendColor);
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

QString annualText(const StationYear& row) {
  const QString aadt =
      row.aadt ? "AADT " + qtext(formatVehicles(*row.aadt)) : QStringLiteral("AADT n/a");
  QString text = QString("%1: %2 (%3 of %4 month-weekday cells covered, %5 valid days)")
                     .arg(row.year)
                     .arg(aadt)
                     .arg(row.coveredCells)
                     .arg(kCells)
                     .arg(row.validDays);
  if (row.v30.volume) {
    text += QString("; 30th highest hour %1 veh").arg(*row.v30.volume);
    if (row.v30.kPct) text += QString(", K30 %1 %").arg(qtext(formatFixed(*row.v30.kPct, 1)));
  }
  const auto peak = [](const char* half, const std::optional<WindowPeak>& p) {
    return p ? QString("%1 %2 (%3 %)")
                   .arg(half, qtext(formatHour(p->ofAverageDay.hour)),
                        qtext(formatFixed(p->ofAverageDay.sharePct, 1)))
             : QString("%1 n/a").arg(half);
  };
  return text + "; weekday peaks " + peak("AM", row.weekday.am) + ", " + peak("PM", row.weekday.pm);
}

// The calendar years that lie whole between the first and the last picked date.
std::vector<int> wholeYears(const ATRTable& table, const std::vector<std::int32_t>& dates) {
  std::vector<int> years;
  if (dates.empty()) return years;
  DateNumber first = table.DatebyIndex(dates.front());
  DateNumber last = first;
  for (const std::int32_t d : dates) {
    first = std::min(first, table.DatebyIndex(d));
    last = std::max(last, table.DatebyIndex(d));
  }
  for (int y = civilFromDate(first).year; y <= civilFromDate(last).year; ++y) {
    if (std::floor(first) <= dateFromCivil({y, 1, 1}) &&
        std::floor(last) >= dateFromCivil({y, 12, 31})) {
      years.push_back(y);
    }
  }
  return years;
}

struct ReportData {
  const ATRTable& table;
  const PlotSelection& selection;
  const std::vector<std::string>& sources;
  const StationRegister* names;
  CheckResults checks;
  std::vector<std::int32_t> dates;
  std::vector<int> years;
  std::map<std::pair<std::int32_t, int>, StationYear> annual;
};

void drawStationPage(QCPPainter& painter, const QRectF& area, const ReportData& data,
                     std::int32_t station) {
  const ATRTable& table = data.table;
  PlotSelection one = data.selection;
  one.stations.selected.assign(one.stations.selected.size(), false);
  one.stations.selected[static_cast<std::size_t>(station)] = true;
  const std::string id = table.StaNamebyIndex(station);
  PageWriter page(painter, area);

  const StationEntry* entry = data.names ? data.names->find(id) : nullptr;
  page.text("Station " + qtext(id) +
                (entry && !entry->name.empty() ? "  " + qtext(entry->name) : QString()),
            15, true);
  if (entry && !entry->location.empty()) page.text(qtext(entry->location), 9.5);
  if (entry) {
    // The rest of the register's row, so that a register of other columns still says something.
    QStringList details;
    const auto add = [&](const QString& label, const std::string& value) {
      if (!value.empty()) details << label + ": " + qtext(value);
    };
    add(QStringLiteral("direction"), entry->direction);
    add(QStringLiteral("lanes"), entry->lanes);
    add(QStringLiteral("group"), entry->group);
    const std::vector<std::string>& columns = data.names->extraColumns();
    for (std::size_t i = 0; i < columns.size() && i < entry->extra.size(); ++i) {
      add(qtext(columns[i]), entry->extra[i]);
    }
    if (!details.isEmpty()) page.text(details.join(QStringLiteral("; ")), 8);
  }
  DateNumber first = table.DatebyIndex(data.dates.front());
  DateNumber last = first;
  for (const std::int32_t d : data.dates) {
    first = std::min(first, table.DatebyIndex(d));
    last = std::max(last, table.DatebyIndex(d));
  }
  page.text(QString("Period %1 to %2 (%3 dates picked)")
                .arg(qtext(isoDate(first)), qtext(isoDate(last)))
                .arg(data.dates.size()),
            9.5);
  page.text("From " + sourcesText(data.sources), 8);

  page.heading(QStringLiteral("Daily traffic"));
  const LineChart daily = dailyVolumeChart(table, one, SeriesKind::Line, data.checks);
  std::set<DateNumber> pickedDays;
  for (const std::int32_t d : data.dates) pickedDays.insert(table.DatebyIndex(d));
  drawDailyGraph(painter, page.take(190), daily, pickedDays);
  page.text(QStringLiteral("Grey: days not counted in full. Red: days with a critical check flag."),
            7);

  page.heading(QStringLiteral("Average hourly profiles"));
  const Profiles profiles = pickedProfiles(table, station, data.dates, data.checks);
  drawProfiles(painter, page.take(170), profiles);
  page.text(peaksText("Weekday", profiles.weekday), 8);
  page.text(peaksText("Weekend day", profiles.weekend), 8);
  page.text(QStringLiteral("Over the picked complete days without a critical flag."), 7);

  page.heading(QStringLiteral("Daily statistics (complete days)"));
  const StationStat stat = ComputeStationStats(table, one).front();
  page.row({"ADT", "Min DT", "Max DT", "SD", "AWDDT", "AWEDT", "Days"}, true);
  page.row({figure(stat.ADT), figure(stat.MinDT), figure(stat.MaxDT), figure(stat.SD),
            figure(stat.AWDDT), figure(stat.AWEDT), QString::number(stat.Days)},
           false);

  page.heading(QStringLiteral("Annual figures"));
  if (data.years.empty()) page.text(QStringLiteral("The period holds no whole calendar year."));
  // A page holds a few years; the latest tell most.
  const std::size_t skipped = data.years.size() - std::min(data.years.size(), kMostYears);
  if (skipped > 0) page.text(QString("%1 earlier years left out").arg(skipped), 8);
  for (const int year : std::span(data.years).subspan(skipped)) {
    const auto found = data.annual.find({station, year});
    page.text(found != data.annual.end() ? annualText(found->second)
                                         : QString("%1: no counted hour").arg(year));
  }

  page.heading(QStringLiteral("Data checks"));
  FlagFilter filter;
  filter.stations.assign(static_cast<std::size_t>(table.StaCount()), false);
  filter.stations[static_cast<std::size_t>(station)] = true;
  filter.dates = data.selection.dates.selected;
  const std::vector<CheckFlag> flags = selectFlags(data.checks, filter);
  std::int32_t criticalDays = 0;
  std::int32_t warningDays = 0;
  for (const std::int32_t d : data.dates) {
    if (data.checks.hasCritical(d, station)) {
      ++criticalDays;
    } else if (!data.checks.flagsOf(d, station).empty()) {
      ++warningDays;
    }
  }
  page.text(qtext(checkDaysText(criticalDays, warningDays)) + ". " +
            qtext(checkCountsLine(countByCode(flags))));
  // The worst days first: those with the most critical flags, then the earliest.
  std::vector<CriticalDay> worst = daily.criticalDays;
  std::stable_sort(worst.begin(), worst.end(), [](const CriticalDay& a, const CriticalDay& b) {
    return std::count(a.reason.begin(), a.reason.end(), '\n') >
           std::count(b.reason.begin(), b.reason.end(), '\n');
  });
  const std::size_t shown = std::min<std::size_t>(worst.size(), kWorstDays);
  for (std::size_t i = 0; i < shown; ++i) {
    const CriticalDay& day = worst[i];
    QString reason = qtext(day.reason);
    reason.replace('\n', QStringLiteral("; "));
    page.text(qtext(isoDate(day.day)) + "  " + reason, 8);
  }
  if (daily.criticalDays.size() > shown) {
    page.text(QString("... and %1 more critical days").arg(daily.criticalDays.size() - shown), 8);
  }
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

QPageSize reportPageSize(const QLocale& locale) {
  const QLocale::Territory territory = locale.territory();
  return QPageSize(territory == QLocale::UnitedStates || territory == QLocale::Canada
                       ? QPageSize::Letter
                       : QPageSize::A4);
}

void writeStationReport(const std::string& path, const ATRTable& table,
                        const PlotSelection& selection, const std::vector<std::string>& sources,
                        const StationRegister* names) {
  if (const std::optional<std::string> problem = CheckPlotSelection(selection)) {
    throw Error(ErrorKind::Usage, *problem);
  }
  ReportData data{table, selection, sources, names, RunDataChecks(table), selection.dates.picked(),
                  {},    {}};
  const std::vector<std::int32_t> stations = selection.stations.picked();
  data.years = wholeYears(table, data.dates);
  if (!data.years.empty()) {
    const CountView view = CountView::of(table);
    AnnualOptions options;
    options.stations = stations;
    options.excluded = excludingCriticalDays(view);
    for (StationYear& row : ComputeAnnualFigures(view, options)) {
      data.annual.emplace(std::make_pair(row.stationIndex, row.year), std::move(row));
    }
  }

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
    const int count = static_cast<int>(stations.size());
    for (int i = 0; i < count; ++i) {
      if (i > 0) writer.newPage();
      drawStationPage(painter, area, data, stations[static_cast<std::size_t>(i)]);
      drawFooter(painter, page, i + 1, count);
    }
    painter.end();
  }
  const QByteArray& bytes = buffer.data();
  writeOutputFile(path,
                  std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace ostrilo

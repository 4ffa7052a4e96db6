#include <qcustomplot.h>
#include <time.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QWheelEvent>

#include "GuiTestSupport.h"
#include "plot/ChartData.h"
#include "plot/ChartEditor.h"
#include "plot/ChartFormat.h"
#include "plot/ChartStyle.h"
#include "plot/ColorGridPlottable.h"
#include "plot/Plots.h"
#include "plot/frmGraphH.h"
#include "plot/frmGraphL.h"
#include "plot/frmVolColorGrid.h"

namespace ostrilo::test {
namespace {

const QCPAxisTickerDateTime* dateTicker(const QCPAxis* axis) {
  return dynamic_cast<const QCPAxisTickerDateTime*>(axis->ticker().data());
}

template <typename Window>
std::vector<Window*> windowsOf() {
  std::vector<Window*> found;
  for (ChartWindow* w : openChartWindows()) {
    if (auto* window = qobject_cast<Window*>(w)) found.push_back(window);
  }
  return found;
}

// Stations 0101 to 0112 at indexes 0 to 11, 3 to 9 January 2005 at indexes 0 to 6.
class ChartTest : public MainWindowTest {
 protected:
  ChartTest() {
    build(sampleFile("ATR20050103w1.dat"));
    toolkit.messages.clear();
  }
  double hourKey(int date, int hour) const {
    return timeKey(table.DatebyIndex(static_cast<std::int16_t>(date))) + hour * kSecondsPerHour;
  }

  const ATRTable& table = countTable();
};

TEST_F(ChartTest, HourlyGraphHasOneSeriesPerStationWithEveryHourInUtc) {
  frmGraphL* window = PlotHourlyVol(toolkit, nullptr, table, pick(table, {2, 0}, {0, 1, 2}), 0);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), "Hourly Volume Graph");
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->parentWidget(), nullptr);
  QCustomPlot& plot = *window->TChart1;
  ASSERT_EQ(plot.graphCount(), 2);
  EXPECT_EQ(plot.graph(0)->name(), "0101");  // list order, not pick order
  EXPECT_EQ(plot.graph(1)->name(), "0103");
  for (int s = 0; s < 2; ++s) {
    const auto data = plot.graph(s)->data();
    ASSERT_EQ(data->size(), 72);
    EXPECT_EQ(data->constBegin()->key, hourKey(0, 0));
    EXPECT_EQ((data->constEnd() - 1)->key, hourKey(2, 23));
    EXPECT_EQ(data->at(29)->key, hourKey(1, 5));
    EXPECT_EQ(data->at(29)->value, table.VolArrByIndex(1, static_cast<std::int16_t>(2 * s))[5]);
  }
  EXPECT_EQ(hourKey(0, 0), 1104710400.0);  // 3 January 2005, 00:00 UTC
  const auto* ticker = dateTicker(plot.xAxis);
  ASSERT_NE(ticker, nullptr);
  EXPECT_EQ(ticker->dateTimeFormat(), "hh:mm\nM/d/yy");
  EXPECT_EQ(plot.yAxis->label(), "Vehicles per hour");
}

TEST_F(ChartTest, DailyGraphHasOnePointPerDateAtMidnight) {
  const frmGraphL* window = PlotDailyVol(toolkit, nullptr, table, pick(table, {3}, {0, 4, 6}), 0);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), "Daily Volume Graph");
  QCustomPlot& plot = *window->TChart1;
  ASSERT_EQ(plot.graphCount(), 1);
  const auto data = plot.graph(0)->data();
  ASSERT_EQ(data->size(), 3);
  EXPECT_EQ(data->at(1)->key, hourKey(4, 0));
  EXPECT_EQ(data->at(1)->value, table.DailyVolByIndex(4, 3));
  EXPECT_EQ(dateTicker(plot.xAxis)->dateTimeFormat(), "M/d/yy");
}

TEST_F(ChartTest, GraphTypeGivesEverySeriesTheSamePlottableKind) {
  for (const int graphType : {-1, 0, 1, 2, 3, 4}) {
    SCOPED_TRACE(graphType);
    QCustomPlot& plot =
        *PlotHourlyVol(toolkit, nullptr, table, pick(table, {0, 1}, {0}), graphType)->TChart1;
    ASSERT_EQ(plot.plottableCount(), 2);
    for (int s = 0; s < 2; ++s) {
      auto* graph = qobject_cast<QCPGraph*>(plot.plottable(s));
      auto* bars = qobject_cast<QCPBars*>(plot.plottable(s));
      switch (seriesKindFor(graphType)) {
        case SeriesKind::Line:
          ASSERT_NE(graph, nullptr);
          EXPECT_EQ(graph->lineStyle(), QCPGraph::lsLine);
          EXPECT_EQ(graph->brush().style(), Qt::NoBrush);
          break;
        case SeriesKind::Bar:
        case SeriesKind::HorizBar:
          ASSERT_NE(bars, nullptr);
          EXPECT_EQ(bars->keyAxis(), graphType == 1 ? plot.xAxis : plot.yAxis);
          ASSERT_NE(bars->barsGroup(), nullptr);
          EXPECT_EQ(bars->barsGroup()->size(), 2);  // side by side, not on top of each other
          break;
        case SeriesKind::Area:
          ASSERT_NE(graph, nullptr);
          EXPECT_EQ(graph->brush().style(), Qt::SolidPattern);
          break;
        case SeriesKind::Point:
          ASSERT_NE(graph, nullptr);
          EXPECT_EQ(graph->lineStyle(), QCPGraph::lsNone);
          EXPECT_FALSE(graph->scatterStyle().isNone());
          break;
      }
    }
    EXPECT_NE(plot.plottable(0)->pen().color(), plot.plottable(1)->pen().color());
  }
  EXPECT_EQ(seriesKindFor(-1), SeriesKind::Line);
}

TEST_F(ChartTest, ColourGridKeepsCellsInRunsAndLeavesGapsEmpty) {
  const PlotSelection selection = pick(table, {0, 4, 7}, {0, 2});
  const frmVolColorGrid* window = PlotVolColorGrid(toolkit, nullptr, table, selection);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), "Hourly Volume Color Grid Graph");
  QCustomPlot& plot = *window->TChart1;
  ASSERT_EQ(plot.plottableCount(), 1);
  const auto* runs = cellRunsOf(plot.plottable(0));
  ASSERT_NE(runs, nullptr);
  ASSERT_EQ(runs->size(), 6u);  // 1/3 and 1/5 are not consecutive: two runs per row
  for (std::size_t r = 0; r < runs->size(); ++r) {
    EXPECT_EQ((*runs)[r].row, static_cast<int>(r / 2));
    EXPECT_EQ((*runs)[r].firstKey, hourKey(r % 2 == 0 ? 0 : 2, 0));
    EXPECT_EQ((*runs)[r].volumes.size(), 24u);
  }
  EXPECT_FALSE(cellAt(plot.plottable(0), hourKey(1, 12), 1));
  const auto cell = cellAt(plot.plottable(0), hourKey(2, 7) + 1800, 1);
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->volume, table.VolArrByIndex(2, 4)[7]);

  // One scale for the whole grid: red at the lowest volume, green at the highest.
  const ColorGrid grid = volumeColorGrid(table, selection);
  for (const CellRun& run : *runs) {
    for (std::size_t c = 0; c < run.volumes.size(); ++c) {
      const QRgb colour = run.image.pixel(static_cast<int>(c), 0);
      const std::int16_t v = run.volumes[c];
      EXPECT_EQ(colour, v == grid.lowest    ? qRgb(255, 0, 0)
                        : v == grid.highest ? qRgb(0, 255, 0)
                                            : colour);
    }
  }
  EXPECT_EQ(plot.yAxis->range(), QCPRange(-0.5, 2.5));

  // Dates picked out of calendar order still join into one run.
  const auto* joined =
      cellRunsOf(PlotVolColorGrid(toolkit, nullptr, table, pick(table, {0}, {2, 0, 1}))
                     ->TChart1->plottable(0));
  ASSERT_EQ(joined->size(), 1u);
  EXPECT_EQ(joined->front().volumes.size(), 72u);
  EXPECT_EQ(joined->front().volumes[24 + 3], table.VolArrByIndex(1, 0)[3]);
}

TEST_F(ChartTest, HistogramDrawsThirtyOneRedBarsOverTheirBins) {
  const PlotSelection selection = pick(table, {0, 1}, {0, 1});
  const frmGraphH* window = PlotVolHistogram(toolkit, nullptr, table, selection);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), "Histogram of hourly volume in the Selected range");
  QCustomPlot& plot = *window->TChart1;
  ASSERT_EQ(plot.plottableCount(), 1);
  const auto* bars = qobject_cast<QCPBars*>(plot.plottable(0));
  ASSERT_NE(bars, nullptr);
  EXPECT_EQ(bars->brush().color(), QColor(255, 0, 0));

  const Histogram histogram = volumeHistogram(table, selection);
  ASSERT_EQ(bars->data()->size(), 31);
  EXPECT_EQ(bars->width(), histogram.width);
  for (int n = 0; n < 31; ++n) {
    const auto& bin = histogram.bars[static_cast<std::size_t>(n)];
    EXPECT_EQ(bars->data()->at(n)->key, bin.x + histogram.width / 2.0);
    EXPECT_EQ(bars->data()->at(n)->value, bin.y);
  }
}

TEST_F(ChartTest, FailedCheckWarnsAndOpensNothing) {
  const PlotSelection noDate = pick(table, {0}, {});
  EXPECT_EQ(PlotHourlyVol(toolkit, nullptr, table, noDate, 0), nullptr);
  EXPECT_EQ(PlotDailyVol(toolkit, nullptr, table, noDate, 0), nullptr);
  EXPECT_EQ(PlotVolColorGrid(toolkit, nullptr, table, noDate), nullptr);
  EXPECT_EQ(PlotVolHistogram(toolkit, nullptr, table, noDate), nullptr);
  EXPECT_TRUE(openChartWindows().empty());
  EXPECT_EQ(toolkit.messages, std::vector(4, refusal("You must select one or more dates.")));
}

TEST_F(ChartTest, EveryClickOpensItsOwnWindowFromTheListsAndTheGraphTypeBox) {
  window.lstSta->setCurrentRow(1);
  window.lstDate->setCurrentRow(0);
  window.lstDate->item(1)->setSelected(true);
  window.cmdLine->click();
  window.cmdLine->click();
  window.cmbGType->setCurrentIndex(1);
  window.cmdDailyGraph->click();
  window.cmbGType->setEditText(QStringLiteral("Bar "));  // typed text draws lines
  window.cmdLine->click();
  window.cmdColorGrid->click();
  window.cmdHist->click();
  ASSERT_EQ(windowsOf<frmGraphL>().size(), 4u);
  EXPECT_EQ(windowsOf<frmVolColorGrid>().size(), 1u);
  ASSERT_EQ(windowsOf<frmGraphH>().size(), 1u);
  int bars = 0;
  for (frmGraphL* chart : windowsOf<frmGraphL>()) {
    ASSERT_EQ(chart->TChart1->plottableCount(), 1);
    EXPECT_EQ(chart->TChart1->plottable(0)->name(), "0102");
    bars += qobject_cast<QCPBars*>(chart->TChart1->plottable(0)) != nullptr ? 1 : 0;
  }
  EXPECT_EQ(bars, 1);
  EXPECT_EQ(windowsOf<frmGraphH>().front()->TChart1->plottable(0)->interface1D()->dataCount(), 31);

  QPointer<ChartWindow> chart = openChartWindows().front();
  window.close();
  flushDeletes();
  EXPECT_TRUE(openChartWindows().empty());
  EXPECT_TRUE(chart.isNull());
}

TEST_F(ChartTest, TooltipsNameStationTimeAndVolumeUnderThePointer) {
  // 0101 counted 130 vehicles from 05:00 on 3 January 2005.
  const QString tip130 = "0101\n1/3/2005 05:00\nVolume: 130";
  const double five = hourKey(0, 5);
  const frmGraphL* lines = PlotHourlyVol(toolkit, nullptr, table, pick(table, {0, 1}, {0}), 0);
  const QCPAbstractPlottable& first = *lines->TChart1->plottable(0);
  EXPECT_EQ(lines->toolTipAt(first.coordsToPixels(five, 130) + QPointF(2, -2)), tip130);
  EXPECT_EQ(lines->toolTipAt(first.coordsToPixels(five, 130) + QPointF(0, -40)), "");

  // Side by side, the second station's bar is the right half of the hour's slot.
  frmGraphL* bars = PlotHourlyVol(toolkit, nullptr, table, pick(table, {0, 1}, {0}), 1);
  QCustomPlot& barPlot = *bars->TChart1;
  barPlot.xAxis->setRange(five - 2 * kSecondsPerHour, five + 2 * kSecondsPerHour);
  barPlot.replot();
  const int volume = table.VolArrByIndex(0, 1)[5];
  EXPECT_EQ(bars->toolTipAt(barPlot.plottable(1)->coordsToPixels(five + 900, volume / 2.0)),
            QStringLiteral("0102\n1/3/2005 05:00\nVolume: %1").arg(volume));
  EXPECT_EQ(bars->toolTipAt(barPlot.plottable(0)->coordsToPixels(five - 900, 65)), tip130);

  const frmVolColorGrid* grid = PlotVolColorGrid(toolkit, nullptr, table, pick(table, {0, 1}, {0}));
  const QCPAbstractPlottable& cells = *grid->TChart1->plottable(0);
  EXPECT_EQ(grid->toolTipAt(cells.coordsToPixels(five + 1800, 0)), tip130);

  const frmGraphH* histogram = PlotVolHistogram(toolkit, nullptr, table, pick(table, {0}, {0}));
  QCustomPlot& histPlot = *histogram->TChart1;
  const auto* histBars = qobject_cast<const QCPBars*>(histPlot.plottable(0));
  const double edge = histBars->data()->at(2)->key - histBars->width() / 2;
  const QString tip = histogram->toolTipAt(
      QPointF(histPlot.xAxis->coordToPixel(edge + 0.4), histPlot.yAxis->coordToPixel(0.5)));
  EXPECT_TRUE(tip.startsWith(QStringLiteral("Volumes %1 to ").arg(edge))) << tip.toStdString();
  EXPECT_TRUE(tip.endsWith(QStringLiteral("Count: %1").arg(histBars->data()->at(2)->value)));
}

TEST_F(ChartTest, WheelZoomsAlongTheTimeAxisOnlyAndResetRestoresTheView) {
  for (const int graphType : {0, 2}) {  // time along x, then along y (horizontal bars)
    SCOPED_TRACE(graphType);
    frmGraphL* chart = PlotHourlyVol(toolkit, nullptr, table, pick(table, {0}, {0, 1}), graphType);
    QCustomPlot& plot = *chart->TChart1;
    QCPAxis* time = graphType == 0 ? plot.xAxis : plot.yAxis;
    QCPAxis* volume = graphType == 0 ? plot.yAxis : plot.xAxis;
    const QCPRange times = time->range();
    const QCPRange volumes = volume->range();
    EXPECT_LE(times.lower, hourKey(0, 0));
    EXPECT_GE(times.upper, hourKey(1, 23));
    EXPECT_EQ(volumes.lower, 0);

    const QPointF centre = plot.axisRect()->center();
    QWheelEvent wheel(centre, plot.mapToGlobal(centre), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&plot, &wheel);
    EXPECT_LT(time->range().size(), times.size());
    EXPECT_EQ(volume->range(), volumes);
    EXPECT_EQ(plot.axisRect()->rangeDrag(), time->orientation());

    chart->resetZoom();
    EXPECT_EQ(time->range(), times);
  }
}

TEST_F(ChartTest, ContextMenuSavesTheChartAndWarnsWithTheReasonOfAFailure) {
  QTemporaryDir dir;
  frmGraphL* chart = PlotDailyVol(toolkit, nullptr, table, pick(table, {0}, {0, 1}), 0);
  const std::unique_ptr<QMenu> menu(chart->createContextMenu());
  const QList<QAction*> actions = menu->actions();  // PNG, JPEG, PDF, separator, ...
  ASSERT_GE(actions.size(), 3);

  toolkit.answer(dir.filePath(QStringLiteral("daily.pdf")));
  actions[2]->trigger();
  ASSERT_EQ(toolkit.dialogs.size(), 1u);
  EXPECT_EQ(toolkit.dialogs[0].settings.defaultExtension, "pdf");
  QFile pdf(dir.filePath(QStringLiteral("daily.pdf")));
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.read(5) == "%PDF-");
  toolkit.answer(dir.filePath(QStringLiteral("daily.png")));
  actions[0]->trigger();
  EXPECT_EQ(QImage(dir.filePath(QStringLiteral("daily.png"))).size(), chart->size());
  EXPECT_TRUE(toolkit.messages.empty());

  const QString missing = dir.filePath(QStringLiteral("missing/daily.png"));
  const auto reason = chart->saveChart(missing, ChartFileFormat::Png);
  ASSERT_TRUE(reason);
  toolkit.answer(missing);
  actions[0]->trigger();
  ASSERT_EQ(toolkit.messages.size(), 1u);
  EXPECT_EQ(toolkit.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_TRUE(toolkit.messages[0].text.contains(QStringLiteral("daily.png")));
  EXPECT_TRUE(toolkit.messages[0].text.endsWith(*reason)) << toolkit.messages[0].text.toStdString();

  toolkit.answer(std::nullopt);  // Cancel writes nothing and says nothing
  actions[1]->trigger();
  EXPECT_EQ(toolkit.messages.size(), 1u);
}

TEST_F(ChartTest, EditorOkAppliesTheChangesAndCancelDropsThem) {
  QCustomPlot& plot = *PlotHourlyVol(toolkit, nullptr, table, pick(table, {0, 1}, {0}), 0)->TChart1;
  {
    ChartEditor editor(plot);
    editor.titleEdit->setText(QStringLiteral("Dropped"));
    editor.setRowColour(0, Qt::magenta);
    editor.reject();
  }
  EXPECT_EQ(chartTitle(plot)->text(), "Hourly Volume Plot of Stations ");
  EXPECT_NE(plot.graph(0)->pen().color(), QColor(Qt::magenta));

  ChartEditor editor(plot);
  ASSERT_EQ(editor.seriesTable->rowCount(), 2);
  EXPECT_EQ(editor.seriesTable->item(1, ChartEditor::kTitleColumn)->text(), "0102");
  editor.titleEdit->setText(QStringLiteral("Week one"));
  editor.bottomAxisEdit->setText(QStringLiteral("Hour"));
  editor.legendCheck->setChecked(false);
  editor.seriesTable->item(1, ChartEditor::kTitleColumn)->setText(QStringLiteral("Side road"));
  editor.setRowColour(1, Qt::magenta);
  editor.seriesTable->item(0, ChartEditor::kVisibleColumn)->setCheckState(Qt::Unchecked);
  static_cast<QSpinBox*>(editor.seriesTable->cellWidget(1, ChartEditor::kWidthColumn))->setValue(3);
  editor.accept();
  EXPECT_EQ(chartTitle(plot)->text(), "Week one");
  EXPECT_EQ(plot.xAxis->label(), "Hour");
  EXPECT_FALSE(plot.legend->visible());
  EXPECT_FALSE(plot.graph(0)->visible());
  EXPECT_EQ(plot.graph(1)->name(), "Side road");
  EXPECT_EQ(plot.graph(1)->pen().color(), QColor(Qt::magenta));
  EXPECT_EQ(plot.graph(1)->pen().widthF(), 3.0);
}

TEST(ChartFormat, TimeKeysCountUtcSecondsOnTheLinearDayScale) {
  EXPECT_EQ(timeKey(25569.0), 0.0);
  // Before 30 December 1899 the fraction counts forward: -1.25 is 29 December 1899, 06:00.
  EXPECT_EQ(timeKey(-1.25) - timeKey(-1.0), 6 * 3600.0);
  const DateNumber day = dateFromCivil({2022, 1, 10});
  for (int h = 0; h < 24; ++h) EXPECT_EQ(timeKey(day + h / 24.0), timeKey(day) + h * 3600.0);
}

TEST(ChartFormat, StoredLabelFormatsBecomeQtFormats) {
  const struct {
    const char* stored;
    bool multiLine;
    const char* qt;
  } cases[] = {
      {"hh:mm m/d/yy", true, "hh:mm\nM/d/yy"},
      {"dd/mm/yyyy hh:nn", false, "dd/MM/yyyy hh:mm"},
      {"hh m/d", false, "hh M/d"},      // a blank ends the time: the month stays a month
      {"hh:nn z", false, "hh:mm 'z'"},  // Qt would read z as milliseconds
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(qtDateTimeFormat(c.stored, c.multiLine), QString::fromLatin1(c.qt));
  }
  EXPECT_TRUE(showsHours("hh:mm m/d/yy"));
  EXPECT_FALSE(showsHours("m/d/yy"));
}

// A local time zone with daylight saving must not move labels or tooltips.
struct ZoneGuard {
  explicit ZoneGuard(const char* zone)
      : saved(qgetenv("TZ")), had(qEnvironmentVariableIsSet("TZ")) {
    qputenv("TZ", zone);
    tzset();
  }
  ~ZoneGuard() {
    had ? qputenv("TZ", saved) : qunsetenv("TZ");
    tzset();
  }
  QByteArray saved;
  bool had;
};

TEST(ChartFormat, LabelsAndTooltipsReadTheKeyInUtc) {
  ZoneGuard zone("America/New_York");
  QCustomPlot plot;
  setDateTimeAxis(*plot.xAxis, qtDateTimeFormat("hh:mm m/d/yy", true), 5);
  // 3 April 2005 was the day New York went to summer time.
  const double key = timeKey(dateFromCivil({2005, 4, 3}) + 5.0 / 24);
  QVector<double> ticks;
  QVector<QString> labels;
  plot.xAxis->ticker()->generate(QCPRange(key - 3600, key + 3600), QLocale::c(), QLatin1Char('g'),
                                 6, ticks, nullptr, &labels);
  const auto at = ticks.indexOf(key);
  ASSERT_GE(at, 0);
  EXPECT_EQ(labels.at(at), "05:00\n4/3/05");
  EXPECT_EQ(keyText(key, false), "4/3/2005");
  EXPECT_EQ(volumeToolTip("0101", key, true, 1234, unitedStates()),
            "0101\n4/3/2005 05:00\nVolume: 1,234");
  EXPECT_EQ(binToolTip(-3, 1, 0, unitedStates()), "Volume -3\nCount: 0");
}

}  // namespace
}  // namespace ostrilo::test

#include <qcustomplot.h>
#include <time.h>

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QSpinBox>
#include <QTableWidget>
#include <QWheelEvent>
#include <algorithm>

#include "GuiTestSupport.h"
#include "core/charts/ChartData.h"
#include "core/checks/DataChecks.h"
#include "gui/charts/ChartEditor.h"
#include "gui/charts/ChartFormat.h"
#include "gui/charts/ChartStyle.h"
#include "gui/charts/ColorGridPlottable.h"
#include "gui/charts/Plots.h"
#include "gui/charts/frmGraphH.h"
#include "gui/charts/frmGraphL.h"
#include "gui/charts/frmVolColorGrid.h"

namespace ostrilo::test {
namespace {

const QCPColorScale* findScale(const QCustomPlot& plot) {
  for (QCPLayoutElement* element : plot.plotLayout()->elements(true)) {
    if (auto* scale = qobject_cast<QCPColorScale*>(element)) return scale;
  }
  return nullptr;
}

// Stations 0101 to 0112 at indexes 0 to 11, 3 to 9 January 2005 at indexes 0 to 6.
class ChartTest : public MainWindowTest {
 protected:
  ChartTest() {
    build(sampleFile("ATR20050103w1.dat"));
    toolkit.messages.clear();
  }
  double hourKey(int date, int hour) const {
    return timeKey(table.DatebyIndex(static_cast<std::int32_t>(date))) + hour * kSecondsPerHour;
  }

  const ATRTable& table = countTable();
};

// The axis still shows the week around a flag on the table's first day.
TEST_F(ChartTest, FlagGraphOnTheTablesFirstDaySpansTheWholeWeek) {
  const frmGraphL* flag = PlotDaysAround(toolkit, nullptr, table, "0102", table.DatebyIndex(0), 0);
  ASSERT_NE(flag, nullptr);
  EXPECT_EQ(flag->TChart1->graph(0)->data()->size(), 4 * 24);
  EXPECT_EQ(flag->TChart1->xAxis->range().lower, hourKey(0, -3 * 24) - kSecondsPerHour / 2);
  EXPECT_EQ(flag->TChart1->xAxis->range().upper, hourKey(0, 3 * 24 + 23) + kSecondsPerHour / 2);
}

TEST_F(ChartTest, ColourGridJoinsConsecutiveHoursIntoRunsAndLeavesGapsEmpty) {
  const PlotSelection selection = pick(table, {0, 4, 7}, {0, 1, 3});
  const frmVolColorGrid* window = PlotVolColorGrid(toolkit, nullptr, table, selection);
  ASSERT_NE(window, nullptr);
  QCustomPlot& plot = *window->TChart1;
  ASSERT_EQ(plot.plottableCount(), 1);
  const auto* runs = cellRunsOf(plot.plottable(0));
  ASSERT_NE(runs, nullptr);
  ASSERT_EQ(runs->size(), 6u);  // 1/3 and 1/4 join across midnight, 1/6 stands alone
  for (std::size_t r = 0; r < runs->size(); ++r) {
    EXPECT_EQ((*runs)[r].row, static_cast<int>(r / 2));
    EXPECT_EQ((*runs)[r].firstKey, hourKey(r % 2 == 0 ? 0 : 3, 0));
    EXPECT_EQ((*runs)[r].volumes.size(), r % 2 == 0 ? 48u : 24u);
  }
  EXPECT_FALSE(cellAt(plot.plottable(0), hourKey(2, 12), 1));

  // One scale for the whole grid, from the lowest volume to the highest.
  const ColorGrid grid = volumeColorGrid(table, selection, CheckResults());
  const auto* scale = findScale(plot);
  ASSERT_NE(scale, nullptr);
  EXPECT_EQ(scale->dataRange(), QCPRange(grid.lowest, grid.highest));
  EXPECT_EQ(plot.findChild<QCPTextElement*>(QStringLiteral("notCountedKey")), nullptr);
}

// Station 1094 counted 485 vehicles on Wednesday 24 October 2012, none from 07:00 to 22:59;
// every other day of the week is clean. It is the second station picked.
TEST_F(ChartTest, CriticalDayIsMarkedAndItsTooltipsSayWhy) {
  build(QStringLiteral(OSTRILO_REALDATA_DIR "/ATR20121020w3.dat"));
  int station = 0;
  while (table.StaNamebyIndex(station) != "1094") ++station;
  const PlotSelection week = pick(table, {station, station == 0 ? 1 : 0}, {0, 1, 2, 3, 4, 5, 6});
  const double day = timeKey(dateFromCivil({2012, 10, 24}));
  const QString why = QStringLiteral("\nZERO_RUN: 16 zero hours from 07:00");

  const frmGraphL* daily = PlotDailyVol(toolkit, nullptr, table, week, 0);
  QCustomPlot& graph = *daily->TChart1;
  ASSERT_EQ(graph.plottableCount(), 3);
  EXPECT_EQ(daily->toolTipAt(graph.plottable(1)->coordsToPixels(day, 485)),
            "1094\nWed 10/24/2012\nVolume: 485" + why);
  EXPECT_FALSE(
      daily->toolTipAt(graph.plottable(1)->coordsToPixels(day - kSecondsPerDay, 0)).contains(why));

  const frmVolColorGrid* grid = PlotVolColorGrid(toolkit, nullptr, table, week);
  QCustomPlot& plot = *grid->TChart1;
  const QCPAbstractPlottable& cells = *plot.plottable(0);
  EXPECT_EQ(grid->toolTipAt(cells.coordsToPixels(day + 8.5 * kSecondsPerHour, 1)),
            "1094\nWed 10/24/2012 08:00\nVolume: 0" + why);
}

TEST_F(ChartTest, FailedCheckWarnsAndOpensNothing) {
  const PlotSelection noDate = pick(table, {0}, {});
  EXPECT_EQ(PlotHourlyVol(toolkit, nullptr, table, noDate, 0), nullptr);
  EXPECT_EQ(PlotDailyVol(toolkit, nullptr, table, noDate, 0), nullptr);
  EXPECT_EQ(PlotVolColorGrid(toolkit, nullptr, table, noDate), nullptr);
  EXPECT_EQ(PlotVolHistogram(toolkit, nullptr, table, noDate), nullptr);
  EXPECT_TRUE(openWindows().empty());
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
  ASSERT_EQ(openWindows<frmGraphL>().size(), 4u);
  int bars = 0;
  for (frmGraphL* chart : openWindows<frmGraphL>()) {
    ASSERT_EQ(chart->TChart1->plottableCount(), 1);
    EXPECT_EQ(chart->TChart1->plottable(0)->name(), "0102");
    bars += qobject_cast<QCPBars*>(chart->TChart1->plottable(0)) != nullptr ? 1 : 0;
  }
  EXPECT_EQ(bars, 1);

  QPointer<ChartWindow> chart = openWindows().front();
  window.close();
  flushDeletes();
  EXPECT_TRUE(openWindows().empty());
  EXPECT_TRUE(chart.isNull());
}

TEST_F(ChartTest, TooltipsNameStationTimeAndVolumeUnderThePointer) {
  // 0101 counted 130 vehicles from 05:00 on 3 January 2005, 0102 102 from 07:00.
  const QString tip130 = "0101\nMon 1/3/2005 05:00\nVolume: 130";
  const double five = hourKey(0, 5);
  const frmGraphL* lines = PlotHourlyVol(toolkit, nullptr, table, pick(table, {0, 1}, {0}), 0);
  const QCPAbstractPlottable& first = *lines->TChart1->plottable(0);
  EXPECT_EQ(lines->toolTipAt(first.coordsToPixels(five, 130) + QPointF(2, -2)), tip130);
  EXPECT_EQ(lines->toolTipAt(first.coordsToPixels(five, 130) + QPointF(0, -40)), "");
  EXPECT_EQ(lines->toolTipAt(lines->TChart1->plottable(1)->coordsToPixels(hourKey(0, 7), 102)),
            "0102\nMon 1/3/2005 07:00\nVolume: 102");

  // Side by side, the second station's bar is the right half of the hour's slot.
  frmGraphL* bars = PlotHourlyVol(toolkit, nullptr, table, pick(table, {0, 1}, {0}), 1);
  QCustomPlot& barPlot = *bars->TChart1;
  barPlot.xAxis->setRange(five - 2 * kSecondsPerHour, five + 2 * kSecondsPerHour);
  barPlot.replot();
  const int volume = table.VolArrByIndex(0, 1)[5];
  EXPECT_EQ(bars->toolTipAt(barPlot.plottable(1)->coordsToPixels(five + 900, volume / 2.0)),
            QStringLiteral("0102\nMon 1/3/2005 05:00\nVolume: %1").arg(volume));
  EXPECT_EQ(bars->toolTipAt(barPlot.plottable(0)->coordsToPixels(five - 900, 65)), tip130);

  const frmVolColorGrid* grid = PlotVolColorGrid(toolkit, nullptr, table, pick(table, {0, 1}, {0}));
  const QCPAbstractPlottable& cells = *grid->TChart1->plottable(0);
  EXPECT_EQ(grid->toolTipAt(cells.coordsToPixels(five + 1800, 0)), tip130);

  // Bins of 50 from 0 for 0101 on 1/3 (26 to about 1,190): the pointer's volume rounds down
  // to its bin, anywhere in the bin's column.
  const frmGraphH* histogram = PlotVolHistogram(toolkit, nullptr, table, pick(table, {0}, {0}));
  const QCustomPlot& histPlot = *histogram->TChart1;
  // Each bar centred on its bin, the last bin's right edge the end of the axis.
  const auto binBars = qobject_cast<QCPBars*>(histogram->TChart1->plottable(0))->data();
  EXPECT_EQ(binBars->at(2)->key, 125);
  EXPECT_EQ(histPlot.xAxis->range().upper, 50.0 * binBars->size());
  const HourlyVolumes day = table.VolArrByIndex(0, 0);
  const auto inBin2 = std::count_if(day.begin(), day.end(), [](int v) { return v / 50 == 2; });
  const QString bin2 = QStringLiteral("Volumes 100 to 149\nCount: %1").arg(inBin2);
  const struct {
    double volume;
    QString tip;
  } bins[] = {
      {99.9, "Volumes 50 to 99"}, {100.0, bin2}, {149.9, bin2}, {150.0, "Volumes 150 to 199"}};
  for (const auto& bin : bins) {
    const QPointF at(histPlot.xAxis->coordToPixel(bin.volume), histPlot.yAxis->coordToPixel(0.5));
    EXPECT_TRUE(histogram->toolTipAt(at).startsWith(bin.tip)) << bin.volume;
  }
}

// Station "Äß01" (Latin-1 bytes) counted 300 vehicles in every hour of 3, 5 and 9 to 16 January
// 2005 and of the morning of the 4th; nothing else.
class ChartGapTest : public ChartTest {
 protected:
  ChartGapTest() {
    const Day day = spread(24 * 300);
    std::string text;
    for (const int d : {3, 5, 9, 10, 11, 12, 13, 14, 15, 16})
      text += dayLines(kName, dateFromCivil({2005, 1, d}), day);
    text += countLine('1', "010405", kName, rising(300, 0)) + "\r\n";
    gaps = tableOf(text);
  }
  static constexpr const char* kName = "\xC4\xDF\x30\x31";
  ATRTable gaps;
};

TEST_F(ChartGapTest, BarsGridAndTooltipsShowOnlyCountedHoursAndTheNameAsItsBytes) {
  const QString name = QString::fromLatin1(kName);
  const PlotSelection all = pick(gaps, {0}, {0, 1, 2, 10});  // 3, 5, 9, 4 January
  QCustomPlot& bars = *PlotHourlyVol(toolkit, nullptr, gaps, all, 1)->TChart1;
  EXPECT_EQ(bars.plottable(0)->name(), name);
  EXPECT_EQ(qobject_cast<QCPBars*>(bars.plottable(0))->data()->size(), 3 * 24 + 12);

  const frmVolColorGrid* grid = PlotVolColorGrid(toolkit, nullptr, gaps, all);
  QCustomPlot& plot = *grid->TChart1;
  plot.replot();
  EXPECT_TRUE(plot.yAxis->tickVectorLabels().contains(name));
  const double afternoon = timeKey(dateFromCivil({2005, 1, 4})) + 15 * kSecondsPerHour;
  const QCPAbstractPlottable& cells = *plot.plottable(0);
  EXPECT_EQ(grid->toolTipAt(cells.coordsToPixels(afternoon + 1800, 0)),
            name + "\nTue 1/4/2005 15:00\nNot counted");  // a half-counted day is a gap, no fault
  // 6 to 8 January lie between picked dates and have no cells at all.
  const QPointF between =
      cells.coordsToPixels(timeKey(dateFromCivil({2005, 1, 7})) + 12 * kSecondsPerHour, 0);
  EXPECT_EQ(plot.toPixmap().toImage().pixelColor(between.toPoint()), notCountedColour());
}

// Squeezed below a pixel per hour, every kind switches to its dense drawing; the days nobody
// counted must stay empty there too.
TEST_F(ChartGapTest, DenseDrawingLeavesTheUncountedDaysEmpty) {
  for (const int graphType : {0, 1, 3}) {  // line, bars, area
    SCOPED_TRACE(graphType);
    const PlotSelection everything = pick(gaps, {0}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    frmGraphL* chart = PlotHourlyVol(toolkit, nullptr, gaps, everything, graphType);
    chart->resize(320, 240);
    QCustomPlot& plot = *chart->TChart1;
    const QImage image = plot.toPixmap().toImage();
    const QRect rect = plot.axisRect()->rect();
    ASSERT_LT(rect.width(), 14 * 24 / 2);
    // The series' blue, pure or blended into the yellow background; the background is never bluer
    // than red.
    const auto drawnAt = [&](int day, int hour) {
      const int x = qRound(plot.xAxis->coordToPixel(timeKey(dateFromCivil({2005, 1, day})) +
                                                    hour * kSecondsPerHour));
      for (int y = rect.top() + 1; y < rect.bottom(); ++y) {
        const QColor c = image.pixelColor(x, y);
        if (c.blue() > c.red() + 40) return true;
      }
      return false;
    };
    EXPECT_TRUE(drawnAt(3, 12));
    EXPECT_TRUE(drawnAt(5, 12));
    EXPECT_FALSE(drawnAt(7, 0));
    EXPECT_FALSE(drawnAt(4, 20));
  }
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
  const auto path = [&](const char* name) { return QString::fromStdString(scratch.file(name)); };
  frmGraphL* chart = PlotDailyVol(toolkit, nullptr, table, pick(table, {0}, {0, 1}), 0);
  const std::unique_ptr<QMenu> menu(chart->createContextMenu());
  const QList<QAction*> actions = menu->actions();  // PNG, JPEG, PDF, separator, ...
  ASSERT_GE(actions.size(), 3);

  toolkit.answer(path("daily.pdf"));
  actions[2]->trigger();
  ASSERT_EQ(toolkit.dialogs.size(), 1u);
  EXPECT_EQ(toolkit.dialogs[0].settings.defaultExtension, "pdf");
  EXPECT_TRUE(readBytes(scratch.file("daily.pdf")).starts_with("%PDF-"));
  toolkit.answer(path("daily.png"));
  actions[0]->trigger();
  EXPECT_EQ(QImage(path("daily.png")).size(), chart->size());
  EXPECT_TRUE(toolkit.messages.empty());

  const QString missing = path("missing/daily.png");
  const auto reason = chart->saveChart(missing, ChartFileFormat::Png);
  ASSERT_TRUE(reason);
  toolkit.answer(missing);
  actions[0]->trigger();
  EXPECT_EQ(
      toolkit.messages,
      std::vector({warning("The chart could not be saved to " + missing + ":\r\n" + *reason)}));

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
  EXPECT_EQ(chartTitle(plot)->text(), "Hourly Volume Plot of Stations \n2 stations, 2005-01-03");
  EXPECT_NE(plot.graph(0)->pen().color(), QColor(Qt::magenta));

  ChartEditor editor(plot);
  EXPECT_EQ(editor.titleEdit->text(), "Hourly Volume Plot of Stations  | 2 stations, 2005-01-03");
  ASSERT_EQ(editor.seriesTable->rowCount(), 2);
  EXPECT_EQ(editor.seriesTable->item(1, ChartEditor::kTitleColumn)->text(), "0102");
  editor.titleEdit->setText(QStringLiteral("Week one | Mainline"));
  editor.bottomAxisEdit->setText(QStringLiteral("Hour"));
  editor.legendCheck->setChecked(false);
  editor.seriesTable->item(1, ChartEditor::kTitleColumn)->setText(QStringLiteral("Side road"));
  editor.setRowColour(1, Qt::magenta);
  editor.seriesTable->item(0, ChartEditor::kVisibleColumn)->setCheckState(Qt::Unchecked);
  static_cast<QSpinBox*>(editor.seriesTable->cellWidget(1, ChartEditor::kWidthColumn))->setValue(3);
  editor.accept();
  EXPECT_EQ(chartTitle(plot)->text(), "Week one\nMainline");
  EXPECT_EQ(plot.xAxis->label(), "Hour");
  EXPECT_FALSE(plot.legend->visible());
  EXPECT_FALSE(plot.graph(0)->visible());
  EXPECT_EQ(plot.graph(1)->name(), "Side road");
  EXPECT_EQ(plot.graph(1)->pen().color(), QColor(Qt::magenta));
  EXPECT_EQ(plot.graph(1)->pen().widthF(), 3.0);
}

TEST(ChartFormat, TimeKeysCountUtcSecondsOnTheLinearDayScale) {
  // Before 30 December 1899 the fraction counts forward: -1.25 is 29 December 1899, 06:00.
  EXPECT_EQ(timeKey(-1.25) - timeKey(-1.0), 6 * 3600.0);
  const DateNumber day = dateFromCivil({2022, 1, 10});
  for (int h = 0; h < 24; ++h) EXPECT_EQ(timeKey(day + h / 24.0), timeKey(day) + h * 3600.0);
}

TEST(ChartFormat, StoredLabelFormatsBecomeQtFormats) {
  const struct {
    const char* stored;
    const char* qt;
  } cases[] = {
      {"dd/mm/yyyy hh:nn", "dd/MM/yyyy hh:mm"},
      {"hh m/d", "hh M/d"},      // a blank ends the time: the month stays a month
      {"hh:nn z", "hh:mm 'z'"},  // Qt would read z as milliseconds
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(qtDateTimeFormat(c.stored, false), QString::fromLatin1(c.qt));
  }
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
  setDateTimeAxis(*plot.xAxis, qtDateTimeFormat(kHourDateFormat, true), 5);
  // 3 April 2005 was the day New York went to summer time.
  const double key = timeKey(dateFromCivil({2005, 4, 3}) + 5.0 / 24);
  QVector<double> ticks;
  QVector<QString> labels;
  plot.xAxis->ticker()->generate(QCPRange(key - 3600, key + 3600), QLocale::c(), QLatin1Char('g'),
                                 6, ticks, nullptr, &labels);
  const auto at = ticks.indexOf(key);
  ASSERT_GE(at, 0);
  EXPECT_EQ(labels.at(at), "05:00\nSun 4/3/05");
  EXPECT_EQ(keyText(key, false, unitedStates()), "Sun 4/3/2005");
  EXPECT_EQ(volumeToolTip("0101", key, true, 1234, unitedStates()),
            "0101\nSun 4/3/2005 05:00\nVolume: 1,234");
  EXPECT_EQ(binToolTip(-3, 1, 0, unitedStates()), "Volume -3\nCount: 0");
}

}  // namespace
}  // namespace ostrilo::test

#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QComboBox>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

#include "ChartTestSupport.h"
#include "app/CountTable.h"
#include "app/frmMain.h"
#include "plot/ChartData.h"
#include "plot/ChartFormat.h"
#include "plot/ColorGridPlottable.h"
#include "plot/Plots.h"
#include "plot/frmGraphH.h"
#include "plot/frmGraphL.h"
#include "plot/frmVolColorGrid.h"

namespace ostrilo::test {
namespace {

double hourKey(const ATRTable& table, int date, int hour) {
  return timeKey(table.DatebyIndex(static_cast<std::int16_t>(date))) + hour * kSecondsPerHour;
}

const QCPAxisTickerDateTime* dateTicker(const QCPAxis* axis) {
  return dynamic_cast<const QCPAxisTickerDateTime*>(axis->ticker().data());
}

using ChartPlotTest = ChartTest;

TEST_F(ChartPlotTest, HourlyGraphHasOneSeriesPerStationWithEveryHourInUtc) {
  frmGraphL* window = PlotHourlyVol(toolkit, nullptr, table, pick(table, {2, 0}, {0, 1, 2}), 0);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->objectName(), "frmGraphL");
  EXPECT_EQ(window->windowTitle(), "Hourly Volume Graph");
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->parentWidget(), nullptr);
  EXPECT_TRUE(window->testAttribute(Qt::WA_DeleteOnClose));
  EXPECT_EQ(window->size(), QSize(571, 313));
  QCustomPlot& plot = *window->TChart1;
  EXPECT_EQ(plot.objectName(), "TChart1");
  EXPECT_EQ(plot.geometry(), window->rect());

  ASSERT_EQ(plot.graphCount(), 2);
  EXPECT_EQ(plot.graph(0)->name(), "0101");  // list order, not pick order
  EXPECT_EQ(plot.graph(1)->name(), "0103");
  for (int s = 0; s < 2; ++s) {
    const auto data = plot.graph(s)->data();
    ASSERT_EQ(data->size(), 72);
    EXPECT_EQ(data->constBegin()->key, hourKey(table, 0, 0));
    EXPECT_EQ((data->constEnd() - 1)->key, hourKey(table, 2, 23));
    EXPECT_EQ(data->at(29)->key, hourKey(table, 1, 5));
    EXPECT_EQ(data->at(29)->value, table.VolArrByIndex(1, static_cast<std::int16_t>(2 * s))[5]);
  }
  // 3 January 2005, 00:00 UTC.
  EXPECT_EQ(hourKey(table, 0, 0), 1104710400.0);

  const auto* ticker = dateTicker(plot.xAxis);
  ASSERT_NE(ticker, nullptr);
  EXPECT_EQ(ticker->dateTimeFormat(), "hh:mm\nM/d/yy");
  EXPECT_EQ(ticker->dateTimeSpec(), Qt::UTC);
  EXPECT_EQ(plot.yAxis->label(), "Vehicles per hour");
  EXPECT_TRUE(plot.legend->visible());
  EXPECT_EQ(plot.legend->itemCount(), 2);
  EXPECT_EQ(plot.axisRect()->rangeDrag(), Qt::Horizontal);
  EXPECT_EQ(plot.axisRect()->rangeZoom(), Qt::Horizontal);
}

TEST_F(ChartPlotTest, DailyGraphHasOnePointPerDateAtMidnight) {
  const QPointer<frmGraphL> window =
      PlotDailyVol(toolkit, nullptr, table, pick(table, {3}, {0, 4, 6}), 0);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), "Daily Volume Graph");
  QCustomPlot& plot = *window->TChart1;
  ASSERT_EQ(plot.graphCount(), 1);
  const auto data = plot.graph(0)->data();
  ASSERT_EQ(data->size(), 3);
  EXPECT_EQ(data->at(1)->key, hourKey(table, 4, 0));
  EXPECT_EQ(data->at(1)->value, table.DailyVolByIndex(4, 3));
  EXPECT_EQ(dateTicker(plot.xAxis)->dateTimeFormat(), "M/d/yy");
  EXPECT_EQ(plot.yAxis->label(), "Vehicles per day");
}

TEST_F(ChartPlotTest, LegendBesideTheChartWrapsIntoColumnsOfTen) {
  const frmGraphL* window = PlotDailyVol(
      toolkit, nullptr, table, pick(table, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, {0}), 0);
  const QCPLegend& legend = *window->TChart1->legend;
  EXPECT_EQ(legend.rowCount(), 10);
  ASSERT_EQ(legend.columnCount(), 2);
  auto* eleventh = qobject_cast<QCPPlottableLegendItem*>(legend.element(0, 1));
  ASSERT_NE(eleventh, nullptr);
  EXPECT_EQ(eleventh->plottable()->name(), "0111");
  EXPECT_EQ(legend.layout(), window->TChart1->plotLayout()->element(1, 1));
}

TEST_F(ChartPlotTest, GraphTypeGivesEverySeriesTheSamePlottableKind) {
  for (const int graphType : {-1, 0, 1, 2, 3, 4}) {
    SCOPED_TRACE(graphType);
    const frmGraphL* window =
        PlotHourlyVol(toolkit, nullptr, table, pick(table, {0, 1}, {0}), graphType);
    QCustomPlot& plot = *window->TChart1;
    ASSERT_EQ(plot.plottableCount(), 2);
    for (int s = 0; s < 2; ++s) {
      QCPAbstractPlottable* series = plot.plottable(s);
      auto* graph = qobject_cast<QCPGraph*>(series);
      auto* bars = qobject_cast<QCPBars*>(series);
      switch (seriesKindFor(graphType)) {
        case SeriesKind::Line:
          ASSERT_NE(graph, nullptr);
          EXPECT_EQ(graph->lineStyle(), QCPGraph::lsLine);
          EXPECT_EQ(graph->brush().style(), Qt::NoBrush);
          break;
        case SeriesKind::Bar:
          ASSERT_NE(bars, nullptr);
          EXPECT_EQ(bars->keyAxis(), plot.xAxis);
          ASSERT_NE(bars->barsGroup(), nullptr);
          EXPECT_EQ(bars->barsGroup()->size(), 2);  // side by side, not on top of each other
          EXPECT_EQ(bars->width(), kSecondsPerHour / 2);
          break;
        case SeriesKind::HorizBar:
          ASSERT_NE(bars, nullptr);
          EXPECT_EQ(bars->keyAxis(), plot.yAxis);
          EXPECT_NE(dateTicker(plot.yAxis), nullptr);
          EXPECT_EQ(plot.xAxis->label(), "Vehicles per hour");
          EXPECT_EQ(plot.axisRect()->rangeDrag(), Qt::Vertical);
          break;
        case SeriesKind::Area:
          ASSERT_NE(graph, nullptr);
          EXPECT_EQ(graph->brush().style(), Qt::SolidPattern);
          EXPECT_LT(graph->brush().color().alpha(), 255);
          EXPECT_EQ(graph->channelFillGraph(), nullptr);  // filled down to zero
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
}

TEST_F(ChartPlotTest, ColourGridKeepsCellsInRunsAndLeavesGapsEmpty) {
  const PlotSelection selection = pick(table, {0, 4, 7}, {0, 2});
  const frmVolColorGrid* window = PlotVolColorGrid(toolkit, nullptr, table, selection);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->objectName(), "frmVolColorGrid");
  EXPECT_EQ(window->windowTitle(), "Hourly Volume Color Grid Graph");
  EXPECT_EQ(window->size(), QSize(566, 334));
  QCustomPlot& plot = *window->TChart1;
  ASSERT_EQ(plot.plottableCount(), 1);
  const auto* runs = cellRunsOf(plot.plottable(0));
  ASSERT_NE(runs, nullptr);

  // 1/3 and 1/5 are not consecutive: two runs per row, nothing on 1/4.
  ASSERT_EQ(runs->size(), 6u);
  for (std::size_t r = 0; r < runs->size(); ++r) {
    const CellRun& run = (*runs)[r];
    EXPECT_EQ(run.row, static_cast<int>(r / 2));
    EXPECT_EQ(run.firstKey, hourKey(table, r % 2 == 0 ? 0 : 2, 0));
    EXPECT_EQ(run.volumes.size(), 24u);
    EXPECT_EQ(run.image.size(), QSize(24, 1));
  }
  EXPECT_FALSE(cellAt(plot.plottable(0), hourKey(table, 1, 12), 1));
  const auto cell = cellAt(plot.plottable(0), hourKey(table, 2, 7) + 1800, 1);
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->volume, table.VolArrByIndex(2, 4)[7]);
  EXPECT_EQ(cell->key, hourKey(table, 2, 7));

  // One scale for the whole grid: red at the lowest volume, green at the highest.
  const ColorGrid grid = volumeColorGrid(table, selection);
  for (const CellRun& run : *runs) {
    for (std::size_t c = 0; c < run.volumes.size(); ++c) {
      const QRgb colour = run.image.pixel(static_cast<int>(c), 0);
      if (run.volumes[c] == grid.lowest) {
        EXPECT_EQ(colour, qRgb(255, 0, 0));
      }
      if (run.volumes[c] == grid.highest) {
        EXPECT_EQ(colour, qRgb(0, 255, 0));
      }
    }
  }
  const auto* scale = qobject_cast<QCPColorScale*>(plot.plotLayout()->element(1, 1));
  ASSERT_NE(scale, nullptr);
  EXPECT_EQ(scale->dataRange(), QCPRange(grid.lowest, grid.highest));
  EXPECT_EQ(plot.yAxis->label(), "Stations");
  EXPECT_EQ(plot.yAxis->range(), QCPRange(-0.5, 2.5));
}

TEST_F(ChartPlotTest, ColourGridJoinsDatesPickedOutOfCalendarOrder) {
  const frmVolColorGrid* grid =
      PlotVolColorGrid(toolkit, nullptr, table, pick(table, {0, 1}, {2, 0, 1}));
  const auto* runs = cellRunsOf(grid->TChart1->plottable(0));
  ASSERT_EQ(runs->size(), 2u);
  EXPECT_EQ(runs->front().firstKey, hourKey(table, 0, 0));
  EXPECT_EQ(runs->front().volumes.size(), 72u);
  EXPECT_EQ(runs->front().volumes[24 + 3], table.VolArrByIndex(1, 0)[3]);
}

TEST_F(ChartPlotTest, HistogramDrawsThirtyOneRedBarsOverTheirBins) {
  const PlotSelection selection = pick(table, {0, 1}, {0, 1});
  const frmGraphH* window = PlotVolHistogram(toolkit, nullptr, table, selection);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->objectName(), "frmGraphH");
  EXPECT_EQ(window->windowTitle(), "Histogram of hourly volume in the Selected range");
  EXPECT_EQ(window->size(), QSize(470, 311));
  QCustomPlot& plot = *window->TChart1;
  ASSERT_EQ(plot.plottableCount(), 1);
  const auto* bars = qobject_cast<QCPBars*>(plot.plottable(0));
  ASSERT_NE(bars, nullptr);
  EXPECT_EQ(bars->brush().color(), QColor(255, 0, 0));
  EXPECT_FALSE(plot.legend->visible());
  EXPECT_EQ(plot.yAxis->label(), "Occurrence ");

  const Histogram histogram = volumeHistogram(table, selection);
  ASSERT_EQ(bars->data()->size(), 31);
  EXPECT_EQ(bars->width(), histogram.width);
  for (int n = 0; n < 31; ++n) {
    const auto& bin = histogram.bars[static_cast<std::size_t>(n)];
    EXPECT_EQ(bars->data()->at(n)->key, bin.x + histogram.width / 2.0);
    EXPECT_EQ(bars->data()->at(n)->value, bin.y);
  }
  EXPECT_EQ(plot.xAxis->range(),
            QCPRange(histogram.smallest, histogram.smallest + 31.0 * histogram.width));
}

TEST_F(ChartPlotTest, FailedCheckWarnsAndOpensNothing) {
  const PlotSelection noDate = pick(table, {0}, {});
  EXPECT_EQ(PlotHourlyVol(toolkit, nullptr, table, noDate, 0), nullptr);
  EXPECT_EQ(PlotDailyVol(toolkit, nullptr, table, noDate, 0), nullptr);
  EXPECT_EQ(PlotVolColorGrid(toolkit, nullptr, table, noDate), nullptr);
  EXPECT_EQ(PlotVolHistogram(toolkit, nullptr, table, noDate), nullptr);
  EXPECT_TRUE(openChartWindows().empty());
  ASSERT_EQ(toolkit.messages.size(), 4u);
  for (const auto& message : toolkit.messages) {
    EXPECT_EQ(message.text, "You must select one or more dates.");
    EXPECT_EQ(message.icon, MessageIcon::Exclamation);
  }
}

class ChartButtonsTest : public ChartTest {
 protected:
  ChartButtonsTest() {
    releaseCountTable();
    main.show();
    main.txtATRfileName->setText(sampleFile("ATR20050103w1.dat"));
    main.cmdBuildNew->click();
    main.lstSta->setCurrentRow(1);
    main.lstDate->setCurrentRow(0);
    main.lstDate->item(1)->setSelected(true);
  }
  ~ChartButtonsTest() override { releaseCountTable(); }

  template <typename Window>
  std::vector<Window*> windowsOf() {
    std::vector<Window*> found;
    for (ChartWindow* w : openChartWindows()) {
      if (auto* window = qobject_cast<Window*>(w)) found.push_back(window);
    }
    return found;
  }

  frmMain main{toolkit};
};

TEST_F(ChartButtonsTest, EveryClickOpensItsOwnWindowFromTheLists) {
  main.cmdLine->click();
  main.cmdLine->click();
  main.cmdDailyGraph->click();
  main.cmdColorGrid->click();
  main.cmdHist->click();
  EXPECT_EQ(windowsOf<frmGraphL>().size(), 3u);
  EXPECT_EQ(windowsOf<frmVolColorGrid>().size(), 1u);
  ASSERT_EQ(windowsOf<frmGraphH>().size(), 1u);
  for (frmGraphL* window : windowsOf<frmGraphL>()) {
    ASSERT_EQ(window->TChart1->plottableCount(), 1);
    EXPECT_EQ(window->TChart1->plottable(0)->name(), "0102");
  }
  EXPECT_EQ(windowsOf<frmGraphH>().front()->TChart1->plottable(0)->interface1D()->dataCount(), 31);
}

TEST_F(ChartButtonsTest, GraphTypeComesFromTheBoxAndTypedTextDrawsLines) {
  main.cmbGType->setCurrentIndex(1);
  main.cmdLine->click();
  ASSERT_EQ(windowsOf<frmGraphL>().size(), 1u);
  EXPECT_NE(qobject_cast<QCPBars*>(windowsOf<frmGraphL>().front()->TChart1->plottable(0)), nullptr);
  closeChartWindows();

  main.cmbGType->setEditText(QStringLiteral("Pie"));
  main.cmdDailyGraph->click();
  ASSERT_EQ(windowsOf<frmGraphL>().size(), 1u);
  const auto* graph =
      qobject_cast<QCPGraph*>(windowsOf<frmGraphL>().front()->TChart1->plottable(0));
  ASSERT_NE(graph, nullptr);
  EXPECT_EQ(graph->lineStyle(), QCPGraph::lsLine);
}

TEST_F(ChartButtonsTest, ClosingTheMainWindowClosesEveryChartWindow) {
  main.cmdLine->click();
  main.cmdColorGrid->click();
  main.cmdHist->click();
  QPointer<ChartWindow> chart = openChartWindows().front();
  ASSERT_EQ(openChartWindows().size(), 3u);
  main.close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(openChartWindows().empty());
  EXPECT_TRUE(chart.isNull());
}

}  // namespace
}  // namespace ostrilo::test

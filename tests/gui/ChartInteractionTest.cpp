#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "ChartTestSupport.h"
#include "plot/ChartEditor.h"
#include "plot/ChartFormat.h"
#include "plot/Plots.h"
#include "plot/frmGraphH.h"
#include "plot/frmGraphL.h"
#include "plot/frmVolColorGrid.h"

namespace ostrilo::test {
namespace {

using ChartInteractionTest = ChartTest;

QPointF pixelOf(const QCPAbstractPlottable& p, double key, double value) {
  return p.coordsToPixels(key, value);
}

double midnight(const ATRTable& table, int date) {
  return timeKey(table.DatebyIndex(static_cast<std::int16_t>(date)));
}

TEST_F(ChartInteractionTest, TooltipsNameStationTimeAndVolumeUnderThePointer) {
  // 0101 counted 130 vehicles from 05:00 on 3 January 2005.
  const frmGraphL* lines = PlotHourlyVol(toolkit, nullptr, table, pick(table, {0, 1}, {0}), 0);
  const QCPAbstractPlottable& first = *lines->TChart1->plottable(0);
  const double five = midnight(table, 0) + 5 * kSecondsPerHour;
  EXPECT_EQ(lines->toolTipAt(pixelOf(first, five, 130) + QPointF(2, -2)),
            "0101\n1/3/2005 05:00\nVolume: 130");
  EXPECT_EQ(lines->toolTipAt(pixelOf(first, five, 130) + QPointF(0, -40)), "");

  // Side by side, the second station's bar is the right half of the hour's slot.
  frmGraphL* bars = PlotHourlyVol(toolkit, nullptr, table, pick(table, {0, 1}, {0}), 1);
  QCustomPlot& barPlot = *bars->TChart1;
  barPlot.xAxis->setRange(five - 2 * kSecondsPerHour, five + 2 * kSecondsPerHour);
  barPlot.replot();
  const int station1Volume = table.VolArrByIndex(0, 1)[5];
  EXPECT_EQ(bars->toolTipAt(pixelOf(*barPlot.plottable(1), five + 900, station1Volume / 2.0)),
            QStringLiteral("0102\n1/3/2005 05:00\nVolume: %1").arg(station1Volume));
  EXPECT_EQ(bars->toolTipAt(pixelOf(*barPlot.plottable(0), five - 900, 65)),
            "0101\n1/3/2005 05:00\nVolume: 130");

  const frmVolColorGrid* grid = PlotVolColorGrid(toolkit, nullptr, table, pick(table, {0, 1}, {0}));
  const QCPAbstractPlottable& cells = *grid->TChart1->plottable(0);
  EXPECT_EQ(grid->toolTipAt(pixelOf(cells, five + 1800, 0)), "0101\n1/3/2005 05:00\nVolume: 130");
  EXPECT_EQ(grid->toolTipAt(pixelOf(cells, five + 1800, 1)).section('\n', 0, 1),
            "0102\n1/3/2005 05:00");

  const frmGraphH* histogram = PlotVolHistogram(toolkit, nullptr, table, pick(table, {0}, {0}));
  QCustomPlot& histPlot = *histogram->TChart1;
  const auto* histBars = qobject_cast<const QCPBars*>(histPlot.plottable(0));
  const double edge = histBars->data()->at(2)->key - histBars->width() / 2;
  const QString tip = histogram->toolTipAt(
      QPointF(histPlot.xAxis->coordToPixel(edge + 0.4), histPlot.yAxis->coordToPixel(0.5)));
  EXPECT_TRUE(tip.startsWith(QStringLiteral("Volumes %1 to ").arg(edge))) << tip.toStdString();
  EXPECT_TRUE(tip.endsWith(QStringLiteral("Count: %1").arg(histBars->data()->at(2)->value)));
}

TEST_F(ChartInteractionTest, ResetZoomRestoresTheFilledView) {
  frmGraphL* window = PlotHourlyVol(toolkit, nullptr, table, pick(table, {0}, {0, 1}), 0);
  QCustomPlot& plot = *window->TChart1;
  const QCPRange keys = plot.xAxis->range();
  const QCPRange values = plot.yAxis->range();
  EXPECT_LE(keys.lower, midnight(table, 0));
  EXPECT_GE(keys.upper, midnight(table, 1) + 23 * kSecondsPerHour);
  EXPECT_EQ(values.lower, 0);
  plot.xAxis->setRange(keys.lower + 3600, keys.lower + 7200);
  plot.yAxis->setRange(10, 20);
  window->resetZoom();
  EXPECT_EQ(plot.xAxis->range(), keys);
  EXPECT_EQ(plot.yAxis->range(), values);
}

TEST_F(ChartInteractionTest, SavesEveryFormatAndNamesTheReasonOfAFailure) {
  QTemporaryDir dir;
  const frmGraphH* window = PlotVolHistogram(toolkit, nullptr, table, pick(table, {0}, {0}));
  const auto png = dir.filePath(QStringLiteral("h.png"));
  EXPECT_EQ(window->saveChart(png, ChartFileFormat::Png), std::nullopt);
  EXPECT_EQ(QImage(png).size(), QSize(470, 311));
  const auto jpeg = dir.filePath(QStringLiteral("h.jpg"));
  EXPECT_EQ(window->saveChart(jpeg, ChartFileFormat::Jpeg), std::nullopt);
  EXPECT_EQ(QImage(jpeg, "JPEG").size(), QSize(470, 311));
  const auto pdf = dir.filePath(QStringLiteral("h.pdf"));
  EXPECT_EQ(window->saveChart(pdf, ChartFileFormat::Pdf), std::nullopt);
  QFile pdfFile(pdf);
  ASSERT_TRUE(pdfFile.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdfFile.read(5) == "%PDF-");

  const auto missing = dir.filePath(QStringLiteral("no/such/folder/h.png"));
  const auto problem = window->saveChart(missing, ChartFileFormat::Png);
  ASSERT_TRUE(problem);
  EXPECT_FALSE(problem->isEmpty());
  EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(ChartInteractionTest, ContextMenuAsksForTheFileAndWarnsWhenSavingFails) {
  QTemporaryDir dir;
  frmGraphL* window = PlotDailyVol(toolkit, nullptr, table, pick(table, {0}, {0, 1}), 0);
  std::unique_ptr<QMenu> menu(window->createContextMenu());
  QStringList texts;
  QList<QAction*> actions;
  for (QAction* action : menu->actions()) {
    if (!action->isSeparator()) {
      texts << action->text();
      actions << action;
    }
  }
  EXPECT_EQ(texts, QStringList({"Save as PNG…", "Save as JPEG…", "Save as PDF…",
                                "Copy to clipboard", "Reset zoom"}));

  toolkit.answer(dir.filePath(QStringLiteral("daily.pdf")));
  actions[2]->trigger();
  ASSERT_EQ(toolkit.dialogs.size(), 1u);
  EXPECT_EQ(toolkit.dialogs[0].settings.defaultExtension, "pdf");
  EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("daily.pdf"))));
  EXPECT_TRUE(toolkit.messages.empty());

  toolkit.answer(dir.filePath(QStringLiteral("missing/daily.png")));
  actions[0]->trigger();
  ASSERT_EQ(toolkit.messages.size(), 1u);
  EXPECT_EQ(toolkit.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_TRUE(toolkit.messages[0].text.contains(QStringLiteral("daily.png")));

  toolkit.answer(std::nullopt);  // Cancel writes nothing and says nothing
  actions[1]->trigger();
  EXPECT_EQ(toolkit.messages.size(), 1u);
}

class ChartEditorTest : public ChartTest {
 protected:
  frmGraphL* window = PlotHourlyVol(toolkit, nullptr, table, pick(table, {0, 1}, {0}), 0);
  QCustomPlot& plot = *window->TChart1;
};

TEST_F(ChartEditorTest, OkAppliesTitlesLegendAndSeriesLook) {
  ChartEditor editor(plot, window);
  EXPECT_EQ(editor.objectName(), "ChartEditor1");
  EXPECT_EQ(editor.titleEdit->text(), "Hourly Volume Plot of Stations ");
  EXPECT_EQ(editor.leftAxisEdit->text(), "Vehicles per hour");
  ASSERT_EQ(editor.seriesTable->rowCount(), 2);
  EXPECT_EQ(editor.seriesTable->item(1, ChartEditor::kTitleColumn)->text(), "0102");
  EXPECT_EQ(editor.rowColour(1), plot.graph(1)->pen().color());

  editor.titleEdit->setText(QStringLiteral("Week one"));
  editor.bottomAxisEdit->setText(QStringLiteral("Hour"));
  editor.legendCheck->setChecked(false);
  editor.seriesTable->item(1, ChartEditor::kTitleColumn)->setText(QStringLiteral("Side road"));
  editor.setRowColour(1, Qt::magenta);
  editor.seriesTable->item(0, ChartEditor::kVisibleColumn)->setCheckState(Qt::Unchecked);
  static_cast<QSpinBox*>(editor.seriesTable->cellWidget(1, ChartEditor::kWidthColumn))->setValue(3);
  const int narrow = plot.axisRect()->width();
  editor.accept();

  EXPECT_GT(plot.axisRect()->width(), narrow);  // the legend's column went with it
  EXPECT_EQ(qobject_cast<QCPTextElement*>(plot.plotLayout()->element(0, 0))->text(), "Week one");
  EXPECT_EQ(plot.xAxis->label(), "Hour");
  EXPECT_FALSE(plot.legend->visible());
  EXPECT_FALSE(plot.graph(0)->visible());
  EXPECT_EQ(plot.graph(1)->name(), "Side road");
  EXPECT_EQ(plot.graph(1)->pen().color(), QColor(Qt::magenta));
  EXPECT_EQ(plot.graph(1)->pen().widthF(), 3.0);
}

TEST_F(ChartEditorTest, CancelLeavesTheChartAlone) {
  ChartEditor editor(plot, window);
  editor.titleEdit->setText(QStringLiteral("Week one"));
  editor.setRowColour(0, Qt::magenta);
  editor.reject();
  EXPECT_EQ(qobject_cast<QCPTextElement*>(plot.plotLayout()->element(0, 0))->text(),
            "Hourly Volume Plot of Stations ");
  EXPECT_NE(plot.graph(0)->pen().color(), QColor(Qt::magenta));
}

TEST_F(ChartEditorTest, DoubleClickOpensTheEditorOnlyWhereTheWindowHasOne) {
  QString opened;
  auto closeEditor = [&opened] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      opened = modal->objectName();
      modal->close();
    }
  };
  QTimer::singleShot(0, closeEditor);
  QTest::mouseDClick(&plot, Qt::LeftButton, {}, plot.axisRect()->rect().center());
  EXPECT_EQ(opened, "ChartEditor1");

  opened.clear();
  frmGraphH* histogram = PlotVolHistogram(toolkit, nullptr, table, pick(table, {0}, {0}));
  QTimer::singleShot(0, closeEditor);
  QTest::mouseDClick(histogram->TChart1, Qt::LeftButton, {},
                     histogram->TChart1->axisRect()->rect().center());
  QCoreApplication::processEvents();
  EXPECT_EQ(opened, "");
}

}  // namespace
}  // namespace ostrilo::test

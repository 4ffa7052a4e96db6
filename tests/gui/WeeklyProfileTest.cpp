#include <qcustomplot.h>

#include <QComboBox>
#include <QPushButton>
#include <cmath>

#include "GuiTestSupport.h"
#include "gui/charts/frmWeeklyProfile.h"
#include "tests/support/AnnualTestSupport.h"

namespace ostrilo::test {
namespace {

// Two Mondays (13 and 20 March 2023: 800 and 960 at 07:00), a Tuesday (720 at 07:00) and a
// Wednesday that lacks an hour, so it is no valid day; 0600 counted twice 0500's first Monday.
class WeeklyProfileTest : public MainWindowTest {
 protected:
  WeeklyProfileTest() {
    const std::string wednesday = dayLines("0500", day(2023, 3, 15), syntheticHours(9000));
    const std::string text = dayLines("0500", day(2023, 3, 13), syntheticHours(10000)) +
                             dayLines("0500", day(2023, 3, 14), syntheticHours(9000)) +
                             wednesday.substr(0, wednesday.find('\n') + 1) +
                             dayLines("0500", day(2023, 3, 20), syntheticHours(12000)) +
                             dayLines("0600", day(2023, 3, 13), syntheticHours(20000));
    build(QString::fromStdString(scratch.write("ATR20230313w1.dat", text)));
    window.lstSta->selectAll();
    window.lstDate->selectAll();
    window.findChild<QPushButton*>("cmdWeeklyProfile")->click();
  }
};

TEST_F(WeeklyProfileTest, GridAndCurvesShowTheMeanOfEachHourOverTheValidDays) {
  const auto opened = openWindows<frmWeeklyProfile>();
  ASSERT_EQ(opened.size(), 1u);
  frmWeeklyProfile& profile = *opened.front();
  QCustomPlot& plot = *profile.TChart1;
  auto* map = qobject_cast<QCPColorMap*>(plot.plottable(0));
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->data()->cell(7, 0), 880);
  EXPECT_EQ(map->data()->cell(7, 1), 720);
  EXPECT_TRUE(std::isnan(map->data()->cell(7, 2))) << "an incomplete day is no valid day";
  EXPECT_FALSE(profile.cmbStation->isHidden());
  const QPointF monday7(plot.xAxis->coordToPixel(7), plot.yAxis->coordToPixel(0));
  EXPECT_EQ(profile.toolTipAt(monday7), "0500\nMonday 07:00-08:00\nMean 880.0 vehicles (n 2 days)");
  const QPointF top(monday7.x(), plot.axisRect()->top() + 2);
  EXPECT_TRUE(profile.toolTipAt(top).startsWith("0500\nMonday ")) << "Monday is the top row";

  profile.cmbKind->setCurrentIndex(frmWeeklyProfile::Curves);
  emit profile.cmbKind->activated(frmWeeklyProfile::Curves);
  ASSERT_EQ(plot.graphCount(), 7);
  EXPECT_EQ(std::pair(plot.graph(4)->pen().style(), plot.graph(5)->pen().style()),
            std::pair(Qt::SolidLine, Qt::DashLine))
      << "the weekend dashed from Saturday";
  const QPointF nearTuesday(plot.xAxis->coordToPixel(7), plot.yAxis->coordToPixel(730));
  EXPECT_EQ(profile.toolTipAt(nearTuesday),
            "0500\nTuesday 07:00-08:00\nMean 720.0 vehicles (n 1 days)");

  profile.cmbStation->setCurrentIndex(1);
  emit profile.cmbStation->activated(1);
  profile.cmbKind->setCurrentIndex(frmWeeklyProfile::Grid);
  emit profile.cmbKind->activated(frmWeeklyProfile::Grid);
  map = qobject_cast<QCPColorMap*>(plot.plottable(0));
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->data()->cell(7, 0), 1600) << "the picked station stays";
}

}  // namespace
}  // namespace ostrilo::test

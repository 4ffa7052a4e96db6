#include <qcustomplot.h>

#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>
#include <QTreeWidget>
#include <filesystem>

#include "GuiTestSupport.h"
#include "core/register/StationRegister.h"
#include "gui/annual/AnnualViews.h"
#include "gui/annual/frmAnnual.h"
#include "gui/annual/frmAnnualDetail.h"
#include "gui/annual/frmExpand.h"
#include "gui/annual/frmYearChart.h"
#include "tests/support/AnnualTestSupport.h"

namespace ostrilo::test {
namespace {

// List order 0200, 0300, 0100: the synthetic 2023 (AADT 10,000), the same doubled (20,000),
// and a two-day count (Tue 14 and Wed 15 March) whose AADT is n/a; its Wednesday peaks an hour
// later, so that its average day's morning peak (08:00, (676 + 784) / 2) is not the mean of the
// days' peaks ((772 + 784) / 2).
class AnnualTest : public MainWindowTest {
 protected:
  AnnualTest() {
    std::string text = syntheticYear("0200");
    for (DateNumber d = day(2023, 1, 1); d <= day(2023, 12, 31); d += 1) {
      text += dayLines("0300", d, syntheticHours(2 * syntheticDailyTotal(d)));
    }
    Day wednesday = syntheticHours(9800);
    std::swap(wednesday[7], wednesday[8]);
    text += dayLines("0100", day(2023, 3, 14), syntheticHours(9650)) +
            dayLines("0100", day(2023, 3, 15), wednesday);
    build(QString::fromStdString(scratch.write("ATR20230101w1.dat", text)));
    toolkit.messages.clear();
  }
  frmAnnual& open() {
    select(window.lstSta, {0, 1, 2});
    window.cmdAnnual->click();
    const auto found = openWindows<frmAnnual>();
    if (found.size() != 1) throw std::runtime_error("no annual window");
    return *found.front();
  }
  static QStringList column(const QTreeWidget& lv, int c) {
    QStringList texts;
    for (int r = 0; r < lv.topLevelItemCount(); ++r) texts << lv.topLevelItem(r)->text(c);
    return texts;
  }
};

TEST_F(AnnualTest, RowsShowFiguresWithNaAndSortByValueWithNaLast) {
  window.lstSta->clearSelection();
  window.cmdAnnual->click();  // the dates need no pick, the stations do
  EXPECT_EQ(toolkit.messages, std::vector{refusal("You must select one or more stations.")});
  frmAnnual& annual = open();
  QTreeWidget& lv = *annual.LV;
  ASSERT_EQ(lv.topLevelItemCount(), 3);
  auto row = [&lv](int r) {
    QStringList cells;
    for (int c = 0; c < lv.columnCount(); ++c) {
      if (!lv.isColumnHidden(c)) cells << lv.topLevelItem(r)->text(c);
    }
    return cells.join(QLatin1Char('|'));
  };
  EXPECT_EQ(row(0),
            "0200|2023|365|10,006|10,000|84/84|9.92|992|9.38|07:00|841|8.00|16:00|789|7.50");
  EXPECT_EQ(row(2), "0100|2023|2|9,725|n/a|2/84|n/a|357|n/a|08:00|730|7.51|16:00|730|7.50");

  const int aadt = 4;
  emit lv.header()->sectionClicked(aadt);
  EXPECT_EQ(column(lv, aadt), QStringList({"10,000", "20,000", "n/a"}));
  emit lv.header()->sectionClicked(aadt);
  EXPECT_EQ(column(lv, aadt), QStringList({"20,000", "10,000", "n/a"}));
  emit lv.header()->sectionClicked(0);
  EXPECT_EQ(column(lv, 0), QStringList({"0100", "0200", "0300"}));

  // Custom windows recompute the peaks; a window that ends before it starts is refused.
  for (const auto& [text, am, pm, warned] : {std::tuple{"8-12,12-15", "08:00", "14:00", false},
                                             {"12-8,0-1", "08:00", "14:00", true},
                                             {"6-10,15-19", "07:00", "16:00", false}}) {
    toolkit.messages.clear();
    annual.txtPeaks->setText(QString::fromLatin1(text));
    emit annual.txtPeaks->editingFinished();
    EXPECT_EQ(lv.topLevelItem(1)->text(9) + lv.topLevelItem(1)->text(12), QString(am) + pm) << text;
    EXPECT_EQ(toolkit.messages.size(), warned ? 1u : 0u) << text;
  }
  EXPECT_EQ(annual.cmbPeaks->currentIndex(), 1) << "the commuter preset is recognised";
  EXPECT_EQ(column(lv, 0), QStringList({"0100", "0200", "0300"})) << "a refill keeps the sort";
  annual.setExportSources({{},
                           std::make_shared<const StationRegister>(StationRegister::parse(
                               "station,name\n0100,Aspen\n0200,Cedar\n0300,Birch\n", "r"))});
  EXPECT_EQ(column(lv, 15), QStringList({"Aspen", "Cedar", "Birch"}));
}

TEST_F(AnnualTest, CopyAndExportGiveTheShownRowsAndTheAnnualCsvBytes) {
  frmAnnual& annual = open();
  annual.LV->topLevelItem(2)->setSelected(true);
  annual.copySelectedRows();
  const QStringList lines = QApplication::clipboard()->text().split('\n');
  EXPECT_TRUE(lines.value(1).startsWith("0100\t2023\t2\t9,725\tn/a\t2/84\tn/a\t357\t"))
      << lines[1].toStdString();

  const std::string path = scratch.file("annual.csv");
  toolkit.answer(QString::fromStdString(path));
  annual.cmdExport->click();
  EXPECT_EQ(toolkit.messages, std::vector{information("Done.")});
  EXPECT_NE(readBytes(path).find("\n0100,2023,2,9725,,2,357,"), std::string::npos)
      << readBytes(path);
}

TEST_F(AnnualTest, DetailShowsTheMonthWeekdayGridAndItsFactors) {
  frmAnnual& annual = open();
  emit annual.LV->header()->sectionClicked(0);  // 0100, 0200, 0300
  emit annual.LV->itemDoubleClicked(annual.LV->topLevelItem(1), 0);
  ASSERT_EQ(openWindows<frmAnnualDetail>().size(), 1u);
  frmAnnualDetail& full = *openWindows<frmAnnualDetail>().front();
  auto text = [](const frmAnnualDetail& d, int r, int c) { return d.grdMadw->item(r, c)->text(); };
  EXPECT_EQ(text(full, 2, 1), "9,690 (4)");  // March, Tuesday
  EXPECT_EQ(text(full, 0, frmAnnualDetail::kMadtColumn), "8,000 (31)");
  EXPECT_EQ(text(full, 0, frmAnnualDetail::kMfColumn), "1.2500");
  EXPECT_EQ(text(full, frmAnnualDetail::kAadwRow, 0), "10,000 (52)");
  EXPECT_EQ(text(full, frmAnnualDetail::kDfRow, 5), "1.1111");

  frmAnnualDetail& two = *annual.openDetail(2);
  EXPECT_EQ(text(two, 2, 1), "9,650 (1)");
  EXPECT_FALSE(two.weekendProfile) << "no weekend day: no profile of zeros";

  window.close();  // no annual window may keep the program running
  EXPECT_TRUE(openWindows<frmAnnualDetail>().empty() && openWindows<frmAnnual>().empty());
}

TEST_F(AnnualTest, ExpandUsesTheGroupsFactorsAndExportsTheEstimateCsv) {
  frmAnnual& annual = open();
  annual.cmdExpand->click();
  auto* pick = annual.findChild<frmExpandPick*>();
  ASSERT_NE(pick, nullptr);
  EXPECT_EQ(pick->groupStations(), (std::vector<std::int32_t>{0, 1})) << "those with an AADT";
  QListWidgetItem* chosen = pick->lstExpand->selectedItems().value(0);
  pick->lstExpand->clearSelection();
  EXPECT_FALSE(pick->cmdOK->isEnabled()) << "no station to expand";
  chosen->setSelected(true);
  pick->cmdOK->click();
  const auto opened = openWindows<frmExpand>();
  ASSERT_EQ(opened.size(), 1u);
  frmExpand& expand = *opened.front();
  ASSERT_EQ(expand.LV->topLevelItemCount(), 1);
  QStringList cells;
  for (int c = 0; c < expand.LV->columnCount(); ++c) {
    if (!expand.LV->isColumnHidden(c)) cells << expand.LV->topLevelItem(0)->text(c);
  }
  // Days used as a count with the first and last date; the export lists them all.
  EXPECT_EQ(cells, QStringList({"0100", "2023", "2", "3/14/2023,Tu", "3/15/2023,We", "9,987"}));
  EXPECT_EQ(expand.grdFactors->item(2, 1)->text(), "1.0320\nn 2, SD 0.0000\nCV 0.00 %");

  const std::string path = scratch.file("expand.csv");
  toolkit.answer(QString::fromStdString(path));
  expand.cmdExport->click();
  EXPECT_NE(readBytes(path).find(",9987,2023-03-14 2023-03-15"), std::string::npos);
}

// A register pairing 0200 and 0300 as one road; 0200 also counted through 2024, doubled.
class RoadYearsTest : public AnnualTest {
 protected:
  RoadYearsTest() {
    std::string text;
    for (DateNumber d = day(2024, 1, 1); d <= day(2024, 12, 31); d += 1) {
      text += dayLines("0200", d, syntheticHours(2 * syntheticDailyTotal(d)));
    }
    add(QString::fromStdString(scratch.write("ATR20240101w1.dat", text)));
    const std::string reg = "station,road,direction\n0200,R1,E\n0300,R1,W\n0100,,\n";
    toolkit.answer(QString::fromStdString(scratch.write("register.csv", reg)));
    window.cmdStations->click();
    toolkit.messages.clear();
  }
};

TEST_F(RoadYearsTest, RoadsViewSumsTheDirectionsAndYearsViewChartsAadtElseAdt) {
  frmAnnual& annual = open();
  annual.setView(frmAnnual::kRoads);
  QTreeWidget& list = *annual.lstFigures;
  ASSERT_EQ(list.topLevelItemCount(), 2);
  const auto cell = [&list](int r, int c) { return list.topLevelItem(r)->text(c); };
  EXPECT_EQ(QStringList({cell(0, 0), cell(0, 1), cell(0, 2), cell(0, 5)}),
            QStringList({"R1", "0200+0300", "2023", "30,000"}));
  EXPECT_EQ(QStringList({cell(1, 2), cell(1, 3), cell(1, 5)}), QStringList({"2024", "0", "n/a"}))
      << "0300 was not counted in 2024: no two-way day";
  // DDHV = AADT x K30 x D30 = V30 x D30: from the shown figures, within their rounding.
  const QLocale us = unitedStates();
  const double v30 = us.toDouble(cell(0, 7)), d30 = us.toDouble(cell(0, 9));
  EXPECT_GT(d30, 60.0);
  EXPECT_LT(d30, 70.0);
  EXPECT_NEAR(us.toDouble(cell(0, 10)), v30 * d30 / 100, 1.0);
  // 0300 counts twice 0200 in every hour, to the hours' rounding, at the stations' peak hours.
  for (const auto& [c, hour] : {std::pair{12, "07:00 "}, std::pair{13, "16:00 "}}) {
    EXPECT_TRUE(cell(0, c).startsWith(hour)) << cell(0, c).toStdString();
    EXPECT_NEAR(us.toDouble(cell(0, c).mid(6).section('/', 0, 0)), 100.0 / 3, 0.02);
  }

  annual.txtPeaks->setText(QStringLiteral("8-12,12-15"));
  emit annual.txtPeaks->editingFinished();
  EXPECT_TRUE(cell(0, 12).startsWith("08:00 ")) << "new windows, new peaks";

  annual.setView(frmAnnual::kStationYears);
  QStringList rows;
  for (int r = 0; r < list.topLevelItemCount(); ++r) {
    QStringList cells;
    for (int c : {0, 1, 2, 4, 5, 6, 7}) cells << cell(r, c);
    rows << cells.join('|');
  }
  EXPECT_EQ(
      rows,
      QStringList({"0200|2023|365|10,000|84/84|n/a|n/a", "0200|2024|366|20,000|84/84|100.00|100.00",
                   "0300|2023|365|20,000|84/84|n/a|n/a", "0100|2023|2|n/a|2/84|n/a|n/a"}))
      << rows.join('\n').toStdString();

  frmYearChart& chart = *annual.openYearChart();
  // Per station an AADT line and its ADT squares, and one legend key for the squares.
  ASSERT_EQ(chart.plot->graphCount(), 7);
  const QCPGraph& aadt0200 = *chart.plot->graph(0);
  ASSERT_EQ(aadt0200.data()->size(), 2);
  EXPECT_NEAR(aadt0200.data()->at(1)->value, 20000, 0.5);
  emit list.header()->sectionClicked(0);  // 0100 on top: the rows picked, not their places
  list.topLevelItem(0)->setSelected(true);
  EXPECT_EQ(annual.openYearChart()->plot->graph(0)->name(), "0100");

  const std::pair<frmAnnual::View, QString> proposals[] = {
      {frmAnnual::kStations, "annual.csv"},
      {frmAnnual::kStationYears, "trend.csv"},
      {frmAnnual::kRoads, "roads.csv"},
      {frmAnnual::kRoadYears, "trend-roads.csv"}};
  for (const auto& [view, name] : proposals) {
    annual.setView(view);
    toolkit.answer(std::nullopt);
    annual.cmdExport->click();
    EXPECT_TRUE(toolkit.dialogs.back().settings.initialFileName.endsWith(name))
        << name.toStdString();
  }
}

// A register that places one station: the station rows export as a layer with that one point,
// and the message names the stations left out.
TEST_F(AnnualTest, ExportOffersAGeoJsonLayerWhenTheRegisterPlacesStations) {
  const std::string reg = "station,location\n0200,\"Main St; WGS84 52.5 13.25\"\n";
  toolkit.answer(QString::fromStdString(scratch.write("register.csv", reg)));
  window.cmdStations->click();
  frmAnnual& annual = open();
  const std::string path = scratch.file("annual.geojson");
  toolkit.messages.clear();
  toolkit.answer(QString::fromStdString(path));
  annual.cmdExport->click();
  EXPECT_EQ(toolkit.messages,
            std::vector{information("Done. No point in the register for: 0300, 0100")});
  const std::string text = readBytes(path);
  EXPECT_NE(text.find("\"coordinates\":[13.250000,52.500000]"), std::string::npos) << text;
  EXPECT_EQ(text.find("\"Feature\""), text.rfind("\"Feature\"")) << "one point";

  // Another view's table under a layer's name is refused, not written as CSV.
  annual.setView(frmAnnual::kStationYears);
  toolkit.messages.clear();
  annual.exportTo(QString::fromStdString(scratch.file("trend.geojson")));
  EXPECT_EQ(toolkit.messages,
            std::vector{warning("A GeoJSON layer maps the station rows: show the Stations view.")});
  EXPECT_FALSE(std::filesystem::exists(scratch.file("trend.geojson")));
}

// The annual window, a report and a whole-table export take the main window's checks, holiday
// calendar included: they run once per change, and a new table closes the annual window, which
// reads the table itself.
TEST_F(AnnualTest, TheAnnualWindowReportAndExportShareOneRunOfTheChecks) {
  window.cmbHolidays->setCurrentIndex(2);
  window.cmbHolidays->activated(2);  // Germany - Berlin
  const std::int64_t runs = window.analysis().runs();
  open().setView(frmAnnual::kStationYears);
  select(window.lstDate, {0, 1});
  toolkit.answerChoices(std::vector<int>{0});
  toolkit.answer(QString::fromStdString(scratch.file("r.pdf")));
  window.cmdReport->click();
  const std::string db = scratch.file("t.db");
  toolkit.answerChoices(std::vector<int>{7, 0});
  toolkit.answer(QString::fromStdString(db));
  window.cmdExportCounts->click();
  EXPECT_EQ(toolkit.messages, std::vector({information("Done."), information("Done.")}));
  EXPECT_NE(readBytes(db).find("HOLIDAY"), std::string::npos) << "the calendar's flags";
  EXPECT_EQ(window.analysis().runs(), runs);

  add(QString::fromStdString(
      scratch.write("ATR20240101w1.dat", dayLines("0100", day(2024, 1, 2), spread(2400)))));
  EXPECT_TRUE(openWindows<frmAnnual>().empty());
  EXPECT_EQ(window.analysis().runs(), runs + 1);
}

// 0400 counts the week's pattern without the seasons: F(Jan, Mo) = 1.0 against 1.25 for 0200
// and 0300; with the three, mean 1.1667, SD 0.1443 and CV 12.37 % (by hand).
TEST_F(AnnualTest, GroupsSideBySideMarkCellsAboveTheUsersCvAndSayWhyNoEstimate) {
  std::string text;
  for (DateNumber d = day(2023, 1, 1); d <= day(2023, 12, 31); d += 1) {
    static constexpr int w[] = {10000, 10200, 10300, 10500, 11500, 9000, 8500};
    text += dayLines("0400", d, syntheticHours(w[(weekday(d) + 5) % 7]));
  }
  add(QString::fromStdString(scratch.write("ATR20230101w2.dat", text)));
  const std::string reg = "station,group\n0100,city\n0200,motorway\n0300,motorway\n0400,motorway\n";
  toolkit.answer(QString::fromStdString(scratch.write("register.csv", reg)));
  window.cmdStations->click();
  window.lstSta->selectAll();
  window.cmdAnnual->click();
  frmAnnual& annual = *openWindows<frmAnnual>().front();
  annual.cmdExpand->click();
  auto* pick = annual.findChild<frmExpandPick*>();
  ASSERT_NE(pick, nullptr);
  pick->chkByGroups->setChecked(true);
  EXPECT_FALSE(pick->lstGroup->isEnabled());
  EXPECT_EQ(pick->groupStations().size(), 3u) << "no city station has an AADT: all three stay";
  pick->lstExpand->selectAll();
  pick->cmdOK->click();
  frmExpand& expand = *openWindows<frmExpand>().front();
  ASSERT_EQ(expand.grdGroups->columnCount(), 2);
  EXPECT_EQ(expand.grdGroups->horizontalHeaderItem(1)->text(), "motorway 2023");
  expand.cmbYear->setCurrentIndex(1);
  QTableWidgetItem* janMonday = expand.grdFactors->item(0, 0);
  EXPECT_EQ(janMonday->text(), "1.1667\nn 3, SD 0.1443\nCV 12.37 %");
  expand.setCvThreshold(12);
  EXPECT_EQ(expand.grdFactors->item(0, 0)->text(), "1.1667\nn 3, SD 0.1443\nCV 12.37 %\n0400");
  EXPECT_EQ(expand.spnCv->value(), 12);
  // Every January cell pairs 1.25 F twice with F: CV 12.37 %, the largest, moved most by 0400.
  EXPECT_EQ(expand.grdGroups->item(2, 1)->text() + " " + expand.grdGroups->item(3, 1)->text(),
            "7 12.37 %, 0400");
  for (int r = 0; r < expand.LV->topLevelItemCount(); ++r) {
    const QTreeWidgetItem& row = *expand.LV->topLevelItem(r);
    if (row.text(0) != "0100") continue;
    EXPECT_EQ(row.text(7), "n/a");
    EXPECT_NE(row.text(8).indexOf("2 are needed"), -1) << row.text(8).toStdString();
  }
  // The file holds each station's group and note, as the window does.
  const std::string path = scratch.file("groups.csv");
  expand.exportTo(QString::fromStdString(path));
  EXPECT_NE(readBytes(path).find(",factor_group,note\n"), std::string::npos) << readBytes(path);
}

// The change against the year before and the growth since the first year, each in its column.
TEST(TrendList, ShowsChangeAndGrowthInTheirColumns) {
  QTreeWidget list;
  fillTrendList(list, {TrendYear{"0100", 2025, 300, 10600, 10500, 84, 5.0, 2.47}}, unitedStates(),
                false);
  EXPECT_EQ(list.topLevelItem(0)->text(6) + " " + list.topLevelItem(0)->text(7), "5.00 2.47");
}

}  // namespace
}  // namespace ostrilo::test

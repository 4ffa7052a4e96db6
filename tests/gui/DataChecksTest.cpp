#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <stdexcept>

#include "GuiTestSupport.h"
#include "core/checks/CheckReport.h"
#include "core/export/TableExports.h"
#include "core/register/StationRegister.h"
#include "gui/charts/ChartFormat.h"
#include "gui/charts/frmGraphL.h"
#include "gui/checks/frmCompleteness.h"
#include "gui/checks/frmDataChecks.h"
#include "qcustomplot.h"

namespace ostrilo::test {
namespace {

// 28 December 2004 to 4 January 2005. AAAA is dead on the 31st and lost the afternoon of the 3rd,
// BBBB is dead on the 30th, CCCC on the 29th; AAAA is dead on the 4th as well. Every other day
// rises from 10 to 240 and raises no flag of its own. CCCC and the 4th are not picked.
class DataChecksWindowTest : public MainWindowTest {
 protected:
  DataChecksWindowTest() {
    Day rising{};
    for (int h = 0; h < kHoursPerDay; ++h) rising[static_cast<std::size_t>(h)] = 10 * (h + 1);
    std::string text;
    for (int d = 0; d < 8; ++d) {
      const DateNumber date = day(2004, 12, 28) + d;
      text += d == 6 ? countLine('1', "010305", "AAAA", test::rising(10)) + "\r\n"
                     : dayLines("AAAA", date, d == 3 || d == 7 ? Day{} : rising);
      text += dayLines("BBBB", date, d == 2 ? Day{} : rising);
      if (d == 1) text += dayLines("CCCC", date, Day{});
    }
    build(QString::fromStdString(scratch.write("ATR20041228w1.dat", text)));
    select(window.lstSta, {0, 1});
    select(window.lstDate, {0, 1, 2, 3, 4, 5, 6});
    window.cmdDataChecks->click();
    flushDeletes();
    if (openWindows<frmDataChecks>().size() != 1) throw std::runtime_error("no checks window");
    checks = openWindows<frmDataChecks>().front();
    toolkit.messages.clear();
  }

  // "station date code" of every row, in the shown order.
  QStringList rows() const { return rowTexts(*checks->lvFlags, {0, 1, 2}); }
  // Day rows; every code (kAll), or only the one of codeItem.
  void filter(int code, int severity, int station) {
    checks->cmbView->setCurrentIndex(1);
    checks->chkMissingHours->setChecked(code == kAll || code == codeItem(CheckCode::MissingHours));
    for (int i = 0; i < checks->lstCodes->count(); ++i) {
      QListWidgetItem* item = checks->lstCodes->item(i);
      const bool on = code == kAll || code == 1 + item->data(Qt::UserRole).toInt();
      item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    checks->cmbSeverity->setCurrentIndex(severity);
    checks->cmbStation->setCurrentIndex(station);
  }
  static constexpr int kAll = 0;
  static int codeItem(CheckCode code) { return 1 + static_cast<int>(code); }

  frmDataChecks* checks = nullptr;
};

constexpr int kCritical = 1;

// The window opens on episodes without MISSING_HOURS; AAAA's two dead days (31st, 4th not
// picked) and BBBB's are one ZERO_DAY episode each, and Copy gives the selected episode.
TEST_F(DataChecksWindowTest, OpensOnEpisodesWithoutIncompleteDaysAndCopiesTheSelectedOne) {
  ASSERT_TRUE(checks->showsEpisodes());
  const QStringList episodes = rowTexts(*checks->lvEpisodes, {0, 1, 2, 4});
  EXPECT_TRUE(episodes.contains("AAAA 12/31/2004,Fr 12/31/2004,Fr ZERO_DAY"))
      << episodes.join('|').toStdString();
  QApplication::clipboard()->clear();
  for (int r = 0; r < checks->lvEpisodes->topLevelItemCount(); ++r) {
    QTreeWidgetItem* row = checks->lvEpisodes->topLevelItem(r);
    row->setSelected(row->text(0) == "AAAA" && row->text(4) == "ZERO_DAY");
  }
  checks->cmdCopy->click();
  EXPECT_TRUE(QApplication::clipboard()->text().startsWith(
      "AAAA\t12/31/2004,Fr\t12/31/2004,Fr\t1\tZERO_DAY\tCritical\t"))
      << QApplication::clipboard()->text().toStdString();
  checks->chkMissingHours->setChecked(true);
  EXPECT_EQ(checks->lvEpisodes->topLevelItemCount(), episodes.size() + 1);
}

TEST_F(DataChecksWindowTest, ShowsThePickedFlagsAndNarrowsThemByEachFilter) {
  // CCCC was counted on the 29th alone: 7 x 24 hours and AAAA's afternoon not counted.
  EXPECT_TRUE(window.findChild<QLabel*>("lblTableSummary")
                  ->text()
                  .startsWith("3 stations; 8 dates, 12/28/2004 to 1/4/2005; 16 complete days (4 "
                              "with a critical fault); 1 incomplete day; 180 hours not counted; "));
  filter(kAll, kAll, kAll);
  EXPECT_TRUE(checks->lblCounts->text().contains("MISSING_HOURS 1, ZERO_RUN 0, ZERO_DAY 2,"))
      << checks->lblCounts->text().toStdString();
  const struct {
    int code, severity, station;
    QStringList expected;
  } cases[] = {{kAll,
                kCritical,
                kAll,
                {"AAAA 12/31/2004,Fr ZERO_DAY", "AAAA 1/3/2005,Mo MISSING_HOURS",
                 "BBBB 12/30/2004,Th ZERO_DAY"}},
               {kAll, kCritical, 2, {"BBBB 12/30/2004,Th ZERO_DAY"}},
               {codeItem(CheckCode::MissingHours), kAll, kAll, {"AAAA 1/3/2005,Mo MISSING_HOURS"}},
               {codeItem(CheckCode::ZeroDay), kAll, 1, {"AAAA 12/31/2004,Fr ZERO_DAY"}},
               {codeItem(CheckCode::CopiedDay), kAll, kAll, {}}};
  for (const auto& c : cases) {
    filter(c.code, c.severity, c.station);
    EXPECT_EQ(rows(), c.expected) << c.code << ' ' << c.severity << ' ' << c.station;
  }
  // Shown again, the window keeps the station it was narrowed to.
  filter(kAll, kCritical, 2);
  window.cmdDataChecks->click();
  EXPECT_EQ(checks->cmbStation->currentText(), "BBBB");
  EXPECT_EQ(rows(), QStringList({"BBBB 12/30/2004,Th ZERO_DAY"}));
}

// As text, "1/3/2005" would come first. A code's box alone narrows the rows; the copy follows
// the columns as shown, the register's name beside the station.
TEST_F(DataChecksWindowTest, SortsDatesByDateAndCopiesTheSelectedRowsAsShown) {
  filter(kAll, kCritical, kAll);
  QHeaderView* header = checks->lvFlags->header();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
  for (int r : {0, 2}) checks->lvFlags->topLevelItem(r)->setSelected(true);
  checks->cmdCopy->click();
  EXPECT_EQ(QApplication::clipboard()->text(),
            "BBBB\t12/30/2004,Th\tZERO_DAY\tCritical\tall 24 hours zero\n"
            "AAAA\t1/3/2005,Mo\tMISSING_HOURS\tCritical\t12 hours not counted (12:00 to 23:59)\n");

  checks->setExportAbout({}, std::make_shared<const StationRegister>(
                                 StationRegister::parse("station,name\nAAAA,North Rd\n", "r")));
  checks->lstCodes->findItems("ZERO_DAY", Qt::MatchExactly).at(0)->setCheckState(Qt::Unchecked);
  EXPECT_EQ(rows(), QStringList{"AAAA 1/3/2005,Mo MISSING_HOURS"});
  checks->lvFlags->topLevelItem(0)->setSelected(true);
  checks->cmdCopy->click();
  EXPECT_EQ(QApplication::clipboard()->text(),
            "AAAA\tNorth Rd\t1/3/2005,Mo\tMISSING_HOURS\tCritical\t12 hours not counted (12:00 "
            "to 23:59)\n");
}

TEST_F(DataChecksWindowTest, ExportsTheShownFlagsAsTheChecksFile) {
  filter(kAll, kCritical, kAll);
  const std::string path = scratch.file("checks.csv");
  toolkit.answer(QString::fromStdString(path));
  checks->cmdExportCsv->click();
  EXPECT_EQ(readBytes(path),
            "station,date,code,severity,detail\n"
            "AAAA,2004-12-31,ZERO_DAY,C,all 24 hours zero\n"
            "AAAA,2005-01-03,MISSING_HOURS,C,12 hours not counted (12:00 to 23:59)\n"
            "BBBB,2004-12-30,ZERO_DAY,C,all 24 hours zero\n");
  EXPECT_EQ(toolkit.messages, std::vector{information("Done.")});
}

// Sorted by date, BBBB's 30th comes first in either view (as text, AAAA's 1/3/2005 would);
// three days on each side are the 27th, before the table, to the 2nd.
TEST_F(DataChecksWindowTest, DoubleClickOpensTheHourlyGraphOfTheWeekAroundTheRowsDay) {
  filter(kAll, kCritical, kAll);
  for (QTreeWidget* list : {checks->lvEpisodes, checks->lvFlags}) {
    SCOPED_TRACE(list->objectName().toStdString());
    checks->cmbView->setCurrentIndex(list == checks->lvFlags ? 1 : 0);
    list->sortByColumn(1, Qt::AscendingOrder);
    ASSERT_EQ(list->topLevelItem(0)->text(0), "BBBB");
    emit list->itemDoubleClicked(list->topLevelItem(0), 0);
    ASSERT_EQ(openWindows<frmGraphL>().size(), 1u);
    const QCustomPlot& plot = *openWindows<frmGraphL>().front()->TChart1;
    ASSERT_EQ(plot.graphCount(), 1);
    EXPECT_EQ(plot.graph(0)->name(), "BBBB");
    const auto hours = plot.graph(0)->data();
    ASSERT_EQ(hours->size(), 6 * kHoursPerDay);
    EXPECT_EQ(hours->constBegin()->key, timeKey(day(2004, 12, 28)));
    EXPECT_EQ((hours->constEnd() - 1)->key, timeKey(day(2005, 1, 2)) + 23 * kSecondsPerHour);
    openWindows<frmGraphL>().front()->close();
  }
}

// Of the picked stations, by hand: AAAA has 7 complete days of the table's 8, the 3rd
// incomplete, two of them faulty, the 4th its last; four complete days in December, three in
// January.
TEST_F(DataChecksWindowTest, CompletenessCountsThePickedStationsDays) {
  checks->cmdCompleteness->click();
  const auto opened = openWindows<frmCompleteness>();
  ASSERT_EQ(opened.size(), 1u);
  const QTableWidget& grid = *opened.front()->grdStations;
  QStringList cells;
  for (int c = 0; c < grid.columnCount(); ++c) cells << grid.item(0, c)->text();
  EXPECT_EQ(std::pair(grid.rowCount(), cells.join(' ')),
            std::pair(2, QString("AAAA 8 7 87.5 1 2 1 1/4/2005,Tu 4 3")));
  opened.front()->close();
}

}  // namespace
}  // namespace ostrilo::test

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>
#include <array>
#include <stdexcept>
#include <string>

#include "GuiTestSupport.h"
#include "core/checks/DataChecks.h"
#include "core/export/TableExports.h"
#include "gui/stats/frmLV.h"
#include "gui/toolkit/SelectionLists.h"

namespace ostrilo::test {
namespace {

QStringList textsOf(const QTreeWidgetItem& item) {
  QStringList cells;
  for (int c = 0; c < item.treeWidget()->columnCount(); ++c) cells << item.text(c);
  return cells;
}

std::vector<QStringList> rowsOf(const QTreeWidget& lv) {
  std::vector<QStringList> rows;
  for (int r = 0; r < lv.topLevelItemCount(); ++r) rows.push_back(textsOf(*lv.topLevelItem(r)));
  return rows;
}

QStringList namesOf(const QTreeWidget& lv) { return rowTexts(lv, {0}); }

void clickHeading(QTreeWidget& lv, int column) {
  QHeaderView* header = lv.header();
  const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                      header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
}

// Three stations in table order (the list shows them by id: 0100, 0300, Ö200), daily totals on
// Fri 7 to Mon 10 January 2005. The first is the
// worked example; by name, by ADT value and by ADT text they sort three different ways. The
// second was not counted on the weekend; the third's name has a byte above 127: the windows show
// it as its Latin-1 character, the CSV gets the byte back.
class StatsTest : public MainWindowTest {
 protected:
  StatsTest() {
    const std::array<std::pair<const char*, std::array<int, 4>>, 3> stations{
        {{"0300", {1000, 600, 500, 1100}},
         {"0100", {200000, 0, 0, 200000}},
         {"\xD6\x32\x30\x30", {-1500, -1500, -1500, -1500}}}};
    std::string text;
    for (const auto& [name, totals] : stations) {
      for (int d = 0; d < 4; ++d) {
        if (totals[d] != 0) text += dayLines(name, day(2005, 1, 7 + d), spread(totals[d]));
      }
    }
    build(QString::fromStdString(scratch.write("ATR20050107w1.dat", text)));
    if (window.lstSta->count() != 3 || window.lstDate->count() != 4) {
      throw std::runtime_error("the count file built no table of 3 stations and 4 dates");
    }
    toolkit.messages.clear();
  }

  // The one statistics window among the top-level windows; none before the first click.
  frmLV* statsWindow() {
    flushDeletes();
    const std::vector<frmLV*> found = openWindows<frmLV>();
    EXPECT_LE(found.size(), 1u) << "the statistics window is a single instance";
    return found.empty() ? nullptr : found.front();
  }
  QTreeWidget& showStats() {
    window.cmdStat->click();
    if (statsWindow() == nullptr) throw std::runtime_error("no statistics window");
    return *statsWindow()->LV;
  }
  void exportTo(const std::string& path) {
    toolkit.answer(QString::fromStdString(path));
    window.cmdExport->click();
  }
};

TEST_F(StatsTest, WindowShowsPickedStationsInListOrderAndRefillsInPlace) {
  const LocaleGuard german(germany());
  QTreeWidget& lv = showStats();  // nothing picked: a warning and an empty window
  EXPECT_EQ(toolkit.messages, std::vector({refusal("You must select one or more dates.")}));
  EXPECT_EQ(lv.topLevelItemCount(), 0);

  select(window.lstSta, {2, 0, 1});
  select(window.lstDate, {0, 1, 2, 3});
  lv.header()->moveSection(3, 0);
  EXPECT_EQ(&showStats(), &lv);
  EXPECT_EQ(lv.header()->visualIndex(3), 3) << "a moved column returns to its place";
  EXPECT_EQ(toolkit.messages.size(), 1u);
  EXPECT_EQ(rowsOf(lv),
            (std::vector<QStringList>{
                {"0300", "800", "500", "1.100", "255", "1.050", "550", "4"},
                {"0100", "200.000", "200.000", "200.000", "0", "200.000", "", "2"},
                {"\u00D6200", "-1.500", "-1.500", "-1.500", "0", "-1.500", "-1.500", "4"}}));
  window.lstDate->clearSelection();
  window.cmdStat->click();
  EXPECT_EQ(lv.topLevelItemCount(), 0) << "a refused selection left the earlier rows";
}

TEST_F(StatsTest, HeadingClickSortsNamesAsTextAndFiguresByValueUntilTheWindowCloses) {
  select(window.lstSta, {0, 1, 2});
  select(window.lstDate, {0, 1, 2, 3});
  QTreeWidget& lv = showStats();
  clickHeading(lv, 1);  // -1,500 < 800 < 200,000; as text 200,000 would come before 800
  EXPECT_EQ(namesOf(lv), QStringList({"\u00D6200", "0300", "0100"}));
  clickHeading(lv, 1);
  EXPECT_EQ(namesOf(lv), QStringList({"\u00D6200", "0300", "0100"})) << "a second click reversed";
  clickHeading(lv, 0);
  EXPECT_EQ(namesOf(lv), QStringList({"0100", "0300", "\u00D6200"}));
  clickHeading(lv, 6);  // 0100 has no weekend figure, which neither -1,500 nor 550 follows
  EXPECT_EQ(namesOf(lv), QStringList({"\u00D6200", "0300", "0100"}));

  clickHeading(lv, 3);  // Max DT stays the sort for the next fill
  select(window.lstSta, {1, 2});
  window.cmdStat->click();
  EXPECT_EQ(namesOf(lv), QStringList({"\u00D6200", "0300"}));

  statsWindow()->close();
  EXPECT_EQ(statsWindow(), nullptr);
  EXPECT_EQ(namesOf(showStats()), QStringList({"0300", "\u00D6200"}));
}

TEST_F(StatsTest, ExportReplacesTheFileWithUngroupedFiguresOrAfterARefusalTheHeaderOnly) {
  const LocaleGuard german(germany());
  const std::string header = "ATR ID, ADT, Min DT, Max DT, SD, AWDDT, AWEDT, Days\r\n";
  const std::string path = scratch.write("stats.csv", std::string(1000, 'x'));
  select(window.lstSta, {0});
  exportTo(path);
  EXPECT_EQ(readBytes(path), header);
  EXPECT_EQ(toolkit.messages,
            std::vector({refusal("You must select one or more dates."), information("Done.")}));

  toolkit.messages.clear();
  select(window.lstSta, {2, 1});
  select(window.lstDate, {0, 1, 2, 3});
  exportTo(path);
  EXPECT_EQ(readBytes(path),
            header + "0300,  800,  500,  1100,  255,  1050,  550,  4\r\n" +
                "\xD6\x32\x30\x30,  -1500,  -1500,  -1500,  0,  -1500,  -1500,  4\r\n");
  EXPECT_EQ(toolkit.messages, std::vector({information("Done.")}));
  EXPECT_EQ(statsWindow(), nullptr) << "the export opened the statistics window";
}

// 0400 counts 1,000 on Friday 7, nothing on Saturday 8 (a complete zero day, a critical flag)
// and 1,200 on Sunday 9 January 2005.
TEST_F(StatsTest, LeavesOutCriticalDaysByDefaultAndSaysWhatTheFiguresCover) {
  build(QString::fromStdString(
      scratch.write("ATR20050107w2.dat", dayLines("0400", day(2005, 1, 7), spread(1000)) +
                                             dayLines("0400", day(2005, 1, 8), spread(0)) +
                                             dayLines("0400", day(2005, 1, 9), spread(1200)))));
  select(window.lstSta, {0});
  select(window.lstDate, {0, 1, 2});
  QTreeWidget& lv = showStats();
  frmLV& stats = *statsWindow();
  EXPECT_EQ(textsOf(*lv.topLevelItem(0)),
            QStringList({"0400", "1,100", "1,000", "1,200", "100", "1,000", "1,200", "2"}));
  EXPECT_EQ(lv.topLevelItem(0)->textAlignment(1) & Qt::AlignHorizontal_Mask, Qt::AlignRight);

  // The export follows the box: by default the command line's stats --exclude-critical.
  const std::string path = scratch.file("stats.csv");
  exportTo(path);
  const std::string header = "ATR ID, ADT, Min DT, Max DT, SD, AWDDT, AWEDT, Days\r\n";
  EXPECT_EQ(readBytes(path), header + "0400,  1100,  1000,  1200,  100,  1000,  1200,  2\r\n");
  toolkit.answerChoices(std::vector{1, 1, 0});  // plain numbers
  exportTo(path);
  EXPECT_EQ(readBytes(path),
            "ATR ID,ADT,Min DT,Max DT,SD,AWDDT,AWEDT,Days\r\n"
            "0400,1100,1000,1200,100,1000,1200,2\r\n");

  stats.chkLeaveOutCritical->setChecked(false);  // every complete day: (1000 + 0 + 1200) / 3
  EXPECT_EQ(lv.topLevelItem(0)->text(1), "733");
  EXPECT_EQ(lv.topLevelItem(0)->text(7), "3");
  exportTo(path);
  EXPECT_EQ(readBytes(path), header + "0400,  733,  0,  1200,  525,  1000,  600,  3\r\n");
  select(window.lstDate, {1});
  window.cmdStat->click();
  EXPECT_EQ(stats.lblPeriod->text(), "1/8/2005 to 1/8/2005, 1 date");
  // The box recomputes what the window shows, whatever the lists pick since.
  window.lstSta->clearSelection();
  stats.chkLeaveOutCritical->setChecked(true);
  ASSERT_EQ(lv.topLevelItemCount(), 1);
  EXPECT_EQ(textsOf(*lv.topLevelItem(0)), QStringList({"0400", "", "", "", "", "", "", "0"}));
}

}  // namespace
}  // namespace ostrilo::test

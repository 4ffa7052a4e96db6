#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTest>
#include <QTreeWidget>
#include <stdexcept>
#include <vector>

#include "StatsTestSupport.h"

namespace ostrilo::test {
namespace {

const QStringList kHeadings = {"ATR ID", "ADT", "Min DT", "Max DT", "SD", "AWDDT", "AWEDT"};

std::vector<QStringList> rowsOf(const QTreeWidget& lv) {
  std::vector<QStringList> rows;
  for (int r = 0; r < lv.topLevelItemCount(); ++r) {
    QStringList cells;
    for (int c = 0; c < lv.columnCount(); ++c) cells << lv.topLevelItem(r)->text(c);
    rows.push_back(cells);
  }
  return rows;
}

QStringList namesOf(const QTreeWidget& lv) {
  QStringList names;
  for (const QStringList& row : rowsOf(lv)) names << row.value(0);
  return names;
}

QStringList headingsOf(const QTreeWidget& lv) {
  QStringList headings;
  for (int c = 0; c < lv.columnCount(); ++c) headings << lv.headerItem()->text(c);
  return headings;
}

std::vector<int> widthsOf(const QTreeWidget& lv) {
  std::vector<int> widths;
  for (int c = 0; c < lv.columnCount(); ++c) widths.push_back(lv.columnWidth(c));
  return widths;
}

void clickHeading(QTreeWidget& lv, int column) {
  QHeaderView* header = lv.header();
  const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                      header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
}

class StatsWindowTest : public StatsGuiTest {
 protected:
  // The one statistics window among the top-level windows; none before the first click.
  frmLV* statsWindow() {
    flushDeletes();
    std::vector<frmLV*> found;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() == "frmLV") found.push_back(qobject_cast<frmLV*>(w));
    }
    EXPECT_LE(found.size(), 1u) << "the statistics window is a single instance";
    return found.empty() ? nullptr : found.front();
  }
  QTreeWidget& showStats() {
    window.cmdStat->click();
    frmLV* stats = statsWindow();
    if (stats == nullptr) throw std::runtime_error("no statistics window");
    return *stats->LV;
  }
  void closeStats() {
    statsWindow()->close();
    flushDeletes();
  }
};

TEST_F(StatsWindowTest, ShowsOneRowPerPickedStationInListOrderWithGroupedFigures) {
  build();
  pick(window.lstSta, {2, 0});
  pick(window.lstDate, {0, 1, 2, 3});
  const QTreeWidget& lv = showStats();

  EXPECT_TRUE(toolkit.messages.empty());
  EXPECT_EQ(headingsOf(lv), kHeadings);
  EXPECT_EQ(rowsOf(lv), (std::vector<QStringList>{
                            {"0300", "800", "500", "1,100", "255", "1,050", "550"},
                            {"0200", "-1,500", "-1,500", "-1,500", "0", "-1,500", "-1,500"}}));

  pick(window.lstSta, {1});
  pick(window.lstDate, {1, 2});  // the weekend only: no weekday figure
  window.cmdStat->click();
  EXPECT_EQ(
      rowsOf(lv),
      (std::vector<QStringList>{{"0100", "200,000", "200,000", "200,000", "0", "0", "200,000"}}));
}

TEST_F(StatsWindowTest, FiguresFollowTheUsersGroupingCharacter) {
  const LocaleGuard german(germany());
  build();
  pick(window.lstSta, {0, 1});
  pick(window.lstDate, {0, 1, 2, 3});
  EXPECT_EQ(rowsOf(showStats()),
            (std::vector<QStringList>{
                {"0300", "800", "500", "1.100", "255", "1.050", "550"},
                {"0100", "200.000", "200.000", "200.000", "0", "200.000", "200.000"}}));
  EXPECT_EQ(figureText(1234567, unitedStates()), "1,234,567");
  EXPECT_EQ(figureText(0, unitedStates()), "0");
}

TEST_F(StatsWindowTest, IsAModelessOwnerlessWindowThatTheListFills) {
  build();
  pickEverything();
  QTreeWidget& lv = showStats();
  frmLV* stats = statsWindow();

  EXPECT_EQ(stats->windowTitle(), "Station Stat");
  EXPECT_EQ(stats->parentWidget(), nullptr);
  EXPECT_TRUE(stats->isVisible());
  EXPECT_FALSE(stats->isModal());
  EXPECT_TRUE(window.isEnabled()) << "the main window stays usable beside it";
  EXPECT_EQ(stats->size(), QSize(476, 283));
  EXPECT_EQ(lv.geometry(), stats->rect());
  stats->resize(700, 150);
  EXPECT_EQ(lv.geometry(), QRect(0, 0, 700, 150));

  EXPECT_EQ(widthsOf(lv), std::vector<int>(7, 67)) << "1000 twips at 96 dots per inch";
  for (int c = 0; c < lv.columnCount(); ++c) {
    EXPECT_EQ(lv.headerItem()->textAlignment(c) & Qt::AlignHorizontal_Mask, Qt::AlignLeft) << c;
    const int cell = lv.topLevelItem(0)->textAlignment(c) & Qt::AlignHorizontal_Mask;
    EXPECT_TRUE(cell == 0 || cell == Qt::AlignLeft) << "cell alignment " << cell;
  }
}

TEST_F(StatsWindowTest, AnotherClickRefillsTheSameWindowAndRestoresTheColumns) {
  build();
  pickEverything();
  QTreeWidget& lv = showStats();
  frmLV* first = statsWindow();
  lv.header()->resizeSection(1, 150);
  lv.header()->moveSection(3, 0);

  pick(window.lstSta, {1});
  window.cmdStat->click();
  EXPECT_EQ(statsWindow(), first);
  EXPECT_EQ(namesOf(lv), QStringList({"0100"}));
  EXPECT_EQ(headingsOf(lv), kHeadings);
  EXPECT_EQ(lv.header()->visualIndex(3), 3);
  EXPECT_EQ(widthsOf(lv), std::vector<int>(7, lv.columnWidth(0)))
      << "a dragged width returns to its start";
  window.lstDate->clearSelection();
  window.cmdStat->click();
  EXPECT_EQ(lv.topLevelItemCount(), 0) << "a refused selection left the earlier rows";

  // Closing drops the window; the next click makes a fresh one.
  closeStats();
  EXPECT_EQ(statsWindow(), nullptr);
  pick(window.lstDate, {0});
  EXPECT_EQ(namesOf(showStats()), QStringList({"0100"}));
}

class RefusedStatsWindow : public StatsWindowTest,
                           public ::testing::WithParamInterface<RefusedSelection> {};

TEST_P(RefusedStatsWindow, WarnsAndStillOpensWithHeadingsOnly) {
  prepare(GetParam());
  QTreeWidget& lv = showStats();
  EXPECT_EQ(toolkit.messages, std::vector({refusal(GetParam().message)}));
  EXPECT_TRUE(statsWindow()->isVisible());
  EXPECT_EQ(headingsOf(lv), kHeadings);
  EXPECT_EQ(lv.topLevelItemCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Selections, RefusedStatsWindow, ::testing::ValuesIn(kRefusedSelections),
                         CaseName());

TEST_F(StatsWindowTest, HeadingClickSortsAscendingNamesAsTextFiguresByValue) {
  build();
  pickEverything();
  QTreeWidget& lv = showStats();
  ASSERT_EQ(namesOf(lv), QStringList({"0300", "0100", "0200"})) << "list order before any click";

  clickHeading(lv, 1);  // -1,500 < 800 < 200,000; as text 200,000 would come before 800
  EXPECT_EQ(namesOf(lv), QStringList({"0200", "0300", "0100"}));
  clickHeading(lv, 1);
  EXPECT_EQ(namesOf(lv), QStringList({"0200", "0300", "0100"})) << "a second click reversed";
  clickHeading(lv, 0);
  EXPECT_EQ(namesOf(lv), QStringList({"0100", "0200", "0300"}));
  clickHeading(lv, 4);  // SD: 255, 0, 0
  EXPECT_EQ(namesOf(lv).last(), "0300");
}

TEST_F(StatsWindowTest, SortStaysOnForLaterFillsUntilTheWindowCloses) {
  build();
  pickEverything();
  QTreeWidget& lv = showStats();
  clickHeading(lv, 3);  // Max DT
  pick(window.lstSta, {0, 2});
  window.cmdStat->click();
  EXPECT_EQ(namesOf(lv), QStringList({"0200", "0300"}));

  closeStats();
  pickEverything();
  EXPECT_EQ(namesOf(showStats()), QStringList({"0300", "0100", "0200"}));
}

}  // namespace
}  // namespace ostrilo::test

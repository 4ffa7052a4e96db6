#include <gmock/gmock.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QTabWidget>
#include <QTest>
#include <map>

#include "GuiTestSupport.h"
#include "gui/main/DateField.h"
#include "gui/main/FileNameList.h"
#include "gui/toolkit/TextFormats.h"

namespace ostrilo::test {
namespace {

QStringList texts(const QListWidget* list, bool (QListWidgetItem::*which)() const) {
  QStringList result;
  for (int i = 0; i < list->count(); ++i) {
    if ((list->item(i)->*which)() != (which == &QListWidgetItem::isHidden)) {
      result << list->item(i)->text();
    }
  }
  return result;
}
QStringList shown(const QListWidget* list) { return texts(list, &QListWidgetItem::isHidden); }
QStringList picked(const QListWidget* list) { return texts(list, &QListWidgetItem::isSelected); }

TEST(FileNameList, QuotesSeveralNamesAndReadsThemBack) {
  const struct {
    const char* text;
    QStringList names;
    bool written;  // fileNameListText gives this text for these names
  } cases[] = {
      {"/d/a b.dat", {"/d/a b.dat"}, true},
      {R"("/d/a.dat" "/d/b c.dat")", {"/d/a.dat", "/d/b c.dat"}, true},
      {R"("x""y" "z")", {"x\"y", "z"}, true},
      {R"(  "a"   "b"  )", {"a", "b"}, false},
      {R"("a" b)", {R"("a" b)"}, false},
      {R"("a" "b)", {R"("a" "b)"}, false},
      {"", {""}, false},
  };
  for (const auto& [text, names, written] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(fileNamesInText(text), names);
    if (written) {
      EXPECT_EQ(fileNameListText(names), text);
    }
  }
}

class FrmMainScaleTest : public MainWindowTest {
 protected:
  template <typename W>
  W* child(const char* name) {
    W* found = window.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QString file(const char* name, std::initializer_list<std::string> lines) {
    return QString::fromStdString(scratch.write(name, countFile(lines)));
  }
  void browse(const QStringList& paths) {
    toolkit.answerMany(paths);
    window.cmdATRBrowse->click();
  }
};

// In the order shown, all or nothing: a bad file anywhere leaves the table as it was.
TEST_F(FrmMainScaleTest, SeveralFilesFillInTheOrderShownAllOrNothing) {
  const QString paths[] = {
      file("ATR20050103w1.dat", {countLine('1', "010305", "0100", rising(10))}),
      file("ATR20050104w1.dat", {countLine('1', "010405", "0200", rising(30))}),
      file("ATR20050105w1.dat",
           {overwrite(countLine('1', "010505", "0300", rising(5)), 24, "  1x4")})};
  const struct {
    bool add;
    std::vector<int> files;  // of paths; the second was built before
    QStringList stations;
  } cases[] = {{false, {0, 1}, {"0100", "0200"}},
               {false, {1, 0}, {"0200", "0100"}},
               {true, {0, 1}, {"0200", "0100"}},
               {false, {0, 1, 2}, {"0200"}},
               {true, {2, 0}, {"0200"}}};
  window.ensureSecondTab();
  window.cmbOrder->setCurrentIndex(2);  // the table's own order shows the order of reading
  for (const auto& [add, files, stations] : cases) {
    build(paths[1]);
    toolkit.messages.clear();
    QStringList chosen;
    for (int f : files) chosen << paths[f];
    SCOPED_TRACE(chosen.join(' ').toStdString() + (add ? " added" : " built"));
    browse(chosen);
    (add ? window.cmdAdd2Table : window.cmdBuildNew)->click();
    EXPECT_EQ(shown(window.lstSta), stations);
    ASSERT_EQ(toolkit.messages.size(), 1u);
    if (files.back() == 2 || files.front() == 2) {
      EXPECT_THAT(toolkit.messages[0].text.toStdString(),
                  ::testing::AllOf(::testing::HasSubstr("ATR20050105w1.dat"),
                                   ::testing::HasSubstr("line 1")));
      EXPECT_EQ(counts.inFile(), toFsPath(paths[1]));
    } else {
      EXPECT_THAT(toolkit.messages[0].text.toStdString(),
                  ::testing::StartsWith(add ? "Adding data done.\r\n" : "Table build done.\r\n"));
    }
  }
}

// Lanes 1 and 2 of one TMG direction count 10 an hour each on 17 April 2017.
TEST_F(FrmMainScaleTest, SumLanesBuildsOneStationOfTheDirectionsLanes) {
  std::string text;
  for (const char lane : {'1', '2'}) {
    std::string line = std::string("3271U0003017") + lane + "201704172";
    for (int h = 0; h < 24; ++h) line += "00010";
    text += line + "0\r\n";
  }
  const QString lanes = QString::fromStdString(scratch.write("lanes.vol", text));
  build(lanes);
  EXPECT_EQ(shown(window.lstSta), QStringList({"000301-7-1", "000301-7-2"}));
  window.chkSumLanes->setChecked(true);
  build(lanes);
  EXPECT_EQ(shown(window.lstSta), QStringList({"000301-7"}));
  EXPECT_EQ(counts.DailyVolByIndex(0, 0), 24 * 20);
}

// Filters only hide entries; All, None and Pick act on what is shown.
TEST_F(FrmMainScaleTest, FiltersAndRangePickActOnTheVisibleEntries) {
  add(sampleFile("ATR20050103w1.dat"));
  add(sampleFile("ATR20050117w3.dat"));
  auto* staFilter = child<QLineEdit>("txtStaFilter");
  auto* dateFilter = child<QLineEdit>("txtDateFilter");
  const struct {
    QLineEdit* box;
    const char* filter;
    QStringList visible;
  } filters[] = {
      {staFilter, "011", {"0110", "0111", "0112", "0113", "0114"}},
      {staFilter, " 01  14 ", {"0114"}},
      {dateFilter, "2005-01-17..1/19/2005", {"1/17/2005,Mo", "1/18/2005,Tu", "1/19/2005,We"}},
      {dateFilter, "1/4/2005", {"1/4/2005,Tu"}},  // a typed date is that day
      {dateFilter, "mo", {"1/3/2005,Mo", "1/17/2005,Mo"}},
      {dateFilter, "We 1/5", {"1/5/2005,We"}},
      {dateFilter, "2005-02", {}},
  };
  for (const auto& [box, filter, visible] : filters) {
    SCOPED_TRACE(filter);
    box->setText(filter);
    EXPECT_EQ(shown(box == staFilter ? window.lstSta : window.lstDate), visible);
  }
  staFilter->clear();
  EXPECT_EQ(window.lstSta->count(), shown(window.lstSta).size());

  dateFilter->setText("Mo");
  child<QPushButton>("cmdDateAll")->click();
  dateFilter->setText("2005-01-01..2005-01-09");
  child<QPushButton>("cmdDateNone")->click();
  dateFilter->clear();
  EXPECT_EQ(picked(window.lstDate), QStringList({"1/17/2005,Mo"}));

  // Tuesdays and Saturdays from 4 to 22 January.
  child<DateField>("dtpFrom")->setDate(QDate(2005, 1, 4));
  child<DateField>("dtpTo")->setDate(QDate(2005, 1, 22));
  for (const char* day : {"chkMo", "chkWe", "chkTh", "chkFr", "chkSu"}) {
    child<QCheckBox>(day)->setChecked(false);
  }
  child<QPushButton>("cmdPickRange")->click();
  EXPECT_EQ(picked(window.lstDate),
            QStringList({"1/4/2005,Tu", "1/8/2005,Sa", "1/18/2005,Tu", "1/22/2005,Sa"}));
  window.cmbOrder->setCurrentIndex(2);  // another order keeps the range
  EXPECT_EQ(child<DateField>("dtpTo")->date(), QDate(2005, 1, 22));

  dateFilter->setText("Mo");
  build(sampleFile("ATR20050103w1.dat"));  // the filter stays, the range spans the new table
  EXPECT_EQ(shown(window.lstDate), QStringList({"1/3/2005,Mo"}));
  EXPECT_EQ(child<DateField>("dtpTo")->date(), QDate(2005, 1, 9));
}

TEST(DateField, TakesTypedDatesInTheLocalesShortFormOrIso) {
  const struct {
    QLocale locale;
    const char* typed;
    QDate date;
  } cases[] = {
      {unitedStates(), "12/31/2023", {2023, 12, 31}},
      {unitedStates(), "2023-12-31", {2023, 12, 31}},
      {unitedStates(), "1/2/23", {2023, 1, 2}},
      {germany(), "31.12.2023", {2023, 12, 31}},
      {germany(), "2.1.23", {2023, 1, 2}},
      {unitedStates(), "31.12.2023", {}},
      {unitedStates(), "2023-13-01", {}},
      {germany(), "", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parseTypedDate(c.typed, c.locale), c.date) << c.typed;
  }
}

TEST_F(FrmMainScaleTest, FromAndToTakeTypedDates) {
  build(sampleFile("ATR20050103w1.dat"));
  auto* from = child<DateField>("dtpFrom");
  from->selectAll();
  QTest::keyClicks(from, "1/5/2005");
  QTest::keyClick(from, Qt::Key_Return);
  EXPECT_EQ(from->date(), QDate(2005, 1, 5));
  EXPECT_EQ(from->text(), "1/5/2005");
  from->selectAll();
  QTest::keyClicks(from, "soon");  // no date: the last one stays
  EXPECT_EQ(from->date(), QDate(2005, 1, 5));
  child<QPushButton>("cmdPickRange")->click();
  EXPECT_EQ(picked(window.lstDate).value(0), "1/5/2005,We");
}

TEST_F(FrmMainScaleTest, GrowingGivesTheListsTheRoomAndKeepsTheButtonsInTheirCorners) {
  // At the designed size every control stands where it was designed: relative to the whole
  // tab control for a page's controls, as in a window that was never shown. The shown window
  // makes its second tab after it was placed and grown, the other before it is shown.
  frmMain unshown(counts, toolkit);
  unshown.ensureSecondTab();
  const QSize growth(200, 160);
  window.resize(window.size() + growth);
  window.ensureSecondTab();
  std::map<QWidget*, QRect> designed;
  for (int i = 0; i < 2; ++i) {
    QWidget* page = window.SSTab1->widget(i);
    const QPoint offset = page->mapTo(window.SSTab1, QPoint());
    for (QWidget* w : page->findChildren<QWidget*>()) {
      const bool onPage = w->parentWidget() == page;
      if (!onPage && qobject_cast<QGroupBox*>(w->parentWidget()) == nullptr) continue;
      const auto* twin = unshown.findChild<QWidget*>(w->objectName());
      ASSERT_NE(twin, nullptr) << w->objectName().toStdString();
      designed[w] = twin->geometry().translated(onPage ? -offset : QPoint());
    }
  }
  ASSERT_GE(designed.size(), 40u);

  const std::pair<const char*, QRect> moves[] = {
      // x, y, width, height at 200 x 160 more
      {"lstSta", {0, 0, 100, 160}},          {"lstDate", {100, 0, 100, 160}},
      {"txtDateFilter", {100, 0, 100, 0}},   {"cmdStaNone", {100, 0, 0, 0}},
      {"cmdHist", {200, 0, 0, 0}},           {"dtpTo", {0, 160, 0, 0}},
      {"lblTableSummary", {0, 160, 200, 0}}, {"txtATRfileName", {0, 0, 200, 0}},
      {"cmdLdBrowse", {200, 0, 0, 0}},       {"cmdStat", {0, 160, 0, 0}},
  };
  for (const auto& [name, moved] : moves) {
    SCOPED_TRACE(name);
    auto* w = child<QWidget>(name);
    const QRect before = designed.at(w);
    EXPECT_EQ(w->geometry(),
              QRect(before.topLeft() + moved.topLeft(), before.size() + moved.size()));
  }
  EXPECT_EQ(window.SSTab1->size(), unshown.SSTab1->size() + growth);

  window.resize(window.minimumSize());
  for (const auto& [w, rect] : designed)
    EXPECT_EQ(w->geometry(), rect) << w->objectName().toStdString();
}

}  // namespace
}  // namespace ostrilo::test

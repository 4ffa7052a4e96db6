#include <gmock/gmock.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressDialog>
#include <QTimer>
#include <QTreeWidget>

#include "GuiTestSupport.h"
#include "gui/checks/frmDataChecks.h"
#include "tests/support/SelectionTestSupport.h"
#include "tests/support/Unzip.h"

// What a command leaves behind: where the table came from, the table after a Cancel, the rows
// of the checks window, the names of the station list, and the holiday calendar's marks.
namespace ostrilo::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using MainStateTest = MainWindowTest;

// Every hourly volume of Good Friday to Easter Monday 2023 at one Berlin station, and one day
// more, Tuesday the 11th.
std::string easterDays() {
  std::string text;
  for (DateNumber d = day(2023, 4, 7); d <= day(2023, 4, 11); ++d) {
    text += dayLines("B001", d, spread(2400));
  }
  return text;
}

TEST_F(MainStateTest, TheAboutSheetNamesTheFilesOfTheTableInUse) {
  const QString first = sampleFile("ATR20050103w1.dat");
  const QString second = sampleFile("ATR20050110w2.dat");
  const QString third = sampleFile("ATR20050117w3.dat");
  const auto aboutSheet = [this] {
    select(window.lstSta, {0});
    select(window.lstDate, {0});
    const std::string book = scratch.file("counts.xlsx");
    toolkit.answerChoices(std::vector<int>{1, 0});  // the hourly table as a workbook
    toolkit.answer(QString::fromStdString(book));
    window.cmdExportCounts->click();
    return unzipMember(book, "xl/worksheets/sheet2.xml");
  };
  build(first);
  add(second);
  build(third);
  EXPECT_THAT(aboutSheet(), AllOf(HasSubstr("ATR20050117w3.dat"), Not(HasSubstr("w1.dat")),
                                  Not(HasSubstr("w2.dat"))));
  add(first);
  EXPECT_THAT(aboutSheet(), AllOf(HasSubstr("ATR20050117w3.dat"), HasSubstr("ATR20050103w1.dat")));
  const QString saved = QString::fromStdString(scratch.file("week.cont"));
  toolkit.answer(saved);
  window.cmdSave->click();
  toolkit.answer(saved);
  window.cmdLdBrowse->click();
  EXPECT_THAT(aboutSheet(), AllOf(HasSubstr("week.cont"), Not(HasSubstr(".dat"))));
}

// A new table starts the range pick afresh: its own first and last date, every day of the week.
TEST_F(MainStateTest, BuildStartsTheRangePickAfresh) {
  build(sampleFile("ATR20050103w1.dat"));
  window.findChild<QCheckBox*>(QStringLiteral("chkTu"))->setChecked(false);
  build(sampleFile("ATR20050110w2.dat"));
  window.findChild<QPushButton*>(QStringLiteral("cmdPickRange"))->click();
  EXPECT_EQ(window.lstDate->selectedItems().size(), window.lstDate->count());
}

// The progress asks before each of the three files and once more before the table changes;
// a Cancel at any of these leaves the table, the summary and the files as they were.
TEST_F(MainStateTest, CancelAtEveryStepOfBuildAndAddChangesNothing) {
  build(sampleFile("ATR20050103w1.dat"));
  window.setProgressDelay(std::chrono::milliseconds(0));
  const auto* summary = window.findChild<QLabel*>("lblTableSummary");
  const QString before = summary->text();
  const auto table = snapshot(counts);
  const std::vector<std::string> files = scratch.entries();
  for (const bool adding : {false, true}) {
    for (int step = 0; step <= 3; ++step) {
      SCOPED_TRACE((adding ? "Add, step " : "Build, step ") + std::to_string(step));
      toolkit.messages.clear();
      bool cancelled = false;
      QString label;
      QTimer canceller;
      canceller.setInterval(0);
      QObject::connect(&canceller, &QTimer::timeout, [&] {
        auto* progress = window.findChild<QProgressDialog*>();
        if (progress != nullptr && progress->value() == step && !cancelled) {
          label = progress->labelText();
          progress->cancel();
          cancelled = true;
        }
      });
      canceller.start();
      window.txtATRfileName->setText(QStringLiteral("\"%1\" \"%2\" \"%3\"")
                                         .arg(sampleFile("ATR20050110w2.dat"),
                                              sampleFile("ATR20050117w3.dat"),
                                              sampleFile("ATR20050110w2.dat")));
      (adding ? window.cmdAdd2Table : window.cmdBuildNew)->click();
      EXPECT_TRUE(cancelled);
      if (step == 1) {
        EXPECT_EQ(label, "Reading count file 2 of 3");
      }
      EXPECT_TRUE(toolkit.messages.empty());
      expectSame(table, snapshot(counts));
      EXPECT_EQ(summary->text(), before);
    }
  }
  // Export Counts cancelled at its options or at its file writes nothing.
  select(window.lstSta, {0});
  select(window.lstDate, {0});
  for (const bool atOptions : {true, false}) {
    toolkit.answerChoices(atOptions ? std::nullopt : std::optional(std::vector<int>{5, 0}));
    if (!atOptions) toolkit.answer(std::nullopt);
    window.cmdExportCounts->click();
  }
  EXPECT_EQ(scratch.entries(), files);
  EXPECT_TRUE(toolkit.messages.empty()) << toolkit.messages[0].text.toStdString();
}

// A month with no Wednesday: the month flag stays in the checks window while the picked dates
// lie in that month, however often they are picked again.
TEST_F(MainStateTest, MonthFlagsStayWhenDatesArePicked) {
  build(QString::fromStdString(
      scratch.write("ATR20230403w1.dat", dayLines("B001", day(2023, 4, 3), spread(2400)) +
                                             dayLines("B001", day(2023, 4, 4), spread(2400)))));
  const auto monthRows = [this](std::initializer_list<int> dates) {
    select(window.lstSta, {0});
    select(window.lstDate, dates);
    window.cmdDataChecks->click();
    auto* checks = openWindows<frmDataChecks>().at(0);
    checks->cmbView->setCurrentIndex(1);
    return static_cast<int>(
        rowTexts(*checks->lvFlags, {2}).count(QStringLiteral("MISSING_WEEKDAY")));
  };
  const int all = monthRows({0, 1});
  EXPECT_GT(all, 0);
  EXPECT_EQ(monthRows({1}), all);
  EXPECT_EQ(monthRows({0}), all);
  for (frmDataChecks* checks : openWindows<frmDataChecks>()) checks->close();
}

// "B\xE4R1" is a Latin-1 id of a count file, which the register writes, and the name, in UTF-8;
// a count file written in UTF-8 gives the id "B\xC3\xA4R" as four bytes, which the list shows one
// character each, and the register's same bytes still name it.
TEST_F(MainStateTest, RegisterNamesAreFoundForNonAsciiIds) {
  const std::tuple<std::string, std::string, QString> cases[] = {
      {"B\xE4R1", "B\xC3\xA4R1,B\xC3\xA4renweg", QStringLiteral("B\u00e4R1  B\u00e4renweg")},
      {"B\xC3\xA4R", "B\xC3\xA4R,Ring", QStringLiteral("B\u00c3\u00a4R  Ring")}};
  for (const auto& [id, entry, shown] : cases) {
    build(QString::fromStdString(
        scratch.write("ATR20230403w1.dat", dayLines(id, day(2023, 4, 3), spread(2400)))));
    toolkit.messages.clear();
    EXPECT_TRUE(window.LoadRegister(
        QString::fromStdString(scratch.write("reg.csv", "station,name\n" + entry + "\n"))))
        << (toolkit.messages.empty() ? "" : toolkit.messages[0].text.toStdString());
    EXPECT_EQ(window.lstSta->item(0)->text(), shown);
  }
}

// With Berlin's calendar the checks list the holidays as Info, and run once for the summary, the
// graphs, the statistics and the checks window. The choice is remembered.
TEST_F(MainStateTest, TheHolidayCalendarFlagsTheChecksAndIsRemembered) {
  build(QString::fromStdString(scratch.write("ATR20230407w1.dat", easterDays())));
  window.cmbHolidays->setCurrentIndex(2);
  window.cmbHolidays->activated(2);

  select(window.lstSta, {0});
  select(window.lstDate, {0, 1, 2, 3, 4});
  const std::int64_t runs = window.analysis().runs();
  window.cmdLine->click();
  window.cmdDailyGraph->click();
  window.cmdColorGrid->click();
  window.cmdStat->click();
  window.cmdDataChecks->click();
  EXPECT_EQ(window.analysis().runs(), runs);
  auto* checks = openWindows<frmDataChecks>().at(0);
  checks->cmbView->setCurrentIndex(1);
  checks->cmbSeverity->setCurrentIndex(checks->cmbSeverity->findText("Info"));
  EXPECT_EQ(rowTexts(*checks->lvFlags, {2, 3}), QStringList({"HOLIDAY Info", "HOLIDAY Info"}));
  checks->cmbSeverity->setCurrentIndex(checks->cmbSeverity->findText("Warning"));
  EXPECT_FALSE(rowTexts(*checks->lvFlags, {2}).contains(QStringLiteral("HOLIDAY")));
  // The open window follows a new calendar over its own picks, and closes when the table it
  // shows is replaced; a Cancel in the holiday file's dialog keeps the calendar in use.
  window.lstDate->clearSelection();
  window.cmbHolidays->setCurrentIndex(1);
  window.cmbHolidays->activated(1);
  checks->cmbSeverity->setCurrentIndex(checks->cmbSeverity->findText("Info"));
  EXPECT_FALSE(rowTexts(*checks->lvFlags, {2}).contains(QStringLiteral("HOLIDAY")));
  window.cmbHolidays->setCurrentIndex(2);
  window.cmbHolidays->activated(2);
  EXPECT_EQ(rowTexts(*checks->lvFlags, {2}).count(QStringLiteral("HOLIDAY")), 2);
  window.cmbHolidays->setCurrentIndex(window.cmbHolidays->findData("?"));
  toolkit.answer(std::nullopt);
  window.cmbHolidays->activated(window.cmbHolidays->currentIndex());
  EXPECT_EQ(window.cmbHolidays->currentText(), QStringLiteral("Germany \u2013 Berlin"));
  build(QString::fromStdString(scratch.write("ATR20230407w1.dat", easterDays())));
  EXPECT_FALSE(checks->isVisible());

  frmMain later(counts, toolkit);
  later.ensureSecondTab();
  EXPECT_EQ(later.cmbHolidays->currentText(), QStringLiteral("Germany \u2013 Berlin"));
  EXPECT_EQ(later.analysis().holidays().name(), "de-be");
}

// The date list by the calendar, the table in the files' order: each holiday's name stays with
// its own date (New Year 2005 is a Saturday, observed on Friday the 31st).
TEST_F(MainStateTest, HolidayNamesFollowTheirDatesInTheListsOrder) {
  build(QString::fromStdString(
      scratch.write("ATR20050103w1.dat", dayLines("0101", day(2005, 1, 3), spread(2400)) +
                                             dayLines("0101", day(2004, 12, 31), spread(2400)))));
  window.cmbHolidays->setCurrentIndex(1);
  window.cmbHolidays->activated(1);
  EXPECT_EQ(window.lstDate->item(0)->text(), "12/31/2004,Fr  New Year's Day (observed)");
  EXPECT_EQ(window.lstDate->item(1)->text(), "1/3/2005,Mo");
}

}  // namespace
}  // namespace ostrilo::test

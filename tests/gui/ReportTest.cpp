#include <qcustomplot.h>

#include <QLocale>
#include <QPageSize>
#include <QPaintEngine>
#include <QProcess>
#include <QRegularExpression>
#include <limits>

#include "core/checks/DataChecks.h"
#include "core/report/ReportPage.h"
#include "gui/report/StationReport.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/VisibleState.h"
#include "tests/support/SelectionTestSupport.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo::test {
namespace {

// The words drawn, a line broken by the page's width joined again, and the grey rectangles of
// the gap bands.
QString drawnText(const ReportPage& page, const QLocale& locale, int* greyRects = nullptr) {
  const QString commands = drawing(595, 842, [&](QCPPainter& painter) {
    drawStationPage(painter, QRectF(40, 40, 515, 762), page, locale);
  });
  QStringList texts;
  bool grey = false;
  int rects = 0;
  for (const QString& command : commands.split(u'\n')) {
    if (command.startsWith(u"pen ")) grey = command.endsWith(u"brush #e1e1e1");
    if (command.startsWith(u"rect ") && grey) ++rects;
    if (command.startsWith(u"text ")) texts << command.section(u' ', 3);
  }
  if (greyRects != nullptr) *greyRects = rects;
  return texts.join(u' ').simplified();
}

// Every figure of a page made by hand, none of them computed.
ReportPage handMadePage() {
  ReportPage page;
  page.title = "Station B346  Heinrich-Heine-Stra\u00dfe";
  page.firstDay = day(2023, 1, 1);
  page.lastDay = day(2023, 12, 31);
  page.datesPicked = 1356;
  page.sources = {"a.dat", "e.dat"};
  page.sourceCount = 5;
  page.days = {1356, 1250, 3, 20};
  page.warningDays = 4;
  const double notCounted = std::numeric_limits<double>::quiet_NaN();
  page.daily.series.push_back({"B346",
                               SeriesKind::Line,
                               {{day(2023, 1, 1), 5000},
                                {day(2023, 1, 2), notCounted},
                                {day(2023, 1, 3), 5200},
                                {day(2023, 1, 4), notCounted}}});
  page.pickedDays = {day(2023, 1, 1), day(2023, 1, 2), day(2023, 1, 3)};
  page.windows = kCommuterWindows;
  page.weekday.days = 1000;
  page.weekday.am = {7, 1234.4, 8.46};
  page.weekday.pm = {17, 1500.5, 10.24};
  page.statistics = {"B346", 12345, 4321, 20001, 2345, 13456, std::nullopt, 1230};
  ReportYear year;
  year.year = 2023;
  year.counted = true;
  year.validDays = 1230;
  year.aadt = 11111.5;
  year.coveredCells = 84;
  year.v30 = 1400;
  year.k30Pct = 12.61;
  page.annual = {year};
  page.flags[static_cast<int>(CheckCode::ZeroDay)] = 1082;
  page.episodes = {
      {0, CheckCode::ZeroDay, day(2023, 9, 8), day(2023, 12, 31), 1082, false, "all 24 hours zero"},
      {0, CheckCode::DayBand, day(2023, 3, 1), day(2023, 3, 1), 1, false, "30 % below"}};
  page.moreEpisodes = 1;
  page.earlierYears = 1;
  return page;
}

TEST(StationReport, PaperFollowsTheLocale) {
  const std::pair<QLocale::Territory, QPageSize::PageSizeId> cases[] = {
      {QLocale::UnitedStates, QPageSize::Letter},
      {QLocale::Canada, QPageSize::Letter},
      {QLocale::Germany, QPageSize::A4},
      {QLocale::UnitedKingdom, QPageSize::A4},
  };
  for (const auto& [territory, size] : cases) {
    EXPECT_EQ(reportPageSize(QLocale(QLocale::English, territory)).id(), size) << territory;
  }
}

TEST(StationReport, DrawsWhatThePageHoldsInTheLocalesNumbers) {
  int greyRects = 0;
  const QString us =
      drawnText(handMadePage(), QLocale(QLocale::English, QLocale::UnitedStates), &greyRects);
  EXPECT_EQ(greyRects, 1) << "a band behind the picked day not counted, none behind the others";
  for (const char* line : {
           "Period 2023-01-01 to 2023-12-31 (1,356 dates picked)",
           "Every figure over 1,230 valid of 1,250 complete days (no critical flag); 3 incomplete "
           "days left out.",
           "Weekday (1,000 days): AM peak 07:00, 1,234 veh (8.5 %); PM peak 17:00, 1,500 veh "
           "(10.2 %)",
           "Weekend day: no valid day",
           "ADT Min DT Max DT SD AWDDT AWEDT Days 12,345 4,321 20,001 2,345 13,456 n/a 1,230",
           "1 earlier year left out",
           "2023: AADT 11,112 (84 of 84 month-weekday cells covered, 1,230 valid days); 30th "
           "highest hour 1,400 veh, K30 12.6 %; weekday peaks AM n/a, PM n/a",
           "1,250 complete days, 3 incomplete days, 20 complete days with a critical fault, 4 "
           "days with warnings only. Flags: ZERO_DAY 1,082.",
           "2023-09-08 .. 2023-12-31 ZERO_DAY (critical), 1,082 days: all 24 hours zero "
           "2023-03-01 DAY_BAND (warning): 30 % below ... and 1 more episode",
       }) {
    EXPECT_TRUE(us.contains(QString::fromUtf8(line))) << line << "\n" << us.toStdString();
  }
  EXPECT_TRUE(us.endsWith("more episode") && !us.contains("Holidays")) << us.toStdString();
  // As many files as listed, no earlier year, a holiday calendar.
  ReportPage few = handMadePage();
  std::tie(few.sourceCount, few.earlierYears, few.holidays) = std::tuple(2, 0, "de-be");
  const QString listed = drawnText(few, QLocale(QLocale::English, QLocale::UnitedStates));
  for (const char* text : {"From a.dat, e.dat", "Flags: ZERO_DAY 1,082. Holidays: de-be."}) {
    EXPECT_TRUE(listed.contains(text)) << text << "\n" << listed.toStdString();
  }
  EXPECT_FALSE(listed.contains("earlier year")) << listed.toStdString();
  const QString de = drawnText(handMadePage(), QLocale(QLocale::German, QLocale::Germany));
  EXPECT_TRUE(de.contains(QStringLiteral("12.345 4.321"))) << de.toStdString();
  EXPECT_TRUE(de.contains(QStringLiteral("K30 12,6 %"))) << de.toStdString();
}

TEST(StationReport, AFailedSaveNamesTheFile) {
  const ATRTable table =
      tableOfFiles(OSTRILO_SOURCE_DIR "/tests/data/realdata", {"ATR20121020w3.dat"});
  const std::string path = "/nonexistent-folder/report.pdf";
  const Error error = thrownBy([&] {
    writeStationReport(path, reportPages(table, runDataChecks(table), pick(table, {0}, {0, 1}),
                                         {"ATR20121020w3.dat"}, nullptr));
  });
  EXPECT_NE(error.description().find(path), std::string::npos) << error.description();
}

// The main window's command: the selection check first, then a PDF of the picked stations.
TEST_F(MainWindowTest, ReportWritesAPdfOfThePickedStations) {
  build(QString::fromStdString(OSTRILO_SOURCE_DIR "/tests/data/realdata/ATR20121020w3.dat"));
  toolkit.messages.clear();
  window.lstDate->clearSelection();
  window.cmdReport->click();
  EXPECT_EQ(toolkit.messages, std::vector({refusal("You must select one or more dates.")}));

  toolkit.messages.clear();
  select(window.lstSta, {0, 1});
  select(window.lstDate, {0, 1, 2});
  toolkit.answerChoices(std::nullopt);
  window.cmdReport->click();
  EXPECT_TRUE(toolkit.dialogs.empty() && toolkit.messages.empty()) << "cancelled at its choices";
  const std::string path = scratch.file("r.pdf");
  toolkit.answer(QString::fromStdString(path));
  toolkit.answerChoices(std::vector{1});
  window.cmdReport->click();
  EXPECT_EQ(toolkit.messages, std::vector({information("Done.")}));
  ASSERT_EQ(toolkit.choiceDialogs.size(), 2u);
  EXPECT_EQ(toolkit.choiceDialogs[0].asked.at(0).options,
            QStringList({"Commuter (AM 06:00-10:00, PM 15:00-19:00)",
                         "Noon (AM 00:00-12:00, PM 12:00-24:00)"}));
  QProcess text;
  text.start(QStringLiteral("pdftotext"), {QString::fromStdString(path), QStringLiteral("-")});
  ASSERT_TRUE(text.waitForFinished());
  const QByteArray pdf = text.readAllStandardOutput();
  const QRegularExpressionMatch box =
      QRegularExpression(R"(/MediaBox \[0 0 ([\d.]+) ([\d.]+)\])")
          .match(QString::fromLatin1(QByteArray::fromStdString(readBytes(path))));
  ASSERT_TRUE(box.hasMatch());
  EXPECT_LT(box.captured(1).toDouble(), box.captured(2).toDouble()) << "portrait pages";
  EXPECT_TRUE(pdf.contains("Peak windows: AM 00:00-12:00, PM 12:00-24:00")) << pdf.toStdString();
}

}  // namespace
}  // namespace ostrilo::test

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QProcess>
#include <QTabWidget>
#include <QTreeWidget>
#include <filesystem>
#include <set>

#include "core/checks/DataChecks.h"
#include "core/report/ReportPage.h"
#include "gui/annual/frmAnnual.h"
#include "gui/annual/frmAnnualDetail.h"
#include "gui/annual/frmExpand.h"
#include "gui/annual/frmYearChart.h"
#include "gui/charts/frmWeeklyProfile.h"
#include "gui/checks/frmDataChecks.h"
#include "gui/report/StationReport.h"
#include "gui/stats/frmLV.h"
#include "gui/toolkit/SelectionLists.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/VisibleState.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo::test {
namespace {

using namespace Qt::Literals::StringLiterals;

// Berlin's real counts, gaps and faults as they came, the way a user meets them: a register
// that names them (in UTF-8) and pairs the A115's directions as a road, Berlin's holidays, and
// stations of every kind: B001/B002 counted nearly all year, B332 far too high for its street,
// B346 all zeros from 8 September, N425 with long gaps. Each window is compared whole with its
// reviewed copy in tests/data/golden: a change of any figure, text, colour or place fails.
class ScreensTest : public MainWindowTest {
 protected:
  void buildBerlin(const QStringList& files) {
    QStringList paths;
    for (const QString& file : files) {
      paths << QStringLiteral(OSTRILO_REALDATA_DIR "/berlin-2023/") + file;
    }
    toolkit.answerMany(paths);
    window.cmdATRBrowse->click();
    window.cmdBuildNew->click();
    toolkit.messages.clear();
    toolkit.answer(QString::fromStdString(scratch.write("register.csv", kRegister)));
    window.cmdStations->click();
    window.cmbHolidays->setCurrentIndex(2);
    emit window.cmbHolidays->activated(2);  // Germany - Berlin
    ASSERT_TRUE(toolkit.messages.empty()) << toolkit.messages.front().text.toStdString();
  }
  void pick(const QStringList& stations, int firstDate, int lastDate) {
    window.lstSta->clearSelection();
    for (int i = 0; i < window.lstSta->count(); ++i) {
      const QString id = window.lstSta->item(i)->text().section(u' ', 0, 0);
      if (stations.contains(id)) window.lstSta->item(i)->setSelected(true);
    }
    window.lstDate->clearSelection();
    for (int i = firstDate; i <= lastDate; ++i) window.lstDate->item(i)->setSelected(true);
  }
  // The one window the action opened.
  static QWidget& opened(const std::function<void()>& action) {
    std::set<QWidget*> before;
    for (QWidget* w : QApplication::topLevelWidgets()) before.insert(w);
    action();
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->isVisible() && before.count(w) == 0) return *w;
    }
    throw std::runtime_error("no window opened");
  }
  // The report page of the index-th picked station, drawn on paper of the size given with the
  // margin all round.
  QString pageDrawing(std::size_t index, QSize paper, int margin) {
    const std::vector<ReportPage> pages =
        reportPages(counts, runDataChecks(counts),
                    selectionFromLists(*window.lstSta, *window.lstDate), {"a.dat"}, nullptr);
    const QRectF area = QRectF(QPointF(), paper).adjusted(margin, margin, -margin, -margin);
    return drawing(paper.width(), paper.height(), [&](QCPPainter& painter) {
      drawStationPage(painter, area, pages.at(index),
                      QLocale(QLocale::English, QLocale::UnitedStates));
    });
  }
  template <typename Window>
  static Window& opened(QPushButton* button) {
    return dynamic_cast<Window&>(opened([button] { button->click(); }));
  }
  void expectWindow(const QString& name, QPushButton* button) {
    QWidget& shown = opened<QWidget>(button);
    expectGolden(name, visibleState(shown));
    shown.close();
  }

  static constexpr const char* kRegister =
      "station,name,road,direction,group,latitude,longitude\n"
      "B001,\"A115 Spanische Allee, Südwest\",A115 Süd,SW,motorway,52.433868,13.192578\n"
      "B002,\"A115 Spanische Allee, Nordost\",A115 Süd,NE,motorway,52.433813,13.192747\n"
      "B332,Brunnenstraße,,,street,52.540124,13.394472\n"
      "B346,Heinrich-Heine-Straße,,,street,52.509714,13.415434\n"
      "N425,\"Hauptstraße, zwischen Eisenacher Straße und Dominicusstraße\",,,street,,\n";
};

// Two weeks round the 3 October holiday and the 1 October's double-counted hours, where B346
// counts zeros some days and nothing others.
TEST_F(ScreensTest, AutumnWeeksInEveryWindowOfTheirDays) {
  buildBerlin({"ATR20230925w4.dat", "ATR20231002w1.dat", "ATR20231009w2.dat"});
  auto* tabs = window.findChild<QTabWidget*>();
  tabs->setCurrentIndex(0);
  expectGolden("main-first-tab", visibleState(window));
  tabs->setCurrentIndex(1);
  pick({"B001", "B346", "N425"}, 3, 16);  // Thursday 28 September to Wednesday 11 October
  expectGolden("main-second-tab", visibleState(window));

  expectWindow("hourly-graph", window.cmdLine);
  for (int type = 0; type < window.cmbGType->count(); ++type) {
    window.cmbGType->setCurrentIndex(type);
    expectWindow(u"daily-graph-%1"_s.arg(window.cmbGType->currentText()), window.cmdDailyGraph);
  }
  expectWindow("colour-grid", window.cmdColorGrid);
  expectWindow("histogram", window.cmdHist);
  auto& profile = opened<frmWeeklyProfile>(window.findChild<QPushButton*>("cmdWeeklyProfile"));
  for (const int kind : {0, 1}) {
    for (const int station : {0, 2}) {
      profile.cmbKind->setCurrentIndex(kind);
      emit profile.cmbKind->activated(kind);
      profile.cmbStation->setCurrentIndex(station);
      emit profile.cmbStation->activated(station);
      expectGolden(u"weekly-profile-%1-%2"_s.arg(kind).arg(station), visibleState(profile));
    }
  }
  auto& statistics = opened<frmLV>(window.cmdStat);
  expectGolden("statistics", visibleState(statistics));
  statistics.chkLeaveOutCritical->setChecked(false);
  expectGolden("statistics-all-days", visibleState(statistics));

  auto& checks = opened<frmDataChecks>(window.cmdDataChecks);
  expectGolden("checks-episodes", visibleState(checks));
  checks.cmbView->setCurrentIndex(1);
  emit checks.lvFlags->header()->sectionClicked(1);
  expectGolden("checks-days-by-date", visibleState(checks));
  expectWindow("completeness", checks.cmdCompleteness);
  pick({"N425"}, 3, 16);  // a window of one station names it
  expectWindow("daily-graph-N425", window.cmdDailyGraph);
  // A short period's report page labels its days.
  expectGolden("report-page-N425-two-weeks", pageDrawing(0, {612, 792}, 36));
}

// The year: the annual window's views of five stations, a detail, an estimate, a year chart
// and the report's pages.
TEST_F(ScreensTest, AYearInTheAnnualWindowsAndTheReport) {
  QStringList files;
  for (const auto& entry :
       std::filesystem::directory_iterator(OSTRILO_REALDATA_DIR "/berlin-2023")) {
    if (entry.path().extension() == ".dat")
      files << QString::fromStdString(entry.path().filename());
  }
  files.sort();
  buildBerlin(files);
  pick({"B001", "B002", "B332", "B346", "N425"}, 0, window.lstDate->count() - 1);
  auto& annual = opened<frmAnnual>(window.cmdAnnual);
  for (const auto view :
       {frmAnnual::kRoadYears, frmAnnual::kRoads, frmAnnual::kStationYears, frmAnnual::kStations}) {
    annual.setView(view);
    expectGolden(u"annual-view-%1"_s.arg(view), visibleState(annual));
  }
  expectGolden("annual-detail", visibleState(*annual.openDetail(0)));
  annual.cmdExpand->click();
  auto& expandPick = *annual.findChild<frmExpandPick*>();
  expectGolden("annual-expand-pick", visibleState(expandPick));
  expectWindow("annual-expand", expandPick.cmdOK);
  annual.setView(frmAnnual::kStationYears);
  expectGolden("annual-year-chart", visibleState(*annual.openYearChart()));
  annual.close();

  pick({"B001", "B346"}, 0, window.lstDate->count() - 1);
  const std::string path = scratch.file("report.pdf");
  toolkit.answer(QString::fromStdString(path));
  window.cmdReport->click();
  QProcess text;
  text.start(QStringLiteral("pdftotext"),
             {QStringLiteral("-layout"), QString::fromStdString(path), QStringLiteral("-")});
  ASSERT_TRUE(text.waitForFinished());
  expectGolden("report-text", QString::fromUtf8(text.readAllStandardOutput()));
  expectGolden("report-page-B346", pageDrawing(1, {595, 842}, 40));
}

}  // namespace
}  // namespace ostrilo::test

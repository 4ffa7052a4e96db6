// Writes PNG pictures of the program's windows, filled from a count file, so that anyone can
// look at them without clicking through the program:
//   ostrilo-screenshots [--register REGISTER.csv] [--holidays CALENDAR] OUTDIR [COUNTFILES]
// COUNTFILES is one path, or several, each in double quotes, in one argument. With a register,
// the lists and windows show its station names; with a holiday calendar ("us", "de-be" or a
// file), the date list, the line graphs and the checks show its holidays, and an hourly graph
// of the first station over Easter and the checks' holiday rows are taken too.
// Runs with any Qt platform; QT_QPA_PLATFORM=offscreen needs no display.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTextStream>
#include <cstdio>
#include <set>

#include "core/table/ATRTable.h"
#include "gui/annual/frmAnnual.h"
#include "gui/annual/frmAnnualDetail.h"
#include "gui/annual/frmYearChart.h"
#include "gui/charts/frmWeeklyProfile.h"
#include "gui/checks/frmDataChecks.h"
#include "gui/main/ListTools.h"
#include "gui/main/frmMain.h"
#include "gui/toolkit/Toolkit.h"

namespace {

// Answers every dialog at once so that nothing waits for a click.
class ScriptedToolkit final : public ostrilo::Toolkit {
 public:
  void showMessage(QWidget*, const QString& text, ostrilo::MessageIcon, const QString&) override {
    QTextStream(stderr) << "message: " << text << '\n';
  }
  std::optional<QString> openFileName(QWidget*, const ostrilo::FileDialogSettings&) override {
    return std::nullopt;
  }
  std::optional<QString> saveFileName(QWidget*, const ostrilo::FileDialogSettings&) override {
    return std::nullopt;
  }
};

bool save(QWidget* window, const QString& path) {
  QApplication::processEvents();
  if (!window->grab().save(path)) {
    std::fprintf(stderr, "ostrilo-screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

// The top-level window that a click opens, nullptr when none opened.
QWidget* openedBy(QPushButton* button) {
  const QWidgetList before = QApplication::topLevelWidgets();
  const std::set<QWidget*> known(before.begin(), before.end());
  button->click();
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (!known.contains(top) && top->isVisible()) return top;
  }
  std::fprintf(stderr, "ostrilo-screenshots: %s opened no window\n",
               qPrintable(button->objectName()));
  return nullptr;
}

bool saveOpened(QPushButton* button, const QString& path) {
  QWidget* window = openedBy(button);
  return window != nullptr && save(window, path);
}

// Easter Sunday and the days around it, from the Thursday before to the Tuesday after.
bool aroundEaster(const QDate& day) {
  const int y = day.year();
  const int a = y % 19, b = y / 100, c = y % 100, d = b / 4, e = b % 4, f = (b + 8) / 25;
  const int g = (b - f + 1) / 3, h = (19 * a + b - d - g + 15) % 30, i = c / 4, k = c % 4;
  const int l = (32 + 2 * e + 2 * i - h - k) % 7, m = (a + 11 * h + 22 * l) / 451;
  const int month = (h + l - 7 * m + 114) / 31, dayOfMonth = (h + l - 7 * m + 114) % 31 + 1;
  const qint64 offset = QDate(y, month, dayOfMonth).daysTo(day);
  return offset >= -3 && offset <= 2;
}

// The date list scrolled to Easter, and the hourly graph of the first station over it.
bool saveEaster(ostrilo::frmMain& window, const QDir& out) {
  window.lstSta->clearSelection();
  const QList<QListWidgetItem*> b001 =
      window.lstSta->findItems(QStringLiteral("B001"), Qt::MatchStartsWith);
  window.lstSta->setCurrentItem(b001.isEmpty() ? window.lstSta->item(0) : b001.front());
  window.lstDate->clearSelection();
  QListWidgetItem* first = nullptr;
  for (int row = 0; row < window.lstDate->count(); ++row) {
    QListWidgetItem* item = window.lstDate->item(row);
    if (!aroundEaster(item->data(ostrilo::kEntryDateRole).toDate())) continue;
    item->setSelected(true);
    if (first == nullptr) first = item;
  }
  if (first == nullptr) return true;  // the table holds no Easter
  window.resize(1100, 640);           // room for the holidays' names
  QApplication::processEvents();
  window.lstDate->scrollToItem(first, QAbstractItemView::PositionAtTop);
  bool ok = save(&window, out.filePath(QStringLiteral("main-tab2-easter.png")));
  window.cmbGType->setCurrentIndex(0);
  return saveOpened(window.cmdLine, out.filePath(QStringLiteral("hourly-graph-easter.png"))) && ok;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  QStringList args = QApplication::arguments();
  QString registerPath;
  if (args.size() > 2 && args.at(1) == QStringLiteral("--register")) {
    registerPath = args.at(2);
    args.remove(1, 2);
  }
  QString holidays;
  if (args.size() > 2 && args.at(1) == QStringLiteral("--holidays")) {
    holidays = args.at(2);
    args.remove(1, 2);
  }
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: ostrilo-screenshots [--register FILE] OUTDIR [COUNTFILE...]\n");
    return 2;
  }
  const QDir out(args.at(1));
  if (!QDir().mkpath(out.path())) {
    std::fprintf(stderr, "ostrilo-screenshots: cannot create %s\n", qPrintable(out.path()));
    return 1;
  }

  ostrilo::ATRTable table;
  ScriptedToolkit toolkit;
  ostrilo::frmMain window(table, toolkit);
  window.show();
  bool ok = save(&window, out.filePath(QStringLiteral("main-start.png")));
  // The first count file builds the table, every further one is added to it.
  for (qsizetype i = 2; i < args.size(); ++i) {
    window.txtATRfileName->setText(args.at(i));
    (i == 2 ? window.cmdBuildNew : window.cmdAdd2Table)->click();
  }
  // Made by the first Build; without a file, or when it failed, the shots show the empty tab.
  window.ensureSecondTab();
  if (!registerPath.isEmpty()) ok = window.LoadRegister(registerPath) && ok;
  if (!holidays.isEmpty()) ok = window.setHolidayChoice(holidays) && ok;
  ok = save(&window, out.filePath(QStringLiteral("main-tab1.png"))) && ok;
  window.SSTab1->setCurrentIndex(1);
  ok = save(&window, out.filePath(QStringLiteral("main-tab2.png"))) && ok;
  if (!holidays.isEmpty()) ok = saveEaster(window, out) && ok;
  // Grown as far as the screen allows: the lists take the room.
  window.showMaximized();
  ok = save(&window, out.filePath(QStringLiteral("main-tab2-maximised.png"))) && ok;
  window.showNormal();

  window.lstSta->selectAll();
  window.lstDate->selectAll();
  ok = saveOpened(window.cmdStat, out.filePath(QStringLiteral("station-stat.png"))) && ok;

  ok = saveOpened(window.cmdDataChecks, out.filePath(QStringLiteral("data-checks.png"))) && ok;

  // Three stations over all dates: enough series to tell the kinds and the legend apart.
  window.lstSta->setCurrentRow(0);
  for (int row = 1; row < 3 && row < window.lstSta->count(); ++row) {
    window.lstSta->item(row)->setSelected(true);
  }
  window.lstDate->setCurrentRow(0);
  window.lstDate->selectAll();
  const struct {
    int graphType;
    const char* file;
  } hourlyKinds[] = {{0, "hourly-graph.png"},
                     {1, "hourly-graph-bar.png"},
                     {2, "hourly-graph-horizbar.png"},
                     {3, "hourly-graph-area.png"},
                     {4, "hourly-graph-point.png"}};
  for (const auto& kind : hourlyKinds) {
    window.cmbGType->setCurrentIndex(kind.graphType);
    ok = saveOpened(window.cmdLine, out.filePath(QString::fromLatin1(kind.file))) && ok;
  }
  window.cmbGType->setCurrentIndex(0);
  ok = saveOpened(window.cmdDailyGraph, out.filePath(QStringLiteral("daily-graph.png"))) && ok;
  window.cmbGType->setCurrentIndex(1);
  ok = saveOpened(window.cmdDailyGraph, out.filePath(QStringLiteral("daily-graph-bar.png"))) && ok;
  ok = saveOpened(window.cmdColorGrid, out.filePath(QStringLiteral("color-grid.png"))) && ok;
  ok = saveOpened(window.cmdHist, out.filePath(QStringLiteral("histogram.png"))) && ok;
  auto* profile = qobject_cast<ostrilo::frmWeeklyProfile*>(
      openedBy(window.findChild<QPushButton*>(QStringLiteral("cmdWeeklyProfile"))));
  ok =
      profile != nullptr && save(profile, out.filePath(QStringLiteral("weekly-profile.png"))) && ok;
  if (profile != nullptr) {
    profile->draw(1, ostrilo::frmWeeklyProfile::Curves);
    ok = save(profile, out.filePath(QStringLiteral("weekly-profile-curves.png"))) && ok;
    profile->draw(0, ostrilo::frmWeeklyProfile::Grid);  // the scale comes back after the curves
    ok = save(profile, out.filePath(QStringLiteral("weekly-profile-again.png"))) && ok;
  }

  // The annual figures of every station and the detail of the first station-year.
  window.lstSta->selectAll();
  auto* annual = qobject_cast<ostrilo::frmAnnual*>(openedBy(window.cmdAnnual));
  ok = annual != nullptr && save(annual, out.filePath(QStringLiteral("annual-figures.png"))) && ok;
  if (annual != nullptr && !annual->rows().empty()) {
    ok = save(annual->openDetail(0), out.filePath(QStringLiteral("annual-detail.png"))) && ok;
    // Only a register with roads offers the view.
    annual->setView(ostrilo::frmAnnual::kRoadYears);
    if (annual->view() == ostrilo::frmAnnual::kRoadYears) {
      ok = save(annual, out.filePath(QStringLiteral("annual-road-years.png"))) && ok;
      ok = save(annual->openYearChart(), out.filePath(QStringLiteral("road-year-chart.png"))) && ok;
      annual->setView(ostrilo::frmAnnual::kStations);
    }
  }
  // The checks as days, the completeness table, and the expand dialog with every station.
  for (QWidget* top : QApplication::topLevelWidgets()) {
    auto* checks = qobject_cast<ostrilo::frmDataChecks*>(top);
    if (checks == nullptr) continue;
    checks->cmbView->setCurrentIndex(1);
    ok = save(checks, out.filePath(QStringLiteral("data-checks-days.png"))) && ok;
    if (!holidays.isEmpty()) {
      checks->cmbSeverity->setCurrentIndex(checks->cmbSeverity->findText(QStringLiteral("Info")));
      ok = save(checks, out.filePath(QStringLiteral("data-checks-holidays.png"))) && ok;
      checks->cmbSeverity->setCurrentIndex(0);
    }
    checks->cmbView->setCurrentIndex(0);
    ok =
        saveOpened(checks->cmdCompleteness, out.filePath(QStringLiteral("completeness.png"))) && ok;
    break;
  }
  if (annual != nullptr) {
    auto* pick = qobject_cast<QDialog*>(openedBy(annual->cmdExpand));
    if (pick != nullptr) {
      pick->showMaximized();
      ok = save(pick, out.filePath(QStringLiteral("expand-pick.png"))) && ok;
      if (auto* byGroups = pick->findChild<QCheckBox*>(QStringLiteral("chkByGroups"));
          byGroups != nullptr && byGroups->isEnabled()) {
        byGroups->setChecked(true);
        auto* list = pick->findChild<QListWidget*>(QStringLiteral("lstExpand"));
        list->selectAll();
        const QWidgetList before = QApplication::topLevelWidgets();
        pick->accept();
        for (QWidget* top : QApplication::topLevelWidgets()) {
          if (!before.contains(top) && top->isVisible()) {
            ok = save(top, out.filePath(QStringLiteral("expand-groups.png"))) && ok;
          }
        }
      }
    }
  }
  return ok ? 0 : 1;
}

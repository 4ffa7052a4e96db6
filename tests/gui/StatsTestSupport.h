#pragma once

// A main window with a built table of three stations, shared by the tests of the statistics
// window and the statistics export.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <array>
#include <initializer_list>
#include <ostream>
#include <stdexcept>
#include <string>

#include "FakeToolkit.h"
#include "GuiTestSupport.h"
#include "app/CountTable.h"
#include "app/frmMain.h"
#include "stats/frmLV.h"
#include "tests/plot/SelectionTestSupport.h"

namespace ostrilo::test {

// Daily totals on Fri 7, Sat 8, Sun 9 and Mon 10 January 2005, stations in list order. The
// first is the worked example (800, 500, 1100, 255, 1050, 550); the others have a six-digit and
// a negative figure. By name, by ADT value and by ADT text the three sort three different ways.
struct StationDays {
  const char* name;
  std::array<int, 4> totals;
};
inline constexpr std::array<StationDays, 3> kStations{{{"0300", {1000, 600, 500, 1100}},
                                                       {"0100", {200000, 200000, 200000, 200000}},
                                                       {"0200", {-1500, -1500, -1500, -1500}}}};

// A selection that the check refuses, and its one message.
struct RefusedSelection {
  const char* name;
  bool built;
  bool pickStations;
  bool pickDates;
  const char* message;
  friend void PrintTo(const RefusedSelection& c, std::ostream* os) { *os << c.name; }
};

inline const RefusedSelection kRefusedSelections[] = {
    {"EmptyTable", false, false, false, "You must create the data first."},
    {"NoDatePicked", true, true, false, "You must select one or more dates."},
    {"NoStationPicked", true, false, true, "You must select one or more stations."},
};

class StatsGuiTest : public ::testing::Test {
 protected:
  StatsGuiTest() {
    // The table is program-wide; a test must not see the previous test's table.
    releaseCountTable();
    window.show();
  }
  ~StatsGuiTest() override {
    // The statistics window has no owner: without this it would outlive the test.
    window.close();
    flushDeletes();
    releaseCountTable();
  }

  void build() {
    std::string text;
    for (const StationDays& s : kStations) {
      for (int d = 0; d < 4; ++d)
        text += dayLines(s.name, day(2005, 1, 7 + d), spread(s.totals[d]));
    }
    window.txtATRfileName->setText(
        QString::fromStdString(scratch.write("ATR20050107w1.dat", text)));
    window.cmdBuildNew->click();
    if (window.lstSta->count() != 3 || window.lstDate->count() != 4) {
      throw std::runtime_error("the count file built no table of 3 stations and 4 dates");
    }
    toolkit.messages.clear();
  }

  static void pick(QListWidget* list, std::initializer_list<int> rows) {
    list->clearSelection();
    for (int row : rows) list->item(row)->setSelected(true);
  }
  void pickEverything() {
    pick(window.lstSta, {0, 1, 2});
    pick(window.lstDate, {0, 1, 2, 3});
  }
  // The second tab with an empty station list: a table file saved before any table, loaded.
  void loadEmptyTable() {
    const QString path = QString::fromStdString(scratch.file("empty.cont"));
    toolkit.answer(path);
    window.cmdSave->click();
    toolkit.answer(path);
    window.cmdLdBrowse->click();
    if (!window.SSTab1->isTabEnabled(1)) throw std::runtime_error("the empty table did not load");
    toolkit.messages.clear();
    toolkit.dialogs.clear();
  }

  void prepare(const RefusedSelection& c) {
    if (!c.built) return loadEmptyTable();
    build();
    if (c.pickStations) pick(window.lstSta, {0, 1});
    if (c.pickDates) pick(window.lstDate, {0, 1, 2, 3});
  }

  // Windows closed with WA_DeleteOnClose are only deleted by the event loop.
  static void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  LocaleGuard locale{unitedStates()};
  FakeToolkit toolkit;
  frmMain window{toolkit};
  ScratchDir scratch;
};

inline FakeToolkit::Message refusal(const char* text) {
  return {QString::fromLatin1(text), MessageIcon::Exclamation, kAppTitle};
}

}  // namespace ostrilo::test

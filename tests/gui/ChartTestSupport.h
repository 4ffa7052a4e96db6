#pragma once

// A sample table, selections built from positions, and the clean-up every chart test needs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <vector>

#include "FakeToolkit.h"
#include "GuiTestSupport.h"
#include "app/TextFormats.h"
#include "plot/ChartWindow.h"
#include "plot/PlotSelection.h"
#include "table/ATRTable.h"

namespace ostrilo::test {

inline QString sampleFile(const char* name) {
  return QStringLiteral(OSTRILO_SOURCE_DIR "/samples/") + QString::fromLatin1(name);
}

// Stations 0101 to 0112 at indexes 0 to 11, 3 to 9 January 2005 at indexes 0 to 6.
inline ATRTable sampleTable() {
  ATRTable table;
  table.setInFile(sampleFile("ATR20050103w1.dat").toStdString());
  table.BuildTable();
  return table;
}

// The lists as the user left them: the given positions selected, the first of each current.
inline PlotSelection pick(const ATRTable& table, const std::vector<int>& stations,
                          const std::vector<int>& dates) {
  PlotSelection selection;
  selection.stations.selected.assign(static_cast<std::size_t>(table.StaCount()), false);
  selection.dates.selected.assign(static_cast<std::size_t>(table.DateCount()), false);
  for (std::int16_t i = 0; i < table.StaCount(); ++i) {
    selection.stations.texts.push_back(table.StaNamebyIndex(i));
  }
  for (int i : stations) selection.stations.selected[static_cast<std::size_t>(i)] = true;
  for (int i : dates) selection.dates.selected[static_cast<std::size_t>(i)] = true;
  selection.stations.current = stations.empty() ? -1 : stations.front();
  selection.dates.current = dates.empty() ? -1 : dates.front();
  return selection;
}

inline std::vector<ChartWindow*> openChartWindows() {
  std::vector<ChartWindow*> windows;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (auto* chart = qobject_cast<ChartWindow*>(top); chart != nullptr && chart->isVisible()) {
      windows.push_back(chart);
    }
  }
  return windows;
}

// Chart windows delete themselves once closed; they must be gone before the toolkit they use.
inline void closeChartWindows() {
  for (ChartWindow* window : openChartWindows()) window->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class ChartTest : public ::testing::Test {
 protected:
  ~ChartTest() override { closeChartWindows(); }

  LocaleGuard locale{unitedStates()};
  FakeToolkit toolkit;
  ATRTable table = sampleTable();
};

}  // namespace ostrilo::test

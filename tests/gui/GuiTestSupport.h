#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QSettings>
#include <QTreeWidget>
#include <initializer_list>
#include <vector>

#include "core/table/ATRTable.h"
#include "gui/charts/ChartWindow.h"
#include "gui/main/frmMain.h"
#include "gui/toolkit/RecentFolders.h"
#include "tests/support/FakeToolkit.h"
#include "tests/support/SelectionTestSupport.h"

namespace ostrilo::test {

class LocaleGuard {
 public:
  explicit LocaleGuard(const QLocale& locale) { QLocale::setDefault(locale); }
  ~LocaleGuard() { QLocale::setDefault(m_saved); }
  LocaleGuard(const LocaleGuard&) = delete;
  LocaleGuard& operator=(const LocaleGuard&) = delete;

 private:
  QLocale m_saved;
};

inline QLocale unitedStates() { return QLocale(QLocale::English, QLocale::UnitedStates); }
inline QLocale germany() { return QLocale(QLocale::German, QLocale::Germany); }

inline QString sampleFile(const char* name) {
  return QStringLiteral(OSTRILO_SOURCE_DIR "/samples/") + QString::fromLatin1(name);
}

// The shown top-level windows of a kind; a window embedded in another is none of them.
template <typename Window = ChartWindow>
std::vector<Window*> openWindows() {
  std::vector<Window*> found;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (auto* w = qobject_cast<Window*>(top); w != nullptr && w->isVisible()) found.push_back(w);
  }
  return found;
}

// The rows of a list view, each the texts of the given columns joined by blanks.
inline QStringList rowTexts(const QTreeWidget& view, std::initializer_list<int> columns) {
  QStringList rows;
  for (int r = 0; r < view.topLevelItemCount(); ++r) {
    QStringList cells;
    for (const int c : columns) cells << view.topLevelItem(r)->text(c);
    rows << cells.join(u' ');
  }
  return rows;
}

// Windows closed with WA_DeleteOnClose are only deleted by the event loop.
inline void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// A shown main window over its own table; closing it closes the windows it opened.
class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    clearSettings();
    window.show();
  }
  // Every test starts without remembered folders.
  static void clearSettings() { QSettings(kSettingsOrganisation, kSettingsApplication).clear(); }
  ~MainWindowTest() override {
    window.close();
    for (ChartWindow* chart : openWindows()) chart->close();
    flushDeletes();
  }

  ATRTable& countTable() { return counts; }

  void build(const QString& path) {
    window.txtATRfileName->setText(path);
    window.cmdBuildNew->click();
  }
  void add(const QString& path) {
    window.txtATRfileName->setText(path);
    window.cmdAdd2Table->click();
  }
  static void select(QListWidget* list, std::initializer_list<int> rows) {
    list->clearSelection();
    for (int row : rows) list->item(row)->setSelected(true);
  }

  // Before the window, which reads what was remembered when it is made.
  bool settingsCleared = (clearSettings(), true);
  ATRTable counts;
  LocaleGuard locale{unitedStates()};
  FakeToolkit toolkit;
  frmMain window{counts, toolkit};
  ScratchDir scratch;
};

}  // namespace ostrilo::test

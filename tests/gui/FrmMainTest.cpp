#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "FakeToolkit.h"
#include "GuiTestSupport.h"
#include "app/CountTable.h"
#include "app/TextFormats.h"
#include "app/frmMain.h"
#include "table/ATRTable.h"
#include "tests/table/TableTestSupport.h"

namespace ostrilo::test {
namespace {

using Kind = FakeToolkit::DialogKind;

QString sample(const char* name) {
  return QStringLiteral(OSTRILO_SOURCE_DIR "/samples/") + QString::fromUtf8(name);
}

QStringList texts(const QListWidget* list) {
  QStringList result;
  for (int i = 0; i < list->count(); ++i) result << list->item(i)->text();
  return result;
}

// The button's own flag: a page of an unavailable tab disables everything on it.
bool ownEnabled(const QWidget* w) { return w->isEnabledTo(w->parentWidget()); }

// What a failed or cancelled command must leave as it was.
struct WindowState {
  QStringList stations;
  QStringList dates;
  bool tabEnabled;
  bool plotButtonsEnabled;
  int graphType;
  friend bool operator==(const WindowState&, const WindowState&) = default;
  friend void PrintTo(const WindowState& s, std::ostream* os) {
    *os << s.stations.join(' ').toStdString() << " | " << s.dates.join(' ').toStdString()
        << " | tab " << s.tabEnabled << " buttons " << s.plotButtonsEnabled << " type "
        << s.graphType;
  }
};

WindowState stateOf(const frmMain& w) {
  return {texts(w.lstSta), texts(w.lstDate), w.SSTab1->isTabEnabled(1),
          ownEnabled(w.cmdLine) && ownEnabled(w.cmdHist) && ownEnabled(w.cmdStat),
          w.cmbGType->currentIndex()};
}

// The table's content; a failed command may still have set the count-file name.
auto contentOf(const ATRTable& table) {
  const TableSnapshot s = snapshot(table);
  return std::tuple(s.names, s.dates, s.volumes);
}

FileDialogSettings tableFileSettings(const QString& title, const QString& initialName) {
  return {title, "All files (*.*)|*.*|*.cont files|*.cont", 2, "cont", 0x8806, initialName};
}

// Everything a command sets before a dialog opens, and whether it is an open or a save dialog.
auto asked(const FakeToolkit::Dialog& d) {
  const FileDialogSettings& s = d.settings;
  return std::tuple(d.kind, s.title, s.filter, s.firstFilter, s.defaultExtension, s.flags,
                    s.initialFileName);
}
auto asked(Kind kind, const FileDialogSettings& s) { return asked({kind, s}); }

class FrmMainTest : public ::testing::Test {
 protected:
  FrmMainTest() {
    // The table is program-wide; a test must not see the previous test's table.
    releaseCountTable();
    window.show();
  }
  ~FrmMainTest() override { releaseCountTable(); }

  void build(const QString& path) {
    window.txtATRfileName->setText(path);
    window.cmdBuildNew->click();
  }
  void add(const QString& path) {
    window.txtATRfileName->setText(path);
    window.cmdAdd2Table->click();
  }

  LocaleGuard locale{unitedStates()};
  FakeToolkit toolkit;
  frmMain window{toolkit};
  ScratchDir scratch;
};

TEST_F(FrmMainTest, StartsWithOnlyTheFirstTabAndTheTableCommands) {
  EXPECT_EQ(window.windowTitle(), "Ostrilo for ATRyyyymmdd.dat files");
  EXPECT_EQ(window.SSTab1->currentIndex(), 0);
  EXPECT_TRUE(window.SSTab1->isTabEnabled(0));
  EXPECT_FALSE(window.SSTab1->isTabEnabled(1));
  for (QPushButton* b : {window.cmdLine, window.cmdHist, window.cmdStat}) {
    EXPECT_FALSE(ownEnabled(b)) << b->objectName().toStdString();
  }
  for (QPushButton* b : {window.cmdATRBrowse, window.cmdBuildNew, window.cmdAdd2Table,
                         window.cmdSave, window.cmdExit, window.cmdLdBrowse, window.cmdDailyGraph,
                         window.cmdColorGrid, window.cmdExport}) {
    EXPECT_TRUE(ownEnabled(b)) << b->objectName().toStdString();
  }
  EXPECT_EQ(window.cmbGType->currentIndex(), -1);
  EXPECT_EQ(window.cmbGType->currentText(), "");

  QTabBar* bar = window.SSTab1->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
  EXPECT_EQ(window.SSTab1->currentIndex(), 0) << "the second tab came to the front";
}

TEST_F(FrmMainTest, ControlsKeepTheirDesignedPlacesInPixels) {
  EXPECT_EQ(window.size(), QSize(541, 380));
  EXPECT_EQ(window.SSTab1->geometry(), QRect(0, 48, 537, 329));
  EXPECT_EQ(window.cmdBuildNew->geometry(), QRect(32, 48, 185, 41));
  // Page children were designed relative to the whole tab control, tab strip included.
  const auto inTab = [&](QWidget* w) {
    return QRect(w->mapTo(window.SSTab1, QPoint()), w->size());
  };
  EXPECT_EQ(inTab(window.Frame1), QRect(8, 40, 521, 97));
  EXPECT_EQ(inTab(window.cmdExit), QRect(432, 168, 89, 41));
  window.SSTab1->setTabEnabled(1, true);
  window.SSTab1->setCurrentIndex(1);
  EXPECT_EQ(inTab(window.lstSta), QRect(80, 64, 97, 160));

  const QFont heading = window.Label4->font();
  EXPECT_TRUE(heading.italic());
  EXPECT_EQ(heading.pointSize(), 18);
  EXPECT_EQ(window.Label4->palette().color(QPalette::WindowText), QColor(128, 0, 0));
}

TEST_F(FrmMainTest, BuildListsTheTableAndMakesTheSecondTabAvailable) {
  window.cmbGType->setCurrentIndex(3);
  build(sample("ATR20050103w1.dat"));

  EXPECT_EQ(toolkit.messages, std::vector({information("Table build done.")}));
  ATRTable reference;
  reference.setInFile(sample("ATR20050103w1.dat").toStdString());
  reference.BuildTable();
  ASSERT_EQ(window.lstSta->count(), 12);
  for (std::int16_t i = 0; i < 12; ++i) {
    EXPECT_EQ(window.lstSta->item(i)->text(), stationText(reference.StaNamebyIndex(i)));
  }
  EXPECT_EQ(texts(window.lstDate),
            QStringList({"1/3/2005,Mo", "1/4/2005,Tu", "1/5/2005,We", "1/6/2005,Th", "1/7/2005,Fr",
                         "1/8/2005,Sa", "1/9/2005,Su"}));
  EXPECT_TRUE(stateOf(window).tabEnabled);
  EXPECT_TRUE(stateOf(window).plotButtonsEnabled);
  EXPECT_EQ(window.SSTab1->currentIndex(), 0) << "the tab in front must not change";
  EXPECT_EQ(window.cmbGType->currentIndex(), 0);
}

TEST_F(FrmMainTest, ListPositionsAreTableIndexesNotSortOrder) {
  const auto file =
      scratch.write("ATR20050105w1.dat", countFile({countLine('1', "010505", "0300", rising(10)),
                                                    countLine('1', "010305", "0100", rising(20)),
                                                    countLine('2', "010505", "0100", rising(30))}));
  build(QString::fromStdString(file));
  EXPECT_EQ(texts(window.lstSta), QStringList({"0300", "0100"}));
  EXPECT_EQ(texts(window.lstDate), QStringList({"1/5/2005,We", "1/3/2005,Mo"}));
}

TEST_F(FrmMainTest, AddMakesTheFirstEntriesCurrentAndBuildDropsEveryPick) {
  add(sample("ATR20050103w1.dat"));
  add(sample("ATR20050117w3.dat"));

  EXPECT_EQ(toolkit.messages,
            std::vector({information("Adding data done."), information("Adding data done.")}));
  EXPECT_TRUE(stateOf(window).tabEnabled);
  ASSERT_EQ(window.lstSta->count(), 14);
  EXPECT_EQ(window.lstSta->item(13)->text(), "0114");
  ASSERT_EQ(window.lstDate->count(), 14);
  EXPECT_EQ(window.lstDate->item(7)->text(), "1/17/2005,Mo");
  for (QListWidget* list : {window.lstSta, window.lstDate}) {
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(list->selectedItems(), QList<QListWidgetItem*>({list->item(0)}));
  }

  window.lstSta->item(5)->setSelected(true);
  window.cmbGType->setCurrentIndex(2);
  build(sample("ATR20050110w2.dat"));
  for (QListWidget* list : {window.lstSta, window.lstDate}) {
    EXPECT_EQ(list->currentRow(), -1);
    EXPECT_TRUE(list->selectedItems().isEmpty());
  }
  EXPECT_EQ(window.cmbGType->currentIndex(), 0);
}

TEST_F(FrmMainTest, EmptyCountFileNameWarnsButBlanksAreAName) {
  const WindowState start = stateOf(window);
  build("");
  add("");
  const auto emptyName = warning(
      "You must select an ATR data file named: ATRyyyymmddw#.dat.\r\n"
      " Click the Browse button to navigate.");
  EXPECT_EQ(toolkit.messages, std::vector({emptyName, emptyName}));
  EXPECT_EQ(stateOf(window), start);

  toolkit.messages.clear();
  ATRTable reference;
  reference.setInFile("   ");
  const Error missing = thrownBy([&] { reference.BuildTable(); });
  build("   ");
  EXPECT_EQ(toolkit.messages,
            std::vector({warning(QString::fromStdString(missing.description()))}));
}

TEST_F(FrmMainTest, BrowseAsksForAnExistingCountFile) {
  toolkit.answer("/counts/ATR20050103w1.dat");
  window.cmdATRBrowse->click();
  ASSERT_EQ(toolkit.dialogs.size(), 1u);
  EXPECT_EQ(
      asked(toolkit.dialogs[0]),
      asked(Kind::Open, {"Select a ATRyyyymmdds#.dat file",
                         "All files (*.*)|*.*|ATR*.dat files|ATR*.dat", 2, "dat", 0x9004, ""}));
  EXPECT_EQ(window.txtATRfileName->text(), "/counts/ATR20050103w1.dat");
  EXPECT_TRUE(toolkit.messages.empty());
}

TEST_F(FrmMainTest, TableFileDialogsProposeTheirNames) {
  const auto cancelled = [&](QPushButton* command) {
    toolkit.answer(std::nullopt);
    command->click();
  };
  window.txtLoadFile->setText("/tables/week.cont");
  window.txtATRfileName->setText("D:\\data\\ATR20050103w1.dat");
  cancelled(window.cmdLdBrowse);
  cancelled(window.cmdSave);
  // Save proposes from the count file box, whatever the table file box holds.
  window.txtATRfileName->clear();
  cancelled(window.cmdSave);
  window.txtLoadFile->clear();
  cancelled(window.cmdLdBrowse);

  ASSERT_EQ(toolkit.dialogs.size(), 4u);
  const QString load = "Select a *.cont file";
  const QString save = "Select the output *.cont file";
  EXPECT_EQ(asked(toolkit.dialogs[0]),
            asked(Kind::Open, tableFileSettings(load, "/tables/week.cont")));
  EXPECT_EQ(asked(toolkit.dialogs[1]),
            asked(Kind::Save, tableFileSettings(save, "D:\\data\\ATR20050103w1.cont")));
  EXPECT_EQ(asked(toolkit.dialogs[2]), asked(Kind::Save, tableFileSettings(save, "")));
  EXPECT_EQ(asked(toolkit.dialogs[3]), asked(Kind::Open, tableFileSettings(load, "")));
}

TEST_F(FrmMainTest, CancelInAnyDialogChangesNothing) {
  build(sample("ATR20050103w1.dat"));
  window.txtATRfileName->setText("kept.dat");
  window.txtLoadFile->setText("kept.cont");
  toolkit.messages.clear();
  const WindowState before = stateOf(window);
  const auto table = contentOf(countTable());

  for (QPushButton* command : {window.cmdATRBrowse, window.cmdLdBrowse, window.cmdSave}) {
    toolkit.answer(std::nullopt);
    command->click();
  }
  EXPECT_EQ(toolkit.dialogs.size(), 3u);
  EXPECT_TRUE(toolkit.messages.empty());
  EXPECT_EQ(window.txtATRfileName->text(), "kept.dat");
  EXPECT_EQ(window.txtLoadFile->text(), "kept.cont");
  EXPECT_EQ(stateOf(window), before);
  EXPECT_EQ(contentOf(countTable()), table);
}

TEST_F(FrmMainTest, SavedTableLoadsBackIntoAFreshWindow) {
  build(sample("ATR20050110w2.dat"));
  const WindowState built = stateOf(window);
  const QString path = QString::fromStdString(scratch.file("week2.cont"));
  toolkit.messages.clear();
  toolkit.answer(path);
  window.cmdSave->click();
  EXPECT_TRUE(toolkit.messages.empty()) << "Save is silent on success";
  EXPECT_EQ(window.txtLoadFile->text(), path);

  releaseCountTable();
  frmMain fresh(toolkit);
  fresh.txtLoadFile->setText(path);
  toolkit.answer(path);
  fresh.cmdLdBrowse->click();
  EXPECT_EQ(toolkit.dialogs.back().settings.initialFileName, path);
  EXPECT_EQ(toolkit.messages, std::vector({information("Loading done. \r\n" + path)}));
  EXPECT_EQ(stateOf(fresh), built);
  EXPECT_EQ(fresh.lstSta->currentRow(), -1);
}

TEST_F(FrmMainTest, SaveBeforeAnyTableIsSilentAndEnablesNothing) {
  const WindowState start = stateOf(window);
  const QString path = QString::fromStdString(scratch.file("empty.cont"));
  toolkit.answer(path);
  window.cmdSave->click();
  EXPECT_TRUE(toolkit.messages.empty());
  EXPECT_TRUE(std::filesystem::exists(path.toStdString()));
  EXPECT_EQ(stateOf(window), start);
}

// A failing command, the file it is given and that file's bytes (none: the file is missing).
enum class Command { Build, Add, Load, Save };
struct FailureCase {
  const char* name;
  Command command;
  const char* fileName;
  const char* content;
  friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
};

const std::string kBadVolume =
    countFile({countLine('1', "010305", "0100", rising(10)),
               overwrite(countLine('2', "010305", "0100", rising(20)), 24, "  1x4")});

class FailingCommand : public FrmMainTest,
                       public ::testing::WithParamInterface<std::tuple<FailureCase, bool>> {
 protected:
  // Runs the command on the window, or with a table given, the same operation on that table.
  void run(Command command, const std::string& path, ATRTable* table = nullptr) {
    const QString qpath = QString::fromStdString(path);
    if (table != nullptr) {
      table->setInFile(path);
      if (command == Command::Build) table->BuildTable();
      if (command == Command::Add) table->AddToTable();
      if (command == Command::Load) table->LoadFromFile(path);
      if (command == Command::Save) table->SaveToFile(path);
    } else if (command == Command::Build) {
      build(qpath);
    } else if (command == Command::Add) {
      add(qpath);
    } else {
      toolkit.answer(qpath);
      (command == Command::Load ? window.cmdLdBrowse : window.cmdSave)->click();
    }
  }
};

TEST_P(FailingCommand, WarnsWithTheErrorAndKeepsTableListsAndTab) {
  const auto& [c, afterBuild] = GetParam();
  if (afterBuild) build(sample("ATR20050103w1.dat"));
  const std::string path = scratch.file(c.fileName);
  if (c.content != nullptr) scratch.write(c.fileName, c.content);
  ATRTable reference;
  const Error expected = thrownBy([&] { run(c.command, path, &reference); });
  toolkit.messages.clear();
  const WindowState before = stateOf(window);
  const auto table = contentOf(countTable());

  run(c.command, path);
  EXPECT_EQ(toolkit.messages,
            std::vector({warning(QString::fromStdString(expected.description()))}));
  EXPECT_EQ(stateOf(window), before);
  EXPECT_EQ(window.SSTab1->isTabEnabled(1), afterBuild);
  EXPECT_EQ(contentOf(countTable()), table);
  if (c.command == Command::Load || c.command == Command::Save) {
    EXPECT_EQ(window.txtLoadFile->text(), QString::fromStdString(path));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, FailingCommand,
    ::testing::Combine(
        ::testing::Values(
            FailureCase{"BuildMissingFile", Command::Build, "ATR20050103w9.dat", nullptr},
            FailureCase{"BuildBadVolume", Command::Build, "bad.dat", kBadVolume.c_str()},
            FailureCase{"AddMissingFile", Command::Add, "ATR20050103w9.dat", nullptr},
            FailureCase{"AddBadVolume", Command::Add, "bad.dat", kBadVolume.c_str()},
            FailureCase{"LoadMissingFile", Command::Load, "none.cont", nullptr},
            FailureCase{"LoadCorruptFile", Command::Load, "bad.cont", "not a table file\r\n"},
            FailureCase{"SaveIntoMissingFolder", Command::Save, "missing/x.cont", nullptr}),
        ::testing::Bool()),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) +
             (std::get<1>(info.param) ? "AfterBuild" : "OnStart");
    });

// Stands in for a chart or the statistics window and notes the state it closes in.
class RecordingWindow : public QWidget {
 public:
  RecordingWindow(const char* name, std::vector<std::string>& log, const QWidget& main)
      : m_log(log), m_main(main) {
    setObjectName(name);
    show();
  }

 protected:
  void closeEvent(QCloseEvent* event) override {
    std::string entry = objectName().toStdString();
    if (!m_main.isVisible()) entry += " after main";
    if (countTable().StaCount() != 0) entry += " with table";
    m_log.push_back(entry);
    QWidget::closeEvent(event);
  }

 private:
  std::vector<std::string>& m_log;
  const QWidget& m_main;
};

class ClosingSequence : public FrmMainTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ClosingSequence, ReleasesTableClosesOtherWindowsInOrderThenItself) {
  build(sample("ATR20050103w1.dat"));
  std::vector<std::string> log;
  std::vector<std::unique_ptr<RecordingWindow>> others;
  for (const char* name :
       {"frmLV", "frmGraphL", "frmOther", "frmVolColorGrid", "frmGraphH", "frmGraphL"}) {
    others.push_back(std::make_unique<RecordingWindow>(name, log, window));
  }

  if (GetParam()) {
    window.cmdExit->click();
  } else {
    window.close();
  }

  EXPECT_EQ(log, (std::vector<std::string>{"frmGraphH", "frmGraphL", "frmGraphL", "frmVolColorGrid",
                                           "frmLV"}));
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(others[2]->isVisible()) << "a window of no known kind stays open";
  EXPECT_EQ(countTable().StaCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(ExitOrCloseControl, ClosingSequence, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Exit" : "CloseControl"; });

struct LocaleCase {
  const char* name;
  QLocale locale;
  const char* first;
  const char* last;
  friend void PrintTo(const LocaleCase& c, std::ostream* os) { *os << c.name; }
};

class DateEntries : public FrmMainTest, public ::testing::WithParamInterface<LocaleCase> {};

TEST_P(DateEntries, FollowTheUsersShortDateFormatWithEnglishDays) {
  const LocaleGuard guard(GetParam().locale);
  build(sample("ATR20050103w1.dat"));
  ASSERT_EQ(window.lstDate->count(), 7);
  EXPECT_EQ(window.lstDate->item(0)->text(), GetParam().first);
  EXPECT_EQ(window.lstDate->item(6)->text(), GetParam().last);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, DateEntries,
    ::testing::Values(LocaleCase{"UnitedStates", unitedStates(), "1/3/2005,Mo", "1/9/2005,Su"},
                      LocaleCase{"Germany", germany(), "03.01.2005,Mo", "09.01.2005,Su"},
                      LocaleCase{"CLocale", QLocale::c(), "1/3/2005,Mo", "1/9/2005,Su"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ostrilo::test

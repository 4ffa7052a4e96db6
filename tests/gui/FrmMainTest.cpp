#include <gmock/gmock.h>
#include <qcustomplot.h>

#include <QComboBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

#include "GuiTestSupport.h"
#include "gui/charts/Plots.h"
#include "gui/charts/frmGraphL.h"
#include "gui/toolkit/SelectionLists.h"
#include "tests/support/FolderFaults.h"

namespace ostrilo::test {
namespace {

using Kind = FakeToolkit::DialogKind;

QStringList texts(const QListWidget* list) {
  QStringList result;
  for (int i = 0; i < list->count(); ++i) result << list->item(i)->text();
  return result;
}

// The button's own flag: a page of an unavailable tab disables everything on it.
bool ownEnabled(const QWidget* w) { return w->isEnabledTo(w->parentWidget()); }

// What a failed or cancelled command must leave as it was.
struct WindowState {
  QStringList stations, dates;
  bool tabEnabled;
  int plotButtonsEnabled;  // of "Hourly Graph", "Histogram" and "Show Statistics"
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
          ownEnabled(w.cmdLine) + ownEnabled(w.cmdHist) + ownEnabled(w.cmdStat),
          w.cmbGType->currentIndex()};
}

auto contentOf(const ATRTable& table) {
  const TableSnapshot s = snapshot(table);
  return std::tuple(s.names, s.dates, s.volumes);
}

using FrmMainTest = MainWindowTest;

// The other buttons need no check here: the tests that click them fail when they start disabled.
TEST_F(FrmMainTest, StartsWithTheSecondTabAndItsPlotButtonsDisabled) {
  EXPECT_EQ(window.lstSta, nullptr) << "the second tab is made when it is first needed";
  window.ensureSecondTab();
  EXPECT_EQ(stateOf(window), (WindowState{{}, {}, false, 0, -1}));
  QTabBar* bar = window.SSTab1->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
  EXPECT_EQ(window.SSTab1->currentIndex(), 0) << "the second tab came to the front";
}

// The date entries take the locale's short format, with a four-digit year and English days;
// the C locale has no real format and shows that of the United States.
TEST_F(FrmMainTest, BuildListsStationsByIdAndDatesByCalendarAndOpensTheSecondTab) {
  const QString file = QString::fromStdString(scratch.write(
      "ATR20050105w1.dat", countFile({countLine('1', "010505", "0300", rising(10)),
                                      countLine('1', "010305", "0100", rising(20)),
                                      countLine('2', "010505", "0100", rising(30))})));
  const struct {
    QLocale locale;
    QStringList dates;
  } locales[] = {
      {unitedStates(), {"1/3/2005,Mo", "1/5/2005,We"}},
      {germany(), {"03.01.2005,Mo", "05.01.2005,We"}},
      {QLocale(QLocale::English, QLocale::UnitedKingdom), {"03/01/2005,Mo", "05/01/2005,We"}},
      {QLocale::c(), {"1/3/2005,Mo", "1/5/2005,We"}},
  };
  window.ensureSecondTab();
  for (const auto& [locale, dates] : locales) {
    SCOPED_TRACE(locale.name().toStdString());
    const LocaleGuard guard(locale);
    window.cmbGType->setCurrentIndex(3);
    toolkit.messages.clear();
    build(file);
    EXPECT_EQ(stateOf(window), (WindowState{{"0100", "0300"}, dates, true, 3, 0}));
  }
  EXPECT_EQ(toolkit.messages,
            std::vector({information("Table build done.\r\nRead 1 file, 3 lines. The table holds "
                                     "2 stations, 2 dates, 36 hours counted.")}));
  EXPECT_EQ(window.SSTab1->currentIndex(), 0) << "the tab in front must not change";
  add(file);  // the table's first entries, 0300 and 5 January, become current where listed
  for (QListWidget* list : {window.lstSta, window.lstDate}) {
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(list->selectedItems(), QList({list->item(1)}));
  }

  // A pick names the table's own indexes (0300 and 5 January come first there), whatever
  // order the lists show; switching the order keeps it.
  select(window.lstSta, {0});
  select(window.lstDate, {1});
  const auto picks = [this] {
    const PlotSelection s = selectionFromLists(*window.lstSta, *window.lstDate);
    return std::tuple(s.stations.picked(), s.stations.texts, s.dates.picked());
  };
  using Picks =
      std::tuple<std::vector<std::int32_t>, std::vector<std::string>, std::vector<std::int32_t>>;
  const Picks expected{{1}, {"0300", "0100"}, {0}};
  EXPECT_EQ(picks(), expected);
  window.cmbOrder->setCurrentIndex(2);
  EXPECT_EQ(texts(window.lstSta), QStringList({"0300", "0100"}));
  EXPECT_EQ(texts(window.lstDate), QStringList({"1/5/2005,We", "1/3/2005,Mo"}));
  EXPECT_EQ(picks(), expected);
}

TEST_F(FrmMainTest, AddReportsWhatItAddedAndBuildDropsEveryPick) {
  add(sampleFile("ATR20050103w1.dat"));
  add(sampleFile("ATR20050117w3.dat"));
  ASSERT_EQ(toolkit.messages.size(), 2u);
  EXPECT_EQ(toolkit.messages[1].text,
            "Adding data done.\r\nRead 1 file, 196 lines. Added 2 stations, 7 dates, 2,352 hours "
            "counted. The table holds 14 stations, 14 dates, 4,368 hours counted.");
  EXPECT_TRUE(stateOf(window).tabEnabled);
  EXPECT_EQ(stateOf(window).plotButtonsEnabled, 3);
  ASSERT_EQ(window.lstSta->count(), 14);

  window.lstSta->item(5)->setSelected(true);
  build(sampleFile("ATR20050110w2.dat"));
  for (QListWidget* list : {window.lstSta, window.lstDate}) {
    EXPECT_EQ(list->currentRow(), -1);
    EXPECT_TRUE(list->selectedItems().isEmpty());
  }
}

TEST_F(FrmMainTest, EmptyCountFileNameWarnsButBlanksAreAName) {
  window.ensureSecondTab();
  const WindowState start = stateOf(window);
  const auto emptyName = warning(
      "You must select an ATR data file named: ATRyyyymmddw#.dat.\r\n"
      " Click the Browse button to navigate.");
  build("");
  add("");
  build("   ");  // names a file that does not exist
  ASSERT_EQ(toolkit.messages.size(), 3u);
  EXPECT_EQ(toolkit.messages[0], emptyName);
  EXPECT_EQ(toolkit.messages[1], emptyName);
  EXPECT_NE(toolkit.messages[2], emptyName);
  EXPECT_EQ(stateOf(window), start);
}

// Every dialog a command opens is set up before it opens; Cancel leaves the boxes and the
// window as they were.
TEST_F(FrmMainTest, DialogsAreSetUpBeforeTheyOpenAndCancelChangesNothing) {
  build(sampleFile("ATR20050103w1.dat"));
  toolkit.messages.clear();
  window.txtATRfileName->setText("/c/ATR20050103w1.dat");
  window.txtLoadFile->setText("/t/week.cont");
  const WindowState before = stateOf(window);
  const auto table = contentOf(counts);
  const auto asked = [](Kind kind, const FileDialogSettings& s) {
    return std::tuple(kind, s.title, s.filter, s.firstFilter, s.defaultExtension, s.flags,
                      s.initialFileName);
  };
  const struct {
    QPushButton* command;
    Kind kind;
    FileDialogSettings settings;
  } dialogs[] = {
      {window.cmdATRBrowse,
       Kind::OpenMany,
       {"Select a ATRyyyymmdds#.dat file",
        "All files (*.*)|*.*|ATR*.dat files|ATR*.dat|TMG volume files|*.vol;*.VOL", 2, "dat",
        0x9004, ""}},
      {window.cmdLdBrowse,
       Kind::Open,
       {"Select a *.cont file", "All files (*.*)|*.*|*.cont files|*.cont", 2, "cont", 0x8806,
        "/t/week.cont"}},
      {window.cmdSave,
       Kind::Save,
       {"Select the output *.cont file", "All files (*.*)|*.*|*.cont files|*.cont", 2, "cont",
        0x8806, "/c/ATR20050103-20050109.cont"}},
      {window.cmdExport,
       Kind::Save,
       {"Select the Excel output *.csv file",
        "All files (*.*)|*.*|*.csv files|*.csv|Excel workbook (*.xlsx)|*.xlsx", 2, "csv", 0x8806,
        "/c/ATR20050103w1.csv"}},
  };
  for (const auto& [command, kind, settings] : dialogs) {
    SCOPED_TRACE(command->objectName().toStdString());
    toolkit.dialogs.clear();
    toolkit.answer(std::nullopt);
    command->click();
    ASSERT_EQ(toolkit.dialogs.size(), 1u);
    EXPECT_EQ(asked(toolkit.dialogs[0].kind, toolkit.dialogs[0].settings), asked(kind, settings));
  }
  EXPECT_TRUE(toolkit.messages.empty());
  EXPECT_EQ(window.txtATRfileName->text(), "/c/ATR20050103w1.dat");
  EXPECT_EQ(window.txtLoadFile->text(), "/t/week.cont");
  EXPECT_EQ(stateOf(window), before);
  EXPECT_EQ(contentOf(counts), table);
}

// Save proposes the table's first and last date beside the count files; Export the count file
// box's name, else the table box's, with only a final extension replaced.
TEST_F(FrmMainTest, SaveAndExportProposeTheSourceNameWithTheirExtension) {
  build(sampleFile("ATR20050103w1.dat"));
  const struct {
    QPushButton* command;
    const char *countFile, *tableFile, *proposed;
  } proposals[] = {
      {window.cmdSave, "D:\\data\\ATR20050103w1.dat", "/t/b.cont",
       "D:\\data\\ATR20050103-20050109.cont"},
      {window.cmdSave, "/up.dat/update.DAT", "", "/up.dat/ATR20050103-20050109.cont"},
      {window.cmdSave, "", "/t/b.cont", "ATR20050103-20050109.cont"},
      {window.cmdSave, R"("/c/a.dat" "/c/b.dat")", "", "/c/ATR20050103-20050109.cont"},
      {window.cmdExport, "/c/a.Dat", "/t/b.cont", "/c/a.csv"},
      {window.cmdExport, "/c/readme.txt", "", "/c/readme.txt.csv"},
      {window.cmdExport, "", "/t/contents.CONT", "/t/contents.csv"},
      {window.cmdExport, "", "", ""},
  };
  for (const auto& [command, countFile, tableFile, proposed] : proposals) {
    SCOPED_TRACE(std::string(countFile) + " | " + tableFile);
    window.txtATRfileName->setText(countFile);
    window.txtLoadFile->setText(tableFile);
    toolkit.dialogs.clear();
    toolkit.answer(std::nullopt);
    command->click();
    ASSERT_EQ(toolkit.dialogs.size(), 1u);
    EXPECT_EQ(toolkit.dialogs[0].settings.initialFileName, proposed);
  }
}

// Station names are bytes; those above 127 show as their Latin-1 characters and reach the
// table file and the charts unchanged.
TEST_F(FrmMainTest, SavedTableLoadsBackIntoAFreshWindowWithLatin1Names) {
  build(QString::fromStdString(scratch.write(
      "ATR20050105w1.dat", countFile({countLine('1', "010505", "\xC4\xFF\x30\x31", rising(10)),
                                      countLine('1', "010505", "0100", rising(20))}))));
  const WindowState built = stateOf(window);
  EXPECT_EQ(built.stations, QStringList({"0100", QString::fromUtf8("\u00C4\u00FF01")}));
  select(window.lstSta, {0});
  select(window.lstDate, {0});
  window.cmdLine->click();
  ASSERT_EQ(openWindows<frmGraphL>().size(), 1u);
  EXPECT_EQ(openWindows<frmGraphL>()[0]->TChart1->graph(0)->name(), built.stations[0]);

  const QString path = QString::fromStdString(scratch.file("week.cont"));
  toolkit.messages.clear();
  toolkit.answer(path);
  window.cmdSave->click();
  EXPECT_EQ(toolkit.messages,
            std::vector({information(
                "Saved " + path + " (" +
                QString::number(std::filesystem::file_size(path.toStdString())) + " bytes).")}));
  EXPECT_EQ(window.txtLoadFile->text(), path);
  toolkit.messages.clear();

  ATRTable freshTable;
  frmMain fresh(freshTable, toolkit);
  toolkit.answer(path);
  fresh.cmdLdBrowse->click();
  EXPECT_EQ(toolkit.messages, std::vector({information("Loading done. \r\n" + path)}));
  EXPECT_EQ(stateOf(fresh), built);
  EXPECT_EQ(fresh.lstSta->currentRow(), -1);
}

// One failure per command, end to end: the warning names the file, and the window, the table
// and the files stay as they were. Which failure gives which words is the core's business.
enum class Command { Build, Add, Load, Save, Export };
struct FailureCase {
  const char* name;
  Command command;
  const char* fileName;
  const char* content;                               // nullptr: the file is missing
  std::optional<FolderFault> folder = std::nullopt;  // where the file lies, when not the scratch
  friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
};

const std::string kBadVolume =
    countFile({countLine('1', "010305", "0100", rising(10)),
               overwrite(countLine('2', "010305", "0100", rising(20)), 24, "  1x4")});

class FailingCommand : public MainWindowTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailingCommand, WarnsWithTheReasonAndChangesNothing) {
  const FailureCase& c = GetParam();
  build(sampleFile("ATR20050103w1.dat"));
  select(window.lstSta, {0, 1});
  select(window.lstDate, {0});
  std::string path = scratch.file(c.fileName);
  std::optional<FaultyFolder> faulty;
  if (c.folder) {
    faulty.emplace(scratch.path() / "faulty", *c.folder,
                   std::vector<std::pair<std::string, std::string>>{{c.fileName, c.content}});
    if (!faulty->ready()) GTEST_SKIP() << "this machine gives no such folder";
    path = faulty->file(c.fileName);
  } else if (c.content != nullptr) {
    scratch.write(c.fileName, c.content);
  }
  const std::vector<std::string> files = faulty ? faulty->entries() : scratch.entries();
  toolkit.messages.clear();
  const WindowState before = stateOf(window);
  const auto table = contentOf(counts);

  const QString qpath = QString::fromStdString(path);
  if (c.command == Command::Build) build(qpath);
  if (c.command == Command::Add) add(qpath);
  toolkit.answer(qpath);
  if (c.command == Command::Load) window.cmdLdBrowse->click();
  if (c.command == Command::Save) window.cmdSave->click();
  if (c.command == Command::Export) window.cmdExport->click();

  ASSERT_EQ(toolkit.messages.size(), 1u);
  EXPECT_EQ(toolkit.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(toolkit.messages[0].title, kWarningTitle);
  EXPECT_THAT(toolkit.messages[0].text.toStdString(), ::testing::HasSubstr(c.fileName));
  EXPECT_EQ(stateOf(window), before);
  EXPECT_EQ(contentOf(counts), table);
  EXPECT_EQ(faulty ? faulty->entries() : scratch.entries(), files) << "a file was left behind";
  EXPECT_EQ(readBytes(path), c.content != nullptr ? c.content : "");
}

INSTANTIATE_TEST_SUITE_P(
    Commands, FailingCommand,
    ::testing::Values(FailureCase{"BuildBadVolume", Command::Build, "bad.dat", kBadVolume.c_str()},
                      FailureCase{"AddMissingFile", Command::Add, "ATR20050103w9.dat", nullptr},
                      FailureCase{"LoadCorruptFile", Command::Load, "bad.cont", "not a table\r\n"},
                      FailureCase{"SaveIntoReadOnlyFolder", Command::Save, "x.cont", "old table",
                                  FolderFault::ReadOnly},
                      FailureCase{"ExportOntoFullDisk", Command::Export, "x.csv", "old export",
                                  FolderFault::Full}),
    CaseName());

// Notes the windows' closings in order, and whether the table was still filled at each.
class CloseLog : public QObject {
 public:
  explicit CloseLog(const ATRTable& table) : m_table(table) {}
  std::vector<std::string> entries;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Close) {
      entries.push_back(watched->objectName().toStdString() +
                        (m_table.StaCount() != 0 ? " with table" : ""));
    }
    return false;
  }

 private:
  const ATRTable& m_table;
};

TEST_F(FrmMainTest, EmptiesTheTableThenClosesTheWindowsItOpenedInOrder) {
  build(sampleFile("ATR20050103w1.dat"));
  select(window.lstSta, {0});
  select(window.lstDate, {0});
  for (QPushButton* command : {window.cmdStat, window.cmdLine, window.cmdColorGrid, window.cmdHist,
                               window.cmdDailyGraph}) {
    command->click();
  }
  frmGraphL* other = PlotHourlyVol(toolkit, nullptr, counts, pick(counts, {0}, {0}), 0);
  CloseLog log(counts);
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top != &window) top->installEventFilter(&log);
  }
  window.cmdExit->click();
  EXPECT_EQ(log.entries, (std::vector<std::string>{"frmGraphH", "frmGraphL", "frmGraphL",
                                                   "frmVolColorGrid", "frmLV"}));
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(other->isVisible()) << "a window the main window did not open stays open";
}

// 0300 on 5 January, 0100 on 3 and 5 January 2005, every day complete.
TEST_F(FrmMainTest, ExportCountsWritesTheDailyMatrixOrTheHourlyTable) {
  build(QString::fromStdString(
      scratch.write("ATR20050105w1.dat", dayLines("0300", day(2005, 1, 5), spread(2400)) +
                                             dayLines("0100", day(2005, 1, 3), spread(1200)) +
                                             dayLines("0100", day(2005, 1, 5), spread(1000)))));
  select(window.lstSta, {0, 1});
  select(window.lstDate, {0, 1});
  const std::string path = scratch.file("counts.csv");
  const auto exportAs = [&](std::vector<int> choices) {
    toolkit.dialogs.clear();
    toolkit.answerChoices(std::move(choices));
    toolkit.answer(QString::fromStdString(path));
    window.cmdExportCounts->click();
    return readBytes(path);
  };
  EXPECT_EQ(exportAs({2, 0}), "station,2005-01-05,2005-01-03\n0300,2400,\n0100,1000,1200\n");
  ASSERT_EQ(toolkit.dialogs.size(), 1u);
  EXPECT_EQ(toolkit.dialogs[0].settings.filter, "All files (*.*)|*.*|*.csv files|*.csv");
  EXPECT_EQ(toolkit.dialogs[0].settings.initialFileName, "counts_20050103-20050105.csv");
  EXPECT_EQ(exportAs({2, 1}), "station,2005-01-03,2005-01-05\n0100,1200,1000\n0300,,2400\n");
  // The hourly table of every pair, one row a day: 50 an hour make 0100's 1,200 on the 3rd.
  std::string row = "\n0100,2005-01-03";
  for (int h = 0; h < 24; ++h) row += ",50";
  const std::string hourly = exportAs({0, 0});
  EXPECT_TRUE(hourly.starts_with("station,date,h00,h01,")) << hourly;
  EXPECT_NE(hourly.find(row + ",1200\n"), std::string::npos) << hourly;
  ASSERT_EQ(toolkit.choiceDialogs.size(), 3u);
  EXPECT_EQ(toolkit.choiceDialogs[0].asked[0].options.size(), 8);
  // The whole table as a database; a TMG file asks the register for what it cannot know.
  const std::string db = scratch.file("counts.db");
  toolkit.answerChoices(std::vector<int>{7, 0});
  toolkit.answer(QString::fromStdString(db));
  window.cmdExportCounts->click();
  EXPECT_EQ(readBytes(db).substr(0, 15), "SQLite format 3");
  EXPECT_EQ(toolkit.messages.back().text, "Done.");
  toolkit.answerChoices(std::vector<int>{4, 0});
  toolkit.answer(QString::fromStdString(scratch.file("counts.vol")));
  window.cmdExportCounts->click();
  EXPECT_EQ(toolkit.messages.back().icon, MessageIcon::Exclamation);
  EXPECT_THAT(toolkit.messages.back().text.toStdString(), ::testing::HasSubstr("register"));
  EXPECT_FALSE(std::filesystem::exists(scratch.file("counts.vol")));
}

TEST_F(FrmMainTest, DialogsOpenInTheFolderLastUsedForTheirKind) {
  build(sampleFile("ATR20050103w1.dat"));
  const QString tables = QString::fromStdString(scratch.path().string()) + "/tables";
  const QString exports = QString::fromStdString(scratch.path().string()) + "/exports";
  std::filesystem::create_directories(tables.toStdString());
  std::filesystem::create_directories(exports.toStdString());
  const auto proposal = [this](QPushButton* command) {
    toolkit.dialogs.clear();
    toolkit.answer(std::nullopt);
    command->click();
    return toolkit.dialogs.at(0).settings.initialFileName;
  };
  toolkit.answer(tables + "/week.cont");
  window.cmdSave->click();
  toolkit.answer(exports + "/stats.csv");
  window.cmdExport->click();
  toolkit.answerMany({sampleFile("ATR20050103w1.dat")});
  window.cmdATRBrowse->click();

  EXPECT_EQ(proposal(window.cmdSave), tables + "/ATR20050103-20050109.cont");
  EXPECT_EQ(proposal(window.cmdExport), exports + "/ATR20050103w1.csv");
  EXPECT_EQ(proposal(window.cmdATRBrowse), QString(OSTRILO_SOURCE_DIR "/samples/"));
  window.txtLoadFile->clear();
  EXPECT_EQ(proposal(window.cmdLdBrowse), tables + "/");
}

// The designed controls keep their order from SSTab1 on; those added since come after them.
TEST_F(FrmMainTest, FocusOrderKeepsTheDesignedControlsFirst) {
  window.ensureSecondTab();
  const QWidget* designed[] = {window.SSTab1,       window.cmdExit,        window.cmdLine,
                               window.cmdHist,      window.txtATRfileName, window.cmdATRBrowse,
                               window.cmdBuildNew,  window.cmdAdd2Table,   window.cmdSave,
                               window.txtLoadFile,  window.cmdLdBrowse,    window.cmdExport,
                               window.lstDate,      window.lstSta,         window.cmbGType,
                               window.cmdColorGrid, window.cmdDailyGraph,  window.cmdStat};
  std::vector<const QWidget*> chain;  // the named controls, from SSTab1 on
  const QWidget* w = window.SSTab1;
  do {
    const bool tabStrip =
        w->objectName().startsWith("qt_") || w->parent() == window.SSTab1->tabBar();
    if (!w->objectName().isEmpty() && !tabStrip && w->focusPolicy() != Qt::NoFocus) {
      chain.push_back(w);
    }
    w = w->nextInFocusChain();
  } while (w != window.SSTab1 && chain.size() < 200);
  ASSERT_GT(chain.size(), std::size(designed));
  EXPECT_TRUE(std::equal(std::begin(designed), std::end(designed), chain.begin()));
  EXPECT_NE(std::find(chain.begin(), chain.end(), window.cmdExportCounts), chain.end());
}

}  // namespace
}  // namespace ostrilo::test

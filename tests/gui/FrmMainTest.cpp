#include <QComboBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "GuiTestSupport.h"
#include "stats/StationStats.h"
#include "table/TableFile.h"
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
  bool tabEnabled, plotButtonsEnabled;
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

auto contentOf(const ATRTable& table) {
  const TableSnapshot s = snapshot(table);
  return std::tuple(s.names, s.dates, s.volumes);
}

using FrmMainTest = MainWindowTest;

TEST_F(FrmMainTest, StartsWithOnlyTheFirstTabAndTheTableCommands) {
  EXPECT_EQ(window.windowTitle(), "Ostrilo for ATRyyyymmdd.dat files");
  EXPECT_FALSE(stateOf(window).tabEnabled);
  EXPECT_FALSE(ownEnabled(window.cmdLine) || ownEnabled(window.cmdHist) ||
               ownEnabled(window.cmdStat));
  for (QPushButton* b : {window.cmdBuildNew, window.cmdLdBrowse, window.cmdDailyGraph,
                         window.cmdColorGrid, window.cmdExport}) {
    EXPECT_TRUE(ownEnabled(b)) << b->objectName().toStdString();
  }
  EXPECT_EQ(window.cmbGType->currentIndex(), -1);
  QTabBar* bar = window.SSTab1->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
  EXPECT_EQ(window.SSTab1->currentIndex(), 0) << "the second tab came to the front";

  // Page controls were placed relative to the whole tab control, tab strip included.
  EXPECT_EQ(window.size(), QSize(541, 380));
  EXPECT_EQ(QRect(window.cmdExit->mapTo(window.SSTab1, QPoint()), window.cmdExit->size()),
            QRect(432, 168, 89, 41));
}

TEST_F(FrmMainTest, BuildListsTheTableInItsOrderAndOpensTheSecondTab) {
  window.cmbGType->setCurrentIndex(3);
  build(QString::fromStdString(scratch.write(
      "ATR20050105w1.dat", countFile({countLine('1', "010505", "0300", rising(10)),
                                      countLine('1', "010305", "0100", rising(20)),
                                      countLine('2', "010505", "0100", rising(30))}))));
  EXPECT_EQ(toolkit.messages, std::vector({information("Table build done.")}));
  EXPECT_EQ(stateOf(window),
            (WindowState{{"0300", "0100"}, {"1/5/2005,We", "1/3/2005,Mo"}, true, true, 0}));
  EXPECT_EQ(window.SSTab1->currentIndex(), 0) << "the tab in front must not change";
}

TEST_F(FrmMainTest, AddMakesTheFirstEntriesCurrentAndBuildDropsEveryPick) {
  add(sampleFile("ATR20050103w1.dat"));
  add(sampleFile("ATR20050117w3.dat"));
  EXPECT_EQ(toolkit.messages,
            std::vector({information("Adding data done."), information("Adding data done.")}));
  EXPECT_TRUE(stateOf(window).tabEnabled);
  ASSERT_EQ(window.lstSta->count(), 14);
  ASSERT_EQ(window.lstDate->count(), 14);
  EXPECT_EQ(window.lstDate->item(7)->text(), "1/17/2005,Mo");
  for (QListWidget* list : {window.lstSta, window.lstDate}) {
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(list->selectedItems(), QList<QListWidgetItem*>({list->item(0)}));
  }

  window.lstSta->item(5)->setSelected(true);
  build(sampleFile("ATR20050110w2.dat"));
  for (QListWidget* list : {window.lstSta, window.lstDate}) {
    EXPECT_EQ(list->currentRow(), -1);
    EXPECT_TRUE(list->selectedItems().isEmpty());
  }
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
  build("   ");
  ASSERT_EQ(toolkit.messages.size(), 1u);
  EXPECT_NE(toolkit.messages[0], emptyName) << "blanks name a file that does not exist";
}

// Every dialog a command opens; Cancel leaves the boxes and the window as they were.
struct DialogCase {
  const char* name;
  QPushButton* frmMain::*command;
  Kind kind;
  FileDialogSettings settings;
  friend void PrintTo(const DialogCase& c, std::ostream* os) { *os << c.name; }
};

const DialogCase kDialogs[] = {
    {"Browse",
     &frmMain::cmdATRBrowse,
     Kind::Open,
     {"Select a ATRyyyymmdds#.dat file", "All files (*.*)|*.*|ATR*.dat files|ATR*.dat", 2, "dat",
      0x9004, ""}},
    {"Load",
     &frmMain::cmdLdBrowse,
     Kind::Open,
     {"Select a *.cont file", "All files (*.*)|*.*|*.cont files|*.cont", 2, "cont", 0x8806,
      "/t/week.cont"}},
    {"Save",
     &frmMain::cmdSave,
     Kind::Save,
     {"Select the output *.cont file", "All files (*.*)|*.*|*.cont files|*.cont", 2, "cont", 0x8806,
      "/c/ATR20050103w1.cont"}},
    {"Export",
     &frmMain::cmdExport,
     Kind::Save,
     {"Select the Excel output *.csv file", "All files (*.*)|*.*|*.csv files|*.csv", 2, "csv",
      0x8806, "/c/ATR20050103w1.csv"}},
};

class DialogSettings : public MainWindowTest, public ::testing::WithParamInterface<DialogCase> {};

TEST_P(DialogSettings, AreSetBeforeTheDialogOpensAndCancelChangesNothing) {
  build(sampleFile("ATR20050103w1.dat"));
  toolkit.messages.clear();
  window.txtATRfileName->setText("/c/ATR20050103w1.dat");
  window.txtLoadFile->setText("/t/week.cont");
  const WindowState before = stateOf(window);
  const auto table = contentOf(countTable());

  toolkit.answer(std::nullopt);
  (window.*GetParam().command)->click();
  ASSERT_EQ(toolkit.dialogs.size(), 1u);
  const auto asked = [](Kind kind, const FileDialogSettings& s) {
    return std::tuple(kind, s.title, s.filter, s.firstFilter, s.defaultExtension, s.flags,
                      s.initialFileName);
  };
  EXPECT_EQ(asked(toolkit.dialogs[0].kind, toolkit.dialogs[0].settings),
            asked(GetParam().kind, GetParam().settings));
  EXPECT_TRUE(toolkit.messages.empty());
  EXPECT_EQ(window.txtATRfileName->text(), "/c/ATR20050103w1.dat");
  EXPECT_EQ(window.txtLoadFile->text(), "/t/week.cont");
  EXPECT_EQ(stateOf(window), before);
  EXPECT_EQ(contentOf(countTable()), table);
}

INSTANTIATE_TEST_SUITE_P(Commands, DialogSettings, ::testing::ValuesIn(kDialogs), CaseName());

// The name Save or Export proposes from the count file box, else (Export only) the table box.
struct Proposal {
  const char* name;
  bool exportCsv;
  const char* countFile;
  const char* tableFile;
  const char* proposed;
  friend void PrintTo(const Proposal& c, std::ostream* os) { *os << c.name; }
};

class ProposedName : public MainWindowTest, public ::testing::WithParamInterface<Proposal> {};

TEST_P(ProposedName, ReplacesOnlyAFinalExtension) {
  build(sampleFile("ATR20050103w1.dat"));
  window.txtATRfileName->setText(GetParam().countFile);
  window.txtLoadFile->setText(GetParam().tableFile);
  toolkit.answer(std::nullopt);
  (GetParam().exportCsv ? window.cmdExport : window.cmdSave)->click();
  ASSERT_EQ(toolkit.dialogs.size(), 1u);
  EXPECT_EQ(toolkit.dialogs[0].settings.initialFileName, GetParam().proposed);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ProposedName,
    ::testing::Values(Proposal{"SaveCountFile", false, "D:\\data\\ATR20050103w1.dat", "/t/b.cont",
                               "D:\\data\\ATR20050103w1.cont"},
                      Proposal{"SaveDatInFolderName", false, "/up.dat/update.DAT", "",
                               "/up.dat/update.cont"},
                      Proposal{"SaveOtherExtension", false, "x.data", "", "x.data.cont"},
                      Proposal{"SaveNoCountFile", false, "", "/t/b.cont", ""},
                      Proposal{"CsvCountFileWins", true, "/c/a.Dat", "/t/b.cont", "/c/a.csv"},
                      Proposal{"CsvOtherExtension", true, "/c/readme.txt", "", "/c/readme.txt.csv"},
                      Proposal{"CsvTableFile", true, "", "/t/contents.CONT", "/t/contents.csv"},
                      Proposal{"CsvTableFileNoExtension", true, "", "/t/week", "/t/week.csv"},
                      Proposal{"CsvNothing", true, "", "", ""}),
    CaseName());

TEST_F(FrmMainTest, SavedTableLoadsBackIntoAFreshWindow) {
  const QString empty = QString::fromStdString(scratch.file("empty.cont"));
  toolkit.answer(empty);
  window.cmdSave->click();
  EXPECT_TRUE(std::filesystem::exists(empty.toStdString()));
  EXPECT_FALSE(stateOf(window).tabEnabled) << "saving no table enables nothing";

  build(sampleFile("ATR20050110w2.dat"));
  const WindowState built = stateOf(window);
  const QString path = QString::fromStdString(scratch.file("week2.cont"));
  toolkit.messages.clear();
  toolkit.answer(path);
  window.cmdSave->click();
  EXPECT_TRUE(toolkit.messages.empty()) << "Save is silent on success";
  EXPECT_EQ(window.txtLoadFile->text(), path);

  releaseCountTable();
  frmMain fresh(toolkit);
  toolkit.answer(path);
  fresh.cmdLdBrowse->click();
  EXPECT_EQ(toolkit.messages, std::vector({information("Loading done. \r\n" + path)}));
  EXPECT_EQ(stateOf(fresh), built);
  EXPECT_EQ(fresh.lstSta->currentRow(), -1);
}

// A failing command, the file it is given and that file's bytes (none: the file is missing).
enum class Command { Build, Add, Load, Save, Export };
struct FailureCase {
  const char* name;
  Command command;
  const char* fileName;
  const char* content;
  std::optional<FolderFault> folder = std::nullopt;  // where the file lies, when not the scratch
  friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
};

const std::string kBadVolume =
    countFile({countLine('1', "010305", "0100", rising(10)),
               overwrite(countLine('2', "010305", "0100", rising(20)), 24, "  1x4")});

class FailingCommand : public MainWindowTest,
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
      if (command == Command::Export) writeFileAtomically(path, BuildStatsCsvText({}));
    } else if (command == Command::Build) {
      build(qpath);
    } else if (command == Command::Add) {
      add(qpath);
    } else {
      toolkit.answer(qpath);
      if (command == Command::Load) window.cmdLdBrowse->click();
      if (command == Command::Save) window.cmdSave->click();
      if (command == Command::Export) window.cmdExport->click();
    }
  }
};

TEST_P(FailingCommand, WarnsWithTheReasonAndChangesNothing) {
  // Named copies rather than a structured binding: the lambdas below capture them.
  const auto& c = std::get<0>(GetParam());
  const bool afterBuild = std::get<1>(GetParam());
  if (afterBuild) {
    build(sampleFile("ATR20050103w1.dat"));
    select(window.lstSta, {0, 1});
    select(window.lstDate, {0});
  }
  if (c.command == Command::Export && !afterBuild) {  // an empty table enables the export
    const QString empty = QString::fromStdString(scratch.file("empty.cont"));
    toolkit.answer(empty);
    window.cmdSave->click();
    toolkit.answer(empty);
    window.cmdLdBrowse->click();
  }
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
  const std::vector<std::string> faultyFiles =
      faulty ? faulty->entries() : std::vector<std::string>{};
  toolkit.messages.clear();
  const WindowState before = stateOf(window);
  const auto table = contentOf(countTable());
  const std::vector<std::string> files = scratch.entries();

  ATRTable reference;
  const Error expected = thrownBy([&] { run(c.command, path, &reference); });
  run(c.command, path);
  std::vector messages{warning(QString::fromStdString(expected.description()))};
  if (c.command == Command::Export && !afterBuild) {
    messages.insert(messages.begin(), refusal("You must create the data first."));
  }
  EXPECT_EQ(toolkit.messages, messages);
  EXPECT_EQ(stateOf(window), before);
  EXPECT_EQ(contentOf(countTable()), table);
  EXPECT_EQ(scratch.entries(), files) << "a file was written or left behind";
  if (faulty) EXPECT_EQ(faulty->entries(), faultyFiles) << "a file was written or left behind";
  EXPECT_EQ(readBytes(path), c.content != nullptr ? c.content : "");
}

INSTANTIATE_TEST_SUITE_P(
    Commands, FailingCommand,
    ::testing::Combine(
        ::testing::Values(
            FailureCase{"BuildMissingFile", Command::Build, "ATR20050103w9.dat", nullptr},
            FailureCase{"BuildBadVolume", Command::Build, "bad.dat", kBadVolume.c_str()},
            FailureCase{"AddMissingFile", Command::Add, "ATR20050103w9.dat", nullptr},
            FailureCase{"AddBadVolume", Command::Add, "bad.dat", kBadVolume.c_str()},
            FailureCase{"LoadCorruptFile", Command::Load, "bad.cont", "not a table\r\n"},
            FailureCase{"SaveIntoMissingFolder", Command::Save, "no/x.cont", nullptr},
            FailureCase{"ExportIntoMissingFolder", Command::Export, "no/x.csv", nullptr},
            FailureCase{"SaveOntoFullDisk", Command::Save, "x.cont", "old table",
                        FolderFault::Full},
            FailureCase{"SaveIntoReadOnlyFolder", Command::Save, "x.cont", "old table",
                        FolderFault::ReadOnly},
            FailureCase{"ExportOntoFullDisk", Command::Export, "x.csv", "old export",
                        FolderFault::Full},
            FailureCase{"ExportIntoReadOnlyFolder", Command::Export, "x.csv", "old export",
                        FolderFault::ReadOnly}),
        ::testing::Bool()),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) +
             (std::get<1>(info.param) ? "AfterBuild" : "OnStart");
    });

// Stands in for a chart or the statistics window and notes the state it closes in.
class RecordingWindow : public QWidget {
 public:
  RecordingWindow(const char* name, std::vector<std::string>& log) : m_log(log) {
    setObjectName(name);
    show();
  }

 protected:
  void closeEvent(QCloseEvent* event) override {
    m_log.push_back(objectName().toStdString() +
                    (countTable().StaCount() != 0 ? " with table" : ""));
    QWidget::closeEvent(event);
  }

 private:
  std::vector<std::string>& m_log;
};

TEST_F(FrmMainTest, ReleasesTheTableThenClosesTheOtherWindowsInOrder) {
  build(sampleFile("ATR20050103w1.dat"));
  std::vector<std::string> log;
  std::vector<std::unique_ptr<RecordingWindow>> others;
  for (const char* name :
       {"frmLV", "frmGraphL", "frmOther", "frmVolColorGrid", "frmGraphH", "frmGraphL"}) {
    others.push_back(std::make_unique<RecordingWindow>(name, log));
  }
  window.cmdExit->click();
  EXPECT_EQ(log, (std::vector<std::string>{"frmGraphH", "frmGraphL", "frmGraphL", "frmVolColorGrid",
                                           "frmLV"}));
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(others[2]->isVisible()) << "a window of no known kind stays open";
}

struct LocaleCase {
  const char* name;
  QLocale locale;
  const char* first;
  const char* last;
  friend void PrintTo(const LocaleCase& c, std::ostream* os) { *os << c.name; }
};

class DateEntries : public MainWindowTest, public ::testing::WithParamInterface<LocaleCase> {};

TEST_P(DateEntries, FollowTheShortDateFormatWithAFourDigitYearAndEnglishDays) {
  const LocaleGuard guard(GetParam().locale);
  build(sampleFile("ATR20050103w1.dat"));
  ASSERT_EQ(window.lstDate->count(), 7);
  EXPECT_EQ(window.lstDate->item(0)->text(), GetParam().first);
  EXPECT_EQ(window.lstDate->item(6)->text(), GetParam().last);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, DateEntries,
    ::testing::Values(LocaleCase{"UnitedStates", unitedStates(), "1/3/2005,Mo", "1/9/2005,Su"},
                      LocaleCase{"Germany", germany(), "03.01.2005,Mo", "09.01.2005,Su"},
                      LocaleCase{"UnitedKingdom", QLocale(QLocale::English, QLocale::UnitedKingdom),
                                 "03/01/2005,Mo", "09/01/2005,Su"},
                      LocaleCase{"CLocale", QLocale::c(), "1/3/2005,Mo", "1/9/2005,Su"}),
    CaseName());

TEST(NameFiltersFor, PairsBecomeNameFiltersAndStarDotStarMatchesEverything) {
  EXPECT_EQ(nameFiltersFor("All files (*.*)|*.*|ATR*.dat files|ATR*.dat"),
            QStringList({"All files (*.*) (*)", "ATR*.dat files (ATR*.dat)"}));
}

}  // namespace
}  // namespace ostrilo::test

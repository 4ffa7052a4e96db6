#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "StatsTestSupport.h"
#include "app/TextFormats.h"
#include "plot/SelectionLists.h"
#include "stats/StationStats.h"

namespace ostrilo::test {
namespace {

const std::string kHeader = "ATR ID, ADT, Min DT, Max DT, SD, AWDDT, AWEDT\r\n";

class StatsExportTest : public StatsGuiTest {
 protected:
  void exportTo(const std::string& path) {
    toolkit.answer(QString::fromStdString(path));
    window.cmdExport->click();
  }
};

struct Proposal {
  const char* name;
  const char* countFile;
  const char* tableFile;
  const char* proposed;
  friend void PrintTo(const Proposal& c, std::ostream* os) { *os << c.name; }
};

class ExportProposal : public StatsExportTest, public ::testing::WithParamInterface<Proposal> {};

TEST_P(ExportProposal, DialogProposesTheSourceNameWithTheCsvExtension) {
  build();
  window.txtATRfileName->setText(GetParam().countFile);
  window.txtLoadFile->setText(GetParam().tableFile);
  toolkit.answer(std::nullopt);
  window.cmdExport->click();

  ASSERT_EQ(toolkit.dialogs.size(), 1u);
  const FileDialogSettings& s = toolkit.dialogs[0].settings;
  EXPECT_EQ(toolkit.dialogs[0].kind, FakeToolkit::DialogKind::Save);
  EXPECT_EQ(
      std::tuple(s.title, s.filter, s.firstFilter, s.defaultExtension, s.flags),
      std::tuple(QString("Select the Excel output *.csv file"),
                 QString("All files (*.*)|*.*|*.csv files|*.csv"), 2, QString("csv"), 0x8806u));
  EXPECT_EQ(s.initialFileName, GetParam().proposed);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ExportProposal,
    ::testing::Values(Proposal{"CountFile", "C:\\counts\\ATR20050101w1.dat", "",
                               "C:\\counts\\ATR20050101w1.csv"},
                      Proposal{"DatInFolderNameKept", "D:\\data\\x.dat", "", "D:\\data\\x.csv"},
                      Proposal{"UpperCaseExtension", "x.DAT", "", "x.csv"},
                      Proposal{"CountFileWinsOverTableFile", "/c/a.dat", "/t/b.cont", "/c/a.csv"},
                      Proposal{"CountFileOtherExtension", "/c/readme.txt", "", "/c/readme.txt.csv"},
                      Proposal{"TableFile", "", "C:\\t\\week.cont", "C:\\t\\week.csv"},
                      Proposal{"TableFileUpperCase", "", "/t/contents.CONT", "/t/contents.csv"},
                      Proposal{"TableFileNoExtension", "", "/t/week", "/t/week.csv"},
                      Proposal{"NothingToProposeFrom", "", "", ""}),
    CaseName());

TEST_F(StatsExportTest, CancelComputesWritesAndSaysNothing) {
  build();
  // Nothing picked: the check would warn, but Cancel comes first and ends the command.
  toolkit.answer(std::nullopt);
  window.cmdExport->click();
  pickEverything();
  toolkit.answer(std::nullopt);
  window.cmdExport->click();

  EXPECT_EQ(toolkit.dialogs.size(), 2u);
  EXPECT_TRUE(toolkit.messages.empty());
  EXPECT_EQ(scratch.entries(), std::vector<std::string>({"ATR20050107w1.dat"}));
}

TEST_F(StatsExportTest, WritesThePickedStationsInListOrderThenSaysDone) {
  // The file is for spreadsheets: no grouping character whatever the user's locale.
  const LocaleGuard german(germany());
  build();
  pick(window.lstSta, {2, 0, 1});
  pick(window.lstDate, {0, 1, 2, 3});
  const std::string path = scratch.write("stats.csv", std::string(1000, 'x'));
  exportTo(path);

  const std::string expected = kHeader +
                               "0300,  800,  500,  1100,  255,  1050,  550\r\n"
                               "0100,  200000,  200000,  200000,  0,  200000,  200000\r\n"
                               "0200,  -1500,  -1500,  -1500,  0,  -1500,  -1500\r\n";
  const std::string written = readBytes(path);
  EXPECT_TRUE(written == expected || written == expected + "\r\n") << written;
  EXPECT_EQ(written, BuildStatsCsvText(ComputeStationStats(
                         countTable(), selectionFromLists(*window.lstSta, *window.lstDate))));
  EXPECT_EQ(toolkit.messages, std::vector({information("Done.")}));

  // The statistics window has nothing to do with the export.
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_NE(w->objectName(), "frmLV");
}

TEST_F(StatsExportTest, PicksAreReadWhenTheCommandRuns) {
  build();
  pick(window.lstSta, {0});
  pick(window.lstDate, {1, 2});
  exportTo(scratch.file("weekend.csv"));
  EXPECT_EQ(readBytes(scratch.file("weekend.csv")),
            kHeader + "0300,  550,  500,  600,  50,  0,  550\r\n");
}

class RefusedExport : public StatsExportTest,
                      public ::testing::WithParamInterface<RefusedSelection> {};

TEST_P(RefusedExport, WarnsThenWritesTheHeaderOnlyAndSaysDone) {
  prepare(GetParam());
  exportTo(scratch.file("empty.csv"));
  EXPECT_EQ(toolkit.messages, std::vector({refusal(GetParam().message), information("Done.")}));
  EXPECT_EQ(readBytes(scratch.file("empty.csv")), kHeader);
}

INSTANTIATE_TEST_SUITE_P(Selections, RefusedExport, ::testing::ValuesIn(kRefusedSelections),
                         CaseName());

// Lowers this process's file-size limit, as a nearly full disk would, for one scope.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &m_saved);
    m_oldHandler = signal(SIGXFSZ, SIG_IGN);  // a short write must fail, not end the process
    rlimit lowered = m_saved;
    lowered.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_saved);
    signal(SIGXFSZ, m_oldHandler);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit m_saved{};
  sighandler_t m_oldHandler;
};

enum class Obstacle { MissingFolder, FolderAtTarget, WriteCutShort };
struct FailedWrite {
  const char* name;
  Obstacle obstacle;
  int reason;  // errno whose text the warning gives
  friend void PrintTo(const FailedWrite& c, std::ostream* os) { *os << c.name; }
};

class FailedExport : public StatsExportTest, public ::testing::WithParamInterface<FailedWrite> {};

TEST_P(FailedExport, WarnsWithTheReasonAndLeavesTheFolderAsItWas) {
  build();
  pickEverything();
  std::string path = scratch.write("stats.csv", "old\r\n");
  if (GetParam().obstacle == Obstacle::MissingFolder) path = scratch.file("missing/stats.csv");
  if (GetParam().obstacle == Obstacle::FolderAtTarget) {
    path = scratch.file("folder.csv");
    std::filesystem::create_directory(path);
    scratch.write("folder.csv/inside.txt", "kept");
  }
  const std::vector<std::string> before = scratch.entries();

  if (GetParam().obstacle == Obstacle::WriteCutShort) {
    const FileSizeLimit limit(kHeader.size() / 2);
    exportTo(path);
  } else {
    exportTo(path);
  }

  ASSERT_EQ(toolkit.messages.size(), 1u) << "no \"Done.\" after a failed write";
  const FakeToolkit::Message& m = toolkit.messages[0];
  EXPECT_EQ(std::tuple(m.icon, m.title), std::tuple(MessageIcon::Exclamation, kWarningTitle));
  EXPECT_TRUE(m.text.contains(QString::fromStdString(path))) << m.text.toStdString();
  EXPECT_TRUE(m.text.contains(QString::fromLocal8Bit(std::strerror(GetParam().reason))))
      << m.text.toStdString();
  EXPECT_EQ(scratch.entries(), before) << "a temporary file was left behind";
  EXPECT_EQ(readBytes(scratch.file("stats.csv")), "old\r\n");
  if (GetParam().obstacle == Obstacle::FolderAtTarget) {
    EXPECT_EQ(readBytes(scratch.file("folder.csv/inside.txt")), "kept");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Obstacles, FailedExport,
    ::testing::Values(FailedWrite{"MissingFolder", Obstacle::MissingFolder, ENOENT},
                      FailedWrite{"FolderAtTarget", Obstacle::FolderAtTarget, EISDIR},
                      FailedWrite{"WriteCutShort", Obstacle::WriteCutShort, EFBIG}),
    CaseName());

}  // namespace
}  // namespace ostrilo::test

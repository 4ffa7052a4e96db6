#include <QLocale>
#include <QPageSize>

#include "gui/report/StationReport.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/SelectionTestSupport.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo::test {
namespace {

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

TEST(StationReport, AFailedSaveNamesTheFile) {
  const ATRTable table =
      tableOfFiles(OSTRILO_SOURCE_DIR "/tests/data/realdata", {"ATR20121020w3.dat"});
  const std::string path = "/nonexistent-folder/report.pdf";
  const Error error = thrownBy([&] {
    writeStationReport(path, table, pick(table, {0}, {0, 1}), {"ATR20121020w3.dat"}, nullptr);
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
  const std::string path = scratch.file("r.pdf");
  toolkit.answer(QString::fromStdString(path));
  window.cmdReport->click();
  EXPECT_EQ(toolkit.messages, std::vector({information("Done.")}));
  EXPECT_TRUE(readBytes(path).starts_with("%PDF"));
}

}  // namespace
}  // namespace ostrilo::test

#include <QStandardPaths>
#include <QTreeWidget>
#include <string>

#include "gui/stats/frmLV.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/Unzip.h"

namespace ostrilo::test {
namespace {

// The samples' first week, stations 0101 and 0102 and three dates picked.
class RegisterTest : public MainWindowTest {
 protected:
  RegisterTest() {
    QStandardPaths::setTestModeEnabled(true);  // the remembered path stays out of the user's
    build(sampleFile("ATR20050103w1.dat"));
    select(window.lstSta, {0, 1});
    select(window.lstDate, {0, 1, 2});
  }
  void loadRegister(const std::string& name, const std::string& text) {
    toolkit.answer(QString::fromStdString(scratch.write(name, text)));
    window.cmdStations->click();
  }
};

TEST_F(RegisterTest, NamesShowInTheListAndTheStatisticsWhileIdsStayAndABadRegisterChangesNothing) {
  toolkit.messages.clear();
  loadRegister("ok.csv", "station,name,group\n0101,Main St,a\n0103,Elm Rd,a\n");
  EXPECT_TRUE(toolkit.messages.empty());
  // Named stations come first, by name; the picks stay with their stations.
  EXPECT_EQ(window.lstSta->item(0)->text(), "0103  Elm Rd");
  EXPECT_EQ(window.lstSta->item(1)->text(), "0101  Main St");
  EXPECT_TRUE(window.lstSta->item(2)->isSelected());

  window.cmdStat->click();
  auto* stats = openWindows<frmLV>().at(0);
  EXPECT_EQ(stats->LV->topLevelItem(0)->text(0), "0101");  // the id, as the files name it
  EXPECT_EQ(stats->LV->topLevelItem(0)->text(1), "Main St");

  loadRegister("bad.csv", "station,name\n0101,A\n0101,B\n");
  ASSERT_EQ(toolkit.messages.size(), 1U);
  EXPECT_NE(toolkit.messages[0].text.indexOf("line 3"), -1)
      << toolkit.messages[0].text.toStdString();
  EXPECT_EQ(window.lstSta->item(1)->text(), "0101  Main St");
  window.cmdStat->click();
  EXPECT_EQ(stats->LV->headerItem()->text(1), "Name");
}

TEST_F(RegisterTest, StatisticsExportWritesAWorkbookWithTheNamesAndWhereTheyCameFrom) {
  loadRegister("ok.csv", "station,name\n0101,Main St\n");
  const std::string book = scratch.file("stats.xlsx");
  toolkit.answer(QString::fromStdString(book));
  window.cmdExport->click();
  EXPECT_EQ(toolkit.messages.back().text, "Done.");

  const std::string sheet = unzipMember(book, "xl/worksheets/sheet1.xml");
  EXPECT_NE(sheet.find("<c r=\"A2\" t=\"inlineStr\"><is><t>0101</t>"), std::string::npos) << sheet;
  EXPECT_NE(sheet.find("<t>Main St</t>"), std::string::npos);
  const std::string about = unzipMember(book, "xl/worksheets/sheet2.xml");
  EXPECT_NE(about.find("ATR20050103w1.dat"), std::string::npos) << about;
}

}  // namespace
}  // namespace ostrilo::test

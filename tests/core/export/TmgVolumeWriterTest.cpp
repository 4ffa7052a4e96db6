#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/checks/DataChecks.h"
#include "core/commands/Commands.h"
#include "core/export/TmgVolumeWriter.h"
#include "core/register/StationRegister.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo {
namespace {

using test::ScratchDir;

// Station 301's Monday 17 April 2017 as a count file.
std::string workedCountFile() {
  return test::countFile(
      {test::countLine('1', "041717", "0301",
                       {604, 327, 280, 333, 779, 2625, 5558, 6557, 6166, 5262, 4529, 4709}),
       test::countLine('2', "041717", "0301",
                       {5017, 4804, 5314, 5934, 6733, 6280, 4899, 3360, 2951, 2399, 1530, 1072})});
}

TEST(TmgWriter, WritesTheWorkedRecordByteForByte) {
  const ScratchDir dir;
  ATRTable table;
  const std::vector<std::string> files{dir.write("ATR.dat", workedCountFile())};
  ASSERT_TRUE(FillFromCountFiles(table, files, FillMode::Build));
  const auto reg = [](const char* fclass) {
    return StationRegister::parse(
        std::string("station,state,fclass,tmg_station,direction\n0301,27,") + fclass + ",301,7\n",
        "r.csv");
  };
  EXPECT_EQ(tmgVolumeText(table, runDataChecks(table), reg("1U"), TmgFormat::Tmg2013),
            "3271U000301702017041720060400327002800033300779026250555806557061660526204529047090"
            "501704804053140593406733062800489903360029510239901530010720\r\n");
  EXPECT_EQ(tmgVolumeText(table, runDataChecks(table), reg("11"), TmgFormat::Tmg2001),
            "327110003017017041720060400327002800033300779026250555806557061660526204529047090501"
            "704804053140593406733062800489903360029510239901530010720\r\n");

  EXPECT_EQ(parseTmgFormat("Pipe"), TmgFormat::Pipe);
  EXPECT_EQ(parseTmgFormat("2001"), TmgFormat::Tmg2001);
  EXPECT_FALSE(parseTmgFormat("2014"));
  const Error missing = test::thrownBy([&] {
    (void)tmgVolumeText(
        table, runDataChecks(table),
        StationRegister::parse("station,state,fclass,direction\n0301,27,1U,7\n", "r.csv"),
        TmgFormat::Pipe);
  });
  EXPECT_EQ(missing.description(),
            "TMG export, station 0301: the register gives no tmg_station (a TMG record needs "
            "state, fclass, tmg_station and direction)");
}

}  // namespace
}  // namespace ostrilo

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/checks/DataChecks.h"
#include "core/commands/Commands.h"
#include "core/export/TmgVolumeWriter.h"
#include "core/register/StationRegister.h"
#include "core/register/TmgRegister.h"
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

// Monday 17 April 2017 counts nothing (a critical day), Tuesday 18 April 100 an hour; the file
// gives both restriction 3. The critical day is written as 2, the other keeps the file's code.
TEST(TmgWriter, CriticalDaysAreRestrictionTwoWhateverTheFileSaid) {
  std::string text;
  for (const int day : {17, 18}) {
    std::string line = "3271U00030170201704" + std::to_string(day) + std::to_string(day - 15);
    for (int h = 0; h < 24; ++h) line += day == 17 ? "00000" : "00100";
    text += line + "3\n";
  }
  const ScratchDir dir;
  const std::vector<std::string> in{dir.write("in.vol", text)};
  ATRTable table;
  ASSERT_TRUE(FillFromCountFiles(table, in, FillMode::Build));
  const std::string out = tmgVolumeText(table, runDataChecks(table),
                                        registerFromTmgFiles(in, false), TmgFormat::Tmg2013);
  ASSERT_EQ(out.size(), 2 * 145u);
  EXPECT_EQ(out.substr(142, 3), "2\r\n");
  EXPECT_EQ(out.substr(145 + 142, 3), "3\r\n");
}

class TmgRoundTrip : public ::testing::TestWithParam<TmgFormat> {};

// Two lanes over two days, one hour not counted, a device problem on a day: written with the
// register the file gives, and read again.
TEST_P(TmgRoundTrip, ReadingWhatWasWrittenGivesTheSameTable) {
  std::string text;
  for (int lane = 1; lane <= 2; ++lane) {
    for (int day = 17; day <= 18; ++day) {
      std::string line = "3271U0003017" + std::to_string(lane) + "201704" + std::to_string(day) +
                         std::to_string(day - 15);
      for (int h = 0; h < 24; ++h) {
        line += lane == 2 && day == 18 && h == 3 ? "     "
                                                 : "  " + std::to_string(100 * lane + h + day);
      }
      text += line + (lane == 1 && day == 18 ? "2" : "0") + "\n";
    }
  }
  const ScratchDir dir;
  const std::vector<std::string> in{dir.write("in.vol", text)};
  ATRTable table;
  ASSERT_TRUE(FillFromCountFiles(table, in, FillMode::Build));
  ASSERT_EQ(table.StaCount(), 2);
  writeTmgVolumeFile(dir.file("out.vol"), table, runDataChecks(table),
                     registerFromTmgFiles(in, false), GetParam());
  const std::vector<std::string> out{dir.file("out.vol")};
  ATRTable again;
  ASSERT_TRUE(FillFromCountFiles(again, out, FillMode::Build));
  test::TableSnapshot want = test::snapshot(table);
  want.inFile = again.inFile();
  EXPECT_TRUE(want == test::snapshot(again));
  const DayNote* problem = again.dayNotes().find("000301-7-1", test::day(2017, 4, 18));
  ASSERT_NE(problem, nullptr);
  EXPECT_EQ(problem->restriction, 2);
}

INSTANTIATE_TEST_SUITE_P(Formats, TmgRoundTrip,
                         ::testing::Values(TmgFormat::Tmg2013, TmgFormat::Tmg2001,
                                           TmgFormat::Pipe));

}  // namespace
}  // namespace ostrilo

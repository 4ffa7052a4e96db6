#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/checks/DataChecks.h"
#include "core/commands/Commands.h"
#include "core/export/TmgVolumeWriter.h"
#include "core/register/TmgRegister.h"
#include "core/table/TmgVolumeReader.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo {
namespace {

using test::ScratchDir;

enum class Layout { Columns143, Columns141, PipeHeader, PipePlain };
using Hours = std::array<std::optional<int>, 24>;

// A record as another program would write it: blank-padded volumes, its own header order.
std::string record(Layout layout, const char* id, int dir, int lane, int day, int dow,
                   const Hours& hours, int restriction = 0) {
  char head[64];
  const bool pipe = layout == Layout::PipeHeader || layout == Layout::PipePlain;
  if (pipe) {
    std::snprintf(head, sizeof head, "3|27|1U|%s|%d|%d|2017|4|%d|%d", id, dir, lane, day, dow);
  } else {
    std::snprintf(
        head, sizeof head,
        layout == Layout::Columns143 ? "3271U%s%d%d2017%02d%02d%d" : "3271U%s%d%d17%02d%02d%d", id,
        dir, lane, 4, day, dow);
  }
  std::string line = head;
  if (layout == Layout::PipeHeader) line += "|" + std::to_string(restriction) + "|60";
  for (const auto& h : hours) {
    char field[16];
    std::snprintf(field, sizeof field, pipe ? "|%d" : "%5d", h.value_or(0));
    line += h ? field : pipe ? "|" : "     ";
  }
  if (layout != Layout::PipeHeader) line += (pipe ? "|" : "") + std::to_string(restriction);
  return line + "\r\n";
}

std::string header(Layout layout) {
  if (layout != Layout::PipeHeader) return "";
  std::string h =
      "Record_Type|State_Code|F_System|Station_Id|Travel_Dir|Travel_Lane|Year_Record|"
      "Month_Record|Day_Record|Day_of_Week|Restrictions|Time_Increment";
  for (int i = 0; i < 24; ++i) h += (i < 10 ? "|Hour_0" : "|Hour_") + std::to_string(i);
  return h + "\n";
}

int volume(int s, int d, int h) { return (s * 977 + d * 131 + h * 57) % 3000; }

struct LayoutCase {
  const char* name;
  Layout layout;
  TmgFormat written;
};

class TmgMonth : public ::testing::TestWithParam<LayoutCase> {};

// April 2017 (the 1st a Saturday) for two stations, the afternoon of the 10th of one not
// counted, the 10th under restriction 3, the other's 11th under 2 (a device problem): the same
// table as count files of the same counts, under the TMG names, and again when written with the
// file's register and read back, critical days as restriction 2, the other with the file's.
TEST_P(TmgMonth, LoadsAsTheSameCountsAsCountFilesAndWritesWhatItRead) {
  const Layout layout = GetParam().layout;
  std::string counts;
  std::string tmg = header(layout);
  const char* ids[] = {"000301", "000302"};
  const char* names[] = {"0301", "0302"};
  for (int d = 1; d <= 30; ++d) {
    for (int s = 0; s < 2; ++s) {
      Hours hours;
      test::Twelve first{};
      test::Twelve second{};
      for (int h = 0; h < 24; ++h) {
        (h < 12 ? first : second)[static_cast<std::size_t>(h % 12)] = volume(s, d, h);
        if (!(s == 1 && d == 10 && h >= 12)) hours[static_cast<std::size_t>(h)] = volume(s, d, h);
      }
      char mmddyy[8];
      std::snprintf(mmddyy, sizeof mmddyy, "04%02d17", d);
      counts += test::countLine('1', mmddyy, names[s], first) + "\r\n";
      if (!(s == 1 && d == 10)) counts += test::countLine('2', mmddyy, names[s], second) + "\r\n";
      const int restriction = d == 10 ? 3 : (s == 0 && d == 11 ? 2 : 0);
      tmg += record(layout, ids[s], 7 - 4 * s, s + 1, d, (5 + d) % 7 + 1, hours, restriction);
    }
  }
  const ScratchDir dir;
  const std::vector<std::string> countFiles{dir.write("ATR.dat", counts)};
  const std::vector<std::string> tmgFiles{dir.write("april.vol", tmg)};
  ATRTable fromCounts;
  ATRTable fromTmg;
  ASSERT_TRUE(FillFromCountFiles(fromCounts, countFiles, FillMode::Build));
  ASSERT_TRUE(FillFromCountFiles(fromTmg, tmgFiles, FillMode::Build));

  test::TableSnapshot want = test::snapshot(fromCounts);
  test::TableSnapshot got = test::snapshot(fromTmg);
  EXPECT_EQ(got.names, (std::vector<std::string>{"000301-7-1", "000302-3-2"}));
  want.names = got.names;
  want.inFile = got.inFile;
  EXPECT_TRUE(want == got);
  EXPECT_EQ(runDataChecks(fromTmg).flags().size(), runDataChecks(fromCounts).flags().size() + 3);

  writeTmgVolumeFile(dir.file("out.vol"), fromTmg, runDataChecks(fromTmg),
                     registerFromTmgFiles(tmgFiles, false), GetParam().written);
  const std::vector<std::string> written{dir.file("out.vol")};
  ATRTable again;
  ASSERT_TRUE(FillFromCountFiles(again, written, FillMode::Build));
  got.inFile = again.inFile();
  EXPECT_TRUE(got == test::snapshot(again));
  const struct {
    const char* name;
    int day, restriction;
  } notes[] = {{"000301-7-1", 10, 3}, {"000301-7-1", 11, 2}, {"000302-3-2", 10, 2}};
  for (const auto& n : notes) {
    const DayNote* note = again.dayNotes().find(n.name, test::day(2017, 4, n.day));
    EXPECT_TRUE(note != nullptr && note->restriction == n.restriction) << n.name << " " << n.day;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, TmgMonth,
    ::testing::Values(LayoutCase{"Columns143", Layout::Columns143, TmgFormat::Tmg2013},
                      LayoutCase{"Columns141", Layout::Columns141, TmgFormat::Tmg2001},
                      LayoutCase{"PipeHeader", Layout::PipeHeader, TmgFormat::Pipe},
                      LayoutCase{"PipePlain", Layout::PipePlain, TmgFormat::Pipe}),
    test::CaseName{});

// Lanes 1 and 2 of one direction, the second stating the wrong weekday and restriction 3,
// lane 2 missing hour 5 on the 17th and the whole 18th; on the 19th lane 1 under restriction 3,
// lane 2 under 2 (a device problem, which the direction's day keeps).
TEST(TmgReader, LanesRestrictionsAndWeekdays) {
  const ScratchDir dir;
  Hours lane1;
  Hours lane2;
  for (std::size_t h = 0; h < 24; ++h) {
    lane1[h] = 100 + static_cast<int>(h);
    if (h != 5) lane2[h] = 200 + static_cast<int>(h);
  }
  const auto rec = [](int lane, int day, int dow, const Hours& hours, int restriction = 0) {
    return record(Layout::Columns143, "000301", 7, lane, day, dow, hours, restriction);
  };
  const std::vector<std::string> lanes{
      dir.write("lanes.vol", rec(1, 17, 2, lane1) + rec(2, 17, 3, lane2, 3) + rec(1, 18, 3, lane1) +
                                 rec(1, 19, 4, lane1, 3) + rec(2, 19, 4, lane1, 2))};
  ATRTable single;
  ASSERT_TRUE(FillFromCountFiles(single, lanes, FillMode::Build));
  EXPECT_EQ(single.ulstName().values(), (std::vector<std::string>{"000301-7-1", "000301-7-2"}));
  const CheckResults laneChecks = runDataChecks(single);
  std::vector<std::string> codes;
  for (const CheckFlag& f : laneChecks.flagsOf(0, 1)) {
    codes.push_back(std::string(checkCodeName(f.code)) + " " + severityLetter(f.severity()) + " " +
                    f.detail);
  }
  EXPECT_EQ(codes, (std::vector<std::string>{
                       "MISSING_HOURS C 1 hour not counted (05:00 to 05:59)",
                       "TMG_RESTRICTION I restriction 3: weather affected traffic flow, pattern "
                       "not impacted",
                       "DAY_OF_WEEK I the record says Tuesday, the date is a Monday"}));

  ATRTable summed;
  ASSERT_TRUE(FillFromCountFiles(summed, lanes, FillMode::Build, {}, {true}));
  EXPECT_EQ(summed.ulstName().values(), std::vector<std::string>{"000301-7"});
  EXPECT_EQ(summed.CountedHours(0, 0), kAllHours & ~(1u << 5));
  EXPECT_EQ(summed.VolArrByIndex(0, 0)[23], 346);
  EXPECT_EQ(summed.ulstDate().Index(test::day(2017, 4, 18)), -1);
  const DayNote* note = summed.dayNotes().find("000301-7", test::day(2017, 4, 19));
  EXPECT_TRUE(note != nullptr && note->restriction == 2);
  // A day read again replaces its note, even with none; a table loaded or built in its place
  // keeps none of the 17th's.
  const std::vector<std::string> again{
      dir.write("again.vol", rec(1, 19, 4, lane1) + rec(2, 19, 4, lane1))};
  ASSERT_TRUE(FillFromCountFiles(summed, again, FillMode::Add, {}, {true}));
  EXPECT_EQ(summed.dayNotes().find("000301-7", test::day(2017, 4, 19)), nullptr);
  summed.SaveToFile(dir.file("s.cont"));
  summed.LoadFromFile(dir.file("s.cont"));
  EXPECT_EQ(summed.dayNotes().begin(), summed.dayNotes().end());
  single.setInFile(dir.write("c.dat", test::countLine('1', "041717", "0301", {}) + "\n"));
  (void)single.BuildTable();
  EXPECT_EQ(single.dayNotes().begin(), single.dayNotes().end());
}

std::string good143() {
  std::string line = "3271U00030170201704172";
  for (int h = 0; h < 24; ++h) line += "  100";
  return line + "0";
}

std::string pipeLine(std::string_view hour5) {
  std::string line = "3|27|1U|000301|7|0|2017|04|17|2";
  for (int h = 0; h < 24; ++h) line += h == 5 ? "|" + std::string(hour5) : "|100";
  return line + "|0";
}

// A two-digit year reads as one of 1970 to 2069.
TEST(TmgReader, TwoDigitYearsRunFrom1970To2069) {
  const ScratchDir dir;
  for (const auto& [yy, year] : {std::pair("69", 2069), std::pair("70", 1970)}) {
    const std::vector<std::string> files{
        dir.write("y.vol", test::overwrite(good143().erase(13, 2), 14, yy) + "\r\n")};
    ATRTable table;
    ASSERT_TRUE(FillFromCountFiles(table, files, FillMode::Build));
    EXPECT_EQ(table.DatebyIndex(0), test::day(year, 4, 17)) << yy;
  }
}

// Station records place a station up to the poles and the date line, and no further.
TEST(TmgReader, StationRecordsKeepCoordinatesUpToTheirLimits) {
  const ScratchDir dir;
  const std::vector<std::string> files{
      dir.write("s.vol",
                "record_type|state_code|f_system|station_id|travel_dir|travel_lane|latitude|"
                "longitude\nS|27|1U|P1|1|0|90|-180\nS|27|1U|P2|1|0|-90|180\n"
                "S|27|1U|P3|1|0|90.000001|-180.000001\n")};
  EXPECT_EQ(tmgRegisterCsv(files, false),
            "station,state,fclass,tmg_station,direction,lane,latitude,longitude,location\n"
            "P1-1,27,1U,P1,1,,90.000000,-180.000000,\nP2-1,27,1U,P2,1,,-90.000000,180.000000,\n"
            "P3-1,27,1U,P3,1,,,,\n");
}

struct Refusal {
  const char* name;
  std::string text;
  std::string message;  // what the description must hold after "a.vol, line 2, "
  ErrorKind kind = ErrorKind::Conversion;
  std::string first = good143();  // the good line before it
};

class TmgRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(TmgRefusal, NamesLineColumnsAndField) {
  const ScratchDir dir;
  const std::vector<std::string> files{
      dir.write("a.vol", GetParam().first + "\r\n" + GetParam().text + "\r\n")};
  ATRTable table;
  const Error e = test::thrownBy([&] { (void)FillFromCountFiles(table, files, FillMode::Build); });
  EXPECT_EQ(e.kind(), GetParam().kind);
  EXPECT_EQ(e.description(), "a.vol, line 2, " + GetParam().message);
  EXPECT_EQ(table.StaCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Records, TmgRefusal,
    ::testing::Values(
        Refusal{"VolumeAbove16Bits", test::overwrite(good143(), 23, "32768"),
                "hour 00 (columns 23-27): \"32768\" lies above 32767", ErrorKind::Overflow},
        Refusal{"NonDigitHour", test::overwrite(good143(), 138, " 1x3 "),
                "hour 23 (columns 138-142): \" 1x3 \" is not a number"},
        Refusal{"BadDate", test::overwrite(good143(), 18, "0231"),
                "day (columns 20-21): \"2017-02-31\" is not a valid date (year-month-day)"},
        Refusal{"NonDigitMonth", test::overwrite(good143(), 18, "A4"),
                "month (columns 18-19): \"A4\" is not a number"},
        Refusal{"WeekdayEight", test::overwrite(good143(), 22, "8"),
                "day of week (column 22): \"8\" is not a day of the week 1-7"},
        Refusal{"RestrictionSix", test::overwrite(good143(), 143, "6"),
                "restrictions (column 143): \"6\" is not a restriction code 0-5"},
        Refusal{"StationNotAlphanumeric", test::overwrite(good143(), 6, "00-301"),
                "station id (columns 6-11): \"00-301\" is not a station id (letters and digits)"},
        Refusal{"WrongLength", good143().substr(0, 142),
                "record length: 142 columns; a volume record has 141 or 143"},
        Refusal{"BadDateTwoDigitYear", test::overwrite(good143().erase(13, 2), 16, "0431"),
                "day (columns 18-19): \"17-04-31\" is not a valid date (year-month-day)"},
        Refusal{"PipeVolumeAbove16Bits", pipeLine("70000"),
                "hour 05 (field 16, hour_05): \"70000\" lies above 32767", ErrorKind::Overflow,
                pipeLine("1")},
        Refusal{"PipeNonDigitHour", pipeLine("1,5"),
                "hour 05 (field 16, hour_05): \"1,5\" is not a number", ErrorKind::Conversion,
                pipeLine("1")},
        Refusal{"PipeFieldCount", pipeLine("1|2"), "record length: 36 fields; the layout has 35",
                ErrorKind::Conversion, pipeLine("1")}),
    test::CaseName{});

}  // namespace
}  // namespace ostrilo

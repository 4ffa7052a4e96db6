#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "TableTestSupport.h"
#include "table/ATRTable.h"

namespace ostrilo {
namespace {

using test::countFile;
using test::countLine;
using test::day;
using test::rising;
using test::snapshot;
using test::sum;
using test::thrownBy;
using test::Twelve;

HourlyVolumes wholeDay(const Twelve& first, const Twelve& second = {}) {
  HourlyVolumes v{};
  for (std::size_t k = 0; k < 12; ++k) {
    v[k] = static_cast<std::int16_t>(first[k]);
    v[k + 12] = static_cast<std::int16_t>(second[k]);
  }
  return v;
}

// The volumes of date index d, station index s and a half in the file below.
Twelve pairVolumes(int d, int s, int half) { return rising(1000 * (d + 1) + 100 * s + 20 * half); }

// Stations BBBB then AAAA; dates 4 July, 5 July, then 2 July 2003, which comes last although it
// is the earliest.
std::string twoStationsThreeDates() {
  const char* dates[] = {"070403", "070503", "070203"};
  std::string text;
  for (int d = 0; d < 3; ++d) {
    for (int s = 0; s < 2; ++s) {
      for (int half = 0; half < 2; ++half) {
        text += countLine("12"[half], dates[d], s == 0 ? "BBBB" : "AAAA", pairVolumes(d, s, half));
        text += "\r\n";
      }
    }
  }
  return text;
}

// A file naming `stations` stations and `dates` dates in max(stations, dates) lines: line i
// covers date i % dates and station i % stations.
std::string crossFile(int stations, int dates) {
  std::string text;
  for (int i = 0; i < std::max(stations, dates); ++i) {
    const CivilDate c = civilFromDate(day(2001, 1, 1) + i % dates);
    char date[16], name[16];
    std::snprintf(date, sizeof date, "%02d%02d%02d", c.month, c.day, c.year % 100);
    std::snprintf(name, sizeof name, "%04d", i % stations);
    text += countLine('1', date, name, rising(1)) + "\n";
  }
  return text;
}

class ATRTableTest : public ::testing::Test {
 protected:
  void fill(bool adding, std::string_view text, std::string_view name = "in.dat") {
    table.setInFile(dir.write(name, text));
    EXPECT_FALSE(adding ? table.AddToTable() : table.BuildTable());
  }
  void build(std::string_view text) { fill(false, text); }
  void add(std::string_view text) { fill(true, text); }
  std::int32_t total(DateNumber date, std::string_view name) const {
    return table.DailyVolByIndex(table.ulstDate().Index(date), table.ulstName().Index(name));
  }
  // Every pair's total must be the sum of its own 24 volumes, whatever filled the table.
  void expectTotalsMatchVolumes() const {
    for (std::int16_t d = 0; d < table.DateCount(); ++d) {
      for (std::int16_t s = 0; s < table.StaCount(); ++s) {
        ASSERT_EQ(table.DailyVolByIndex(d, s), sum(table.VolArrByIndex(d, s))) << d << "," << s;
      }
    }
  }

  test::ScratchDir dir;
  ATRTable table;
};

TEST_F(ATRTableTest, NewTableHoldsNothing) {
  EXPECT_EQ(table.Count(), 0);
  EXPECT_EQ(table.lngLast(), -1);
  EXPECT_EQ(table.inFile(), "ATRtest.dat");
  EXPECT_EQ(thrownBy([&] { (void)table.VolArrByIndex(0, 0); }).kind(), ErrorKind::OutOfRange);
  EXPECT_EQ(thrownBy([&] { (void)table.DailyVolByIndex(0, 0); }).kind(), ErrorKind::OutOfRange);
  EXPECT_EQ(table.DatebyIndex(0), -1);
  EXPECT_EQ(table.StaNamebyIndex(0), "-1");
}

TEST_F(ATRTableTest, BuildLaysRecordsOutDateByDateInOrderOfAppearance) {
  build(twoStationsThreeDates());
  EXPECT_EQ(table.StaCount(), 2);
  EXPECT_EQ(table.DateCount(), 3);
  EXPECT_EQ(table.Count(), 7);
  EXPECT_EQ(table.MainIndex(2, 1), 5);
  EXPECT_EQ(table.StaNamebyIndex(0), "BBBB");
  EXPECT_EQ(table.DatebyIndex(2), day(2003, 7, 2));
  for (std::int16_t d = 0; d < 3; ++d) {
    for (std::int16_t s = 0; s < 2; ++s) {
      const auto expected = wholeDay(pairVolumes(d, s, 0), pairVolumes(d, s, 1));
      EXPECT_EQ(table.VolArrByIndex(d, s), expected) << d << "," << s;
      EXPECT_EQ(table.DailyVolByIndex(d, s), sum(expected));
      EXPECT_TRUE(std::equal(expected.begin(), expected.end(),
                             table.volumeArray().begin() + 24 * (2 * d + s)));
    }
  }
  EXPECT_EQ(table.VolArr(day(2003, 7, 2), "AAAA"), table.VolArrByIndex(2, 1));
}

TEST_F(ATRTableTest, QueriesOutsideTheTable) {
  build(twoStationsThreeDates());
  EXPECT_EQ(table.VolArrByIndex(3, 0), HourlyVolumes{});  // the spare record
  EXPECT_EQ(thrownBy([&] { (void)table.VolArrByIndex(3, 1); }).kind(), ErrorKind::OutOfRange);
  EXPECT_EQ(thrownBy([&] { (void)table.DailyVolByIndex(0, -1); }).kind(), ErrorKind::OutOfRange);
  EXPECT_EQ(thrownBy([&] { (void)table.VolArr(day(2003, 7, 3), "AAAA"); }).kind(),
            ErrorKind::OutOfRange);
  EXPECT_EQ(thrownBy([&] { (void)table.VolArr(day(2003, 7, 2), "aaaa"); }).kind(),
            ErrorKind::OutOfRange);
  EXPECT_EQ(table.DatebyIndex(3), -1);
  EXPECT_EQ(table.StaNamebyIndex(2), "-1");
  EXPECT_EQ(thrownBy([&] { (void)table.DatebyIndex(-1); }).kind(), ErrorKind::OutOfRange);
  EXPECT_EQ(thrownBy([&] { (void)table.StaNamebyIndex(-1); }).kind(), ErrorKind::OutOfRange);
  // Record indexes are 16-bit: 2 x 16383 + 1 still fits, one more does not.
  EXPECT_EQ(table.MainIndex(16383, 1), 32767);
  EXPECT_EQ(thrownBy([&] { (void)table.MainIndex(16383, 2); }).kind(), ErrorKind::Overflow);
  EXPECT_EQ(thrownBy([&] { (void)table.VolArrByIndex(20000, 0); }).kind(), ErrorKind::Overflow);
}

TEST_F(ATRTableTest, UncoveredHoursReadZeroAndTotalsAre32Bit) {
  build(countFile({countLine('1', "070403", "0301", rising(500)),
                   countLine('2', "070403", "0302", rising(30000, 0)),
                   countLine('1', "070403", "0302", rising(30000, 0))}));
  EXPECT_EQ(table.VolArrByIndex(0, 0), wholeDay(rising(500)));
  EXPECT_EQ(table.DailyVolByIndex(0, 0), sum(wholeDay(rising(500))));
  EXPECT_EQ(table.DailyVolByIndex(0, 1), 720000);
}

TEST_F(ATRTableTest, LaterLineForTheSameHalfWins) {
  build(countFile({countLine('1', "070403", "0301", rising(1)),
                   countLine('2', "070403", "0301", rising(50)),
                   countLine('1', "070403", "0301", rising(900))}));
  EXPECT_EQ(table.VolArrByIndex(0, 0), wholeDay(rising(900), rising(50)));
  EXPECT_EQ(table.DailyVolByIndex(0, 0), sum(wholeDay(rising(900), rising(50))));
}

TEST_F(ATRTableTest, LineEndsDoNotChangeTheTable) {
  const std::string a = countLine('1', "070403", "0301", rising(1));
  const std::string b = countLine('2', "070403", " 301", rising(2));
  const std::string c = countLine('1', "070503", "0301", rising(3));
  build(a + "\r\n" + b + "\r\n" + c + "\r\n");
  const auto crlf = snapshot(table);
  EXPECT_EQ(table.StaCount(), 2);  // " 301" is not 0301
  build(a + "\n" + b + "\n" + c + "\n");
  test::expectSame(crlf, snapshot(table));
  build(a + "\r\n" + b + "\n" + c);
  test::expectSame(crlf, snapshot(table));
}

TEST_F(ATRTableTest, SmallestFilesKeepTheSpareRecord) {
  build(countLine('1', "070403", "0301", rising(1)));
  EXPECT_EQ(table.lngLast(), 1);
  for (std::string_view text : {"", "\r\n   \r\n\n"}) {
    build(text);
    EXPECT_EQ(table.StaCount() + table.DateCount(), 0);
    EXPECT_EQ(table.lngLast(), 0);
    EXPECT_EQ(table.volumeArray(), std::vector<std::int16_t>(24, 0));
  }
}

TEST_F(ATRTableTest, RebuildKeepsOnlyTheNewFile) {
  build(twoStationsThreeDates());
  build(countFile({countLine('1', "010112", "ZZZZ", rising(7))}));
  EXPECT_EQ(table.ulstName().values(), std::vector<std::string>{"ZZZZ"});
  EXPECT_EQ(table.ulstDate().values(), std::vector<DateNumber>{day(2012, 1, 1)});
  EXPECT_EQ(table.VolArrByIndex(0, 0), wholeDay(rising(7)));
}

// 258 x 127 = 32,766 pairs is the largest table.
TEST_F(ATRTableTest, LargestTableAndLongestFileFit) {
  build(crossFile(258, 127));
  EXPECT_EQ(table.Count(), 32767);
  EXPECT_EQ(table.DailyVolByIndex(3, 257), sum(wholeDay(rising(1))));  // line 258
  EXPECT_EQ(table.DailyVolByIndex(126, 257), 0);
  build(countLine('1', "070403", "0301", rising(1)) + std::string(32766, '\n'));  // 32,767 pieces
  EXPECT_EQ(table.StaCount(), 1);
}

TEST_F(ATRTableTest, AddingNewDatesAndStationsKeepsEveryPair) {
  build(countFile({countLine('1', "070403", "AAAA", rising(10)),
                   countLine('2', "070403", "BBBB", rising(20)),
                   countLine('1', "070503", "AAAA", rising(30))}));
  add(countFile({countLine('1', "070603", "CCCC", rising(40)),
                 countLine('2', "070503", "BBBB", rising(50))}));
  ASSERT_EQ(table.StaCount(), 3);
  ASSERT_EQ(table.DateCount(), 3);
  EXPECT_EQ(table.lngLast(), 9);
  EXPECT_EQ(table.VolArr(day(2003, 7, 4), "AAAA"), wholeDay(rising(10)));
  EXPECT_EQ(table.VolArr(day(2003, 7, 4), "BBBB"), wholeDay({}, rising(20)));
  EXPECT_EQ(table.VolArr(day(2003, 7, 4), "CCCC"), HourlyVolumes{});
  EXPECT_EQ(table.VolArr(day(2003, 7, 5), "AAAA"), wholeDay(rising(30)));
  EXPECT_EQ(table.VolArr(day(2003, 7, 5), "BBBB"), wholeDay({}, rising(50)));
  EXPECT_EQ(table.VolArr(day(2003, 7, 6), "CCCC"), wholeDay(rising(40)));
  EXPECT_EQ(table.VolArrByIndex(3, 0), HourlyVolumes{});
  expectTotalsMatchVolumes();
}

TEST_F(ATRTableTest, AddingAHeldDateOverwritesOnlyTheLinesHalf) {
  build(countFile({countLine('1', "070403", "AAAA", rising(10)),
                   countLine('2', "070403", "AAAA", rising(20))}));
  add(countFile({countLine('1', "070403", "AAAA", rising(900))}));
  EXPECT_EQ(table.VolArrByIndex(0, 0), wholeDay(rising(900), rising(20)));
  EXPECT_EQ(table.Count(), 2);
  expectTotalsMatchVolumes();
}

TEST_F(ATRTableTest, AddToFreshTableEqualsBuildAndEmptyAddChangesNothing) {
  build(twoStationsThreeDates());
  const auto built = snapshot(table);
  table = ATRTable();
  add(twoStationsThreeDates());
  test::expectSame(built, snapshot(table));
  add("\r\n  \r\n");
  test::expectSame(built, snapshot(table));
}

struct FailureCase {
  const char* name;
  std::string text;  // written to bad.dat; "-" means the file is not there
  ErrorKind kind;
  const char* descriptionStart;  // "" where the wording is the system's
};

// Each bad file brings a new station and date before it fails; 217 x 151 = 32,767 pairs.
std::string goodStart() { return countLine('1', "010199", "NEW1", rising(1)) + "\r\n"; }

const FailureCase kFailures[] = {
    {"MissingFile", "-", ErrorKind::FileNotFound, ""},
    {"BadVolume", goodStart() + "\r\n" + test::overwrite(goodStart(), 29, " 12a4"),
     ErrorKind::Conversion, "bad.dat, line 3, volume field 4"},
    {"VolumeOverflow", goodStart() + countLine('2', "070403", "AAAA", rising(32760)),
     ErrorKind::Overflow, "bad.dat, line 2, volume field"},
    {"BadDate", goodStart() + countLine('2', "023003", "AAAA", rising(1)), ErrorKind::Conversion,
     "bad.dat, line 2"},
    {"TabLine", goodStart() + "\t\r\n", ErrorKind::Conversion, "bad.dat, line 2"},
    {"TooManyPieces", goodStart() + std::string(32767, '\n'), ErrorKind::Overflow, ""},
    {"TooManyPairs", crossFile(217, 151), ErrorKind::Overflow, ""}};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
class FailedFill : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailedFill, LeavesTheTableAsItWas) {
  for (bool adding : {false, true}) {
    test::ScratchDir dir;
    ATRTable table;
    table.setInFile(dir.write("good.dat", twoStationsThreeDates()));
    table.BuildTable();
    const auto before = snapshot(table);
    const std::string& text = GetParam().text;
    table.setInFile(text == "-" ? dir.file("bad.dat") : dir.write("bad.dat", text));
    const Error e = thrownBy([&] { adding ? table.AddToTable() : table.BuildTable(); });
    EXPECT_EQ(e.kind(), GetParam().kind) << (adding ? "add" : "build");
    EXPECT_EQ(e.description().rfind(GetParam().descriptionStart, 0), 0u) << e.description();
    table.setInFile(before.inFile);
    test::expectSame(before, snapshot(table));
  }
}

INSTANTIATE_TEST_SUITE_P(Failures, FailedFill, ::testing::ValuesIn(kFailures), test::CaseName());

TEST_F(ATRTableTest, FileErrorsCarryTheSystemError) {
  table.setInFile(dir.file("missing.dat"));
  const Error missing = thrownBy([&] { table.BuildTable(); });
  EXPECT_EQ(missing.number(), 53);
  EXPECT_EQ(missing.systemErrno(), ENOENT);
  EXPECT_NE(missing.description().find(dir.file("missing.dat")), std::string::npos);
  table.setInFile(dir.path().string());
  EXPECT_EQ(thrownBy([&] { table.AddToTable(); }).kind(), ErrorKind::Io);
}

// Real counts; the expected daily totals were checked by hand.
class RealCounts : public ATRTableTest {
 protected:
  void fillReal(bool adding, const char* name) {
    table.setInFile(std::string(OSTRILO_SOURCE_DIR "/tests/data/realdata/") + name);
    adding ? table.AddToTable() : table.BuildTable();
  }
};

TEST_F(RealCounts, TwoNewYorkWeeksSharingFiveStations) {
  fillReal(false, "ATR20121013w2.dat");
  EXPECT_EQ(table.StaCount(), 173);
  EXPECT_EQ(table.Count(), 173 * 7 + 1);
  EXPECT_EQ(total(day(2012, 10, 13), "1001"), 5376);
  EXPECT_EQ(total(day(2012, 10, 19), "1284"), 93149);
  fillReal(true, "ATR20121020w3.dat");
  EXPECT_EQ(table.StaCount(), 284);
  EXPECT_EQ(table.DateCount(), 14);
  EXPECT_EQ(total(day(2012, 10, 13), "1130"), 8188);
  EXPECT_EQ(total(day(2012, 10, 26), "1130"), 9091);
  EXPECT_EQ(total(day(2012, 10, 20), "1013"), 8934);
  EXPECT_EQ(total(day(2012, 10, 13), "1001"), 5376);
  EXPECT_EQ(total(day(2012, 10, 19), "1284"), 93149);
  EXPECT_EQ(total(day(2012, 10, 20), "1001"), 0);
  expectTotalsMatchVolumes();
}

TEST_F(RealCounts, MinnesotaAndParisWeeks) {
  fillReal(false, "ATR20170417w3.dat");
  fillReal(true, "ATR20170424w4.dat");
  EXPECT_EQ(table.DateCount(), 14);
  EXPECT_EQ(total(day(2017, 4, 17), "0301"), 88022);
  EXPECT_EQ(total(day(2017, 4, 23), "0301"), 62583);
  EXPECT_EQ(total(day(2017, 4, 24), "0301"), 85812);
  fillReal(false, "ATR20220110w2.dat");
  EXPECT_EQ(table.StaCount(), 3);
  EXPECT_EQ(total(day(2022, 1, 10), "0376"), 2984);
  EXPECT_EQ(total(day(2022, 1, 16), "5672"), 2665);
}

}  // namespace
}  // namespace ostrilo

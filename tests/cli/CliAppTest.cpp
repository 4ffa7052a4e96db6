#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "plot/PlotSelection.h"
#include "stats/StationStats.h"
#include "table/ATRTable.h"
#include "table/CsvField.h"
#include "table/DateNumber.h"
#include "table/TableFile.h"

namespace ostrilo::cli {
namespace {

const std::string kHeader =
    "station,date,h00,h01,h02,h03,h04,h05,h06,h07,h08,h09,h10,h11,h12,h13,h14,h15,h16,h17,h18,"
    "h19,h20,h21,h22,h23,total\n";

// Two stations on two dates: 0302 has only its morning on the 17th and nothing on the 18th.
const std::string kWeekStart =
    "31041717 0301  604  327  280  333  779 2625 5558 6557 6166 5262 4529 4709\r\n"
    "32041717 0301 5017 4804 5314 5934 6733 6280 4899 3360 2951 2399 1530 1072\r\n"
    "31041717 0302    1    2    3    4    5    6    7    8    9   10   11   12\r\n"
    "31041817 0301   10   20   30   40   50   60   70   80   90  100  110  120\r\n";

const std::string kWeekStartCsv =
    kHeader +
    "0301,2017-04-17,604,327,280,333,779,2625,5558,6557,6166,5262,4529,4709,5017,4804,5314,5934,"
    "6733,6280,4899,3360,2951,2399,1530,1072,88022\n"
    "0302,2017-04-17,1,2,3,4,5,6,7,8,9,10,11,12,0,0,0,0,0,0,0,0,0,0,0,0,78\n"
    "0301,2017-04-18,10,20,30,40,50,60,70,80,90,100,110,120,0,0,0,0,0,0,0,0,0,0,0,0,780\n"
    "0302,2017-04-18,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n";

// A new station 0303 and a correction of 0301's morning on the 18th.
const std::string kWeekMore =
    "31041817 0303    1    1    1    1    1    1    1    1    1    1    1    1\n"
    "31041817 0301    5    5    5    5    5    5    5    5    5    5    5    5\n";

const std::string kRealData = OSTRILO_SOURCE_DIR "/tests/data/realdata/";

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

CliResult runArgs(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = runCli(args, out, err);
  return {status, out.str(), err.str()};
}

// A failure report is exactly one line naming the program.
void expectOneLineFailure(const CliResult& result) {
  EXPECT_EQ(result.status, kExitFailure);
  EXPECT_TRUE(result.out.empty());
  EXPECT_TRUE(result.err.starts_with("ostrilo-cli: ")) << result.err;
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  EXPECT_TRUE(result.err.ends_with('\n')) << result.err;
}

// Each test gets a fresh folder of its own.
class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("ostrilo_cli_") + info->test_suite_name() + "_" + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    m_dir = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  [[nodiscard]] std::string path(const std::string& name) const { return (m_dir / name).string(); }

  std::string writeFile(const std::string& name, const std::string& bytes) const {
    std::ofstream file(path(name), std::ios::binary);
    file << bytes;
    EXPECT_TRUE(file.good()) << name;
    return path(name);
  }

  [[nodiscard]] std::string readFile(const std::string& name) const {
    std::ifstream file(path(name), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
  }

  [[nodiscard]] std::vector<std::string> folderContent() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::filesystem::path m_dir;
};

// --- table output ---------------------------------------------------------------------------

TEST_F(CliTest, TableListsEveryPairInRecordOrderWithZerosForUncoveredOnes) {
  const CliResult result = runArgs({"table", writeFile("a.dat", kWeekStart)});
  EXPECT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.out, kWeekStartCsv);
  EXPECT_TRUE(result.err.empty());
}

TEST_F(CliTest, TableWritesTheSameCsvToTheOutputFile) {
  const CliResult result =
      runArgs({"table", "-o", path("out.csv"), writeFile("a.dat", kWeekStart)});
  EXPECT_EQ(result.status, kExitOk) << result.err;
  EXPECT_TRUE(result.out.empty());
  EXPECT_EQ(readFile("out.csv"), kWeekStartCsv);
}

TEST_F(CliTest, TableQuotesStationNamesThatNeedIt) {
  const std::string file = writeFile("q.dat",
                                     "31041717 a,\"b    1    1    1    1    1    1    1    1    1"
                                     "    1    1    1\n");
  const CliResult result = runArgs({"table", file});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_NE(result.out.find("\n\"a,\"\"b\",2017-04-17,1,"), std::string::npos) << result.out;
}

TEST(CsvField, QuotesOnlyWhatRfc4180Requires) {
  EXPECT_EQ(csvField("0301"), "0301");
  EXPECT_EQ(csvField(" 3 1"), " 3 1");  // blanks are part of the name
  EXPECT_EQ(csvField(""), "");
  EXPECT_EQ(csvField("a,b"), "\"a,b\"");
  EXPECT_EQ(csvField("a\"b"), "\"a\"\"b\"");
  EXPECT_EQ(csvField("\"\""), "\"\"\"\"\"\"");
  EXPECT_EQ(csvField("a\rb"), "\"a\rb\"");
  EXPECT_EQ(csvField("a\nb"), "\"a\nb\"");
}

TEST_F(CliTest, TableOfRealCountsGivesTheCheckedDailyTotalsAndRowSums) {
  const CliResult result = runArgs({"table", kRealData + "ATR20170417w3.dat"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_NE(result.out.find("\n0301,2017-04-17,604,327,"), std::string::npos);
  std::istringstream rows(result.out.substr(kHeader.size()));
  std::string row;
  int rowCount = 0;
  while (std::getline(rows, row)) {
    ++rowCount;
    std::istringstream fields(row);
    std::string field;
    std::vector<long> numbers;
    for (int i = 0; std::getline(fields, field, ','); ++i) {
      if (i >= 2) numbers.push_back(std::stol(field));
    }
    ASSERT_EQ(numbers.size(), 25u) << row;
    long sum = 0;
    for (int hour = 0; hour < 24; ++hour) sum += numbers[hour];
    EXPECT_EQ(numbers[24], sum) << row;
    if (row.starts_with("0301,2017-04-17,")) {
      EXPECT_EQ(numbers[24], 88022);
    }
  }
  EXPECT_EQ(rowCount, 7);
}

// --- inputs -----------------------------------------------------------------------------------

TEST_F(CliTest, FurtherInputsAreAddedInOrderAfterTheFirst) {
  const CliResult result =
      runArgs({"table", writeFile("a.dat", kWeekStart), writeFile("b.dat", kWeekMore)});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  // The new station comes after the built ones, and the later line wins for 0301 on the 18th.
  EXPECT_EQ(result.out,
            kHeader +
                "0301,2017-04-17,604,327,280,333,779,2625,5558,6557,6166,5262,4529,4709,5017,"
                "4804,5314,5934,6733,6280,4899,3360,2951,2399,1530,1072,88022\n"
                "0302,2017-04-17,1,2,3,4,5,6,7,8,9,10,11,12,0,0,0,0,0,0,0,0,0,0,0,0,78\n"
                "0303,2017-04-17,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n"
                "0301,2017-04-18,5,5,5,5,5,5,5,5,5,5,5,5,0,0,0,0,0,0,0,0,0,0,0,0,60\n"
                "0302,2017-04-18,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n"
                "0303,2017-04-18,1,1,1,1,1,1,1,1,1,1,1,1,0,0,0,0,0,0,0,0,0,0,0,0,12\n");
}

TEST(TableFileName, IsRecognisedByItsExtensionInAnyCase) {
  EXPECT_TRUE(isTableFileName("week.cont"));
  EXPECT_TRUE(isTableFileName("WEEK.CONT"));
  EXPECT_TRUE(isTableFileName("/d/x.dat/Week.CoNt"));
  EXPECT_TRUE(isTableFileName(".cont"));
  EXPECT_FALSE(isTableFileName("week.cont.dat"));
  EXPECT_FALSE(isTableFileName("weekcont"));
  EXPECT_FALSE(isTableFileName("week.con"));
  EXPECT_FALSE(isTableFileName("ATR20170417w3.dat"));
}

// Converting and listing the table file must give what listing the count files gives; the upper
// case name also proves the extension is matched in any case.
TEST_F(CliTest, ConvertedTableFileListsLikeItsCountFiles) {
  for (const std::string name : {"week.cont", "WEEK.Cont"}) {
    SCOPED_TRACE(name);
    const std::vector<std::string> counts = {writeFile("a.dat", kWeekStart),
                                             writeFile("b.dat", kWeekMore)};
    const CliResult converted = runArgs({"convert", "-o", path(name), counts[0], counts[1]});
    ASSERT_EQ(converted.status, kExitOk) << converted.err;
    EXPECT_TRUE(converted.out.empty());
    const CliResult fromCounts = runArgs({"table", counts[0], counts[1]});
    const CliResult fromTable = runArgs({"table", path(name)});
    ASSERT_EQ(fromTable.status, kExitOk) << fromTable.err;
    EXPECT_EQ(fromTable.out, fromCounts.out);
  }
}

TEST_F(CliTest, CountFilesAddToALoadedTableFile) {
  const std::string start = writeFile("a.dat", kWeekStart);
  const std::string more = writeFile("b.dat", kWeekMore);
  ASSERT_EQ(runArgs({"convert", "-o", path("a.cont"), start}).status, kExitOk);
  EXPECT_EQ(runArgs({"table", path("a.cont"), more}).out, runArgs({"table", start, more}).out);
}

// --- failures ---------------------------------------------------------------------------------

TEST_F(CliTest, MissingInputIsOneLineNamingTheFile) {
  const CliResult result = runArgs({"table", path("absent.dat")});
  expectOneLineFailure(result);
  EXPECT_NE(result.err.find("absent.dat"), std::string::npos) << result.err;
}

TEST_F(CliTest, BadVolumeIsOneLineNamingFileLineAndText) {
  const std::string bad = writeFile(
      "bad.dat",
      kWeekStart + "31041917 0301    1    2    3    4    5    6    7    8    9   10   11 12a4\n");
  const CliResult result = runArgs({"table", bad});
  expectOneLineFailure(result);
  EXPECT_NE(result.err.find("bad.dat"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("line 5"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("12a4"), std::string::npos) << result.err;
}

TEST_F(CliTest, FailureLeavesAnExistingOutputUntouched) {
  for (const std::string command : {"table", "convert", "stats"}) {
    SCOPED_TRACE(command);
    writeFile("out", "previous content");
    const CliResult result = runArgs({command, "-o", path("out"), writeFile("a.dat", kWeekStart),
                                      writeFile("bad.dat", "31041717 0301 x\n")});
    expectOneLineFailure(result);
    EXPECT_EQ(readFile("out"), "previous content");
    EXPECT_EQ(folderContent(), (std::vector<std::string>{"a.dat", "bad.dat", "out"}));
  }
}

TEST_F(CliTest, UnwritableOutputIsAFailure) {
  const std::string input = writeFile("a.dat", kWeekStart);
  for (const std::string command : {"table", "convert", "stats"}) {
    SCOPED_TRACE(command);
    expectOneLineFailure(runArgs({command, "-o", path("no/such/folder/out"), input}));
  }
}

TEST_F(CliTest, FailingStandardOutputIsAFailure) {
  const std::vector<std::string> args = {"table", writeFile("a.dat", kWeekStart)};
  std::ostringstream out;
  out.setstate(std::ios::badbit);
  std::ostringstream err;
  EXPECT_EQ(runCli(args, out, err), kExitFailure);
  EXPECT_TRUE(err.str().starts_with("ostrilo-cli: ")) << err.str();
}

TEST_F(CliTest, LineBreakInAFileNameKeepsTheReportOnOneLine) {
  expectOneLineFailure(runArgs({"table", path("two\nlines.dat")}));
}

// --- station statistics -----------------------------------------------------------------------

const std::string kStatsHeader = "ATR ID, ADT, Min DT, Max DT, SD, AWDDT, AWEDT\r\n";

// A count-file line whose first hour holds the volume and every other hour zero.
std::string countLine(char half, const std::string& mmddyy, const std::string& name, int volume) {
  char first[8];
  std::snprintf(first, sizeof first, "%5d", volume);
  std::string line = std::string("3") + half + mmddyy + " " + name + first;
  for (int k = 1; k < 12; ++k) line += "    0";
  return line + "\r\n";
}

// Fri 7 to Mon 10 January 2005. "S1  " totals 1000, 600, 500, 1100 (Friday and Monday over
// both halves); " 301" has 40 on Friday and 60 on Monday, "0301" only 20 on Saturday.
const std::string kStatsWeek =
    countLine('1', "010705", "S1  ", 700) + countLine('2', "010705", "S1  ", 300) +
    countLine('1', "010705", " 301", 40) + countLine('1', "010805", "S1  ", 600) +
    countLine('1', "010805", "0301", 20) + countLine('1', "010905", "S1  ", 500) +
    countLine('1', "011005", "S1  ", 1000) + countLine('2', "011005", "S1  ", 100) +
    countLine('1', "011005", " 301", 60);

// The worked example, read from a count file and from a table file whose name has no padding:
// the first column is the station name byte for byte.
TEST_F(CliTest, StatsOfTheWorkedExample) {
  std::vector<std::int16_t> volumes(4 * kHoursPerDay, 0);
  const int totals[] = {1000, 600, 500, 1100};
  std::vector<DateNumber> dates;
  for (int d = 0; d < 4; ++d) {
    dates.push_back(dateFromCivil({2005, 1, 7 + d}));
    volumes[static_cast<std::size_t>(d * kHoursPerDay)] = static_cast<std::int16_t>(totals[d]);
  }
  const std::string cont = writeFile("s1.cont", encodeTableFile(dates, {"S1"}, volumes));
  const std::string count = writeFile("s1.dat", kStatsWeek);

  EXPECT_EQ(runArgs({"stats", cont}).out,
            kStatsHeader + "S1,  800,  500,  1100,  255,  1050,  550\r\n");
  const CliResult result = runArgs({"stats", "--stations", "S1  ", count});
  EXPECT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.out, kStatsHeader + "S1  ,  800,  500,  1100,  255,  1050,  550\r\n");
}

// Names and dates may come in any order and more than once: records follow the station list and
// only the picked dates count.
TEST_F(CliTest, StatsPickStationsInListOrderOverTheNamedDates) {
  const CliResult result =
      runArgs({"stats", "--stations", "0301, 301,0301", "--dates",
               "2005-01-10,2005-01-07,2005-01-10", writeFile("w.dat", kStatsWeek)});
  EXPECT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.out, kStatsHeader +
                            " 301,  50,  40,  60,  10,  50,  0\r\n"
                            "0301,  0,  0,  0,  0,  0,  0\r\n");
}

TEST_F(CliTest, StatsFileHoldsWhatTheExportWritesForTheSameSelection) {
  const std::string input = writeFile("w.dat", kStatsWeek);
  const CliResult result = runArgs({"stats", "-o", path("out.csv"), "--dates",
                                    "2005-01-08,2005-01-09", "--stations", "0301,S1  ", input});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_TRUE(result.out.empty());

  ATRTable table;
  loadInputs(table, std::vector<std::string>{input});
  PlotSelection selection;
  selection.stations.selected = {true, false, true};
  selection.stations.texts = {"S1  ", " 301", "0301"};
  selection.dates.selected = {false, true, true, false};
  EXPECT_EQ(readFile("out.csv"), BuildStatsCsvText(ComputeStationStats(table, selection)));
}

// The week of 17 April 2017 (Monday) at 0301: daily totals 88022, 88135, 87598, 91406, 95592,
// then 78104 and 62583 at the weekend. ADT 591440 / 7 = 84491.4, AWDDT 450753 / 5 = 90150.6 and
// AWEDT 140687 / 2 = 70343.5, a half that goes to the even 70344.
TEST_F(CliTest, StatsOfRealCountsOverTheWholeWeek) {
  const std::string input = kRealData + "ATR20170417w3.dat";
  const CliResult named = runArgs({"stats", "--stations", "0301", "--dates",
                                   "2017-04-17,2017-04-18,2017-04-19,2017-04-20,2017-04-21,"
                                   "2017-04-22,2017-04-23",
                                   input});
  ASSERT_EQ(named.status, kExitOk) << named.err;
  EXPECT_TRUE(named.out.starts_with(kStatsHeader + "0301,  84491,  62583,  95592,  ")) << named.out;
  EXPECT_TRUE(named.out.ends_with(",  90151,  70344\r\n")) << named.out;
  EXPECT_EQ(runArgs({"stats", input}).out, named.out);
}

TEST_F(CliTest, StatsOfATableWithoutStationsFailsWithTheSelectionMessage) {
  const CliResult result = runArgs({"stats", writeFile("empty.dat", "")});
  expectOneLineFailure(result);
  EXPECT_EQ(result.err, "ostrilo-cli: You must create the data first.\n");
}

struct BadPick {
  std::vector<std::string> options;
  std::string named;  // what the report must quote
};

class StatsBadPickTest : public CliTest, public ::testing::WithParamInterface<BadPick> {};

TEST_P(StatsBadPickTest, IsAUsageErrorNamingItAndKeepsTheOutput) {
  writeFile("out.csv", "previous content");
  std::vector<std::string> args = {"stats", "-o", path("out.csv")};
  args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
  args.push_back(writeFile("w.dat", kStatsWeek));
  const CliResult result = runArgs(args);
  EXPECT_EQ(result.status, kExitUsage);
  EXPECT_NE(result.err.find(GetParam().named), std::string::npos) << result.err;
  EXPECT_EQ(readFile("out.csv"), "previous content");
}

INSTANTIATE_TEST_SUITE_P(
    Picks, StatsBadPickTest,
    ::testing::Values(BadPick{{"--stations", "0302"}, "unknown station \"0302\""},
                      BadPick{{"--stations", "S1"}, "unknown station \"S1\""},
                      BadPick{{"--stations", "301"}, "unknown station \"301\""},
                      BadPick{{"--stations", "0301,"}, "unknown station \"\""},
                      BadPick{{"--dates", "2005-01-11"}, "unknown date \"2005-01-11\""},
                      BadPick{{"--dates", "2005-1-07"}, "\"2005-1-07\" is not a date"},
                      BadPick{{"--dates", "2005-02-29"}, "\"2005-02-29\" is not a date"}));

// --- usage ------------------------------------------------------------------------------------

class UsageErrorTest : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(UsageErrorTest, ExitsWithTwoAndWritesNothing) {
  const CliResult result = runArgs(GetParam());
  EXPECT_EQ(result.status, kExitUsage);
  EXPECT_TRUE(result.out.empty());
  EXPECT_TRUE(result.err.starts_with("ostrilo-cli: ")) << result.err;
  EXPECT_NE(result.err.find("--help"), std::string::npos) << result.err;
  EXPECT_FALSE(std::filesystem::exists("never-written.csv"));
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, UsageErrorTest,
    ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"frobnicate", "a.dat"},
                      std::vector<std::string>{"--frobnicate"}, std::vector<std::string>{"table"},
                      std::vector<std::string>{"table", "-o", "never-written.csv"},
                      std::vector<std::string>{"table", "a.dat", "-o"},
                      std::vector<std::string>{"table", "-o", "--", "a.dat"},
                      std::vector<std::string>{"table", "--output=", "a.dat"},
                      std::vector<std::string>{"table", "-x", "a.dat"},
                      std::vector<std::string>{"table", "-o", "a.csv", "-o", "b.csv", "a.dat"},
                      std::vector<std::string>{"convert", "a.dat"},
                      std::vector<std::string>{"Table", "a.dat"}));

TEST(Help, GoesToStandardOutputWithExitZero) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--help"}, std::vector<std::string>{"-h"},
        std::vector<std::string>{"table", "--help"},
        std::vector<std::string>{"convert", "a.dat", "-h"}}) {
    const CliResult result = runArgs(args);
    EXPECT_EQ(result.status, kExitOk);
    EXPECT_TRUE(result.err.empty());
    EXPECT_NE(result.out.find("convert -o OUT.cont INPUT..."), std::string::npos);
    EXPECT_NE(result.out.find("table [-o OUT.csv] INPUT..."), std::string::npos);
    EXPECT_NE(result.out.find("stats [-o OUT.csv] [--stations NAMES] [--dates DATES] INPUT..."),
              std::string::npos);
  }
}

}  // namespace
}  // namespace ostrilo::cli

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "tests/cli/CliTestSupport.h"
#include "tests/support/AnnualTestSupport.h"
#include "tests/support/FolderFaults.h"

namespace ostrilo::cli {
namespace {

using test::CliResult;
using test::CliTest;
using test::day;
using test::dayLines;
using test::runArgs;
using test::spread;

const std::string& kHeader = test::kHourlyHeader;

// Two stations on two dates: 0302 has only its morning on the 17th and nothing on the 18th.
const std::string kWeekStart =
    "31041717 0301  604  327  280  333  779 2625 5558 6557 6166 5262 4529 4709\r\n"
    "32041717 0301 5017 4804 5314 5934 6733 6280 4899 3360 2951 2399 1530 1072\r\n"
    "31041717 0302    1    2    3    4    5    6    7    8    9   10   11   12\r\n"
    "31041817 0301   10   20   30   40   50   60   70   80   90  100  110  120\r\n";

// The twelve afternoon hours and the total of a pair counted only in the morning.
const std::string kNoAfternoon = ",,,,,,,,,,,,,\n";

const std::string kRows17 =
    "0301,2017-04-17,604,327,280,333,779,2625,5558,6557,6166,5262,4529,4709,5017,4804,5314,5934,"
    "6733,6280,4899,3360,2951,2399,1530,1072,88022\n"
    "0302,2017-04-17,1,2,3,4,5,6,7,8,9,10,11,12" +
    kNoAfternoon;

// A new station, whose name CSV must quote, and a correction of 0301's morning on the 18th.
const std::string kWeekMore =
    "31041817 a,\"b    1    1    1    1    1    1    1    1    1    1    1    1\n"
    "31041817 0301    5    5    5    5    5    5    5    5    5    5    5    5\n";

// Fri 7 to Mon 10 January 2005: "S1  " totals 1000, 600, 500, 1100 (the worked example);
// " 301" has 40 on Friday and 60 on Monday, "0301" only 20 on Saturday.
std::string statsWeek() {
  std::string text;
  const int s1[] = {1000, 600, 500, 1100};
  for (int d = 0; d < 4; ++d) text += dayLines("S1  ", day(2005, 1, 7 + d), spread(s1[d]));
  return text + dayLines(" 301", day(2005, 1, 7), spread(40)) +
         dayLines("0301", day(2005, 1, 8), spread(20)) +
         dayLines(" 301", day(2005, 1, 10), spread(60));
}

// A year with an AADT at SYN1 and a short count at SHRT, whose Thursday with eight dead morning
// hours has a critical flag.
std::string yearAndShortCount() {
  test::Day deadMorning = spread(24000);
  std::fill_n(deadMorning.begin(), 8, 0);
  return test::syntheticYear("SYN1") + dayLines("SHRT", day(2023, 3, 14), spread(9650)) +
         dayLines("SHRT", day(2023, 3, 15), spread(9800)) +
         dayLines("SHRT", day(2023, 3, 16), deadMorning) +
         dayLines("SHRT", day(2024, 1, 1), spread(9800)) +
         dayLines("SYN1", day(2024, 1, 1), spread(9800)).substr(0, 75);
}

// A failure report is exactly one line naming the program.
void expectOneLineFailure(const CliResult& result) {
  EXPECT_EQ(result.status, kExitFailure);
  EXPECT_TRUE(result.out.empty());
  EXPECT_TRUE(result.err.starts_with("ostrilo-cli: ")) << result.err;
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  EXPECT_TRUE(result.err.ends_with('\n')) << result.err;
}

// Every pair with a counted hour in record order, hours not counted left empty; a further
// input is added after the first: its new station comes after the built ones and its later line
// wins. A first input named *.cont (any case) is a table file and lists like the count files it
// was converted from.
TEST_F(CliTest, TableListsEveryPairOfTheInputsInOrder) {
  const std::string a = dir.write("a.dat", kWeekStart);
  const std::string b = dir.write("b.dat", kWeekMore);
  const CliResult result = runArgs({"table", "-o", path("out.csv"), a});
  EXPECT_EQ(result.status, kExitOk) << result.err;
  EXPECT_TRUE(result.out.empty());
  EXPECT_EQ(
      readFile("out.csv"),
      kHeader + kRows17 + "0301,2017-04-18,10,20,30,40,50,60,70,80,90,100,110,120" + kNoAfternoon);
  const CliResult added = runArgs({"table", a, b});
  ASSERT_EQ(added.status, kExitOk) << added.err;
  EXPECT_TRUE(added.err.empty());
  EXPECT_EQ(added.out, kHeader + kRows17 + "0301,2017-04-18,5,5,5,5,5,5,5,5,5,5,5,5" +
                           kNoAfternoon + "\"a,\"\"b\",2017-04-18,1,1,1,1,1,1,1,1,1,1,1,1" +
                           kNoAfternoon);

  // Whole days only: their listing does not depend on whether a table file keeps the counted
  // hours.
  const std::string w = dir.write("w.dat", statsWeek());
  const CliResult converted = runArgs({"convert", "-o", path("A.Cont"), w});
  ASSERT_EQ(converted.status, kExitOk) << converted.err;
  EXPECT_TRUE(converted.out.empty());
  EXPECT_EQ(runArgs({"table", path("A.Cont"), b}).out, runArgs({"table", w, b}).out);
  // Updating a table file: it is the first input and the output.
  ASSERT_EQ(runArgs({"convert", "-o", path("A.Cont"), path("A.Cont"), b}).status, kExitOk);
  EXPECT_EQ(runArgs({"table", path("A.Cont")}).out, runArgs({"table", w, b}).out);
}

// Dates out of calendar order; A's 5 March is a half day, B has nothing on 3 March. A table
// without dates has no first or last date.
TEST_F(CliTest, InfoSummarisesTheTableOneNameAndValueALine) {
  using test::countLine;
  const test::Twelve v = test::rising(1);
  const std::string input = dir.write(
      "a.dat", test::countFile({countLine('1', "030503", "A", v), countLine('1', "030303", "A", v),
                                countLine('2', "030303", "A", v), countLine('2', "030403", "B", v),
                                countLine('1', "030403", "B", v)}));
  EXPECT_EQ(runArgs({"info", input}).out,
            "stations: 2\ndates: 3\nfirst date: 2003-03-03\nlast date: 2003-03-05\nrecords: 6\n"
            "counted hours: 60\ncomplete days: 2\nhours not counted: 84\n");
  EXPECT_EQ(runArgs({"info", dir.write("empty.dat", "")}).out,
            "stations: 0\ndates: 0\nfirst date:\nlast date:\nrecords: 0\ncounted hours: 0\n"
            "complete days: 0\nhours not counted: 0\n");
}

// A table without stations fails with the main window's selection message; a report without
// its drawing program writes nothing.
TEST_F(CliTest, FailuresAreOneLineNamingTheirCause) {
  const std::string bad = dir.write("bad.dat", kWeekStart + "31041917 0301 12a4\n");
  // The register is read before the inputs.
  const std::string names = dir.write("reg.csv", "station,name\n0301,A\n0301,B\n");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"table", path("absent.dat")}, "absent.dat"},
      {{"table", bad}, "bad.dat, line 5"},
      {{"table", path("two\nlines.dat")}, "lines.dat"},
      {{"table", path("\x1b[2J.dat")}, "\\x1B[2J.dat"},
      {{"table", "--register", names, bad}, "reg.csv, line 3"},
      {{"stats", dir.write("empty.dat", "")},
       "ostrilo-cli: stats: You must create the data first.\n"},
      // The test program has no ostrilo-report beside it.
      {{"report", "-o", path("r.pdf"), dir.write("w.dat", statsWeek())},
       "ostrilo-report\" is missing"}};
  for (const auto& [args, named] : cases) {
    const CliResult result = runArgs(args);
    expectOneLineFailure(result);
    EXPECT_NE(result.err.find(named), std::string::npos) << result.err;
  }
  EXPECT_FALSE(std::filesystem::exists(path("r.pdf")));
}

TEST_F(CliTest, FailureLeavesAnExistingOutputUntouched) {
  for (const std::string command : {"table", "convert", "stats", "check"}) {
    SCOPED_TRACE(command);
    dir.write("out", "previous content");
    const CliResult result = runArgs({command, "-o", path("out"), dir.write("a.dat", kWeekStart),
                                      dir.write("bad.dat", "31041717 0301 x\n")});
    expectOneLineFailure(result);
    EXPECT_EQ(readFile("out"), "previous content");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.dat", "bad.dat", "out"}));
    expectOneLineFailure(runArgs({command, "-o", path("no/such/folder/out"), path("a.dat")}));
  }
}

TEST_F(CliTest, OutputOntoAFullOrReadOnlyFileSystemFailsAndKeepsTheOldFile) {
  const std::string input = dir.write("a.dat", kWeekStart);
  for (const test::FolderFault fault : {test::FolderFault::Full, test::FolderFault::ReadOnly}) {
    const test::FaultyFolder folder(dir.path() / "out", fault, {{"out", "previous content"}});
    if (!folder.ready()) continue;
    const std::vector<std::string> files = folder.entries();
    for (const std::string command : {"table", "convert", "stats"}) {
      SCOPED_TRACE(command);
      const CliResult result = runArgs({command, "-o", folder.file("out"), input});
      expectOneLineFailure(result);
      EXPECT_NE(result.err.find(folder.file("out")), std::string::npos) << result.err;
      EXPECT_EQ(readFile("out/out"), "previous content");
      EXPECT_EQ(folder.entries(), files);
    }
  }
}

TEST_F(CliTest, FailingStandardOutputIsAFailure) {
  const std::vector<std::string> args = {"table", dir.write("a.dat", kWeekStart)};
  std::ostringstream out;
  out.setstate(std::ios::badbit);
  std::ostringstream err;
  EXPECT_EQ(runCli(args, out, err), kExitFailure);
  EXPECT_TRUE(err.str().starts_with("ostrilo-cli: ")) << err.str();
}

// A dead Monday and a stuck Tuesday at AAAA, an afternoon only at BBBB: the file is the core's
// text of the flags that pass, and their counts go to standard error.
TEST_F(CliTest, CheckWritesTheFlagsThatPassAndCountsThem) {
  const std::string text = dayLines("AAAA", day(2005, 1, 3), spread(0)) +
                           dayLines("AAAA", day(2005, 1, 4), spread(2400)) +
                           test::countLine('2', "010405", "BBBB", test::rising(30)) + "\r\n";
  const std::string input = dir.write("w.dat", text);
  const CliResult picked =
      runArgs({"check", "-o", path("out.csv"), "--severity", "C", "--stations", "AAAA", input});
  ASSERT_EQ(picked.status, kExitOk) << picked.err;
  EXPECT_EQ(readFile("out.csv"),
            "station,date,code,severity,detail\nAAAA,2005-01-03,ZERO_DAY,C,all 24 hours zero\n");
  EXPECT_TRUE(picked.err.starts_with("1 flag: MISSING_HOURS 0, ZERO_RUN 0, ZERO_DAY 1,"));
  EXPECT_TRUE(picked.err.ends_with(", AADT_YEAR 0\n")) << picked.err;
}

// Expand takes every station outside the group, the first and the last: SHRT's first day again
// ahead of the year makes it the first, and TAIL counts as SHRT did after the year. SYN1's half
// day of 2024 would make a group of that year without --year. SHRT's Thursday with eight dead
// morning hours has a critical flag, so it is no valid day of the estimate; nor is SYN1's Monday
// 2 January, dead likewise, a valid day of the factors, with or without a calendar's holidays.
TEST_F(CliTest, ExpandEstimatesTheStationsOutsideTheGroupOfTheYear) {
  test::Day deadMorning = spread(8000);
  std::fill_n(deadMorning.begin(), 8, 0);
  const std::string input =
      dir.write("y.dat", dayLines("SHRT", day(2023, 3, 14), spread(9650)) + yearAndShortCount() +
                             dayLines("TAIL", day(2023, 3, 14), spread(9650)) +
                             dayLines("TAIL", day(2023, 3, 15), spread(9800)) +
                             dayLines("SYN1", day(2023, 1, 2), deadMorning));
  EXPECT_EQ(runArgs({"expand", "--group", "SYN1", "--year", "2023", input}).out,
            "station,year,group,left_out,days,est_aadt,days_used\n"
            "SHRT,2023,SYN1,,2,9987,2023-03-14 2023-03-15\n"
            "TAIL,2023,SYN1,,2,9987,2023-03-14 2023-03-15\n");
  const std::string christmas = dir.write("hol.csv", "2022-12-25,Christmas Day\n");
  EXPECT_EQ(runArgs({"factors", "--holidays", christmas, "--exclude-holidays", input}).out,
            runArgs({"factors", input}).out);
}

// A cell of a sheet as "text:VALUE" or "number:VALUE", "" for an empty cell.
std::string workbookCell(const std::string& xml, const std::string& ref) {
  const std::regex cell("<c r=\"" + ref + "\"[^>]*><(?:is><t[^>]*>([^<]*)|v>([^<]*))");
  std::smatch m;
  if (!std::regex_search(xml, m, cell)) return "";
  return m[1].matched ? "text:" + m[1].str() : "number:" + m[2].str();
}

using Args = std::vector<std::string>;

struct WorkbookCase {
  std::string name;
  Args args;  // IN: statsWeek, YEAR: yearAndShortCount, REG: a register naming 0301 and SYN1
  std::string cells;    // "REF=EXPECTED;" of the first sheet
  std::string about{};  // what the About sheet tells besides the input's name
};

void PrintTo(const WorkbookCase& c, std::ostream* os) { *os << c.name; }

class WorkbookTest : public CliTest, public ::testing::WithParamInterface<WorkbookCase> {};

// -o NAME.xlsx writes the table as a workbook: ids as text, figures as numbers, n/a empty, the
// register's names beside the id, and an About sheet naming the input.
TEST_P(WorkbookTest, XlsxOutputIsAWorkbookOfTypedCells) {
  Args args = GetParam().args;
  for (std::string& arg : args) {
    if (arg == "IN") arg = dir.write("w.dat", statsWeek());
    if (arg == "YEAR") arg = dir.write("y.dat", yearAndShortCount());
    if (arg == "REG") arg = dir.write("reg.csv", "station,name\n0301,Main St\nSYN1,Ring\n");
    if (arg == "out.XLSX") arg = path(arg);
  }
  const CliResult result = runArgs(args);
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_TRUE(result.out.empty());
  ASSERT_EQ(std::system(("unzip -qo '" + path("out.XLSX") + "' -d '" + path("x") + "'").c_str()),
            0);
  const std::string sheet = readFile("x/xl/worksheets/sheet1.xml");
  std::istringstream cells(GetParam().cells);
  for (std::string ref, expected;
       std::getline(cells, ref, '=') && std::getline(cells, expected, ';');)
    EXPECT_EQ(workbookCell(sheet, ref), expected) << ref;
  const std::string about = readFile("x/xl/worksheets/sheet2.xml");
  EXPECT_NE(about.find(args.back()), std::string::npos);
  EXPECT_NE(about.find(GetParam().about), std::string::npos) << GetParam().about;
}

// Annual: SHRT has no row of 2024, and its dead morning is no valid day.
const WorkbookCase kWorkbookCases[] = {
    {"Stats",
     {"stats", "--register", "REG", "-o", "out.XLSX", "IN"},
     "B1=text:Name;A3=text: 301;A4=text:0301;B4=text:Main St;C4=number:20;G4=;"},
    {"Table", {"table", "-o", "out.XLSX", "IN"}, "A2=text:S1  ;B2=number:38359;AA2=number:1000;"},
    {"Annual",
     {"annual", "--year", "2023", "-o", "out.XLSX", "YEAR"},
     "A2=text:SYN1;A3=text:SHRT;C3=number:2;E2=number:10000;H2=number:9.92;K2=text:07:00;E3=;",
     "Peak windows: AM 6-10, PM 15-19"},
    {"Factors",
     {"factors", "--year", "2023", "-o", "out.XLSX", "YEAR"},
     "C2=text:MADW;F2=number:8000;F105=number:1.25;F208=;"},
    {"Check", {"check", "-o", "out.XLSX", "YEAR"}, "A2=text:SYN1;B2=number:44934;"}};

INSTANTIATE_TEST_SUITE_P(Commands, WorkbookTest, ::testing::ValuesIn(kWorkbookCases),
                         [](const auto& info) { return info.param.name; });

struct UsageCase {
  Args args;  // IN stands for a count file, OUT for an existing output file, REG a register
  std::string named;
};

void PrintTo(const UsageCase& c, std::ostream* os) {
  for (const std::string& arg : c.args) *os << arg << ' ';
}

class UsageErrorTest : public CliTest, public ::testing::WithParamInterface<UsageCase> {};

// A wrong command line, or a pick the table does not hold, exits 2 and writes nothing.
TEST_P(UsageErrorTest, ExitsWithTwoNamingTheProblemAndWritesNothing) {
  Args args = GetParam().args;
  for (std::string& arg : args) {
    if (arg == "IN") arg = dir.write("w.dat", statsWeek());
    if (arg == "OUT") arg = dir.write("out.csv", "previous content");
    if (arg == "REG") arg = dir.write("reg.csv", "station,name\n0301,Main St\n");
    if (arg == "TAB") {
      arg = path("t.cont");
      if (!std::filesystem::exists(arg)) test::tableOf(statsWeek()).SaveToFile(arg);
    }
  }
  const CliResult result = runArgs(args);
  EXPECT_EQ(result.status, kExitUsage);
  EXPECT_TRUE(result.out.empty());
  EXPECT_TRUE(result.err.starts_with("ostrilo-cli: ")) << result.err;
  EXPECT_NE(result.err.find(GetParam().named), std::string::npos) << result.err;
  // The hint names the command whose help tells more.
  const std::string command =
      args.empty() || args[0] == "frobnicate" ? std::string() : args[0] + " ";
  EXPECT_TRUE(result.err.ends_with(" (see 'ostrilo-cli " + command + "--help')\n")) << result.err;
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  if (std::filesystem::exists(path("out.csv"))) {
    EXPECT_EQ(readFile("out.csv"), "previous content");
  }
}

const UsageCase kUsageCases[] = {
    {{}, "no command"},
    {{"frobnicate", "IN"}, "unknown command"},
    {{"table", "-o", "OUT"}, "no INPUT"},
    {{"table", "-o", "--", "IN"}, "needs a value"},
    {{"table", "-x", "IN"}, "unknown option"},
    {{"info", "IN", "b.Cont"}, "\"b.Cont\" is a table file, and only the first INPUT"},
    {{"table", "-o", "a.csv", "-o", "b.csv", "IN"}, "more than once"},
    {{"convert", "IN"}, "missing --output"},
    {{"convert", "-o", "t.XLSX", "IN"}, "names a workbook"},
    {{"stats", "--register", "OUT", "-o", "OUT", "IN"}, "is the register"},
    {{"convert", "-o", "IN", "IN"}, "is the count file"},
    {{"stats", "-o", "TAB", "TAB"}, "is the table file"},
    {{"stats", "-o", "OUT", "--station", "0301,S1  ", "IN"}, "unknown station \"0301,S1  \""},
    {{"stats", "-o", "OUT", "--stations", "301", "IN"}, "unknown station \"301\""},
    {{"stats", "-o", "OUT", "--stations", "0301,", "IN"}, "unknown station \"\""},
    {{"stats", "-o", "OUT", "--dates", "2005-01-11", "IN"}, "unknown date \"2005-01-11\""},
    {{"stats", "-o", "OUT", "--dates", "2005-02-29", "IN"}, "\"2005-02-29\" is not a date"},
    {{"stats", "--exclude-critical=yes", "IN"}, "takes no value"},
    {{"check", "--severity", "X", "IN"}, "\"X\" is not C, W or I"},
    {{"annual", "-o", "OUT", "--peaks", "6-10", "IN"}, "\"6-10\" is not noon"},
    {{"annual", "-o", "OUT", "--year", "05", "IN"}, "\"05\" is not a year"},
    {{"factors", "-o", "OUT", "--year", "2019", "IN"}, "no date in 2019"},
    {{"expand", "-o", "OUT", "IN"}, "missing --group"},
    {{"expand", "-o", "OUT", "--group", "0301,XX", "IN"}, "unknown station \"XX\""},
    {{"annual", "-o", "OUT", "--roads", "IN"}, "annual: --roads needs --register"},
    {{"trend", "--roads", "--register", "REG", "IN"}, "trend: the register"},
    {{"check", "--aadt-change", "ten", "IN"}, "\"ten\" is not a percentage"},
    {{"profile", "--dates", "2005-01-08", "--year", "2005", "IN"}, "profile: --dates and --year"},
    {{"table", "--order", "name", "IN"}, "table: --order \"name\" is not table"},
    {{"info", "--lanes", "all", "IN"}, "info: --lanes \"all\" is not sum"},
    {{"check", "--completeness", "--episodes", "IN"}, "check: --completeness"},
    {{"check", "--lane-ceiling", "6000", "IN"}, "--lane-ceiling needs --register"},
    {{"check", "--lane-ceiling", "0", "IN"}, "\"0\" is not a whole number above 0"},
    {{"factors", "--exclude-holidays", "IN"}, "--exclude-holidays needs --holidays"},
    {{"expand", "--group", "0301", "--cv-threshold", "9", "IN"}, "--cv-threshold needs --groups"},
    {{"expand", "--groups", "register", "IN"}, "expand: groups from the register"},
    {{"expand", "--groups", "register", "--cv-threshold", "x", "IN"}, "\"x\" is not a percentage"},
    {{"annual", "--geojson", "OUT", "IN"}, "--geojson needs --register"},
    {{"export", "IN"}, "export: missing --tmg or --sqlite"},
    {{"export", "--tmg", "OUT", "--tmg-format", "1999", "IN"}, "\"1999\" is not 2013"},
    {{"export", "--sqlite", "IN", "IN"}, "is the count file"}};

INSTANTIATE_TEST_SUITE_P(CommandLines, UsageErrorTest, ::testing::ValuesIn(kUsageCases));

}  // namespace
}  // namespace ostrilo::cli

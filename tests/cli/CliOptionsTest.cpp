#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/cli/CliTestSupport.h"
#include "tests/support/AnnualTestSupport.h"
#include "tests/support/Golden.h"

namespace ostrilo::test {
namespace {

using Args = std::vector<std::string>;

// Monday 2 to Thursday 5 January 2023. "B10 " counts 100 an hour on the 2nd and 5th and nothing
// but zeros on the 3rd and 4th; "B2  " counts 200 an hour on the 3rd and only the morning of the
// 2nd. The file lists B10 first.
std::string fourDays() {
  const std::string b2Morning = dayLines("B2  ", day(2023, 1, 2), spread(4800));
  return dayLines("B10 ", day(2023, 1, 2), spread(2400)) + b2Morning.substr(0, 75) +
         dayLines("B10 ", day(2023, 1, 3), Day{}) +
         dayLines("B2  ", day(2023, 1, 3), spread(4800)) +
         dayLines("B10 ", day(2023, 1, 4), Day{}) + dayLines("B10 ", day(2023, 1, 5), spread(2400));
}

std::string hours(const std::string& station, const std::string& date, const std::string& each,
                  bool morningOnly = false) {
  std::string row = station + "," + date;
  for (int h = 0; h < 24; ++h) row += "," + (morningOnly && h >= 12 ? std::string() : each);
  const int total = std::stoi(each) * 24;
  return row + "," + (morningOnly ? std::string() : std::to_string(total)) + "\n";
}

struct OptionCase {
  std::string name;
  Args args;          // IN: fourDays, HOL: a holiday file naming 5 January, REG: B2 with 2 lanes
  std::string out;    // what standard output (or OUT) holds; "~A~B": it holds A and B
  std::string err{};  // with out, what standard error holds if not empty
};

const std::string kTmgRegister =
    "station,state,fclass,tmg_station,direction\nB10 ,11,14,000010,1\nB2  ,11,14,000002,5\n";

void PrintTo(const OptionCase& c, std::ostream* os) { *os << c.name; }

class OptionAloneTest : public CliTest, public ::testing::WithParamInterface<OptionCase> {};

// Each option on its own, against figures worked out by hand from fourDays.
TEST_P(OptionAloneTest, WritesWhatTheOptionAsksFor) {
  Args args = GetParam().args;
  for (std::string& arg : args) {
    if (arg == "IN") arg = dir.write("in.dat", fourDays());
    if (arg == "HOL") arg = dir.write("hol.csv", "2023-01-05,Test Day\n");
    if (arg == "REG") arg = dir.write("reg.csv", "station,lanes\nB2  ,2\n");
    if (arg == "TMG") arg = dir.write("tmg.csv", kTmgRegister);
    if (arg == "CAP") arg = dir.write("cap.csv", "station,max_daily\nB10 ,2000\nB2  ,5000\n");
    if (arg == "GEO") arg = dir.write("geo.csv", "station,lat,lon\nB10 ,52.5,13.25\n");
  }
  const bool toFile = std::find(args.begin(), args.end(), "OUT") != args.end();
  std::replace(args.begin(), args.end(), std::string("OUT"), path("out"));
  const CliResult result = runArgs(args);
  EXPECT_EQ(result.status, 0) << result.err;
  const std::string got = toFile ? readFile("out") : result.out;
  const std::string& out = GetParam().out;
  if (out.starts_with('~')) {
    for (std::size_t at = 0; at != std::string::npos; at = out.find('~', at + 1))
      EXPECT_NE(got.find(out.substr(at + 1, out.find('~', at + 1) - at - 1)), std::string::npos);
  } else {
    EXPECT_EQ(got, out);
  }
  if (!GetParam().err.empty()) {
    EXPECT_EQ(result.err, GetParam().err);
  }
}

const std::string kB10Rows = hours("B10 ", "2023-01-02", "100") + hours("B10 ", "2023-01-03", "0") +
                             hours("B10 ", "2023-01-04", "0") + hours("B10 ", "2023-01-05", "100");
const std::string kB2Rows =
    hours("B2  ", "2023-01-02", "200", true) + hours("B2  ", "2023-01-03", "200");

// The spaced stats of B2's one valid day, 4800, and their header.
const std::string kStatsHeader = "ATR ID, ADT, Min DT, Max DT, SD, AWDDT, AWEDT, Days\r\n";
const std::string kB2Stats = "B2  ,  4800,  4800,  4800,  0,  4800,  ,  1\r\n";

const OptionCase kOptionCases[] = {
    {"OrderId", {"table", "--order", "id", "IN"}, kHourlyHeader + kB2Rows + kB10Rows},
    {"OrderIdIntoAFile",
     {"table", "--order", "id", "-o", "OUT", "IN"},
     kHourlyHeader + kB2Rows + kB10Rows},
    {"Tmg2013ByDefault",
     {"export", "--tmg", "OUT", "--register", "TMG", "IN"},
     "~\n311140000101020230105500100"},
    {"Tmg2001",
     {"export", "--tmg", "OUT", "--tmg-format", "2001", "--register", "TMG", "IN"},
     "~\n3111400001010230105500100"},
    {"TmgPipe",
     {"export", "--tmg", "OUT", "--tmg-format", "pipe", "--register", "TMG", "IN"},
     "~\n3|11|14|000010|1|0|2023|01|05|5|100|"},
    // B10's two valid days count 100 in every hour: each window's first hour is its peak.
    {"Peaks",
     {"annual", "--peaks", "8-10,17-19", "IN"},
     "~\nB10 ,2023,2,2400,,2,100,,,,08:00,100,4.17,17:00,100,4.17\n"},
    // B10: 2400, 0, 0, 2400: mean 1200, SD sqrt(4 x 1200^2 / 4) = 1200.
    {"Trim",
     {"stats", "--trim", "IN"},
     "ATR ID,ADT,Min DT,Max DT,SD,AWDDT,AWEDT,Days\r\n"
     "B10 ,1200,0,2400,1200,1200,,4\r\nB2  ,4800,4800,4800,0,4800,,1\r\n"},
    {"Episodes",
     {"check", "--episodes", "--severity", "c", "IN"},
     "station,code,severity,first_date,last_date,days,detail\n"
     "B10 ,ZERO_DAY,C,2023-01-03,2023-01-04,2,all 24 hours zero\n"
     "B2  ,MISSING_HOURS,C,2023-01-02,2023-01-02,1,12 hours not counted (12:00 to "
     "23:59)\n"},
    // Four dates; B2 is complete on the 3rd only, and the 4th and 5th are its longest gap.
    {"Completeness",
     {"check", "--completeness", "IN"},
     "station,days,complete_days,complete_pct,incomplete_days,faulty_days,"
     "longest_gap_days,last_complete_date\n"
     "B10 ,4,4,100.0,0,2,0,2023-01-05\nB2  ,4,1,25.0,1,0,2,2023-01-03\n"},
    {"OneStation", {"stats", "--station", "B2  ", "IN"}, kStatsHeader + kB2Stats},
    // B10's two zero days are critical; B2's half day is no valid day either way.
    {"ExcludeCritical",
     {"stats", "--exclude-critical", "IN"},
     kStatsHeader + "B10 ,  2400,  2400,  2400,  0,  2400,  ,  2\r\n" + kB2Stats},
    // Names and dates in any order and more than once: records follow the station list.
    {"PickInAnyOrder",
     {"stats", "--dates", "2023-01-05,2023-01-03,2023-01-05", "--stations", "B2  ,B10 ,B2  ", "IN"},
     kStatsHeader + "B10 ,  1200,  0,  2400,  1200,  1200,  ,  2\r\n" + kB2Stats},
    {"Holidays",
     {"check", "--severity", "I", "--holidays", "HOL", "IN"},
     "station,date,code,severity,detail\nB10 ,2023-01-05,HOLIDAY,I,Test Day\n"},
    // B2's one valid day, 4800, is above 2 lanes x 2000.
    {"LaneCeiling",
     {"check", "--severity", "W", "--register", "REG", "--lane-ceiling", "2000", "--stations",
      "B2  ", "IN"},
     "~B2  ,2023,STATION_CEILING,W,\"median 4800 vehicles a day over 1 valid days, "
     "above the ceiling 4000 (2 lanes x 2000)\"\n"},
    // The flags are the checks with the calendar and the register's ceilings: the 5th a holiday
    // of B10 alone, B10's median valid day (2,400) above its 2,000.
    {"SqliteFlags",
     {"export", "--sqlite", "OUT", "--holidays", "HOL", "--register", "CAP", "IN"},
     "~Test Day~above the ceiling 2000 (max_daily)"},
    // A point per station the register places; the others are named on standard error.
    {"GeoJson",
     {"annual", "--geojson", "OUT", "--register", "GEO", "IN"},
     "~\"coordinates\":[13.250000,52.500000]",
     "annual: 1 station without coordinates in the register, not on the map: \"B2  \"\n"}};

INSTANTIATE_TEST_SUITE_P(Options, OptionAloneTest, ::testing::ValuesIn(kOptionCases),
                         [](const auto& info) { return info.param.name; });

// Three members with an AADT of 10,000 by construction (AnnualTestSupport.h); SYN1's Monday
// 2 January counts 16,000 in place of 8,000, so its January Mondays average 9,600 and its AADT
// is 10,000 + 8,000 / 5 / 84 = 10,019.05. SHRT counts 9,650 and 9,800 on Tuesday 14 and
// Wednesday 15 March.
class CliGroupsTest : public CliTest {
 protected:
  static std::string members() {
    const auto doubled = [](DateNumber d, const std::string& lines) {
      return d == day(2023, 1, 2) ? dayLines("SYN1", d, syntheticHours(16000)) : lines;
    };
    return syntheticYear("SYN1", doubled) + syntheticYear("SYN2") + syntheticYear("SYN3") +
           dayLines("SHRT", day(2023, 3, 14), spread(9650)) +
           dayLines("SHRT", day(2023, 3, 15), spread(9800));
  }
  std::string in = dir.write("y.dat", members());
  std::string hol = dir.write("hol.csv", "date,name\n2023-01-02,Test Day\n");
};

// F(Jan, Mon) = 10,019.05 / 9,600 = 1.0437 over every day, / 8,000 = 1.2524 without the holiday.
TEST_F(CliGroupsTest, FactorsWithoutHolidaysLeaveThemOutOfTheMadwBehindF) {
  const std::pair<Args, std::string> cases[] = {
      {{"factors", "--stations", "SYN1", in}, "\nSYN1,2023,F,1,1,1.0437,5\n"},
      {{"factors", "--stations", "SYN1", "--holidays", hol, "--exclude-holidays", in},
       "\nSYN1,2023,F,1,1,1.2524,4\n"}};
  for (const auto& [args, line] : cases)
    EXPECT_NE(runArgs(args).out.find(line), std::string::npos) << line;
  // A year picked holds only its own factors, with the holidays left out as without them.
  const std::string twoYears =
      dir.write("y2.dat", members() + dayLines("SYN1", day(2024, 1, 1), spread(9600)));
  EXPECT_EQ(
      runArgs({"factors", "--year", "2024", "--holidays", hol, "--exclude-holidays", twoYears})
          .out.find("SYN1,2023,"),
      std::string::npos);
}

// F_G(Mar, Tue) = (10,019.05 / 9,690 + 2 / 0.969) / 3 = 1.032647 and F_G(Mar, Wed) = 1.022621:
// (9,650 x 1.032647 + 9,800 x 1.022621) / 2 = 9,993. Group H has no member with an AADT.
// F(Jan, Mon) of the members: 1.0437, 1.25, 1.25: CV 0.1191 / 1.1812 = 10.1 %, SYN1 farthest.
TEST_F(CliGroupsTest, GroupsExpandEachStationWithItsOwnGroupAndNameWideCells) {
  const std::string header =
      "station,year,group,left_out,days,est_aadt,days_used,factor_group,note\n";
  const std::string g = dir.write("g.csv", "SYN1,G\nSYN2,G\nSYN3,G\nSHRT,G\n");
  const CliResult own = runArgs({"expand", "--groups", g, "--stations", "SHRT", in});
  EXPECT_EQ(own.out, header + "SHRT,2023,SYN1;SYN2;SYN3,SHRT,2,9993,2023-03-14 2023-03-15,G,\n");
  EXPECT_EQ(own.err, "");
  const std::string h = dir.write("h.csv", "station,group\nSYN1,G\nSHRT,H\n");
  EXPECT_EQ(runArgs({"expand", "--groups", h, "--stations", "SHRT", in}).out,
            header +
                "SHRT,2023,,SHRT,0,,,H,group H has 0 members with an "
                "AADT in 2023; 2 are needed\n");
  EXPECT_EQ(
      runArgs({"expand", "--groups", g, "--cv-threshold", "10", "--stations", "SHRT", in}).err,
      "expand: group \"G\" 2023 month 1 dow 1: CV 10.1 % above 10.0 %, moved most by "
      "\"SYN1\"\n");
}

// B10's Thursday as TMG records of lanes 1 and 2 of its direction, 100 an hour each, but lane 2
// counts nothing at 05:00: summed, 05:00 is not counted.
TEST_F(CliTest, LanesSumAddsTheLanesOfADirectionHourByHour) {
  std::string lane1 = "3111400001010202301055";
  for (int h = 0; h < 24; ++h) lane1 += "00100";
  lane1 += "0\r\n";
  std::string lane2 = lane1;
  lane1[12] = '1';
  lane2.replace(12, 1, "2").replace(22 + 5 * 5, 5, "     ");
  std::string summed = "000010-1,2023-01-05";
  for (int h = 0; h < 24; ++h) summed += h == 5 ? "," : ",200";
  EXPECT_EQ(runArgs({"table", "--lanes", "sum", dir.write("lanes.vol", lane1 + lane2)}).out,
            kHourlyHeader + summed + ",\n");
}

// The whole help and every command's own, as reviewed: their layout is what users read.
TEST(CliCommandHelp, MatchesTheReviewedCopy) {
  std::string shown = runArgs({"--help"}).out;
  for (const char* command : {"convert", "table", "stats", "info", "check", "annual", "trend",
                              "factors", "expand", "profile", "export", "report"})
    shown += "\n==== " + std::string(command) + "\n" + runArgs({command, "-h"}).out;
  expectGoldenText("cli-help", shown);
}

}  // namespace
}  // namespace ostrilo::test

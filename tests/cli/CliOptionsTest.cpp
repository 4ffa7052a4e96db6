#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cli/CliTestSupport.h"
#include "tests/support/AnnualTestSupport.h"

namespace ostrilo::test {
namespace {

using Args = std::vector<std::string>;

// Monday 2 to Thursday 5 January 2023. "B10 " counts 100 an hour on the 2nd and 5th and nothing
// but zeros on the 3rd and 4th; "B2  " counts 200 an hour on the 3rd and only the morning of the
// 2nd. The file lists B10 first.
std::string fourDays() {
  const std::string b2Morning = dayLines("B2  ", day(2023, 1, 2), spread(4800));
  return dayLines("B10 ", day(2023, 1, 2), spread(2400)) + b2Morning.substr(0, 75) +
         dayLines("B10 ", day(2023, 1, 3), Day{}) + dayLines("B2  ", day(2023, 1, 3), spread(4800)) +
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
  Args args;  // IN: fourDays, HOL: a holiday file naming 5 January, REG: B2 with 2 lanes
  std::string out;  // what standard output holds; with a leading '~', a line of it
};

class OptionAloneTest : public CliTest, public ::testing::WithParamInterface<OptionCase> {};

// Each option on its own, against figures worked out by hand from fourDays.
TEST_P(OptionAloneTest, WritesWhatTheOptionAsksFor) {
  Args args = GetParam().args;
  for (std::string& arg : args) {
    if (arg == "IN") arg = dir.write("in.dat", fourDays());
    if (arg == "HOL") arg = dir.write("hol.csv", "2023-01-05,Test Day\n");
    if (arg == "REG") arg = dir.write("reg.csv", "station,lanes\nB2  ,2\n");
  }
  const CliResult result = runArgs(args);
  EXPECT_EQ(result.status, 0) << result.err;
  const std::string& out = GetParam().out;
  if (out.starts_with('~')) {
    EXPECT_NE(result.out.find(out.substr(1)), std::string::npos) << result.out;
  } else {
    EXPECT_EQ(result.out, out);
  }
}

const std::string kHourly = "station,date,h00,h01,h02,h03,h04,h05,h06,h07,h08,h09,h10,h11,h12,"
                            "h13,h14,h15,h16,h17,h18,h19,h20,h21,h22,h23,total\n";
const std::string kB10Rows = hours("B10 ", "2023-01-02", "100") +
                             hours("B10 ", "2023-01-03", "0") + hours("B10 ", "2023-01-04", "0") +
                             hours("B10 ", "2023-01-05", "100");
const std::string kB2Rows =
    hours("B2  ", "2023-01-02", "200", true) + hours("B2  ", "2023-01-03", "200");

INSTANTIATE_TEST_SUITE_P(
    Options, OptionAloneTest,
    ::testing::Values(
        OptionCase{"OrderId", {"table", "--order", "id", "IN"}, kHourly + kB2Rows + kB10Rows},
        OptionCase{"OrderDate",
                   {"table", "--order", "date", "IN"},
                   kHourly + hours("B2  ", "2023-01-02", "200", true) +
                       hours("B10 ", "2023-01-02", "100") + hours("B2  ", "2023-01-03", "200") +
                       hours("B10 ", "2023-01-03", "0") + hours("B10 ", "2023-01-04", "0") +
                       hours("B10 ", "2023-01-05", "100")},
        // B10: 2400, 0, 0, 2400: mean 1200, SD sqrt(4 x 1200^2 / 4) = 1200.
        OptionCase{"Trim",
                   {"stats", "--trim", "IN"},
                   "ATR ID,ADT,Min DT,Max DT,SD,AWDDT,AWEDT,Days\r\n"
                   "B10 ,1200,0,2400,1200,1200,,4\r\nB2  ,4800,4800,4800,0,4800,,1\r\n"},
        OptionCase{"Episodes",
                   {"check", "--episodes", "--severity", "C", "IN"},
                   "station,code,severity,first_date,last_date,days,detail\n"
                   "B10 ,ZERO_DAY,C,2023-01-03,2023-01-04,2,all 24 hours zero\n"
                   "B2  ,MISSING_HOURS,C,2023-01-02,2023-01-02,1,12 hours not counted (12:00 to "
                   "23:59)\n"},
        // Four dates; B2 is complete on the 3rd only, and the 4th and 5th are its longest gap.
        OptionCase{"Completeness",
                   {"check", "--completeness", "IN"},
                   "station,days,complete_days,complete_pct,incomplete_days,faulty_days,"
                   "longest_gap_days,last_complete_date\n"
                   "B10 ,4,4,100.0,0,2,0,2023-01-05\nB2  ,4,1,25.0,1,0,2,2023-01-03\n"},
        OptionCase{"InfoSeverity", {"check", "--severity", "I", "IN"},
                   "station,date,code,severity,detail\n"},
        OptionCase{"Holidays",
                   {"check", "--severity", "I", "--holidays", "HOL", "IN"},
                   "station,date,code,severity,detail\nB10 ,2023-01-05,HOLIDAY,I,Test Day\n"},
        // B2's one valid day, 4800, is above 2 lanes x 2000.
        OptionCase{"LaneCeiling",
                   {"check", "--severity", "W", "--register", "REG", "--lane-ceiling", "2000",
                    "--stations", "B2  ", "IN"},
                   "~B2  ,2023,STATION_CEILING,W,\"median 4800 vehicles a day over 1 valid days, "
                   "above the ceiling 4000 (2 lanes x 2000)\"\n"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace ostrilo::test

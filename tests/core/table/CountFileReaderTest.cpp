#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/table/CountFileReader.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo::test {
namespace {

std::string goodLine(char half = '1', const char* mmddyy = "070403") {
  return countLine(half, mmddyy, "0301", rising(100));
}

TEST(CountFile, VolumeFieldsParseOrAreRejected) {
  const std::pair<const char*, std::optional<long long>> cases[] = {
      {"  123", 123}, {"123  ", 123}, {" -2.5", -2}, {"  3.5", 4},  {" 2.51", 3},
      {"     ", {}},  {" 12a4", {}},  {"  1e3", {}}, {"    .", {}}, {" 1 23", {}}};
  for (const auto& [field, value] : cases) EXPECT_EQ(parseVolumeField(field), value) << field;
}

// Column 2 picks the half; columns 1, 9 and past 73 are not read; dates pivot at 1930.
TEST(CountFile, ReadsTheColumnsOfALine) {
  const std::string line = overwrite(overwrite(goodLine(), 1, "Z"), 9, "Q") + "  trailing";
  const std::string text = line + "\n\r\n   \n" + goodLine('0', " 70403");
  const auto lines = parseCountFile(text, "x.dat");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].name, "0301");
  EXPECT_TRUE(lines[0].firstHalf);
  EXPECT_EQ(lines[0].volumes[11], 111);
  EXPECT_FALSE(lines[1].firstHalf);
  EXPECT_EQ(lines[1].date, test::day(2003, 7, 4));
  EXPECT_EQ(parseCountFile(goodLine('1', "010130"), "x")[0].date, test::day(1930, 1, 1));
  EXPECT_EQ(parseCountFile(goodLine('1', "123129"), "x")[0].date, test::day(2029, 12, 31));
  const auto edge = parseCountFile(overwrite(goodLine(), 14, "32767-9999"), "x")[0].volumes;
  EXPECT_EQ(edge[0], 32767);
  EXPECT_EQ(edge[1], -9999);
}

// A bad line stops the reading with an error naming file, line and field, never reading past
// the end of a cut-off line.
TEST(CountFile, ABadLineIsNamed) {
  const std::string line2 = "x.dat, line 2";
  const struct {
    std::string text;
    std::string descriptionStart;
    ErrorKind kind = ErrorKind::Conversion;
  } cases[] = {{"\n" + goodLine('1', "043103"), line2},  // 31 April
               {"\n" + goodLine('1', "7 0403"), line2},
               {"\n" + goodLine('1', "07040a"), line2},
               {"\r\n" + goodLine(' '), line2},
               {goodLine() + "\n \t \n", line2},
               {"\r\n" + goodLine().substr(0, 5), line2},
               {"\r\n" + goodLine().substr(0, 11), line2},
               {goodLine().substr(0, 68), "x.dat, line 1, volume field 12 (columns 69-73)"},
               {std::string(16, '\n') + overwrite(goodLine(), 29, " 12a4"),
                "x.dat, line 17, volume field 4 (columns 29-33): \"12a4\" is not a number"},
               {"\n" + overwrite(goodLine(), 69, "32768"),
                "x.dat, line 2, volume field 12 (columns 69-73)", ErrorKind::Overflow}};
  for (const auto& c : cases) {
    const Error e = test::thrownBy([&] { (void)parseCountFile(c.text, "x.dat"); });
    EXPECT_EQ(e.kind(), c.kind) << c.text;
    EXPECT_TRUE(e.description().starts_with(c.descriptionStart)) << e.description();
  }
}

}  // namespace
}  // namespace ostrilo::test

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/table/CountFileReader.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo {
namespace {

using test::countLine;
using test::overwrite;
using test::rising;

std::string goodLine(char half = '1', const char* mmddyy = "070403") {
  return countLine(half, mmddyy, "0301", rising(100));
}

struct FieldCase {
  const char* name;
  const char* field;
  std::optional<long long> value;
};

class VolumeField : public ::testing::TestWithParam<FieldCase> {};
TEST_P(VolumeField, ParsesOrRejects) {
  EXPECT_EQ(parseVolumeField(GetParam().field), GetParam().value);
}
INSTANTIATE_TEST_SUITE_P(
    Fields, VolumeField,
    ::testing::Values(FieldCase{"RightAligned", "  123", 123},
                      FieldCase{"LeftAligned", "123  ", 123},
                      FieldCase{"NegativeHalf", " -2.5", -2}, FieldCase{"HalfUp", "  3.5", 4},
                      FieldCase{"AboveHalf", " 2.51", 3}, FieldCase{"Blanks", "     ", {}},
                      FieldCase{"Letters", " 12a4", {}}, FieldCase{"Exponent", "  1e3", {}},
                      FieldCase{"PointOnly", "    .", {}}, FieldCase{"InnerBlank", " 1 23", {}}),
    test::CaseName());

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

struct LineErrorCase {
  const char* name;
  std::string text;
  ErrorKind kind;
  std::string descriptionStart;
};

class LineError : public ::testing::TestWithParam<LineErrorCase> {};

// A bad line stops the reading with an error naming file, line and field, never reading past
// the end of a cut-off line.
TEST_P(LineError, NamesTheLine) {
  const Error e = test::thrownBy([&] { (void)parseCountFile(GetParam().text, "x.dat"); });
  EXPECT_EQ(e.kind(), GetParam().kind);
  EXPECT_EQ(e.description().rfind(GetParam().descriptionStart, 0), 0u) << e.description();
}

const std::string kLine2 = "x.dat, line 2";
INSTANTIATE_TEST_SUITE_P(
    Lines, LineError,
    ::testing::Values(
        LineErrorCase{"April31", "\n" + goodLine('1', "043103"), ErrorKind::Conversion, kLine2},
        LineErrorCase{"DigitBlankDate", "\n" + goodLine('1', "7 0403"), ErrorKind::Conversion,
                      kLine2},
        LineErrorCase{"LetterInYear", "\n" + goodLine('1', "07040a"), ErrorKind::Conversion,
                      kLine2},
        LineErrorCase{"BlankHalf", "\r\n" + goodLine(' '), ErrorKind::Conversion, kLine2},
        LineErrorCase{"Tab", goodLine() + "\n \t \n", ErrorKind::Conversion, kLine2},
        LineErrorCase{"CutInDate", "\r\n" + goodLine().substr(0, 5), ErrorKind::Conversion, kLine2},
        LineErrorCase{"CutInName", "\r\n" + goodLine().substr(0, 11), ErrorKind::Conversion,
                      kLine2},
        LineErrorCase{"CutInField", goodLine().substr(0, 68), ErrorKind::Conversion,
                      "x.dat, line 1, volume field 12 (columns 69-73)"},
        LineErrorCase{"BadVolume", std::string(16, '\n') + overwrite(goodLine(), 29, " 12a4"),
                      ErrorKind::Conversion,
                      "x.dat, line 17, volume field 4 (columns 29-33): \"12a4\" is not a number"},
        LineErrorCase{"Above16Bits", "\n" + overwrite(goodLine(), 69, "32768"), ErrorKind::Overflow,
                      "x.dat, line 2, volume field 12 (columns 69-73)"}),
    test::CaseName());

}  // namespace
}  // namespace ostrilo

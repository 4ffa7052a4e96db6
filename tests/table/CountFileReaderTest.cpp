#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "TableTestSupport.h"
#include "table/CountFileReader.h"

namespace ostrilo {
namespace {

using test::countLine;
using test::overwrite;
using test::rising;
using test::thrownBy;

// A good line of station 0301 on 4 July 2003.
std::string goodLine(char half = '1') { return countLine(half, "070403", "0301", rising(100)); }

Error parseError(const std::string& text) {
  return thrownBy([&] { (void)parseCountFile(text, "x.dat"); });
}

TEST(SplitLines, DropsOneCrBeforeEachLf) {
  using Pieces = std::vector<std::string_view>;
  EXPECT_EQ(splitLines("a\r\nb\r\n"), (Pieces{"a", "b", ""}));
  EXPECT_EQ(splitLines("a\nb\n"), (Pieces{"a", "b", ""}));
  EXPECT_EQ(splitLines("a\r\nb\nc\r\nd"), (Pieces{"a", "b", "c", "d"}));
  EXPECT_EQ(splitLines("a\r\r\nb\rc"), (Pieces{"a\r", "b\rc"}));
  EXPECT_EQ(splitLines(""), (Pieces{""}));
}

struct FieldCase {
  const char* name;
  const char* field;
  std::optional<long long> value;
};

const FieldCase kFields[] = {{"RightAligned", "  123", 123},   {"LeftAligned", "123  ", 123},
                             {"Minus", "   -5", -5},           {"Plus", "   +7", 7},
                             {"HalfDown", "  2.5", 2},         {"HalfUp", "  3.5", 4},
                             {"NegativeHalf", " -2.5", -2},    {"ZeroHalf", "  0.5", 0},
                             {"AboveHalf", " 2.51", 3},        {"Wide", "99999", 99999},
                             {"BelowInt16", "-32769", -32769}, {"Empty", "", {}},
                             {"Blanks", "     ", {}},          {"Tab", "\t  12", {}},
                             {"Grouping", "1,000", {}},        {"Letters", " 12a4", {}},
                             {"Exponent", "  1e3", {}},        {"Hex", " 0x10", {}},
                             {"SignOnly", "    -", {}},        {"PointOnly", "    .", {}},
                             {"TwoPoints", "1.2.3", {}},       {"TwoSigns", "  --1", {}},
                             {"InnerBlank", " 1 23", {}}};

void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }
class VolumeField : public ::testing::TestWithParam<FieldCase> {};
TEST_P(VolumeField, ParsesOrRejects) {
  EXPECT_EQ(parseVolumeField(GetParam().field), GetParam().value);
}
INSTANTIATE_TEST_SUITE_P(Fields, VolumeField, ::testing::ValuesIn(kFields), test::CaseName());

struct DateCase {
  const char* name;
  const char* mmddyy;
  std::optional<CivilDate> date;
};

const DateCase kDates[] = {{"Plain", "070403", CivilDate{2003, 7, 4}},
                           {"BlankMonth", " 70403", CivilDate{2003, 7, 4}},
                           {"BlankDay", "07 403", CivilDate{2003, 7, 4}},
                           {"LeapDay", "022900", CivilDate{2000, 2, 29}},
                           {"Pivot1930", "010130", CivilDate{1930, 1, 1}},
                           {"Pivot2029", "123129", CivilDate{2029, 12, 31}},
                           {"Month13", "130103", {}},
                           {"Month0", "000103", {}},
                           {"Day0", "070003", {}},
                           {"April31", "043103", {}},
                           {"Feb29NoLeap", "022901", {}},
                           {"DigitBlank", "7 0403", {}},
                           {"TwoBlanks", "  0403", {}},
                           {"Letter", "0a0403", {}},
                           {"LetterInYear", "07040a", {}},
                           {"BlankLetter", "07 a03", {}},
                           {"Sign", "+70403", {}}};

void PrintTo(const DateCase& c, std::ostream* os) { *os << c.name; }
class LineDate : public ::testing::TestWithParam<DateCase> {};
TEST_P(LineDate, ReadsOrRejects) {
  const std::string line = countLine('1', GetParam().mmddyy, "0301", rising(1));
  if (GetParam().date) {
    EXPECT_EQ(parseCountFile(line, "x.dat").at(0).date, dateFromCivil(*GetParam().date));
  } else {
    const Error e = parseError("\n" + line);
    EXPECT_EQ(e.kind(), ErrorKind::Conversion);
    EXPECT_EQ(e.description().rfind("x.dat, line 2", 0), 0u) << e.description();
  }
}
INSTANTIATE_TEST_SUITE_P(Dates, LineDate, ::testing::ValuesIn(kDates), test::CaseName());

TEST(CountFile, ColumnTwoPicksTheHalfAndColumnsOneNineAndPast73AreNotRead) {
  const std::string line = overwrite(overwrite(goodLine(), 1, "Z"), 9, "Q") + "  trailing";
  const auto lines = parseCountFile(line, "x.dat");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].date, test::day(2003, 7, 4));
  EXPECT_EQ(lines[0].name, "0301");
  EXPECT_TRUE(lines[0].firstHalf);
  EXPECT_EQ(lines[0].volumes[0], 100);
  EXPECT_EQ(lines[0].volumes[11], 111);
  for (char half : {'0', '2', '9'}) EXPECT_FALSE(parseCountFile(goodLine(half), "x")[0].firstHalf);
  for (char half : {'a', ' ', '-'}) {
    EXPECT_EQ(parseError(goodLine(half)).kind(), ErrorKind::Conversion) << half;
  }
}

TEST(CountFile, StationNameKeepsBlanksAndBytes) {
  const std::string text = test::countFile({countLine('1', "070403", " 301", rising(1)),
                                            countLine('1', "070403", "\xE9 ab", rising(1))});
  const auto lines = parseCountFile(text, "x.dat");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].name, " 301");
  EXPECT_EQ(lines[1].name, "\xE9 ab");
}

TEST(CountFile, BlankLinesAreSkippedButATabIsNotBlank) {
  const std::string text = "\r\n     \r\n" + goodLine() + "\r\n\r\n   \n" + goodLine() + "\n";
  EXPECT_EQ(parseCountFile(text, "x.dat").size(), 2u);
  EXPECT_TRUE(parseCountFile("", "x.dat").empty());
  const Error e = parseError(goodLine() + "\n \t \n");
  EXPECT_EQ(e.kind(), ErrorKind::Conversion);
  EXPECT_EQ(e.description().rfind("x.dat, line 2", 0), 0u) << e.description();
}

// A cut-off line must stop with an error naming it, never read past its end.
TEST(CountFile, TruncatedLinesAreConversionErrors) {
  for (std::size_t length : {1u, 2u, 5u, 8u, 9u, 11u, 13u, 14u, 17u, 68u}) {
    const Error e = parseError("\r\n" + goodLine().substr(0, length) + "\r\n");
    EXPECT_EQ(e.kind(), ErrorKind::Conversion) << length;
    EXPECT_EQ(e.description().rfind("x.dat, line 2", 0), 0u) << e.description();
  }
  EXPECT_NE(
      parseError(goodLine().substr(0, 68)).description().find("volume field 12 (columns 69-73)"),
      std::string::npos);
}

TEST(CountFile, BadVolumeNamesFileLineAndField) {
  std::string text;
  for (int i = 0; i < 16; ++i) text += countLine('1', "010305", "0301", rising(i)) + "\r\n";
  text += overwrite(countLine('2', "010305", "0301", rising(1)), 29, " 12a4") + "\r\n";
  const Error e = thrownBy([&] { (void)parseCountFile(text, "ATR20050103w1.dat"); });
  EXPECT_EQ(e.number(), 13);
  EXPECT_EQ(e.description(),
            "ATR20050103w1.dat, line 17, volume field 4 (columns 29-33): \"12a4\" is not a number");
}

// A five-column field cannot go below -9999, so a line can only cross the top of the range.
TEST(CountFile, VolumesAbove16BitsOverflow) {
  const auto edge = parseCountFile(overwrite(goodLine(), 14, "32767-9999  2.5"), "x.dat");
  EXPECT_EQ(edge.at(0).volumes[0], 32767);
  EXPECT_EQ(edge.at(0).volumes[1], -9999);
  EXPECT_EQ(edge.at(0).volumes[2], 2);
  for (const char* bad : {"32768", "99999"}) {
    const Error e = parseError("\n" + overwrite(goodLine(), 69, bad));
    EXPECT_EQ(e.kind(), ErrorKind::Overflow) << bad;
    EXPECT_EQ(e.description().rfind("x.dat, line 2, volume field 12 (columns 69-73)", 0), 0u)
        << e.description();
  }
}

}  // namespace
}  // namespace ostrilo

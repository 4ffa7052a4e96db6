#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/register/StationRegister.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo {
namespace {

using test::thrownBy;

struct RealRegister {
  std::string name;
  std::string file;
  std::size_t stations;
  std::vector<std::string> extras;
  std::string station;
  std::string location;  // the known column, or the last extra column
};

class RealRegisterTest : public ::testing::TestWithParam<RealRegister> {};

TEST_P(RealRegisterTest, KeepsEveryStationAndItsColumns) {
  const RealRegister& c = GetParam();
  const auto reg = StationRegister::load(std::string(OSTRILO_REALDATA_DIR) + "/" + c.file);
  EXPECT_EQ(reg.entries().size(), c.stations);
  EXPECT_EQ(reg.extraColumns(), c.extras);
  const StationEntry* entry = reg.find(c.station);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(reg.hasColumn("location") ? entry->location : entry->extra.back(), c.location);
  EXPECT_EQ(reg.displayText(c.station), c.station);  // neither file has a name column
}

INSTANTIATE_TEST_SUITE_P(
    Files, RealRegisterTest,
    ::testing::Values(
        RealRegister{"Berlin",
                     "berlin-2023/stations.csv",
                     232,
                     {"source_id"},
                     "B002",
                     "A115, AS Spanische Allee – Brücke, towards AD Funkturm (Nordost); WGS84 "
                     "52.433813 13.192747"},
        RealRegister{"NewYorkParis",
                     "stations.csv",
                     288,
                     {"source", "source_id", "description", "weeks"},
                     "5672",
                     "2022-01-10 2022-01-17"}),
    test::CaseName());

TEST(StationRegister, ReadsQuotedFieldsHeaderVariantsAndSpreadsheetRows) {
  const auto reg = StationRegister::parse(
      "\xEF\xBB\xBF Station ,NAME,Latitude,note\r\n"
      "0301,\"Main St, north\",52.5,\"said \"\"closed\"\"\r\nin May\"\r\n"
      "\r\n"
      ",,,\r\n"
      "B7,,,\r\n",
      "reg.csv");
  ASSERT_EQ(reg.entries().size(), 2u);
  EXPECT_EQ(reg.extraColumns(), std::vector<std::string>{"note"});
  EXPECT_EQ(reg.find("0301")->extra[0], "said \"closed\"\r\nin May");
  EXPECT_EQ(reg.find("0301")->latitude, 52.5);
  EXPECT_FALSE(reg.find("B7")->latitude);
  EXPECT_EQ(reg.displayText("0301"), "0301  Main St, north");
  EXPECT_EQ(reg.displayText("B7"), "B7");
  EXPECT_EQ(reg.displayText("301"), "301");
}

struct BadRegister {
  std::string name;
  std::string text;
  std::string where;  // the start of the description
};

class BadRegisterTest : public ::testing::TestWithParam<BadRegister> {};

TEST_P(BadRegisterTest, NamesTheFileAndLine) {
  const Error e = thrownBy([&] { (void)StationRegister::parse(GetParam().text, "reg.csv"); });
  EXPECT_EQ(e.kind(), ErrorKind::Conversion);
  EXPECT_TRUE(e.description().starts_with(GetParam().where)) << e.description();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadRegisterTest,
    ::testing::Values(
        BadRegister{"NoStationColumn", "name,location\nX,Y\n",
                    "reg.csv, line 1: the header has no \"station\" column"},
        BadRegister{"ColumnTwice", "station,Name,name \n", "reg.csv, line 1: the header names"},
        BadRegister{"DuplicateStation", "station,name\nA,1\nB,2\nA,3\n",
                    "reg.csv, line 4: station \"A\" is already on line 2"},
        BadRegister{"EmptyStation", "station,name\n  ,x\n",
                    "reg.csv, line 2: the station is empty"},
        BadRegister{"TooManyFields", "station,name\nA,1,2\n",
                    "reg.csv, line 2: the line has 3 fields, the header 2"},
        BadRegister{"TooFewFieldsAfterQuotedBreak", "station,name\nA,\"x\ny\"\nB\n",
                    "reg.csv, line 4: the line has 1"},
        BadRegister{"QuoteNeverClosed", "station,name\nA,\"open\nB,1\n",
                    "reg.csv, line 2: field 2: the quote"},
        BadRegister{"QuoteInsidePlainField", "station,name\nA,ab\"c\n", "reg.csv, line 2: field 2"},
        BadRegister{"TextAfterClosingQuote", "station,name\nA,\"ab\"c\n",
                    "reg.csv, line 2: field 2: text after"},
        BadRegister{"LatitudeOutOfRange", "station,latitude\nA,91\n", "reg.csv, line 2: latitude"},
        BadRegister{"LongitudeNotANumber", "station,longitude\nA,13.4E\n",
                    "reg.csv, line 2: longitude"},
        BadRegister{"Latin1Text",
                    "station,name\nA,Br\xFC"
                    "cke\n",
                    "reg.csv, line 2: the text is not UTF-8"}),
    test::CaseName());

}  // namespace
}  // namespace ostrilo

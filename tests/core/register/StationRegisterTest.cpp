#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/register/StationRegister.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo {
namespace {

using test::thrownBy;

// The location is the known column, or else the last extra column; neither file has names.
TEST(StationRegister, RealRegistersKeepEveryStationAndItsColumns) {
  const struct {
    const char* file;
    std::size_t stations;
    std::vector<std::string> extras;
    std::string station, location;
  } cases[] = {{"berlin-2023/stations.csv",
                232,
                {"source_id"},
                "B002",
                "A115, AS Spanische Allee – Brücke, towards AD Funkturm (Nordost); WGS84 "
                "52.433813 13.192747"},
               {"stations.csv",
                288,
                {"source", "source_id", "description", "weeks"},
                "5672",
                "2022-01-10 2022-01-17"}};
  for (const auto& c : cases) {
    const auto reg = StationRegister::load(std::string(OSTRILO_REALDATA_DIR) + "/" + c.file);
    EXPECT_EQ(reg.entries().size(), c.stations);
    EXPECT_EQ(reg.extraColumns(), c.extras);
    const StationEntry* entry = reg.find(c.station);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(reg.hasColumn("location") ? entry->location : entry->extra.back(), c.location);
    EXPECT_EQ(reg.displayText(c.station), c.station);
  }
}

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

// Text and the start of its description: file and line first.
TEST(StationRegister, BadRegistersNameTheFileAndLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"name,location\nX,Y\n", "reg.csv, line 1: the header has no \"station\" column"},
      {"station,Name,name \n", "reg.csv, line 1: the header names"},
      {"station,name\nA,1\nB,2\nA,3\n", "reg.csv, line 4: station \"A\" is already on line 2"},
      {"station,name\n  ,x\n", "reg.csv, line 2: the station is empty"},
      {"station,name\nA,1,2\n", "reg.csv, line 2: the line has 3 fields, the header 2"},
      {"station,name\nA,\"x\ny\"\nB\n", "reg.csv, line 4: the line has 1"},
      {"station,name\nA,\"open\nB,1\n", "reg.csv, line 2: field 2: the quote"},
      {"station,name\nA,ab\"c\n", "reg.csv, line 2: field 2"},
      {"station,name\nA,\"ab\"c\n", "reg.csv, line 2: field 2: text after"},
      {"station,latitude\nA,91\n", "reg.csv, line 2: latitude"},
      {"station,longitude\nA,13.4E\n", "reg.csv, line 2: longitude"},
      {"station,name\nA,Br\xFC"
       "cke\n",
       "reg.csv, line 2: the text is not UTF-8"}};
  for (const auto& [text, where] : cases) {
    // clang 14 cannot capture a structured binding in a lambda.
    const std::string_view file = text;
    const Error e = thrownBy([&] { (void)StationRegister::parse(file, "reg.csv"); });
    EXPECT_EQ(e.kind(), ErrorKind::Conversion) << text;
    EXPECT_TRUE(e.description().starts_with(where)) << e.description();
  }
}

}  // namespace
}  // namespace ostrilo

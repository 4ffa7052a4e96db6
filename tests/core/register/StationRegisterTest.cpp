#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/register/Coordinates.h"
#include "core/register/StationRegister.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo {
namespace {

using test::thrownBy;

// Neither file has a name column: Berlin's names come from its location, the other's from its
// description, and the summary says so and lists the table's stations it lacks once.
TEST(StationRegister, RealRegistersKeepEveryStationAndItsColumns) {
  const struct {
    const char* file;
    std::size_t stations;
    std::vector<std::string> extras;
    std::string station, location, name, summary;
  } cases[] = {{"berlin-2023/stations.csv",
                232,
                {"source_id"},
                "B002",
                "A115, AS Spanische Allee – Brücke, towards AD Funkturm (Nordost); WGS84 "
                "52.433813 13.192747",
                "A115, AS Spanische Allee – Brücke, towards AD Funkturm (Nordost); WGS84 "
                "52.433813 13.192747",
                "Register: 232 stations, names from location; 1 of the table's stations not in "
                "it: X9"},
               {"stations.csv",
                288,
                {"source", "source_id", "description", "weeks"},
                "5672",
                "2022-01-10 2022-01-17",
                "Convention (Convention-Blomet -> Lecourbe-Convention)",
                "Register: 288 stations, names from description; 1 of the table's stations not "
                "in it: X9"}};
  for (const auto& c : cases) {
    const auto reg = StationRegister::load(std::string(OSTRILO_REALDATA_DIR) + "/" + c.file);
    EXPECT_EQ(reg.entries().size(), c.stations);
    EXPECT_EQ(reg.extraColumns(), c.extras);
    const StationEntry* entry = reg.find(c.station);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(reg.hasColumn("location") ? entry->location : entry->extra.back(), c.location);
    EXPECT_EQ(reg.displayText(c.station), c.station + "  " + c.name);
    const std::vector<std::string> table{c.station, "X9", "X9"};
    EXPECT_EQ(registerSummary(reg, table), c.summary);
  }
}

// A sparse gibibyte with a bad header is refused at its header, with a good one at its size,
// either way after reading little of it.
TEST(StationRegister, AHugeFileIsRefusedAtItsHeaderOrItsSize) {
  test::ScratchDir dir;
  for (const auto& [header, start] :
       {std::pair("id,name\n", "the header has no \"station\" column"),
        std::pair("station,name\n", "the register is larger than 64 MiB")}) {
    const std::string path = dir.write("huge.csv", header);
    std::error_code err;
    std::filesystem::resize_file(path, std::uintmax_t{1} << 30, err);
    if (err) GTEST_SKIP() << "no sparse files here: " << err.message();
    const auto begin = std::chrono::steady_clock::now();
    const Error e = thrownBy([&] { (void)StationRegister::load(path); });
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(2));
    EXPECT_NE(e.description().find(start), std::string::npos) << e.description();
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
  // Lone CR ends a line as LF and CR LF do, and stays within quotes.
  const auto mac = StationRegister::parse("station,name\rA,\"x\ry\"\rB,z\r\nC,w", "mac.csv");
  ASSERT_EQ(mac.entries().size(), 3u);
  EXPECT_EQ(mac.name("A"), "x\ry");
  EXPECT_EQ(mac.name("C"), "w");
  EXPECT_EQ(reg.extraColumns(), std::vector<std::string>{"note"});
  EXPECT_EQ(reg.find("0301")->extra[0], "said \"closed\"\r\nin May");
  EXPECT_EQ(reg.find("0301")->latitude, 52.5);
  EXPECT_FALSE(reg.find("B7")->latitude);
  EXPECT_EQ(reg.displayText("0301"), "0301  Main St, north");
  EXPECT_EQ(reg.displayText("B7"), "B7");
  EXPECT_EQ(reg.displayText("301"), "301");
  // The poles and the date line are on the map.
  const auto edges = StationRegister::parse(
      "station,latitude,longitude,location\nN,-90,180,\nS,,,WGS84 90 -180\nX,,,WGS84 90.1 0\n"
      "E,,,WGS84 -90 180\n",
      "r.csv");
  EXPECT_EQ(edges.find("N")->longitude, 180);
  const std::optional<Coordinates> pole = stationCoordinates(*edges.find("S"));
  ASSERT_TRUE(pole);
  EXPECT_EQ(pole->latitude, 90);
  EXPECT_EQ(pole->longitude, -180);
  EXPECT_FALSE(stationCoordinates(*edges.find("X")));
  EXPECT_EQ(stationCoordinates(*edges.find("E")).value_or(Coordinates{}).longitude, 180);
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
       "reg.csv, line 2: the text is not UTF-8"},
      {"station,name\n\nA,\xF4\x90\x80\x80\n", "reg.csv, line 3: the text is not UTF-8"}};
  for (const auto& c : cases) {
    const Error e = thrownBy([&] { (void)StationRegister::parse(c.first, "reg.csv"); });
    EXPECT_EQ(e.kind(), ErrorKind::Conversion) << c.first;
    EXPECT_TRUE(e.description().starts_with(c.second)) << e.description();
  }
}

// 23 of the table's stations are lacking, once each however often the table names them: 20
// listed, 3 more.
TEST(StationRegister, SummaryCountsTheLackingStationsBeyondTheListed) {
  const StationRegister reg = StationRegister::parse("station,name\nA,Main St\n", "r.csv");
  std::vector<std::string> table{"A", "X1", "X1"};
  for (int i = 2; i <= 23; ++i) table.push_back("X" + std::to_string(i));
  const std::string summary = registerSummary(reg, table);
  EXPECT_TRUE(
      summary.starts_with("Register: 1 station, names from name; 23 of the table's "
                          "stations not in it: X1, X2, "))
      << summary;
  EXPECT_TRUE(summary.ends_with(", X19, X20 and 3 more")) << summary;
}

}  // namespace
}  // namespace ostrilo

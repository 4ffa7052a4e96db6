#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "core/annual/AnnualFigures.h"
#include "core/checks/DataChecks.h"
#include "core/commands/Commands.h"
#include "core/export/GeoJson.h"
#include "core/export/SqliteExport.h"
#include "core/register/StationRegister.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo {
namespace {

using test::ScratchDir;

// The first column of every row a query answers, as text.
std::vector<std::string> query(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  std::vector<std::string> rows;
  const auto collect = [](void* out, int, char** values, char**) {
    static_cast<std::vector<std::string>*>(out)->push_back(values[0] != nullptr ? values[0]
                                                                                : "NULL");
    return 0;
  };
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), collect, &rows, nullptr), SQLITE_OK)
      << sqlite3_errmsg(db);
  sqlite3_close(db);
  return rows;
}

using Rows = std::vector<std::string>;

// 0301 counted in full on the 17th and in the morning of the 18th, 0302 a day of zeros, 0303 a
// day whose morning is all zeros: complete and counted, but no valid day.
TEST(SqliteExport, SchemaAndContentReadBackThroughTheLibrary) {
  const ScratchDir dir;
  const std::vector<std::string> files{dir.write(
      "ATR.dat", test::countFile({test::countLine('1', "041717", "0301", test::rising(1)),
                                  test::countLine('2', "041717", "0301", test::rising(13)),
                                  test::countLine('1', "041817", "0301", test::rising(100, 0)),
                                  test::countLine('1', "041717", "0302", test::rising(0, 0)),
                                  test::countLine('2', "041717", "0302", test::rising(0, 0)),
                                  test::countLine('1', "041717", "0303", test::rising(0, 0)),
                                  test::countLine('2', "041717", "0303", test::rising(50, 0))}))};
  ATRTable table;
  ASSERT_TRUE(FillFromCountFiles(table, files, FillMode::Build));
  const StationRegister reg = StationRegister::parse(
      "station,name,location,zone\n0301,Main St,\"north; WGS84 52.5 13.25\",A\n", "r.csv");
  const std::string db = dir.file("out.db");
  writeSqliteDatabase(db, table, runDataChecks(table), &reg);

  EXPECT_EQ(query(db,
                  "select type || ' ' || name from sqlite_master where name not like "
                  "'sqlite_%' order by name"),
            (Rows{"table annual", "view daily_complete", "table days", "table flags",
                  "index flags_station_date", "table hours", "table stations"}));
  EXPECT_EQ(query(db, "select sum(volume) from hours"),
            Rows{"2100"});  // 300 + 12 x 100 + 0 + 12 x 50
  EXPECT_EQ(query(db,
                  "select date || ' ' || total || ' ' || counted_hours || ' ' || complete || "
                  "valid from days where station = '0301' order by date"),
            (Rows{"2017-04-17 300 24 11", "2017-04-18 1200 12 00"}));
  EXPECT_EQ(query(db, "select station || ' ' || valid from daily_complete order by station"),
            (Rows{"0301 1", "0302 0", "0303 0"}));
  EXPECT_EQ(query(db,
                  "select name || ' ' || latitude || ' ' || longitude || ' ' || zone from "
                  "stations where id = '0301'"),
            Rows{"Main St 52.5 13.25 A"});
  EXPECT_EQ(query(db,
                  "select code || ' ' || severity || ' ' || date from flags where station = "
                  "'0302' group by code order by code"),
            (Rows{"MISSING_WEEKDAY W 2017-04", "ZERO_DAY C 2017-04-17"}));
  EXPECT_EQ(query(db,
                  "select station || ' ' || year || ' ' || valid_days from annual "
                  "order by station"),
            (Rows{"0301 2017 1", "0302 2017 0", "0303 2017 0"}));
  EXPECT_EQ(query(db, "pragma integrity_check"), Rows{"ok"});
}

// A point per station the register places, at [longitude, latitude]; figures as numbers, n/a
// as null, texts as JSON strings with quotes and control characters escaped.
TEST(GeoJson, PointsCarryTheAnnualColumnsAndTheRegistersName) {
  StationYear placed;
  placed.station = "0301";
  placed.year = 2023;
  placed.validDays = 3;
  placed.adt = 1234.4;
  StationYear unplaced = placed;
  unplaced.station = "X1";
  const StationRegister reg = StationRegister::parse(
      "station,name,latitude,longitude\n0301,\"Main \"\"St\"\" \xC3\xBC\x01\",52.5,-13.25\nX1,,,\n",
      "r.csv");
  const AnnualGeoJson json = annualGeoJson({placed, unplaced}, reg);
  EXPECT_EQ(json.withoutPoint, std::vector<std::string>{"X1"});
  EXPECT_EQ(
      json.text,
      "{\"type\":\"FeatureCollection\",\"features\":[\n{\"type\":\"Feature\",\"geometry\":{"
      "\"type\":\"Point\",\"coordinates\":[-13.250000,52.500000]},\"properties\":{\"station\":"
      "\"0301\",\"year\":2023,\"valid_days\":3,\"adt\":1234,\"aadt\":null,\"cells\":0,\"v30\":"
      "null,\"k30_pct\":null,\"v100\":null,\"k100_pct\":null,\"wd_am_peak_hour\":null,"
      "\"wd_am_peak_volume\":null,\"wd_am_peak_pct\":null,\"wd_pm_peak_hour\":null,"
      "\"wd_pm_peak_volume\":null,\"wd_pm_peak_pct\":null,\"name\":\"Main \\\"St\\\" "
      "\xC3\xBC\\u0001\"}}\n]}\n");
}

}  // namespace
}  // namespace ostrilo

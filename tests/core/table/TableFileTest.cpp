#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "core/table/ATRTable.h"
#include "core/table/TableFile.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo::test {
namespace {

using namespace std::string_literals;

std::string le(std::uint64_t v, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  return out;
}
std::string u32(std::uint32_t v) { return le(v, 4); }
std::string f64(double v) { return le(std::bit_cast<std::uint64_t>(v), 8); }

// Dates 4, 5 and 2 July 2003, stations BBBB and AAAA, `records` records of distinct volumes.
// Record 2 starts at byte 36, its first name's length at 48, record 3 at 60 and its bound
// entries at 64 and 72.
std::string tableBytes(std::size_t records = 7, std::vector<std::string> names = {"BBBB", "AAAA"},
                       std::vector<DateNumber> dates = {37806, 37807, 37804}) {
  std::vector<std::int16_t> volumes(records * 24);
  for (std::size_t i = 0; i < volumes.size(); ++i) volumes[i] = static_cast<std::int16_t>(i - 99);
  return encodeTableFile(dates, names, volumes);
}

std::string patched(std::size_t at, const std::string& bytes) {
  return tableBytes().replace(at, bytes.size(), bytes);
}

// The counted-hours record after tableBytes(): 12 bytes of header, then one mask per record.
std::string withCounted(std::vector<HourMask> masks = std::vector<HourMask>(7, 0x000FFF)) {
  return tableBytes() + encodeCountedHours(masks);
}
std::string countedPatched(std::size_t at, const std::string& bytes) {
  return withCounted().replace(tableBytes().size() + at, bytes.size(), bytes);
}

class TableFileTest : public ::testing::Test {
 protected:
  void buildTwoByThree() {
    std::string text;
    for (const char* date : {"070403", "070503", "070203"}) {
      text += countFile({countLine('1', date, "BBBB", rising(10)),
                         countLine('2', date, "AAAA", rising(1000, 7))});
    }
    table.setInFile(dir.write("in.dat", text));
    table.BuildTable();
  }

  test::ScratchDir dir;
  ATRTable table;
};

TEST_F(TableFileTest, SavedRecordsHaveTheDocumentedLayout) {
  buildTwoByThree();
  table.SaveToFile(dir.file("t.cont"));
  const std::string b = test::readBytes(dir.file("t.cont"));
  ASSERT_EQ(b.size(), 36u + 12 + 6 * 2 + 356 + 12 + 7 * 4);
  EXPECT_EQ(b.substr(0, 12), "\x07\x20\x01\x00"s + u32(3) + u32(0));
  EXPECT_EQ(b.substr(12, 24), f64(37806) + f64(37807) + f64(37804));
  EXPECT_EQ(b.substr(36, 24),
            "\x08\x20\x01\x00"s + u32(2) + u32(0) + le(4, 2) + "BBBB" + le(4, 2) + "AAAA");
  EXPECT_EQ(b.substr(60, 20), "\x02\x20\x02\x00"s + u32(24) + u32(0) + u32(7) + u32(0));
  std::vector<std::int16_t> volumes(7 * 24);
  std::memcpy(volumes.data(), b.data() + 80, volumes.size() * 2);
  EXPECT_EQ(volumes, table.volumeArray());
  EXPECT_EQ(volumes[24 + 12], 1000);  // record 1 = AAAA on the first date, hour 12
  EXPECT_EQ(b.substr(416, 20),
            "\x03\x20\x01\x00"s + u32(7) + u32(0) + u32(0x000FFF) + u32(0xFFF000));
  EXPECT_EQ(b.substr(436 + 16), u32(0));  // the spare record was never counted
}

// Files written before counted hours were kept: a record of zeros was not counted, any other
// fully. Saved again, they carry what was derived.
TEST_F(TableFileTest, FilesWithoutCountedHoursDeriveThem) {
  const std::string data = OSTRILO_SOURCE_DIR "/tests/data/tables/";
  table.LoadFromFile(data + "legacy-gaps.cont");
  ASSERT_EQ(table.Count(), 4);
  EXPECT_EQ(snapshot(table).counted, (std::vector<HourMask>{kAllHours, kAllHours, kAllHours, 0}));
  EXPECT_EQ(table.CompleteDailyVol(0, 1), 7);
  table.SaveToFile(dir.file("again.cont"));
  ATRTable again;
  again.LoadFromFile(dir.file("again.cont"));
  test::expectSame(snapshot(table), snapshot(again));
  again.LoadFromFile(data + "legacy-week.cont");
  EXPECT_EQ(again.StaCount() * again.DateCount(), 7);
  EXPECT_EQ(again.CompleteDailyVol(0, 0), 88022);
}

// A table without records has no buffers to write from or read into.
TEST_F(TableFileTest, AnEmptyTableSavesAndLoadsInPlaceOfAFilledOne) {
  table.SaveToFile(dir.file("empty.cont"));
  buildTwoByThree();
  table.LoadFromFile(dir.file("empty.cont"));
  EXPECT_EQ(table.StaCount() + table.DateCount() + table.Count(), 0);
}

std::string tooManyPairs() {  // 46,341 x 46,341 pairs pass 2^31 - 2
  std::vector<std::string> names;
  std::vector<DateNumber> dates;
  for (int i = 0; i < 46341; ++i) names.push_back(std::to_string(i));
  for (int i = 0; i < 46341; ++i) dates.push_back(day(2001, 1, 1) + i);
  return encodeTableFile(dates, names, {});
}

struct FileCase {
  const char* name;
  std::string bytes;
  ErrorKind kind;
  const char* names = "bad.cont";  // what the description must mention
};

const FileCase kFiles[] = {
    {"DateTag", patched(0, "\x05\x20"), ErrorKind::BadTableFile},
    {"NameDims", patched(38, std::string(1, '\0')), ErrorKind::BadTableFile},
    {"NoHourDimension", patched(64, u32(12) + u32(0) + u32(14)), ErrorKind::BadTableFile},
    {"HugeDateCount", patched(4, u32(0xFFFFFFFF)), ErrorKind::BadTableFile},
    {"FourBillionDatesInTwentyBytes", "\x07\x20\x01\x00"s + u32(0xFFFFFFFF) + u32(0) + f64(1),
     ErrorKind::BadTableFile},
    {"HugeNameLength", patched(48, "\xFF\xFF"), ErrorKind::BadTableFile},
    {"HugeRecordCount", patched(72, u32(0xFFFFFFFF)), ErrorKind::BadTableFile},
    {"NaNDate", patched(20, f64(std::numeric_limits<double>::quiet_NaN())),
     ErrorKind::BadTableFile},
    {"DateAfterYear9999", patched(20, f64(kDateNumberEnd)), ErrorKind::BadTableFile},
    {"DateBeforeYear100", patched(20, f64(kFirstDateNumber - 1)), ErrorKind::BadTableFile},
    {"DuplicateName", patched(56, "BBBB"), ErrorKind::BadTableFile},
    {"FewerRecordsThanPairs", tableBytes(5), ErrorKind::OutOfRange},
    {"TooManyPairs", tooManyPairs(), ErrorKind::Overflow},
    {"CountedCountIsNotR", countedPatched(4, u32(6)), ErrorKind::BadTableFile, "record 4"},
    {"CountedHourPast23", countedPatched(12 + 4 * 6, u32(0x1000000)), ErrorKind::BadTableFile,
     "record 4"},
    {"CountedTruncated", withCounted().substr(0, withCounted().size() - 1), ErrorKind::BadTableFile,
     "record 4"},
    {"TimeOfDay", patched(20, f64(37806.5)), ErrorKind::BadTableFile,
     "date 2 of record 1 (37806.5"}};

// A hostile file is rejected quickly; loading it leaves a filled table exactly as it was and the
// description names the file by its base name.
TEST_F(TableFileTest, HostileFilesAreRejectedCleanly) {
  table.setInFile(dir.write("in.dat", countFile({countLine('1', "070403", "KEEP", rising(9))})));
  table.BuildTable();
  const auto before = snapshot(table);
  for (const FileCase& c : kFiles) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.write("bad.cont", c.bytes);
    const auto start = std::chrono::steady_clock::now();
    const Error e = thrownBy([&] { table.LoadFromFile(path); });
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(e.kind(), c.kind);
    EXPECT_NE(e.description().find("bad.cont"), std::string::npos) << e.description();
    EXPECT_NE(e.description().find(c.names), std::string::npos) << e.description();
    EXPECT_EQ(e.description().find(dir.path().string()), std::string::npos) << e.description();
    test::expectSame(before, snapshot(table));
  }
}

TEST(TableFileFormat, EveryTruncationIsRejectedAndTheEdgesAreGood) {
  const std::string whole = withCounted();
  for (std::size_t n = 0; n < whole.size(); ++n) {
    // Three records (a file of before counted hours), then too little to start a fourth.
    if (n >= tableBytes().size() && n < tableBytes().size() + 4) continue;
    EXPECT_EQ(thrownBy([&] { (void)decodeTableFile(whole.substr(0, n), "t.cont"); }).kind(),
              ErrorKind::BadTableFile)
        << "cut at " << n;
  }
  // Trailing bytes after the third or fourth record, the record dimension first and any lower
  // bounds are good.
  for (const std::string& bytes :
       {withCounted() + std::string("\x07\x20junk\0", 7), tableBytes() + "\x03",
        countedPatched(0, "\x02\x20"), countedPatched(2, "\x02"),
        patched(64, u32(7) + u32(0) + u32(24)),
        patched(8, u32(1))
            .replace(44, 4, u32(-5))
            .replace(68, 4, u32(3))
            .replace(76, 4, u32(-2))}) {
    const TableFileContent content = decodeTableFile(bytes, "t.cont");
    EXPECT_EQ(content.dates.values(), (std::vector<DateNumber>{37806, 37807, 37804}));
    EXPECT_EQ(content.names.values(), (std::vector<std::string>{"BBBB", "AAAA"}));
    EXPECT_EQ(content.volumes, decodeTableFile(tableBytes(), "t").volumes);
  }
  const std::vector<DateNumber> edges{kFirstDateNumber, kDateNumberEnd - 1, 41195};
  EXPECT_EQ(
      decodeTableFile(tableBytes(7, {"", std::string("\0\xFF", 2)}, edges), "t").dates.values(),
      edges);
}

// A sparse file of a tebibyte: more than any machine this runs on can hold, yet no disk space.
TEST_F(TableFileTest, ATableLargerThanMemoryIsRefusedBeforeItIsRead) {
  buildTwoByThree();
  const auto before = snapshot(table);
  const std::string path = dir.write("huge.cont", tableBytes());
  std::error_code err;
  std::filesystem::resize_file(path, std::uintmax_t{1} << 40, err);
  if (err) GTEST_SKIP() << "no sparse files here: " << err.message();
  const Error e = thrownBy([&] { table.LoadFromFile(path); });
  EXPECT_EQ(e.kind(), ErrorKind::OutOfMemory);
  EXPECT_TRUE(e.description().starts_with(
      "not enough memory for a table of 22906492245 records (needs 2.4 TB, "))
      << e.description();
  test::expectSame(before, snapshot(table));
}

}  // namespace
}  // namespace ostrilo::test

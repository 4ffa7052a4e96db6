#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "core/table/ATRTable.h"
#include "core/table/CountFileReader.h"
#include "core/table/TableFile.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo::test {
namespace {

HourlyVolumes wholeDay(const Twelve& first, const Twelve& second = {}) {
  HourlyVolumes v{};
  for (std::size_t k = 0; k < 12; ++k) {
    v[k] = static_cast<std::int16_t>(first[k]);
    v[k + 12] = static_cast<std::int16_t>(second[k]);
  }
  return v;
}

// Stations BBBB, AAAA over 4, 5, then 2 July 2003 (last although earliest); line n holds
// 75 n + hour, telling every line apart.
std::string twoStationsThreeDates() {
  std::string text;
  for (const char* date : {"070403", "070503", "070203"}) {
    for (const char* name : {"BBBB", "AAAA"}) {
      for (char half : {'1', '2'}) {
        text += countLine(half, date, name, rising(static_cast<int>(text.size()))) + "\r\n";
      }
    }
  }
  return text;
}

// max(stations, dates) lines; line i covers date i % dates and station i % stations.
std::string crossFile(int stations, int dates) {
  std::string text;
  for (int i = 0; i < std::max(stations, dates); ++i) {
    const CivilDate c = civilFromDate(day(2001, 1, 1) + i % dates);
    char date[16], name[16];
    std::snprintf(date, sizeof date, "%02d%02d%02d", c.month, c.day, c.year % 100);
    std::snprintf(name, sizeof name, "%04d", i % stations);
    text += countLine('1', date, name, rising(1)) + "\n";
  }
  return text;
}

class ATRTableTest : public ::testing::Test {
 protected:
  void fill(bool adding, std::string_view text) {
    table.setInFile(dir.write("in.dat", text));
    EXPECT_FALSE(adding ? table.AddToTable() : table.BuildTable());
  }
  void build(std::string_view text) { fill(false, text); }
  void add(std::string_view text) { fill(true, text); }
  std::int32_t total(DateNumber date, std::string_view name) const {
    return table.DailyVolByIndex(table.ulstDate().Index(date), table.ulstName().Index(name));
  }
  void expectTotalsMatchVolumes() const {
    for (std::int32_t d = 0; d < table.DateCount(); ++d) {
      for (std::int32_t s = 0; s < table.StaCount(); ++s) {
        ASSERT_EQ(table.DailyVolByIndex(d, s), sum(table.VolArrByIndex(d, s))) << d << "," << s;
      }
    }
  }

  test::ScratchDir dir;
  ATRTable table;
};

TEST_F(ATRTableTest, BuildLaysRecordsOutDateByDateInOrderOfAppearance) {
  build(twoStationsThreeDates());
  EXPECT_EQ(table.Count(), 7);
  EXPECT_EQ(table.StaNamebyIndex(0), "BBBB");
  EXPECT_EQ(table.DatebyIndex(2), day(2003, 7, 2));
  for (int n = 0; n < 12; ++n) {  // date n / 4, station n / 2 % 2, half n % 2
    const std::size_t at = 24 * (2 * (n / 4) + n / 2 % 2) + 12 * (n % 2);
    EXPECT_EQ(table.volumeArray()[at + 11], 75 * n + 11) << n;
  }
  expectTotalsMatchVolumes();
  EXPECT_EQ(table.VolArrByIndex(3, 0), HourlyVolumes{});  // the spare record
  EXPECT_EQ(thrownBy([&] { (void)table.VolArrByIndex(3, 1); }).kind(), ErrorKind::OutOfRange);
  EXPECT_EQ(thrownBy([&] { (void)table.VolArr(day(2003, 7, 2), "aaaa"); }).kind(),
            ErrorKind::OutOfRange);
  EXPECT_EQ(table.MainIndex(1073741823, 1), 2147483647);
  EXPECT_EQ(thrownBy([&] { (void)table.MainIndex(1073741823, 2); }).kind(), ErrorKind::Overflow);
}

TEST_F(ATRTableTest, TheLaterLineOfAHalfWins) {
  build(countFile({countLine('1', "070403", "0301", rising(1)),
                   countLine('2', "070403", "0301", rising(50)),
                   countLine('1', "070403", "0301", rising(900))}));
  EXPECT_EQ(table.VolArrByIndex(0, 0), wholeDay(rising(900), rising(50)));
}

TEST_F(ATRTableTest, LineEndsDoNotChangeTheTable) {
  const std::string a = countLine('1', "070403", "0301", rising(1));
  const std::string b = countLine('2', "070403", " 301", rising(2));
  const std::string c = countLine('1', "070503", "0301", rising(3));
  build(a + "\r\n" + b + "\r\n" + c + "\r\n");
  const auto crlf = snapshot(table);
  EXPECT_EQ(table.StaCount(), 2);  // " 301" is not 0301
  for (const std::string& text : {a + "\n" + b + "\n" + c + "\n", a + "\r\n" + b + "\n" + c,
                                  a + "\r" + b + "\r" + c + "\r"}) {  // the last: old Mac files
    build(text);
    test::expectSame(crlf, snapshot(table));
  }
}

// 300 stations x a year, past every limit that 16-bit indexes set, by every route.
TEST_F(ATRTableTest, AYearOfHundredsOfStationsBuildsAddsSavesAndLoads) {
  build(crossFile(300, 200));
  add(crossFile(300, 366));
  EXPECT_EQ(table.Count(), 300 * 366 + 1);
  EXPECT_EQ(table.DailyVolByIndex(365, 65), sum(wholeDay(rising(1))));
  EXPECT_EQ(table.CountedHours(365, 65), 0x000FFFu);
  EXPECT_EQ(table.CountedHours(365, 66), 0u);
  auto saved = snapshot(table);
  table.SaveToFile(dir.file("year.cont"));
  table.LoadFromFile(dir.file("year.cont"));
  saved.lngLast = 300 * 366 - 1;
  test::expectSame(saved, snapshot(table));
}

// A file of a few of the held stations over many dates, date by date: the room laid out for
// the held stations is given back once the dates outgrow what the file can hold.
TEST_F(ATRTableTest, AddingFewStationsOverManyDatesKeepsEveryLine) {
  build(crossFile(50, 1));
  std::string text;
  for (int d = 0; d < 40; ++d) {
    const CivilDate c = civilFromDate(day(2001, 2, 1) + d);
    char date[16], name[16];
    std::snprintf(date, sizeof date, "%02d%02d%02d", c.month, c.day, c.year % 100);
    for (int s = 0; s < 9; ++s) {
      std::snprintf(name, sizeof name, "X%03d", s);
      text += countLine('1', date, name, rising(100 * d + s)) + "\n";
    }
  }
  add(text);
  ASSERT_EQ(table.StaCount(), 59);
  ASSERT_EQ(table.DateCount(), 41);
  for (int d = 0; d < 40; ++d) {
    for (int s = 0; s < 9; ++s) {
      const auto v = table.VolArrByIndex(d + 1, 50 + s);
      ASSERT_EQ(v[0], 100 * d + s) << d << "," << s;
      ASSERT_EQ(v[11], 100 * d + s + 11) << d << "," << s;
    }
    ASSERT_EQ(table.CountedHours(d + 1, 49), 0u);
  }
  expectTotalsMatchVolumes();
}

TEST_F(ATRTableTest, AddingReLaysOutEveryPairAndOverwritesOnlyTheLinesHalf) {
  build(countFile({countLine('1', "070403", "AAAA", rising(10)),
                   countLine('2', "070403", "BBBB", rising(20)),
                   countLine('1', "070503", "AAAA", rising(30)),
                   countLine('2', "070503", "AAAA", rising(35))}));
  add(countFile({countLine('1', "070603", "CCCC", rising(40)),
                 countLine('1', "070503", "AAAA", rising(900)),
                 countLine('2', "070403", "AAAA", rising(50))}));
  ASSERT_EQ(table.StaCount(), 3);
  ASSERT_EQ(table.DateCount(), 3);
  EXPECT_EQ(table.lngLast(), 9);
  EXPECT_EQ(table.VolArr(day(2003, 7, 4), "AAAA"), wholeDay(rising(10), rising(50)));
  EXPECT_EQ(table.VolArr(day(2003, 7, 4), "BBBB"), wholeDay({}, rising(20)));
  EXPECT_EQ(table.VolArr(day(2003, 7, 4), "CCCC"), HourlyVolumes{});
  EXPECT_EQ(table.VolArr(day(2003, 7, 5), "AAAA"), wholeDay(rising(900), rising(35)));
  EXPECT_EQ(table.VolArr(day(2003, 7, 5), "BBBB"), HourlyVolumes{});
  EXPECT_EQ(table.VolArr(day(2003, 7, 6), "CCCC"), wholeDay(rising(40)));
  expectTotalsMatchVolumes();
  // What was counted moves with its pair, and a half counted again stays counted.
  const auto counted = [&](std::int32_t d, std::int32_t s) { return table.CountedHours(d, s); };
  EXPECT_EQ(counted(0, 0), kAllHours);
  EXPECT_EQ(counted(0, 1), 0xFFF000u);
  EXPECT_EQ(counted(0, 2), 0u);
  EXPECT_EQ(counted(2, 2), 0x000FFFu);
  EXPECT_EQ(std::pair(table.IsComplete(1, 0), table.IsComplete(0, 1)), std::pair(true, false));
}

struct FailureCase {
  const char* name;
  std::string text;  // written to bad.dat; "-" means the file is not there
  ErrorKind kind;
  const char* descriptionStart;  // "" where the wording is the system's
};

// Each bad file brings a new station and date before it fails.
std::string goodStart() { return countLine('1', "010199", "NEW1", rising(1)) + "\r\n"; }
const std::string longest = std::string(kMaxLineBytes, ' ') + "\r\n";

const FailureCase kFailures[] = {
    {"MissingFile", "-", ErrorKind::FileNotFound, ""},
    {"BadVolume", goodStart() + "\r\n" + test::overwrite(goodStart(), 29, " 12a4"),
     ErrorKind::Conversion, "bad.dat, line 3, volume field 4"},
    {"LineTooLong", goodStart() + std::string(kMaxLineBytes + 1, ' ') + "\n", ErrorKind::Overflow,
     "bad.dat, line 2, the line is longer than 65536 bytes"},
    {"NoLineEndAtAll", std::string(3 * kMaxLineBytes, ' '), ErrorKind::Overflow,
     "bad.dat, line 1, the line is longer"},
    // Line 4, of the longest length, ends in the CR that is the last byte of the reader's first
    // block; its LF begins the second.
    {"CrLfAcrossBlocks",
     longest + longest + std::string(kMaxLineBytes - 7, ' ') + "\r\n" + longest + goodStart() +
         "x\r\n",
     ErrorKind::Conversion, "bad.dat, line 6, half-day digit"},
    {"Folder", "<folder>", ErrorKind::Io, ""},
    {"Fifo", "<fifo>", ErrorKind::Io, "Cannot read"},
    {"Device", "<device>", ErrorKind::Io, "Cannot read \"/dev/zero\": it is a device"}};

// A file in the place of bad.dat: missing, a folder, a FIFO, a device or the given text.
std::string badFile(const test::ScratchDir& dir, const std::string& text) {
  if (text == "-") return dir.file("bad.dat");
  if (text == "<folder>") {
    std::filesystem::create_directory(dir.file("bad.dat"));
    return dir.file("bad.dat");
  }
  if (text == "<fifo>") {
    if (::mkfifo(dir.file("bad.dat").c_str(), 0600) != 0) ADD_FAILURE() << "mkfifo";
    return dir.file("bad.dat");
  }
  if (text == "<device>") return "/dev/zero";
  return dir.write("bad.dat", text);
}

TEST(FailedFill, LeavesTheTableAsItWas) {
  for (int n = 0; n < 2 * std::ssize(kFailures); ++n) {
    const FailureCase& c = kFailures[n / 2];
    const bool adding = n % 2 == 1;
    SCOPED_TRACE(std::string(c.name) + (adding ? ", adding" : ", building"));
    test::ScratchDir dir;
    ATRTable table;
    table.setInFile(dir.write("good.dat", twoStationsThreeDates()));
    table.BuildTable();
    const auto before = snapshot(table);
    table.setInFile(badFile(dir, c.text));
    const Error e = thrownBy([&] { adding ? table.AddToTable() : table.BuildTable(); });
    EXPECT_EQ(e.kind(), c.kind);
    EXPECT_TRUE(e.description().starts_with(c.descriptionStart)) << e.description();
    table.setInFile(before.inFile);
    test::expectSame(before, snapshot(table));
  }
}

std::int64_t dataSegmentBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmData:")) return std::stoll(line.substr(7)) * 1024;
  }
  return 0;
}

// 3,000 lines of one station on new dates, added to a table of 3,000 stations, ask for 9
// million records (504 MB); under a data limit 64 MB above what the process uses, the guard
// refuses them before anything is allocated and the table stays.
TEST(MemoryGuard, ComparesWithWhatTheProcessMayGet) {
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
  GTEST_SKIP() << "the sanitizer's own mappings count against the data limit";
#endif
#endif
  test::ScratchDir dir;
  ATRTable table;
  table.setInFile(dir.write("wide.dat", crossFile(3000, 1)));
  table.BuildTable();
  const auto before = snapshot(table);
  table.setInFile(dir.write("long.dat", crossFile(1, 3000)));
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const auto limit = static_cast<rlim_t>(dataSegmentBytes() + (std::int64_t{64} << 20));
    const rlimit data{limit, limit};
    if (::setrlimit(RLIMIT_DATA, &data) != 0) ::_exit(2);
    const Error e = thrownBy([&] { table.AddToTable(); });
    table.setInFile(before.inFile);
    const bool same = snapshot(table) == before;
    const bool told = e.description().starts_with(
        "not enough memory for a table of 9000001 records (needs 504.0 MB, ");
    if (!told) std::fprintf(stderr, "%s\n", e.description().c_str());
    ::_exit(e.kind() == ErrorKind::OutOfMemory && told && same ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_EQ(status, 0);
}

// Two New York weeks sharing five stations; the daily totals were checked by hand.
TEST_F(ATRTableTest, RealCountsGiveTheCheckedTotals) {
  EXPECT_EQ(test::tableOfFiles(OSTRILO_REALDATA_DIR, {"ATR20121013w2.dat"}).Count(), 173 * 7 + 1);
  table = test::tableOfFiles(OSTRILO_REALDATA_DIR, {"ATR20121013w2.dat", "ATR20121020w3.dat"});
  EXPECT_EQ(table.StaCount(), 284);
  EXPECT_EQ(table.DateCount(), 14);
  EXPECT_EQ(total(day(2012, 10, 13), "1130"), 8188);
  EXPECT_EQ(total(day(2012, 10, 26), "1130"), 9091);
  EXPECT_EQ(total(day(2012, 10, 20), "1013"), 8934);
  EXPECT_EQ(total(day(2012, 10, 13), "1001"), 5376);
  EXPECT_EQ(total(day(2012, 10, 19), "1284"), 93149);
  EXPECT_EQ(total(day(2012, 10, 20), "1001"), 0);
  expectTotalsMatchVolumes();
}

}  // namespace
}  // namespace ostrilo::test

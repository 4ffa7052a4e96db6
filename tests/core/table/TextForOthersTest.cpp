// Text that leaves the program for someone else's screen or spreadsheet: names in messages and
// text fields in CSV files.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "core/table/CsvField.h"
#include "core/table/Error.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo {
namespace {

using Case = std::pair<std::string, std::string>;  // in, out

TEST(EscapeName, ControlCharactersAndBrokenBytesBecomeEscapes) {
  const Case cases[] = {
      {"ATR2017.dat", "ATR2017.dat"},
      {"l1\nl2\r\t\x7f", "l1\\nl2\\r\\t\\x7F"},
      {"back\\slash", "back\\\\slash"},
      {"Z\xC3\xBCrich \xE2\x82\xAC", "Z\xC3\xBCrich \xE2\x82\xAC"},  // UTF-8 stays
      {"c1\xC2\x9B", "c1\\u{009B}"},
      {"rtl\xE2\x80\xAEtxt.exe", "rtl\\u{202E}txt.exe"},
      {"latin1 \xFC, cut \xE2\x82, overlong \xC0\xAF",
       "latin1 \\xFC, cut \\xE2\\x82, overlong \\xC0\\xAF"}};
  for (const auto& [in, out] : cases) EXPECT_EQ(escapeName(in), out) << in;
  // A quoted value also escapes its quotes, and every byte above ASCII.
  EXPECT_EQ(quoteForMessage("a\"b\\\t\xC3\xBC"), "\"a\\\"b\\\\\\t\\xC3\\xBC\"");
  EXPECT_EQ(systemError(ENOENT, "Cannot open", "a\x1b[2J").description(),
            "Cannot open \"a\\x1B[2J\": No such file or directory");
  // Messages about a file's content name it too.
  const test::ScratchDir dir;
  ATRTable table;
  table.setInFile(dir.write("\x1b[2J.dat", "junk\n"));
  EXPECT_TRUE(test::thrownBy([&] { table.BuildTable(); }).description().starts_with("\\x1B[2J"));
}

TEST(CsvField, QuotesWhatCsvNeedsAndDisarmsFormulas) {
  const Case cases[] = {{"0301", "0301"},
                        {"", ""},
                        {"a,\"b", "\"a,\"\"b\""},
                        {"two\nlines", "\"two\nlines\""},
                        {"x=1+2", "x=1+2"},
                        {"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\""},
                        {"+1", "\"'+1\""},
                        {"-2", "\"'-2\""},
                        {"@SUM(A1)", "\"'@SUM(A1)\""},
                        {"\tTab", "\"'\tTab\""},
                        {"\rCR", "\"'\rCR\""}};
  for (const auto& [in, out] : cases) EXPECT_EQ(csvField(in), out) << in;
}

}  // namespace
}  // namespace ostrilo

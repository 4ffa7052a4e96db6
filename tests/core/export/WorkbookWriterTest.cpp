#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <regex>
#include <string>

#include "core/export/WorkbookWriter.h"
#include "tests/support/FolderFaults.h"
#include "tests/support/TableTestSupport.h"
#include "tests/support/Unzip.h"

namespace ostrilo {
namespace {

using namespace std::chrono_literals;

// A cell of a sheet's XML: its type attribute ("n" when absent), style and value as text.
struct XmlCell {
  std::string type = "n";
  std::string style;
  std::string value;
};

using test::unzipMember;

std::map<std::string, XmlCell> cellsOf(const std::string& xml) {
  static const std::regex kCell(R"re(<c r="([A-Z]+[0-9]+)"([^>]*?)(?:/>|>(.*?)</c>))re");
  static const std::regex kType(R"re(t="([^"]*)")re");
  static const std::regex kStyle(R"re(s="([^"]*)")re");
  static const std::regex kValue(R"re(<(?:v|t)>([^<]*)<)re");
  std::map<std::string, XmlCell> cells;
  for (std::sregex_iterator it(xml.begin(), xml.end(), kCell), end; it != end; ++it) {
    const std::string attributes = (*it)[2];
    const std::string content = (*it)[3];
    XmlCell cell;
    std::smatch m;
    if (std::regex_search(attributes, m, kType)) cell.type = m[1];
    if (std::regex_search(attributes, m, kStyle)) cell.style = m[1];
    if (std::regex_search(content, m, kValue)) cell.value = m[1];
    cells[(*it)[1]] = cell;
  }
  return cells;
}

double columnWidth(const std::string& xml, int column) {
  const std::string n = std::to_string(column);
  std::smatch m;
  const std::regex col("<col min=\"" + n + "\" max=\"" + n + "\" width=\"([0-9.]+)\"");
  return std::regex_search(xml, m, col) ? std::stod(m[1]) : 0;
}

// Every test keeps the writer's scratch files in a folder of its own, to see them go.
class WorkbookWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(m_tmp);
    ::setenv("TMPDIR", m_tmp.c_str(), 1);
  }
  void TearDown() override {
    EXPECT_TRUE(std::filesystem::is_empty(m_tmp));
    ::unsetenv("TMPDIR");
  }

  test::ScratchDir m_dir;
  std::string m_tmp = m_dir.file("tmp");
};

ExportTable sampleTable() {
  ExportTable table;
  table.title = "Data checks [draft]";
  table.columns = {{"station", ColumnKind::Text},     {"name", ColumnKind::Text},
                   {"date", ColumnKind::Date},        {"ADT", ColumnKind::Integer},
                   {"share", ColumnKind::Percent, 1}, {"mean", ColumnKind::Decimal, 2}};
  table.addRow({"0301", "Main & <North> _x0041_", 45000.0, 1234.4, 0.125, 2.5});
  table.addRow({"B7\xFF", NotAvailable{}, 10.0, std::monostate{}, std::nan(""), 1.0});
  return table;
}

TEST_F(WorkbookWriterTest, WritesTypedCellsFormatsAndTheAboutSheet) {
  WorkbookAbout about;
  about.sources = {"a.dat", "b.dat"};
  about.stations = {"0301  Main St", "B7"};
  about.firstDate = 45000;
  about.lastDate = 45001;
  about.dateCount = 2;
  about.definitions = {"AADT: AASHTO method, 84 cells"};
  const std::string book = m_dir.file("out.xlsx");
  writeWorkbook(book, sampleTable(), about);

  const std::string sheetXml = unzipMember(book, "xl/worksheets/sheet1.xml");
  const auto cells = cellsOf(sheetXml);
  const auto typed = [&](const std::string& ref) {
    return cells.at(ref).type + ":" + cells.at(ref).value;
  };
  EXPECT_EQ(typed("A2"), "inlineStr:0301");
  // A spreadsheet would read _x0041_ as "A".
  EXPECT_EQ(typed("B2"), "inlineStr:Main &amp; &lt;North&gt; _x005F_x0041_");
  EXPECT_EQ(typed("C2"), "n:45000");
  EXPECT_EQ(typed("D2"), "n:1234");
  EXPECT_EQ(typed("E2"), "n:0.125");
  EXPECT_EQ(typed("A3"), "inlineStr:B7\uFFFD");    // a byte that is no UTF-8 stays visible
  EXPECT_EQ(typed("C3"), "inlineStr:1900-01-09");  // before the spreadsheet's calendar holds
  for (const char* empty : {"B3", "D3", "E3"}) EXPECT_FALSE(cells.contains(empty)) << empty;
  EXPECT_FALSE(cells.at("A1").style.empty());
  EXPECT_NE(cells.at("C2").style, cells.at("E2").style);
  EXPECT_NE(sheetXml.find(
                R"(<pane ySplit="1" topLeftCell="A2" activePane="bottomLeft" state="frozen"/>)"),
            std::string::npos);
  EXPECT_GT(columnWidth(sheetXml, 2), columnWidth(sheetXml, 1));

  const std::string styles = unzipMember(book, "xl/styles.xml");
  for (const char* part :
       {"<b/>", R"(formatCode="0.0%")", R"(formatCode="0.00")", R"(formatCode="yyyy-mm-dd")"}) {
    EXPECT_NE(styles.find(part), std::string::npos) << part;
  }
  const std::string workbookXml = unzipMember(book, "xl/workbook.xml");
  EXPECT_NE(workbookXml.find(R"(name="Data checks _draft_")"), std::string::npos);
  EXPECT_NE(workbookXml.find(R"(name="About")"), std::string::npos);

  const auto aboutCells = cellsOf(unzipMember(book, "xl/worksheets/sheet2.xml"));
  const auto value = [&](const std::string& ref) { return aboutCells.at(ref).value; };
  EXPECT_EQ(value("A2"), "Source");
  EXPECT_EQ(value("B3"), "b.dat");
  EXPECT_EQ(value("B5"), "45000");
  EXPECT_FALSE(aboutCells.at("B5").style.empty());
  EXPECT_EQ(value("B9"), "AADT: AASHTO method, 84 cells");
  EXPECT_EQ(value("B11"), "B7");
}

// A CSV-only column stays out of the sheet; the header row carries a filter over every row.
TEST_F(WorkbookWriterTest, LeavesOutCsvOnlyColumnsAndFiltersTheHeaderRow) {
  ExportTable table;
  table.title = "t";
  table.columns = {{"station"},
                   {"date", ColumnKind::Date, 0, true, false},
                   {"date", ColumnKind::Date, 0, false, true},
                   {"month", ColumnKind::Text, 0, false, true}};
  table.addRow({"B1", "2023-04", std::monostate{}, "2023-04"});
  table.addRow({"B1", 45000.0, 45000.0, std::monostate{}});
  const std::string book = m_dir.file("out.xlsx");
  writeWorkbook(book, table, {});
  const std::string sheetXml = unzipMember(book, "xl/worksheets/sheet1.xml");
  const auto cells = cellsOf(sheetXml);
  EXPECT_EQ(cells.at("B1").value, "date");
  EXPECT_EQ(cells.at("C1").value, "month");
  EXPECT_EQ(cells.at("C2").value, "2023-04");
  EXPECT_EQ(cells.at("B3").value, "45000");
  EXPECT_FALSE(cells.contains("D1"));
  EXPECT_NE(sheetXml.find(R"(<autoFilter ref="A1:C3"/>)"), std::string::npos);
}

// A killed export leaves its folder; the next one sweeps ours that are a minute old, of no
// running process.
TEST_F(WorkbookWriterTest, SweepsTheFoldersOfKilledExports) {
  namespace fs = std::filesystem;
  const auto make = [&](const std::string& name, bool old) {
    fs::create_directories(m_tmp + "/" + name + "/inside");
    if (old) fs::last_write_time(m_tmp + "/" + name, fs::file_time_type::clock::now() - 2min);
  };
  make("ostrilo-xlsx-999999999-aaaaaa", true);   // a dead process's: swept
  make("ostrilo-xlsx-bbbbbb", true);             // from before folders named their process
  make("ostrilo-xlsx-999999999-cccccc", false);  // fresh
  make("ostrilo-xlsx-1-dddddd", true);           // of a running process
  make("other-xlsx-999999999-eeeeee", true);
  writeWorkbook(m_dir.file("t.xlsx"), sampleTable(), {});
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(m_tmp)) left.push_back(entry.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left,
            (std::vector<std::string>{"ostrilo-xlsx-1-dddddd", "ostrilo-xlsx-999999999-cccccc",
                                      "other-xlsx-999999999-eeeeee"}));
  for (const std::string& name : left) fs::remove_all(m_tmp + "/" + name);
}

TEST_F(WorkbookWriterTest, FailedSaveChangesNothing) {
  const test::FaultyFolder folder(m_dir.path() / "ro", test::FolderFault::ReadOnly,
                                  {{"book.xlsx", "old"}});
  if (!folder.ready()) GTEST_SKIP() << "no read-only folder here";
  const std::string book = folder.file("book.xlsx");
  const Error e = test::thrownBy([&] { writeWorkbook(book, sampleTable(), {}); });
  EXPECT_EQ(e.kind(), ErrorKind::AccessDenied);
  EXPECT_NE(e.description().find(book), std::string::npos) << e.description();
  EXPECT_EQ(test::readBytes(book), "old");
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"book.xlsx"});
}

}  // namespace
}  // namespace ostrilo

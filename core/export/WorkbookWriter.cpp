#include "core/export/WorkbookWriter.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>

#include "core/export/Utf8Text.h"
#include "core/table/CountFileReader.h"
#include "core/table/Error.h"

namespace ostrilo {

namespace {

constexpr std::size_t kMaxRows = LXW_ROW_MAX - 1;  // below the header row
constexpr std::size_t kMaxColumns = LXW_COL_MAX;
constexpr std::size_t kMaxCellText = 32767;  // code points a cell holds
constexpr double kFirstSerialDate = 61;      // 1 March 1900: earlier serials count 29 Feb 1900
constexpr double kMinWidth = 6;
constexpr double kMaxWidth = 60;  // long locations wrap the screen otherwise

constexpr std::string_view kTempPrefix = "ostrilo-xlsx-";

// A folder that a killed export left: ours by name and owner, untouched for a minute, and not
// of a process still running (its number is in the name).
bool isLeftOver(const std::filesystem::path& folder, std::time_t now) {
  const std::string name = folder.filename().string();
  if (!name.starts_with(kTempPrefix)) return false;
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
      now - st.st_mtime < 60) {
    return false;
  }
  const long pid = std::strtol(name.c_str() + kTempPrefix.size(), nullptr, 10);
  return pid <= 0 ||
         (pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
}

void sweepLeftOvers(const std::filesystem::path& temp) {
  std::error_code ec;
  const std::time_t now = std::time(nullptr);
  for (std::filesystem::directory_iterator it(temp, ec), end; !ec && it != end; it.increment(ec)) {
    if (!isLeftOver(it->path(), now)) continue;
    std::error_code ignored;
    std::filesystem::remove_all(it->path(), ignored);
  }
}

// A folder of its own for the workbook and the library's scratch files, removed on every path
// but a kill; the next export sweeps what a killed one left.
class TempFolder {
 public:
  explicit TempFolder(const std::string& target) {
    std::error_code ec;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
    if (ec) throw systemError(ec.value(), "Cannot save", target);
    sweepLeftOvers(temp);
    std::string pattern =
        temp / (std::string(kTempPrefix) + std::to_string(::getpid()) + "-XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) throw systemError(errno, "Cannot save", target);
    m_path = pattern;
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
  }
  [[nodiscard]] const std::string& path() const noexcept { return m_path; }

 private:
  std::string m_path;
};

// A spreadsheet reads "_x0041_" in a cell as the character U+0041; text that holds such a
// sequence keeps it by escaping its underscore as "_x005F_".
std::string escapeCodeUnits(std::string text) {
  const auto isHex = [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  };
  for (std::size_t at = text.find("_x"); at != std::string::npos; at = text.find("_x", at + 1)) {
    if (at + 7 > text.size() || text[at + 6] != '_' ||
        !std::all_of(text.begin() + static_cast<std::ptrdiff_t>(at + 2),
                     text.begin() + static_cast<std::ptrdiff_t>(at + 6), isHex)) {
      continue;
    }
    text.insert(at + 1, "x005F_");
    at += 6;
  }
  return text;
}

std::string decimalsFormat(int places) {
  return places > 0 ? "0." + std::string(static_cast<std::size_t>(places), '0') : "0";
}

std::string numberFormat(const ExportColumn& column) {
  const std::string places =
      column.places > 0 ? "." + std::string(static_cast<std::size_t>(column.places), '0') : "";
  switch (column.kind) {
    case ColumnKind::Integer:
      return "0";
    case ColumnKind::Decimal:
      return "0" + places;
    case ColumnKind::Percent:
      return "0" + places + "%";
    case ColumnKind::Date:
      return "yyyy-mm-dd";
    case ColumnKind::Text:
      break;
  }
  return "@";
}

// Sheet names may not hold []:*?/\ nor exceed 31 characters.
std::string sheetName(std::string_view title) {
  std::string name = toUtf8(title, 31);
  for (char& c : name) {
    if (std::string_view("[]:*?/\\").find(c) != std::string_view::npos) c = '_';
  }
  while (!name.empty() && name.front() == '\'') name.erase(0, 1);
  while (!name.empty() && name.back() == '\'') name.pop_back();
  if (name.empty() || name == "About") name = "Table";
  return name;
}

// Writes cells and keeps the first failure, so that the workbook is always closed (which frees
// it) before the failure is thrown.
class SheetWriter {
 public:
  SheetWriter(lxw_workbook* book, lxw_worksheet* sheet) : m_book(book), m_sheet(sheet) {}

  void text(std::size_t row, std::size_t col, std::string_view value, lxw_format* format) {
    check(worksheet_write_string(m_sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(col),
                                 escapeCodeUnits(toUtf8(value, kMaxCellText)).c_str(), format));
  }
  void number(std::size_t row, std::size_t col, double value, lxw_format* format) {
    check(worksheet_write_number(m_sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(col),
                                 value, format));
  }
  // A date cell where the spreadsheet's calendar is right, else yyyy-mm-dd text.
  void date(std::size_t row, std::size_t col, double value, lxw_format* format) {
    if (value >= kFirstSerialDate && value < kDateNumberEnd) {
      number(row, col, value, format);
    } else if (value >= kFirstDateNumber && value < kDateNumberEnd) {
      text(row, col, isoDate(value), nullptr);
    }
  }
  void check(lxw_error error) {
    if (error != LXW_NO_ERROR && m_error == LXW_NO_ERROR) m_error = error;
  }
  [[nodiscard]] lxw_error error() const noexcept { return m_error; }
  [[nodiscard]] lxw_workbook* book() const noexcept { return m_book; }
  [[nodiscard]] lxw_worksheet* sheet() const noexcept { return m_sheet; }

 private:
  lxw_workbook* m_book;
  lxw_worksheet* m_sheet;
  lxw_error m_error = LXW_NO_ERROR;
};

// The columns a sheet shows and how it formats them.
struct SheetLayout {
  std::vector<std::size_t> kept;  // the table's columns the sheet shows, in order
  std::vector<lxw_format*> formats;
  std::vector<std::size_t> widths;
  std::map<int, lxw_format*> ownFormats;  // by places, for FixedNumber cells
};

// Formats for every kept column and every number of places a FixedNumber cell asks, and the
// widths the headers and cells need.
SheetLayout sheetLayout(SheetWriter& out, const ExportTable& table) {
  SheetLayout layout;
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    if (table.columns[c].inWorkbook) layout.kept.push_back(c);
  }
  for (const std::size_t c : layout.kept) {
    const ExportColumn& column = table.columns[c];
    lxw_format* format = nullptr;
    if (column.kind != ColumnKind::Text) {
      format = workbook_add_format(out.book());
      format_set_num_format(format, numberFormat(column).c_str());
    }
    layout.formats.push_back(format);
    layout.widths.push_back(utf8Length(column.header) + 1);  // bold is wider
  }
  for (std::size_t r = 0; r < table.rowCount(); ++r) {
    for (std::size_t k = 0; k < layout.kept.size(); ++k) {
      const std::size_t c = layout.kept[k];
      std::size_t& width = layout.widths[k];
      if (table.fromRegister(c)) {
        width = std::max(width, utf8Length(table.registerText(r, c)));
        continue;
      }
      const ExportCell& cell = table.cell(r, c);
      if (const auto* number = std::get_if<double>(&cell); number && !std::isfinite(*number)) {
        continue;
      }
      if (const auto* own = std::get_if<FixedNumber>(&cell);
          own && !layout.ownFormats.contains(own->places)) {
        lxw_format* format = workbook_add_format(out.book());
        format_set_num_format(format, decimalsFormat(own->places).c_str());
        layout.ownFormats.emplace(own->places, format);
      }
      width = std::max(width, utf8Length(cellText(cell, table.columns[c])));
    }
  }
  return layout;
}

void writeCell(SheetWriter& out, const ExportTable& table, const SheetLayout& layout, std::size_t r,
               std::size_t k) {
  const std::size_t c = layout.kept[k];
  if (table.fromRegister(c)) {
    out.text(r + 1, k, table.registerText(r, c), nullptr);
    return;
  }
  const ExportCell& cell = table.cell(r, c);
  const ColumnKind kind = table.columns[c].kind;
  lxw_format* format = layout.formats[k];
  if (const auto* text = std::get_if<std::string>(&cell)) {
    out.text(r + 1, k, *text, nullptr);
  } else if (const auto* own = std::get_if<FixedNumber>(&cell); own && std::isfinite(own->value)) {
    const double value = own->places > 0 ? own->value : std::nearbyint(own->value);
    out.number(r + 1, k, value, layout.ownFormats.at(own->places));
  } else if (const auto* number = std::get_if<double>(&cell); number && std::isfinite(*number)) {
    if (kind == ColumnKind::Date) {
      out.date(r + 1, k, *number, format);
    } else if (kind == ColumnKind::Integer) {
      out.number(r + 1, k, std::nearbyint(*number), format);
    } else {
      out.number(r + 1, k, *number, format);
    }
  }
}

void writeTableSheet(SheetWriter& out, const ExportTable& table) {
  lxw_format* bold = workbook_add_format(out.book());
  format_set_bold(bold);
  const SheetLayout layout = sheetLayout(out, table);
  const std::vector<std::size_t>& kept = layout.kept;
  const std::size_t rows = table.rowCount();
  for (std::size_t k = 0; k < kept.size(); ++k) {
    const double width =
        std::clamp(static_cast<double>(layout.widths[k]) + 1, kMinWidth, kMaxWidth);
    out.check(worksheet_set_column(out.sheet(), static_cast<lxw_col_t>(k),
                                   static_cast<lxw_col_t>(k), width, nullptr));
  }
  worksheet_freeze_panes(out.sheet(), 1, 0);
  // The header row filters the rows, so that a reader can pick a station or a code at once.
  if (!kept.empty()) {
    out.check(worksheet_autofilter(out.sheet(), 0, 0, static_cast<lxw_row_t>(rows),
                                   static_cast<lxw_col_t>(kept.size() - 1)));
  }

  for (std::size_t k = 0; k < kept.size(); ++k) {
    out.text(0, k, table.columns[kept[k]].header, bold);
  }
  // Rows go out in order: the sheet is written with constant memory, row after row.
  for (std::size_t r = 0; r < rows; ++r) {
    for (std::size_t k = 0; k < kept.size(); ++k) writeCell(out, table, layout, r, k);
  }
}

void writeAboutSheet(SheetWriter& out, const ExportTable& table, const WorkbookAbout& about) {
  lxw_format* bold = workbook_add_format(out.book());
  format_set_bold(bold);
  lxw_format* date = workbook_add_format(out.book());
  format_set_num_format(date, "yyyy-mm-dd");
  out.check(worksheet_set_column(out.sheet(), 0, 0, 14, nullptr));
  out.check(worksheet_set_column(out.sheet(), 1, 1, kMaxWidth, nullptr));

  std::size_t row = 0;
  const auto label = [&](std::string_view text) { out.text(row, 0, text, bold); };
  const auto lines = [&](std::string_view name, const std::vector<std::string>& values) {
    label(name);
    if (values.empty()) ++row;
    for (const std::string& value : values) out.text(row++, 1, value, nullptr);
  };
  label("Contents");
  out.text(row++, 1, table.title, nullptr);
  lines("Source", about.sources);
  label("Stations");
  out.number(row++, 1, static_cast<double>(about.stations.size()), nullptr);
  label("First date");
  if (about.firstDate) out.date(row, 1, *about.firstDate, date);
  ++row;
  label("Last date");
  if (about.lastDate) out.date(row, 1, *about.lastDate, date);
  ++row;
  label("Dates");
  out.number(row++, 1, static_cast<double>(about.dateCount), nullptr);
  label("Program");
  out.text(row++, 1, about.program.empty() ? programVersionText() : about.program, nullptr);
  lines("Definitions", about.definitions);
  lines("Station list", about.stations);
}

}  // namespace

std::string programVersionText() { return std::string("Ostrilo ") + OSTRILO_VERSION; }

void checkWorkbookSize(const std::string& path, std::size_t rows, std::size_t columns) {
  if (rows > kMaxRows || columns > kMaxColumns) {
    throw Error(ErrorKind::Overflow,
                "Cannot save \"" + path + "\": the table has " + std::to_string(rows) +
                    " rows and " + std::to_string(columns) +
                    " columns; a worksheet holds at most " + std::to_string(kMaxRows) +
                    " rows below its header and " + std::to_string(kMaxColumns) + " columns");
  }
}

void writeWorkbook(const std::string& path, const ExportTable& table, const WorkbookAbout& about) {
  checkWorkbookSize(path, table.rowCount(), table.columns.size());

  const TempFolder folder(path);
  const std::string bookPath = folder.path() + "/book.xlsx";
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  options.tmpdir = const_cast<char*>(folder.path().c_str());  // the library only reads it
  lxw_workbook* book = workbook_new_opt(bookPath.c_str(), &options);
  if (book == nullptr) throw Error(ErrorKind::Io, "Cannot save \"" + path + "\": out of memory");

  SheetWriter sheet(book, workbook_add_worksheet(book, sheetName(table.title).c_str()));
  SheetWriter aboutSheet(book, workbook_add_worksheet(book, "About"));
  if (sheet.sheet() == nullptr || aboutSheet.sheet() == nullptr) {
    workbook_close(book);
    throw Error(ErrorKind::Io, "Cannot save \"" + path + "\": the sheets cannot be added");
  }
  writeTableSheet(sheet, table);
  writeAboutSheet(aboutSheet, table, about);

  lxw_error error = workbook_close(book);
  if (error == LXW_NO_ERROR) error = sheet.error();
  if (error == LXW_NO_ERROR) error = aboutSheet.error();
  if (error != LXW_NO_ERROR) {
    throw Error(ErrorKind::Io, "Cannot save \"" + path + "\": " + lxw_strerror(error));
  }
  saveExportBytes(path, readWholeFile(bookPath));
}

bool isWorkbookPath(std::string_view path) {
  constexpr std::string_view kExtension = ".xlsx";
  if (path.size() < kExtension.size()) return false;
  const std::string_view tail = path.substr(path.size() - kExtension.size());
  return std::equal(tail.begin(), tail.end(), kExtension.begin(), [](char a, char b) {
    return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
  });
}

void saveExport(const std::string& path, const ExportTable& table, const CsvFormat& format,
                const WorkbookAbout& about) {
  if (isWorkbookPath(path)) {
    writeWorkbook(path, table, about);
  } else {
    saveExportBytes(path, buildCsvText(table, format));
  }
}

}  // namespace ostrilo

// libxlsxwriter is loaded when the first workbook is written, not when a program starts: it
// brings minizip, zlib and libcrypto, whose loading and relocation cost every run of the command
// line more than most of its commands take otherwise. The functions the workbook writer calls
// are defined here under their own names and forward to the library's.
#include <dlfcn.h>
#include <xlsxwriter.h>

#include <string>

#include "core/table/Error.h"

namespace {

struct XlsxFunctions {
  decltype(&::workbook_new_opt) newOpt = nullptr;
  decltype(&::workbook_add_worksheet) addWorksheet = nullptr;
  decltype(&::workbook_add_format) addFormat = nullptr;
  decltype(&::workbook_close) close = nullptr;
  decltype(&::worksheet_write_number) writeNumber = nullptr;
  decltype(&::worksheet_write_string) writeString = nullptr;
  decltype(&::worksheet_set_column) setColumn = nullptr;
  decltype(&::worksheet_autofilter) autofilter = nullptr;
  decltype(&::worksheet_freeze_panes) freezePanes = nullptr;
  decltype(&::format_set_bold) setBold = nullptr;
  decltype(&::format_set_num_format) setNumFormat = nullptr;
  decltype(&::lxw_strerror) strError = nullptr;
  std::string failure;
};

template <typename Function>
void bind(void* library, const char* name, Function& function, std::string& failure) {
  function = reinterpret_cast<Function>(::dlsym(library, name));
  if (function == nullptr && failure.empty()) failure = std::string(name) + " is missing";
}

XlsxFunctions loadFunctions() {
  XlsxFunctions f;
  void* library = ::dlopen(OSTRILO_XLSXWRITER_SONAME, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* why = ::dlerror();
    f.failure = why != nullptr ? why : "it cannot be loaded";
    return f;
  }
  bind(library, "workbook_new_opt", f.newOpt, f.failure);
  bind(library, "workbook_add_worksheet", f.addWorksheet, f.failure);
  bind(library, "workbook_add_format", f.addFormat, f.failure);
  bind(library, "workbook_close", f.close, f.failure);
  bind(library, "worksheet_write_number", f.writeNumber, f.failure);
  bind(library, "worksheet_write_string", f.writeString, f.failure);
  bind(library, "worksheet_set_column", f.setColumn, f.failure);
  bind(library, "worksheet_autofilter", f.autofilter, f.failure);
  bind(library, "worksheet_freeze_panes", f.freezePanes, f.failure);
  bind(library, "format_set_bold", f.setBold, f.failure);
  bind(library, "format_set_num_format", f.setNumFormat, f.failure);
  bind(library, "lxw_strerror", f.strError, f.failure);
  return f;
}

const XlsxFunctions& functions() {
  static const XlsxFunctions loaded = loadFunctions();
  return loaded;
}

}  // namespace

// Every workbook starts here, so only this one reports a library that cannot be had; the others
// run on a workbook it made.
lxw_workbook* workbook_new_opt(const char* filename, lxw_workbook_options* options) {
  const XlsxFunctions& f = functions();
  if (!f.failure.empty()) {
    throw ostrilo::Error(
        ostrilo::ErrorKind::Io,
        "Cannot write workbooks: " OSTRILO_XLSXWRITER_SONAME " cannot be used: " + f.failure);
  }
  return f.newOpt(filename, options);
}

lxw_worksheet* workbook_add_worksheet(lxw_workbook* workbook, const char* sheetname) {
  return functions().addWorksheet(workbook, sheetname);
}

lxw_format* workbook_add_format(lxw_workbook* workbook) { return functions().addFormat(workbook); }

lxw_error workbook_close(lxw_workbook* workbook) { return functions().close(workbook); }

lxw_error worksheet_write_number(lxw_worksheet* worksheet, lxw_row_t row, lxw_col_t col,
                                 double number, lxw_format* format) {
  return functions().writeNumber(worksheet, row, col, number, format);
}

lxw_error worksheet_write_string(lxw_worksheet* worksheet, lxw_row_t row, lxw_col_t col,
                                 const char* string, lxw_format* format) {
  return functions().writeString(worksheet, row, col, string, format);
}

lxw_error worksheet_set_column(lxw_worksheet* worksheet, lxw_col_t first_col, lxw_col_t last_col,
                               double width, lxw_format* format) {
  return functions().setColumn(worksheet, first_col, last_col, width, format);
}

lxw_error worksheet_autofilter(lxw_worksheet* worksheet, lxw_row_t first_row, lxw_col_t first_col,
                               lxw_row_t last_row, lxw_col_t last_col) {
  return functions().autofilter(worksheet, first_row, first_col, last_row, last_col);
}

void worksheet_freeze_panes(lxw_worksheet* worksheet, lxw_row_t row, lxw_col_t col) {
  functions().freezePanes(worksheet, row, col);
}

void format_set_bold(lxw_format* format) { functions().setBold(format); }

void format_set_num_format(lxw_format* format, const char* num_format) {
  functions().setNumFormat(format, num_format);
}

char* lxw_strerror(lxw_error error_num) { return functions().strError(error_num); }

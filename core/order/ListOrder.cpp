#include "core/order/ListOrder.h"

#include <algorithm>
#include <cctype>
#include <numeric>
#include <string>
#include <variant>

#include "core/export/ExportTable.h"
#include "core/register/StationRegister.h"
#include "core/table/ATRTable.h"
#include "core/table/DateNumber.h"

namespace ostrilo {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string folded(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::vector<std::int32_t> indexes(std::int32_t count) {
  std::vector<std::int32_t> out(static_cast<std::size_t>(count));
  std::iota(out.begin(), out.end(), 0);
  return out;
}

// A Date cell's position on the calendar; empty and text cells (a month) after every date.
double dateKey(const ExportCell& cell) {
  const double* number = std::get_if<double>(&cell);
  return number != nullptr ? linearDays(*number) : 1e300;
}

std::string textKey(const ExportCell& cell) {
  const std::string* text = std::get_if<std::string>(&cell);
  return text != nullptr ? *text : std::string();
}

std::optional<std::size_t> columnWhere(const ExportTable& table, auto&& pred) {
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    if (pred(table.columns[c])) return c;
  }
  return std::nullopt;
}

}  // namespace

int naturalCompare(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (isDigit(a[i]) && isDigit(b[j])) {
      while (i < a.size() && a[i] == '0') ++i;
      while (j < b.size() && b[j] == '0') ++j;
      std::size_t ei = i, ej = j;
      while (ei < a.size() && isDigit(a[ei])) ++ei;
      while (ej < b.size() && isDigit(b[ej])) ++ej;
      if (ei - i != ej - j) return ei - i < ej - j ? -1 : 1;
      if (const int c = a.substr(i, ei - i).compare(b.substr(j, ej - j)); c != 0) return c;
      i = ei;
      j = ej;
      continue;
    }
    if (a[i] != b[j])
      return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]) ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size() || j < b.size()) return i < a.size() ? 1 : -1;
  return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

std::vector<std::int32_t> stationOrder(const ATRTable& table, StationOrder order,
                                       const StationRegister* names) {
  std::vector<std::int32_t> out = indexes(table.StaCount());
  if (order == StationOrder::Table) return out;
  std::vector<std::string> ids, keys;
  for (const std::int32_t i : out) {
    ids.push_back(table.StaNamebyIndex(i));
    keys.push_back(order == StationOrder::Name && names != nullptr ? folded(names->name(ids.back()))
                                                                   : std::string());
  }
  std::stable_sort(out.begin(), out.end(), [&](std::int32_t x, std::int32_t y) {
    const auto ux = static_cast<std::size_t>(x), uy = static_cast<std::size_t>(y);
    if (keys[ux].empty() != keys[uy].empty()) return keys[uy].empty();
    if (const int c = naturalCompare(keys[ux], keys[uy]); c != 0) return c < 0;
    return naturalCompare(ids[ux], ids[uy]) < 0;
  });
  return out;
}

std::vector<std::int32_t> dateOrder(const ATRTable& table, bool calendar) {
  std::vector<std::int32_t> out = indexes(table.DateCount());
  if (!calendar) return out;
  std::vector<double> days;
  for (const std::int32_t i : out) days.push_back(linearDays(table.DatebyIndex(i)));
  std::stable_sort(out.begin(), out.end(), [&days](std::int32_t x, std::int32_t y) {
    return days[static_cast<std::size_t>(x)] < days[static_cast<std::size_t>(y)];
  });
  return out;
}

std::optional<RowOrder> parseRowOrder(std::string_view word) {
  if (word == "table") return RowOrder::Table;
  if (word == "id") return RowOrder::Id;
  if (word == "date") return RowOrder::Date;
  return std::nullopt;
}

void sortExportRows(ExportTable& table, RowOrder order) {
  const std::size_t width = table.columns.size();
  if (order == RowOrder::Table || width == 0) return;
  const auto date =
      columnWhere(table, [](const ExportColumn& c) { return c.kind == ColumnKind::Date; });
  const auto name = columnWhere(
      table, [](const ExportColumn& c) { return c.header == "Name" || c.header == "name"; });
  const auto byStation = [&](std::size_t x, std::size_t y) {
    return naturalCompare(textKey(table.cell(x, 0)), textKey(table.cell(y, 0)));
  };
  const auto byDate = [&](std::size_t x, std::size_t y) {
    if (!date) return 0;
    const double a = dateKey(table.cell(x, *date)), b = dateKey(table.cell(y, *date));
    return a < b ? -1 : (b < a ? 1 : 0);
  };
  const auto byName = [&](std::size_t x, std::size_t y) {
    if (!name) return 0;
    const std::string a = folded(textKey(table.cell(x, *name)));
    const std::string b = folded(textKey(table.cell(y, *name)));
    if (a.empty() != b.empty()) return a.empty() ? 1 : -1;
    return naturalCompare(a, b);
  };
  std::vector<std::size_t> rows(table.rowCount());
  std::iota(rows.begin(), rows.end(), std::size_t{0});
  std::stable_sort(rows.begin(), rows.end(), [&](std::size_t x, std::size_t y) {
    int c = 0;
    if (order == RowOrder::Date) c = byDate(x, y);
    if (c == 0 && order == RowOrder::Name) c = byName(x, y);
    if (c == 0) c = byStation(x, y);
    if (c == 0) c = byDate(x, y);
    return c < 0;
  });
  std::vector<ExportCell> cells;
  cells.reserve(table.cells.size());
  for (const std::size_t row : rows) {
    const auto first = table.cells.begin() + static_cast<std::ptrdiff_t>(row * width);
    cells.insert(cells.end(), std::make_move_iterator(first),
                 std::make_move_iterator(first + static_cast<std::ptrdiff_t>(width)));
  }
  table.cells = std::move(cells);
}

}  // namespace ostrilo

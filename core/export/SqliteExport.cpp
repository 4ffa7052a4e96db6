#include "core/export/SqliteExport.h"

#include <sqlite3.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <memory>
#include <numeric>
#include <set>
#include <stdexcept>
#include <vector>

#include "core/analysis/TableAnalysis.h"
#include "core/checks/DataChecks.h"
#include "core/export/TableExports.h"
#include "core/register/Coordinates.h"
#include "core/register/StationRegister.h"
#include "core/table/ATRTable.h"
#include "core/table/CountView.h"
#include "core/table/Error.h"
#include "core/table/OutputFile.h"

namespace ostrilo {

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE hours (
  station TEXT NOT NULL REFERENCES stations(id),
  date TEXT NOT NULL,
  hour INTEGER NOT NULL CHECK (hour BETWEEN 0 AND 23),
  volume INTEGER NOT NULL,
  PRIMARY KEY (station, date, hour)
) WITHOUT ROWID;
CREATE TABLE days (
  station TEXT NOT NULL REFERENCES stations(id),
  date TEXT NOT NULL,
  total INTEGER NOT NULL,
  counted_hours INTEGER NOT NULL,
  complete INTEGER NOT NULL,
  valid INTEGER NOT NULL,
  PRIMARY KEY (station, date)
) WITHOUT ROWID;
CREATE TABLE flags (
  id INTEGER PRIMARY KEY,
  station TEXT NOT NULL REFERENCES stations(id),
  date TEXT NOT NULL,
  code TEXT NOT NULL,
  severity TEXT NOT NULL,
  detail TEXT NOT NULL
);
CREATE INDEX flags_station_date ON flags (station, date);
CREATE VIEW daily_complete AS
  SELECT station, date, total, valid FROM days WHERE complete;
)sql";

struct DbClose {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StmtClose {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Db = std::unique_ptr<sqlite3, DbClose>;
using Stmt = std::unique_ptr<sqlite3_stmt, StmtClose>;

[[noreturn]] void fail(sqlite3* db, const std::string& path) {
  throw Error(ErrorKind::Io, "SQLite export \"" + escapeName(path) + "\": " + sqlite3_errmsg(db));
}

class Writer {
 public:
  explicit Writer(std::string path) : m_path(std::move(path)) {
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    m_db.reset(raw);
    if (rc != SQLITE_OK) fail(raw, m_path);
  }
  void exec(const std::string& sql) {
    if (sqlite3_exec(m_db.get(), sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
      fail(m_db.get(), m_path);
  }
  Stmt prepare(const std::string& sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db.get(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
      fail(m_db.get(), m_path);
    return Stmt(raw);
  }
  // Binds the values in order (text, integer, real or null) and runs the statement once.
  template <typename... Values>
  void run(sqlite3_stmt* s, const Values&... values) {
    int k = 0;
    (bind(s, ++k, values), ...);
    if (sqlite3_step(s) != SQLITE_DONE) fail(m_db.get(), m_path);
    sqlite3_reset(s);
  }
  void bind(sqlite3_stmt* s, int k, std::string_view v) {
    // Every value outlives the step it is bound for (run() binds and steps in one call).
    check(sqlite3_bind_text(s, k, v.data(), static_cast<int>(v.size()), SQLITE_STATIC));
  }
  void bind(sqlite3_stmt* s, int k, const std::string& v) { bind(s, k, std::string_view(v)); }
  void bind(sqlite3_stmt* s, int k, std::int64_t v) { check(sqlite3_bind_int64(s, k, v)); }
  void bind(sqlite3_stmt* s, int k, int v) { check(sqlite3_bind_int64(s, k, v)); }
  void bind(sqlite3_stmt* s, int k, const std::optional<double>& v) {
    check(v ? sqlite3_bind_double(s, k, *v) : sqlite3_bind_null(s, k));
  }
  void bind(sqlite3_stmt* s, int k, std::nullptr_t) { check(sqlite3_bind_null(s, k)); }
  void check(int rc) {
    if (rc != SQLITE_OK) fail(m_db.get(), m_path);
  }

  // The database file's bytes.
  std::string bytes() {
    sqlite3_int64 size = 0;
    unsigned char* data = sqlite3_serialize(m_db.get(), "main", &size, 0);
    if (data == nullptr) fail(m_db.get(), m_path);
    std::string out(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size));
    sqlite3_free(data);
    return out;
  }

 private:
  std::string m_path;
  Db m_db;
};

std::string quoteName(std::string_view name) {
  std::string out = "\"";
  for (const char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The register's columns beyond id and name, with names unique without regard to case.
std::vector<std::string> stationColumns(const StationRegister* stations) {
  std::vector<std::string> columns{"location", "direction", "lanes",
                                   "group",    "latitude",  "longitude"};
  std::set<std::string> used{"id",    "name",  "location", "direction",
                             "lanes", "group", "latitude", "longitude"};
  for (const std::string& extra :
       stations != nullptr ? stations->extraColumns() : std::vector<std::string>{}) {
    std::string name = extra.empty() ? "column" : extra;
    while (used.contains(lower(name))) name += "_";
    used.insert(lower(name));
    columns.push_back(name);
  }
  return columns;
}

void writeStations(Writer& w, const ATRTable& table, const StationRegister* stations) {
  const std::vector<std::string> columns = stationColumns(stations);
  std::string create = "CREATE TABLE stations (id TEXT PRIMARY KEY, name TEXT";
  std::string insert = "INSERT INTO stations VALUES (?, ?";
  for (const std::string& c : columns) {
    const bool degrees = c == "latitude" || c == "longitude";
    create += ", " + quoteName(c) + (degrees ? " REAL" : " TEXT");
    insert += ", ?";
  }
  w.exec(create + ");");
  const Stmt s = w.prepare(insert + ");");
  for (std::int32_t i = 0; i < table.StaCount(); ++i) {
    const std::string id = table.StaNamebyIndex(i);
    const StationEntry* e = stations != nullptr ? stations->find(id) : nullptr;
    int k = 0;
    w.bind(s.get(), ++k, id);
    if (e == nullptr) {
      while (k < static_cast<int>(columns.size()) + 2) w.bind(s.get(), ++k, nullptr);
    } else {
      const auto point = stationCoordinates(*e);
      for (const std::string* text :
           {&e->name, &e->location, &e->direction, &e->lanes, &e->group}) {
        w.bind(s.get(), ++k, *text);
      }
      w.bind(s.get(), ++k, point ? std::optional(point->latitude) : std::nullopt);
      w.bind(s.get(), ++k, point ? std::optional(point->longitude) : std::nullopt);
      for (const std::string& extra : e->extra) w.bind(s.get(), ++k, extra);
    }
    w.run(s.get());
  }
}

void writeCounts(Writer& w, const ATRTable& table, const std::vector<bool>& critical) {
  const CountView view = CountView::of(table);
  std::vector<std::int32_t> byDate(static_cast<std::size_t>(table.DateCount()));
  std::iota(byDate.begin(), byDate.end(), 0);
  std::sort(byDate.begin(), byDate.end(),
            [&](auto a, auto b) { return table.DatebyIndex(a) < table.DatebyIndex(b); });
  std::vector<std::string> iso;
  for (const std::int32_t d : byDate) iso.push_back(isoDate(table.DatebyIndex(d)));
  const Stmt hour = w.prepare("INSERT INTO hours VALUES (?, ?, ?, ?);");
  const Stmt day = w.prepare("INSERT INTO days VALUES (?, ?, ?, ?, ?, ?);");
  for (std::int32_t s = 0; s < table.StaCount(); ++s) {
    const std::string id = table.StaNamebyIndex(s);
    for (std::size_t k = 0; k < byDate.size(); ++k) {
      const std::int32_t d = byDate[k];
      const HourMask mask = view.countedHours(d, s);
      if (mask == 0) continue;
      const std::size_t r =
          static_cast<std::size_t>(table.StaCount()) * static_cast<std::size_t>(d) +
          static_cast<std::size_t>(s);
      const std::int16_t* v = view.volumes.data() + r * kHoursPerDay;
      std::int64_t total = 0;
      for (int h = 0; h < kHoursPerDay; ++h) {
        if ((mask >> h & 1u) == 0) continue;
        total += v[h];
        w.run(hour.get(), id, iso[k], h, std::int64_t{v[h]});
      }
      const bool complete = mask == kAllHours;
      w.run(day.get(), id, iso[k], total, std::popcount(mask), complete ? 1 : 0,
            complete && total > 0 && !critical[r] ? 1 : 0);
    }
  }
}

void writeFlags(Writer& w, const CheckResults& checks) {
  const Stmt s = w.prepare(
      "INSERT INTO flags (station, date, code, severity, detail) VALUES (?, ?, ?, ?, ?);");
  for (const CheckFlag& f : checks.flags()) {
    const std::string date = f.wholeMonth() ? isoDate(f.day).substr(0, 7) : isoDate(f.day);
    w.run(s.get(), checks.stations()[static_cast<std::size_t>(f.station)], date,
          std::string(checkCodeName(f.code)), std::string(1, severityLetter(f.severity())),
          f.detail);
  }
}

void writeAnnual(Writer& w, const std::vector<StationYear>& rows) {
  const ExportTable t = annualExport(rows, nullptr).table;
  std::string create = "CREATE TABLE annual (";
  std::string insert = "INSERT INTO annual VALUES (";
  for (std::size_t c = 0; c < t.columns.size(); ++c) {
    const ColumnKind kind = t.columns[c].kind;
    create += (c == 0 ? "" : ", ") + quoteName(t.columns[c].header) +
              (kind == ColumnKind::Integer ? " INTEGER"
               : kind == ColumnKind::Text  ? " TEXT"
                                           : " REAL");
    insert += c == 0 ? "?" : ", ?";
  }
  w.exec(create + ", PRIMARY KEY (station, year));");
  const Stmt s = w.prepare(insert + ");");
  // The texts stay until the step, which reads them where they are bound.
  std::vector<std::string> texts(t.columns.size());
  for (std::size_t r = 0; r < t.rowCount(); ++r) {
    for (std::size_t c = 0; c < t.columns.size(); ++c) {
      const int k = static_cast<int>(c) + 1;
      std::string& text = texts[c];
      text = cellText(t.cell(r, c), t.columns[c]);
      if (text.empty()) {
        w.bind(s.get(), k, nullptr);
      } else if (t.columns[c].kind == ColumnKind::Text) {
        w.bind(s.get(), k, text);
      } else {
        // The CSV's rounding, so the database and the file agree.
        w.bind(s.get(), k, std::optional(std::stod(text)));
      }
    }
    w.run(s.get());
  }
}

}  // namespace

void writeSqliteDatabase(const std::string& path, const ATRTable& table, const CheckResults& checks,
                         const StationRegister* stations, PeakWindows windows) {
  if (!checksFit(checks, table)) {
    throw std::invalid_argument("writeSqliteDatabase: the checks are of another table");
  }
  const CountView view = CountView::of(table);
  auto critical = std::make_shared<const std::vector<bool>>(checks.criticalDays());
  AnnualOptions options;
  options.windows = windows;
  options.excluded = excludingCriticalDays(critical, view.stations.size());
  const std::vector<StationYear> annual = ComputeAnnualFigures(view, options);

  Writer w(path);
  // A failure discards the whole database anyway: no rollback journal to keep.
  w.exec("PRAGMA journal_mode = OFF;");
  w.exec("BEGIN;");
  writeStations(w, table, stations);
  w.exec(kSchema);
  writeCounts(w, table, *critical);
  writeFlags(w, checks);
  writeAnnual(w, annual);
  w.exec("COMMIT;");
  writeOutputFile(path, w.bytes());
}

}  // namespace ostrilo

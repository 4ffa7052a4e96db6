#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/annual/AnnualFigures.h"
#include "core/calendar/HolidayCalendar.h"
#include "core/checks/DataChecks.h"

namespace ostrilo {

class ATRTable;
class StationRegister;

// What several views compute from the same table, computed once and kept until the table or
// the options change: the data checks (with the holiday calendar and the stations' ceilings)
// and the valid days they leave. The main window, its annual and report windows, its exports
// and each command of the command line take their checks from one of these. The owner calls
// invalidate() whenever the table changes; a table of other dimensions than the one analysed is
// taken as changed too, as a safety net.
class TableAnalysis {
 public:
  // Setting any of these drops what was computed.
  void setHolidays(HolidayCalendar calendar);
  // The register's roads, for the checks across a road's directions.
  void setRoads(std::vector<Road> roads);
  // What a register adds to the checks: the ceilings of its max_daily column (else its lanes
  // times perLane) for stations, in table order, and its roads.
  void setRegister(const StationRegister& names, std::span<const std::string> stations,
                   std::optional<std::int64_t> perLane = std::nullopt);
  void setAadtChangePct(double pct);
  [[nodiscard]] const HolidayCalendar& holidays() const noexcept { return m_holidays; }

  void invalidate() noexcept { m_checks.reset(); }

  // The checks of table, run on the first call after a change.
  [[nodiscard]] const CheckResults& checks(const ATRTable& table);
  // Per record (station count x date index + station index): true when the day has a critical
  // flag, the days figures leave out.
  [[nodiscard]] const std::vector<bool>& criticalDays(const ATRTable& table);
  // The same days for the annual figures; it shares them, so it stays valid after a change.
  [[nodiscard]] DayExclusion excludedDays(const ATRTable& table);

  // How often the checks ran, for telling a cache hit from a miss.
  [[nodiscard]] std::int64_t runs() const noexcept { return m_runs; }

 private:
  HolidayCalendar m_holidays;
  std::vector<std::optional<DailyCeiling>> m_ceilings;
  std::vector<Road> m_roads;
  double m_aadtChangePct = kDefaultAadtChangePct;
  std::optional<CheckResults> m_checks;
  std::shared_ptr<const std::vector<bool>> m_critical;
  std::int64_t m_runs = 0;
};

// True when checks were run over a table of table's stations and dates; the functions that take
// a table and its checks refuse others (std::invalid_argument).
[[nodiscard]] bool checksFit(const CheckResults& checks, const ATRTable& table);

}  // namespace ostrilo

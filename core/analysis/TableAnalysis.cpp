#include "core/analysis/TableAnalysis.h"

#include <utility>

#include "core/annual/RoadFigures.h"
#include "core/table/ATRTable.h"

namespace ostrilo {

bool checksFit(const CheckResults& checks, const ATRTable& table) {
  return checks.stations().size() == static_cast<std::size_t>(table.StaCount()) &&
         checks.dates().size() == static_cast<std::size_t>(table.DateCount());
}

void TableAnalysis::setHolidays(HolidayCalendar calendar) {
  m_holidays = std::move(calendar);
  invalidate();
}

void TableAnalysis::setRoads(std::vector<Road> roads) {
  m_roads = std::move(roads);
  invalidate();
}

void TableAnalysis::setRegister(const StationRegister& names, std::span<const std::string> stations,
                                std::optional<std::int64_t> perLane) {
  m_ceilings = registerCeilings(names, stations, perLane);
  m_roads = registerRoads(names);
  invalidate();
}

void TableAnalysis::setAadtChangePct(double pct) {
  m_aadtChangePct = pct;
  invalidate();
}

const CheckResults& TableAnalysis::checks(const ATRTable& table) {
  if (m_checks && !checksFit(*m_checks, table)) invalidate();
  if (!m_checks) {
    CheckOptions options;
    options.holidays = &m_holidays;
    options.ceilings = m_ceilings;
    options.roads = m_roads;
    options.aadtChangePct = m_aadtChangePct;
    m_checks = runDataChecks(table, options);
    m_critical = std::make_shared<const std::vector<bool>>(m_checks->criticalDays());
    ++m_runs;
  }
  return *m_checks;
}

const std::vector<bool>& TableAnalysis::criticalDays(const ATRTable& table) {
  (void)checks(table);
  return *m_critical;
}

DayExclusion TableAnalysis::excludedDays(const ATRTable& table) {
  (void)checks(table);
  return excludingCriticalDays(m_critical, static_cast<std::size_t>(table.StaCount()));
}

}  // namespace ostrilo

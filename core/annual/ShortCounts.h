#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/annual/AnnualFigures.h"

namespace ostrilo {

// One month x day-of-week cell of a factor group: the mean of the members' F(m,k), with the
// sample standard deviation (n - 1) and the coefficient of variation SD / mean.
struct GroupFactor {
  std::int32_t n = 0;
  std::optional<double> mean;
  std::optional<double> sd;  // needs n >= 2
  std::optional<double> cv;
  // With n >= 2, the member (index in FactorGroup::members) whose F(m,k) lies farthest from the
  // mean: leaving it out moves the mean most. Its factor beside.
  std::optional<std::size_t> outlier;
  std::optional<double> outlierFactor;
};

// Ours: a coefficient of variation of 15 % is where a group's factor begins to add more error
// to an estimate than a week's count of a steady road has on its own.
inline constexpr double kDefaultCvThreshold = 0.15;

// True when the cell's CV exceeds the threshold (a fraction, 0.15 for 15 %).
[[nodiscard]] bool cvAbove(const GroupFactor& cell, double threshold);

// The combined factors of the stations a user names for one year. Members without an AADT
// cannot give factors: they are left out and listed.
struct FactorGroup {
  int year = 0;
  std::vector<std::string> members;  // those whose factors are combined
  std::vector<std::string> leftOut;  // those without an AADT
  std::array<std::array<GroupFactor, kDaysOfWeek>, kMonths> cells;  // [month 0..11][dow 0..6]
};

// Combines the annual results of the members; every one of them must be of the given year.
[[nodiscard]] FactorGroup CombineFactors(std::span<const StationYear> members, int year);

// The AADT estimate of one station from its counted days of one year: the mean over its valid
// days d of V(d) x F_G(month of d, day of week of d). Nothing without a valid day or without a
// group member.
struct ShortCountEstimate {
  std::int32_t stationIndex = 0;
  std::string station;
  int year = 0;
  std::vector<DateNumber> daysUsed;  // ascending
  std::optional<double> aadt;
  const FactorGroup* group = nullptr;  // the group of that year
};

// One estimate per picked station and group, station by station, in the groups' order. One
// pass over the records.
[[nodiscard]] std::vector<ShortCountEstimate> ExpandShortCounts(
    const CountView& view, std::span<const std::int32_t> stations,
    std::span<const FactorGroup> groups, const DayExclusion& excluded = {});

class HolidayCalendar;
class StationRegister;

// The factor group of each station, by station index; "" for a station in no group.
using StationGroups = std::vector<std::string>;

// The groups of the register's group column (a station the register lacks is in none).
[[nodiscard]] StationGroups groupsFromRegister(const StationRegister& names,
                                               std::span<const std::string> stations);
// A group file: CSV "station,group" (RFC 4180, an optional header "station,group"). A station
// the table lacks is skipped. Throws Error (Conversion) naming fileLabel and the line for a
// record of other than two fields, an empty station or group, or a station listed twice.
[[nodiscard]] StationGroups parseGroupFile(std::string_view text, std::string_view fileLabel,
                                           std::span<const std::string> stations);
// "register" (names must be loaded, else Error Usage) or the path of a group file.
[[nodiscard]] StationGroups loadGroups(std::string_view choice, const StationRegister* names,
                                       std::span<const std::string> stations);

struct GroupExpansionOptions {
  std::vector<std::int32_t> stations;  // those to expand; empty: every station in a group
  std::optional<int> year;             // only this calendar year
  DayExclusion excluded;               // usually excludingCriticalDays
  // Holidays leave the MADW behind each factor and the days an estimate averages; the AADT
  // keeps them (it averages every valid day).
  const HolidayCalendar* holidays = nullptr;
  bool excludeHolidays = false;
  double cvThreshold = kDefaultCvThreshold;
};

// The annual figures of the stations as factor-group members give them: with excludeHolidays
// and a calendar, each MADW(m,k) is over the valid days that are no holiday and F(m,k) the AADT
// over every valid day divided by it; the other figures keep every valid day.
[[nodiscard]] std::vector<StationYear> factorFigures(const CountView& view,
                                                     std::vector<std::int32_t> stations,
                                                     const GroupExpansionOptions& options);

// One group: its name and its factors, one FactorGroup per year in which a member was counted.
struct NamedFactorGroup {
  std::string name;
  std::vector<FactorGroup> years;  // ascending
};

// An estimate with its group; reason says why there is none ("" when the estimate exists or
// the station simply has no valid day).
struct GroupedEstimate {
  ShortCountEstimate estimate;  // estimate.group points into GroupExpansion::groups
  std::string group;
  std::string reason;
};

// Every group's factors and each station's estimate from its own group. Holds pointers into
// itself, so it moves but does not copy.
struct GroupExpansion {
  GroupExpansion() = default;
  GroupExpansion(GroupExpansion&&) = default;
  GroupExpansion& operator=(GroupExpansion&&) = default;
  GroupExpansion(const GroupExpansion&) = delete;
  GroupExpansion& operator=(const GroupExpansion&) = delete;

  std::vector<NamedFactorGroup> groups;    // by name
  std::vector<GroupedEstimate> estimates;  // station by station, years ascending
  double cvThreshold = kDefaultCvThreshold;
};

// Combines the factors of every group over its members with an AADT and expands each picked
// station with its own group's factors of each year. A station in no group, or whose group has
// fewer than two members with an AADT that year, gets no estimate and says why.
[[nodiscard]] GroupExpansion ExpandByGroups(const CountView& view, const StationGroups& groups,
                                            const GroupExpansionOptions& options);

}  // namespace ostrilo

#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/checks/DataChecks.h"

namespace ostrilo {

// Days of one station flagged with one code, merged: a day without data between two flagged
// days keeps them in one episode, a valid day without the code ends it. A month or year flag is
// an episode of its own.
struct FlagEpisode {
  std::int32_t station = 0;  // index in the station list
  CheckCode code = CheckCode::MissingHours;
  DateNumber firstDay = 0;
  DateNumber lastDay = 0;
  std::int32_t days = 0;     // days flagged (1 for a month or year flag)
  bool wholePeriod = false;  // a month or year flag
  std::string detail;        // the first day's
  [[nodiscard]] Severity severity() const { return severityOf(code); }
  friend bool operator==(const FlagEpisode&, const FlagEpisode&) = default;
};

// The episodes of flags (a subset of results.flags() in its order, e.g. selectFlags), sorted by
// station index, then first day, then code.
[[nodiscard]] std::vector<FlagEpisode> mergeEpisodes(const CheckResults& results,
                                                     std::span<const CheckFlag> flags);

// A station's worst episodes: critical before warnings, longer before shorter, at most limit,
// then in date order. Info episodes are facts, never among them.
[[nodiscard]] std::vector<FlagEpisode> worstEpisodes(std::span<const FlagEpisode> episodes,
                                                     std::int32_t station, std::size_t limit);

// The days to draw for an episode: three days before its first day to three after its last; an
// episode whose span would exceed 31 days draws its first and its last week instead.
struct DaySpan {
  DateNumber first = 0;
  DateNumber last = 0;
  friend bool operator==(const DaySpan&, const DaySpan&) = default;
};
[[nodiscard]] std::vector<DaySpan> episodeGraphSpans(const FlagEpisode& episode);

class ATRTable;
struct PlotSelection;

// The lists of the table with the named station picked and every date of the spans: what the
// hourly graph of an episode plots.
[[nodiscard]] PlotSelection selectionOverSpans(const ATRTable& table, std::string_view station,
                                               std::span<const DaySpan> spans);

// "yyyy-mm-dd", "yyyy-mm" for a month flag, "yyyy" for a year flag.
[[nodiscard]] std::string episodeDateText(const FlagEpisode& episode, DateNumber day);

}  // namespace ostrilo

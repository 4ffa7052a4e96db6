#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ostrilo {

class ATRTable;
class CheckResults;
class StationRegister;

// The TMG volume layouts a table is written in: 143 columns, 141 columns (two-digit year, for
// 1970-2069), or pipe-delimited fields under a header row.
enum class TmgFormat { Tmg2013, Tmg2001, Pipe };

// "2013", "2001" or "pipe" (any case); nothing for anything else.
[[nodiscard]] std::optional<TmgFormat> parseTmgFormat(std::string_view text);

// One "3" record per station and day with at least one counted hour, station by station in
// table order and each station's days by date; hours not counted are blank (empty in the pipe
// form), counted ones zero-filled; the day of the week computed; restriction 2 where checks (the
// table's, as the user sees them) put a critical flag on the day, else the restriction a TMG
// file gave the day, else 0. The state,
// functional class, station id and direction come from the register's `state`, `fclass`,
// `tmg_station` and `direction` columns, the lane from `lane` where it has one (else 0). Lines
// end in CR LF. Throws Error naming the station when the register lacks one of them for a
// station with counts, gives a value the layout cannot hold, or gives two stations one record
// key; std::invalid_argument when checks are of a table of another size.
[[nodiscard]] std::string tmgVolumeText(const ATRTable& table, const CheckResults& checks,
                                        const StationRegister& stations, TmgFormat format);
// Writes it through the output writer: a failed write leaves path as it was.
void writeTmgVolumeFile(const std::string& path, const ATRTable& table, const CheckResults& checks,
                        const StationRegister& stations, TmgFormat format);

}  // namespace ostrilo

#pragma once

#include <QColor>
#include <QString>
#include <optional>
#include <string>

#include "core/table/DateNumber.h"

class QLocale;

namespace ostrilo {

// Time axes count seconds since 1 January 1970 in UTC, as the chart library's date-time ticker
// does; a date number maps onto them without any time zone, so no daylight-saving shift moves a
// point. Whole seconds, so that hours of one day are exactly 3600 apart.
[[nodiscard]] double timeKey(DateNumber date);

inline constexpr double kSecondsPerHour = 3600.0;
inline constexpr double kSecondsPerDay = 86400.0;

// A label format in the stored charts' notation ("hh:mm m/d/yy": m is the month, except right
// after an hour, where it is the minutes) as a Qt date-time format. With multiLine the first
// run of blanks becomes a line break: "hh:mm ddd m/d/yy" shows the time above the day and date.
[[nodiscard]] QString qtDateTimeFormat(const std::string& format, bool multiLine);

// True when the format shows the time of day, so its points are hours rather than days.
[[nodiscard]] bool showsHours(const std::string& format);

// The date-time of a time-axis key for tooltips: the day of the week and the date in the
// locale's short format with a four-digit year ("Mon 1/3/2005"), then the hour ("05:00") when
// withTime.
[[nodiscard]] QString keyText(double key, bool withTime, const QLocale& locale);

// Tooltip of a point or cell: the station on the first line, then the date-time, then the volume,
// or "Not counted" without one.
[[nodiscard]] QString volumeToolTip(const QString& station, double key, bool withTime,
                                    std::optional<double> volume, const QLocale& locale);
// Tooltip of a histogram bar: the bin's volume range [edge, edge + width - 1] and its count.
[[nodiscard]] QString binToolTip(double edge, int width, double count, const QLocale& locale);

// Colour of series k: distinct for the first ten, then repeating.
[[nodiscard]] QColor seriesColour(int k);

}  // namespace ostrilo

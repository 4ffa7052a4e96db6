#pragma once

#include <QString>
#include <string>

#include "core/table/DateNumber.h"

class QLocale;

namespace ostrilo {

// The locale whose formats the windows use: the user's, or English (United States) when the
// user's is the C or POSIX locale, which has no real date format.
[[nodiscard]] QLocale displayLocale();

// The locale's short date format with a four-digit year: a list or tooltip spanning centuries
// must not show a two-digit one.
[[nodiscard]] QString fullYearDateFormat(const QLocale& locale);

// A date list entry: the date in the locale's short format with a four-digit year, a comma and
// the two-letter day ("3/5/2003,We" for English (United States)). A date with a time of day
// shows the time too.
[[nodiscard]] QString dateEntryText(DateNumber date, const QLocale& locale);

// Station names are the file's bytes; every byte shows as one character.
[[nodiscard]] QString stationText(const std::string& name);

// Paths cross between Qt and the core in the file system's own encoding.
[[nodiscard]] std::string toFsPath(const QString& path);
[[nodiscard]] QString fromCoreText(const std::string& text);

// The name proposed for saving beside a source file: a final extension `from` (any case) is
// replaced by `to`, otherwise `to` is appended; an empty path proposes nothing. Only the
// extension changes, never a folder name.
[[nodiscard]] QString replaceExtension(const QString& path, const QString& from, const QString& to);

// A holiday calendar's name for a person: "None" for "", "United States" for "us", "Germany -
// Berlin" for "de-be", else the holiday file's name without its folder.
[[nodiscard]] QString holidayCalendarText(const QString& name);

}  // namespace ostrilo

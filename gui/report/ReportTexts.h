#pragma once

#include <QString>
#include <QStringList>

#include "core/annual/AnnualFigures.h"

class QLocale;

namespace ostrilo {

struct ReportPage;

// The lines of one report page, numbers in the locale's format (thousands separators, decimal
// sign), dates as yyyy-mm-dd.
struct ReportTexts {
  QString period;   // "Period 2023-01-01 to 2023-12-31 (365 dates picked)"
  QString sources;  // "From ATR20230101w1.dat", "From 12 files: first ... last"
  QString days;     // "Figures over 21 valid of 48 complete days ..."
  QString windows;  // "Peak windows: AM 06:00-10:00, PM 15:00-19:00"
  QString weekdayPeaks;
  QString weekendPeaks;
  QStringList statistics;  // ADT, Min DT, Max DT, SD, AWDDT, AWEDT, Days
  QStringList annual;      // a line per whole year, after a note of the years left off
  QString checks;
  QStringList episodes;  // a line per episode, then how many more there are
};

[[nodiscard]] ReportTexts reportTexts(const ReportPage& page, const QLocale& locale);

// The peak windows a user may pick for a report, the default first, and the windows of a pick.
[[nodiscard]] QStringList reportPeakChoices();
[[nodiscard]] PeakWindows reportPeakWindows(int choice);

// The locale a report formats its numbers in: the user's, or English (United States) for the C
// or POSIX locale, which groups no digits.
[[nodiscard]] QLocale reportLocale();

}  // namespace ostrilo

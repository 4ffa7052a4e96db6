#include "gui/charts/ChartFormat.h"

#include <QDateTime>
#include <QLocale>
#include <array>
#include <cmath>

#include "gui/toolkit/TextFormats.h"

namespace ostrilo {

double timeKey(DateNumber date) {
  constexpr double kUnixEpoch = 25569.0;  // 1 January 1970 as a date number
  return std::round((linearDays(date) - kUnixEpoch) * kSecondsPerDay);
}

QString qtDateTimeFormat(const std::string& format, bool multiLine) {
  QString out;
  char lastField = 0;
  bool broken = false;
  for (std::size_t i = 0; i < format.size();) {
    const char c = format[i];
    std::size_t run = 1;
    while (i + run < format.size() && format[i + run] == c) ++run;
    const QString field(static_cast<qsizetype>(run), QLatin1Char(c));
    switch (c) {
      case 'm':
        out += lastField == 'h' ? field : field.toUpper();
        lastField = c;
        break;
      case 'n':  // the unambiguous minutes field of the same notation
        out += QString(static_cast<qsizetype>(run), QLatin1Char('m'));
        lastField = c;
        break;
      case 'd':
      case 'y':
      case 'h':
      case 's':
        out += field;
        lastField = c;
        break;
      case ' ':
        // The first line is the time; the day of the week stays beside its date.
        out +=
            multiLine && !broken ? QString(static_cast<qsizetype>(run), QLatin1Char('\n')) : field;
        broken = broken || multiLine;
        lastField = 0;  // a month after a blank is a month, even when a time precedes it
        break;
      default:
        // Letters the notation does not know would be fields to Qt; quoted, they stay text.
        out += QChar::isLetter(static_cast<char32_t>(c))
                   ? QLatin1Char('\'') + field + QLatin1Char('\'')
                   : field;
        break;
    }
    i += run;
  }
  return out;
}

bool showsHours(const std::string& format) { return format.find('h') != std::string::npos; }

QString keyText(double key, bool withTime, const QLocale& locale) {
  const QDateTime time =
      QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(key * 1000.0)), Qt::UTC);
  // Hours are clock hours in every locale, so the time stays on a 24-hour clock.
  const QString format = QStringLiteral("ddd ") + fullYearDateFormat(locale) +
                         (withTime ? QStringLiteral(" HH:mm") : QString());
  return locale.toString(time, format);
}

QString volumeToolTip(const QString& station, double key, bool withTime,
                      std::optional<double> volume, const QLocale& locale) {
  const QString amount =
      volume ? QStringLiteral("Volume: %1").arg(locale.toString(static_cast<qlonglong>(*volume)))
             : QStringLiteral("Not counted");
  return QStringLiteral("%1\n%2\n%3").arg(station, keyText(key, withTime, locale), amount);
}

QString binToolTip(double edge, int width, double count, const QLocale& locale) {
  const auto low = static_cast<qlonglong>(edge);
  const QString range = width <= 1
                            ? QStringLiteral("Volume %1").arg(locale.toString(low))
                            : QStringLiteral("Volumes %1 to %2")
                                  .arg(locale.toString(low), locale.toString(low + width - 1));
  return QStringLiteral("%1\nCount: %2").arg(range, locale.toString(static_cast<qlonglong>(count)));
}

QColor seriesColour(int k) {
  static const std::array<QColor, 10> kPalette = {
      QColor(31, 119, 180),  QColor(255, 127, 14), QColor(44, 160, 44),   QColor(214, 39, 40),
      QColor(148, 103, 189), QColor(140, 86, 75),  QColor(227, 119, 194), QColor(127, 127, 127),
      QColor(188, 189, 34),  QColor(23, 190, 207)};
  return kPalette[static_cast<std::size_t>(k < 0 ? 0 : k) % kPalette.size()];
}

}  // namespace ostrilo

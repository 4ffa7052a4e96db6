#include "gui/toolkit/TextFormats.h"

#include <QDate>
#include <QFile>
#include <QLocale>
#include <QTime>
#include <algorithm>
#include <cmath>

namespace ostrilo {

QLocale displayLocale() {
  const QLocale locale;
  if (locale.language() == QLocale::C) return QLocale(QLocale::English, QLocale::UnitedStates);
  return locale;
}

QString fullYearDateFormat(const QLocale& locale) {
  QString format = locale.dateFormat(QLocale::ShortFormat);
  if (!format.contains(QLatin1String("yyyy"))) {
    format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
  }
  return format;
}

QString dateEntryText(DateNumber date, const QLocale& locale) {
  const CivilDate civil = civilFromDate(date);
  QString text =
      locale.toString(QDate(civil.year, civil.month, civil.day), fullYearDateFormat(locale));
  const double fraction = std::fabs(date - std::trunc(date));
  if (fraction > 0) {
    const int seconds = static_cast<int>(std::lround(fraction * 86400.0)) % 86400;
    text += QLatin1Char(' ') + locale.toString(QTime(0, 0).addSecs(seconds), QLocale::ShortFormat);
  }
  return text + QLatin1Char(',') + QString::fromLatin1(DayAbbr(date));
}

QString stationText(const std::string& name) {
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

std::string toFsPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString fromCoreText(const std::string& text) { return QString::fromLocal8Bit(text); }

QString replaceExtension(const QString& path, const QString& from, const QString& to) {
  if (path.isEmpty()) return {};
  if (path.endsWith(from, Qt::CaseInsensitive)) return path.left(path.size() - from.size()) + to;
  return path + to;
}

QString holidayCalendarText(const QString& name) {
  if (name.isEmpty()) return QStringLiteral("None");
  if (name == QLatin1String("us")) return QStringLiteral("United States");
  if (name == QLatin1String("de-be")) return QStringLiteral("Germany \u2013 Berlin");
  return name.mid(std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\')) + 1);
}

}  // namespace ostrilo

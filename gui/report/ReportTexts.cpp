#include "gui/report/ReportTexts.h"

#include <QLocale>
#include <cmath>

#include "core/report/ReportPage.h"

namespace ostrilo {

namespace {

QString qtext(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString date(DateNumber day) { return qtext(isoDate(day)); }
QString hour(int h) { return qtext(formatHour(h)); }

// Counts of days, files, vehicles: whole numbers, halves to even as the exports round them.
QString whole(const QLocale& locale, double value) {
  return locale.toString(static_cast<qint64>(std::nearbyint(value)));
}

QString counted(const QLocale& locale, std::int64_t n, const char* one, const char* many) {
  return locale.toString(static_cast<qint64>(n)) + u' ' + QLatin1String(n == 1 ? one : many);
}

QString percent(const QLocale& locale, double value) {
  return locale.toString(value, 'f', 1) + QStringLiteral(" %");
}

QString peaksText(const QLocale& locale, const QString& label, const ReportProfile& profile) {
  if (profile.days == 0) return label + QStringLiteral(": no valid day");
  const auto peak = [&](const char* half, const PeakHour& p) {
    return QStringLiteral("%1 peak %2, %3 veh (%4)")
        .arg(QLatin1String(half), hour(p.hour), whole(locale, p.volume),
             percent(locale, p.sharePct));
  };
  return QStringLiteral("%1 (%2): %3; %4")
      .arg(label, counted(locale, profile.days, "day", "days"), peak("AM", profile.am),
           peak("PM", profile.pm));
}

QString sourcesText(const QLocale& locale, const ReportPage& page) {
  if (page.sources.empty()) return QStringLiteral("From (not saved)");
  if (page.sourceCount > page.sources.size()) {
    return QStringLiteral("From %1: %2 ... %3")
        .arg(counted(locale, static_cast<std::int64_t>(page.sourceCount), "file", "files"),
             qtext(page.sources.front()), qtext(page.sources.back()));
  }
  QStringList names;
  for (const std::string& name : page.sources) names << qtext(name);
  return QStringLiteral("From ") + names.join(QStringLiteral(", "));
}

QString daysText(const QLocale& locale, const ReportPage& page) {
  const CompletenessCounts& d = page.days;
  QString text = QStringLiteral("Every figure over %1 valid of %2 (no critical flag)")
                     .arg(locale.toString(d.complete - d.faulty),
                          counted(locale, d.complete, "complete day", "complete days"));
  if (d.incomplete > 0) {
    text += QStringLiteral("; %1 left out")
                .arg(counted(locale, d.incomplete, "incomplete day", "incomplete days"));
  }
  return text + u'.';
}

QString annualText(const QLocale& locale, const ReportYear& row) {
  QString text = QString::number(row.year) + QStringLiteral(": ");
  if (!row.counted) return text + QStringLiteral("no counted hour");
  text +=
      (row.aadt ? QStringLiteral("AADT ") + whole(locale, *row.aadt) : QStringLiteral("AADT n/a")) +
      QStringLiteral(" (%1 of %2 month-weekday cells covered, %3)")
          .arg(locale.toString(row.coveredCells), locale.toString(kCells),
               counted(locale, row.validDays, "valid day", "valid days"));
  if (row.v30) {
    text += QStringLiteral("; 30th highest hour %1 veh").arg(locale.toString(*row.v30));
    if (row.k30Pct) text += QStringLiteral(", K30 ") + percent(locale, *row.k30Pct);
  }
  const auto peak = [&](const char* half, const std::optional<PeakHour>& p) {
    return QLatin1String(half) + u' ' +
           (p ? QStringLiteral("%1 (%2)").arg(hour(p->hour), percent(locale, p->sharePct))
              : QStringLiteral("n/a"));
  };
  return text + QStringLiteral("; weekday peaks %1, %2")
                    .arg(peak("AM", row.weekdayAm), peak("PM", row.weekdayPm));
}

QString checksText(const QLocale& locale, const ReportPage& page) {
  QStringList codes;
  for (int c = 0; c < kCheckCodeCount; ++c) {
    if (page.flags[static_cast<std::size_t>(c)] == 0) continue;
    codes << qtext(checkCodeName(static_cast<CheckCode>(c))) + u' ' +
                 locale.toString(page.flags[static_cast<std::size_t>(c)]);
  }
  QString text =
      QStringLiteral("%1, %2, %3, %4. %5")
          .arg(counted(locale, page.days.complete, "complete day", "complete days"),
               counted(locale, page.days.incomplete, "incomplete day", "incomplete days"),
               counted(locale, page.days.faulty, "complete day with a critical fault",
                       "complete days with a critical fault"),
               counted(locale, page.warningDays, "day with warnings only",
                       "days with warnings only"),
               codes.isEmpty()
                   ? QStringLiteral("No flag.")
                   : QStringLiteral("Flags: ") + codes.join(QStringLiteral(", ")) + u'.');
  if (!page.holidays.empty()) text += QStringLiteral(" Holidays: ") + qtext(page.holidays) + u'.';
  return text;
}

QString episodeText(const QLocale& locale, const FlagEpisode& e) {
  const QString first = qtext(episodeDateText(e, e.firstDay));
  const QString span = e.lastDay != e.firstDay
                           ? first + QStringLiteral(" .. ") + qtext(episodeDateText(e, e.lastDay))
                           : first;
  const QString severity =
      e.severity() == Severity::Critical ? QStringLiteral("critical") : QStringLiteral("warning");
  const QString days =
      e.days > 1 ? QStringLiteral(", ") + counted(locale, e.days, "day", "days") : QString();
  return QStringLiteral("%1  %2 (%3)%4: %5")
      .arg(span, qtext(checkCodeName(e.code)), severity, days, qtext(e.detail));
}

const PeakWindows kPeakChoices[] = {kCommuterWindows, kNoonWindows};

QString windowsText(const PeakWindows& w) {
  return QStringLiteral("AM %1-%2, PM %3-%4")
      .arg(hour(w.amBegin), hour(w.amEnd), hour(w.pmBegin), hour(w.pmEnd));
}

}  // namespace

QStringList reportPeakChoices() {
  return {QStringLiteral("Commuter (") + windowsText(kCommuterWindows) + u')',
          QStringLiteral("Noon (") + windowsText(kNoonWindows) + u')'};
}

PeakWindows reportPeakWindows(int choice) {
  return choice == 1 ? kPeakChoices[1] : kPeakChoices[0];
}

QLocale reportLocale() {
  const QLocale locale;
  return locale.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates)
                                         : locale;
}

ReportTexts reportTexts(const ReportPage& page, const QLocale& locale) {
  ReportTexts texts;
  texts.period = QStringLiteral("Period %1 to %2 (%3 picked)")
                     .arg(date(page.firstDay), date(page.lastDay),
                          counted(locale, page.datesPicked, "date", "dates"));
  texts.sources = sourcesText(locale, page);
  texts.days = daysText(locale, page);
  texts.windows = QStringLiteral("Peak windows: ") + windowsText(page.windows);
  texts.weekdayPeaks = peaksText(locale, QStringLiteral("Weekday"), page.weekday);
  texts.weekendPeaks = peaksText(locale, QStringLiteral("Weekend day"), page.weekend);
  const StationStat& s = page.statistics;
  for (const auto& figure : {s.ADT, s.MinDT, s.MaxDT, s.SD, s.AWDDT, s.AWEDT}) {
    texts.statistics << (figure ? locale.toString(*figure) : QStringLiteral("n/a"));
  }
  texts.statistics << locale.toString(s.Days);
  if (page.earlierYears > 0) {
    texts.annual << counted(locale, static_cast<std::int64_t>(page.earlierYears),
                            "earlier year left out", "earlier years left out");
  }
  if (page.annual.empty())
    texts.annual << QStringLiteral("The period holds no whole calendar year.");
  for (const ReportYear& row : page.annual) texts.annual << annualText(locale, row);
  texts.checks = checksText(locale, page);
  for (const FlagEpisode& e : page.episodes) texts.episodes << episodeText(locale, e);
  if (page.moreEpisodes > 0) {
    texts.episodes << QStringLiteral("... and %1")
                          .arg(counted(locale, static_cast<std::int64_t>(page.moreEpisodes),
                                       "more episode", "more episodes"));
  }
  return texts;
}

}  // namespace ostrilo

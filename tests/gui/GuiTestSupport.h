#pragma once

#include <QLocale>
#include <QString>
#include <ostream>

// Lets GoogleTest show QStrings as text in failure reports.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace ostrilo::test {

// Sets the default locale for one scope; the windows format dates with it.
class LocaleGuard {
 public:
  explicit LocaleGuard(const QLocale& locale) { QLocale::setDefault(locale); }
  ~LocaleGuard() { QLocale::setDefault(m_saved); }
  LocaleGuard(const LocaleGuard&) = delete;
  LocaleGuard& operator=(const LocaleGuard&) = delete;

 private:
  QLocale m_saved;
};

inline QLocale unitedStates() { return QLocale(QLocale::English, QLocale::UnitedStates); }
inline QLocale germany() { return QLocale(QLocale::German, QLocale::Germany); }

}  // namespace ostrilo::test

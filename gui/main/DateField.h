#pragma once

#include <QDate>
#include <QLineEdit>
#include <QLocale>

class QCalendarWidget;

namespace ostrilo {

// The date a person typed: the locale's short format, with a two- or four-digit year, or
// yyyy-mm-dd. Invalid when the text reads as neither.
[[nodiscard]] QDate parseTypedDate(const QString& text, const QLocale& locale);

// A date box that takes a typed date (as parseTypedDate reads it) and offers a calendar
// popup from the button at its end. Text that reads as no date leaves the last date in force
// and is shown in red until it does.
class DateField : public QLineEdit {
  Q_OBJECT

 public:
  explicit DateField(QWidget* parent = nullptr);

  // Shows dates in the locale's short format with a four-digit year.
  void setDisplayLocale(const QLocale& locale);
  [[nodiscard]] QDate date() const;
  void setDate(const QDate& date);
  void showCalendar();

 private:
  void textTyped();

  QLocale m_locale;
  QDate m_date;
  QCalendarWidget* m_calendar = nullptr;
};

}  // namespace ostrilo

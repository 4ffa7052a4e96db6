#include "gui/main/DateField.h"

#include <QAction>
#include <QCalendarWidget>
#include <QPainter>
#include <QPixmap>

#include "gui/toolkit/TextFormats.h"

namespace ostrilo {

namespace {

// A small calendar leaf: a frame, a dark header and a grid of days.
QIcon calendarIcon() {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(QColor(64, 64, 64));
  painter.setBrush(Qt::white);
  painter.drawRect(1, 2, 13, 12);
  painter.fillRect(2, 3, 12, 3, QColor(128, 0, 0));
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 4; ++column) {
      painter.fillRect(3 + 3 * column, 7 + 2 * row, 2, 1, QColor(64, 64, 64));
    }
  }
  return QIcon(pixmap);
}

}  // namespace

QDate parseTypedDate(const QString& text, const QLocale& locale) {
  const QString typed = text.trimmed();
  if (typed.isEmpty()) return {};
  if (const QDate iso = QDate::fromString(typed, Qt::ISODate); iso.isValid()) return iso;
  const QString shortFormat = locale.dateFormat(QLocale::ShortFormat);
  for (const QString& format : {fullYearDateFormat(locale), shortFormat}) {
    // "2.1.23" as well as "02.01.23": people leave out leading zeros.
    const QString lenient = QString(format)
                                .replace(QStringLiteral("dd"), QStringLiteral("d"))
                                .replace(QStringLiteral("MM"), QStringLiteral("M"));
    for (const QString& f : {format, lenient}) {
      QDate date = locale.toDate(typed, f);
      if (!date.isValid()) continue;
      // A two-digit year means this century, as people who type one mean it; Qt reads 19yy.
      if (!f.contains(QStringLiteral("yyyy"))) date = date.addYears(100);
      return date;
    }
  }
  return {};
}

DateField::DateField(QWidget* parent) : QLineEdit(parent), m_locale(displayLocale()) {
  QAction* popup = addAction(calendarIcon(), QLineEdit::TrailingPosition);
  popup->setToolTip(QStringLiteral("Calendar"));
  connect(popup, &QAction::triggered, this, &DateField::showCalendar);
  connect(this, &QLineEdit::textEdited, this, &DateField::textTyped);
  connect(this, &QLineEdit::editingFinished, this, [this] { setDate(date()); });
}

void DateField::setDisplayLocale(const QLocale& locale) {
  m_locale = locale;
  if (m_date.isValid()) setDate(m_date);
}

QDate DateField::date() const {
  const QDate typed = parseTypedDate(text(), m_locale);
  return typed.isValid() ? typed : m_date;
}

void DateField::setDate(const QDate& date) {
  if (!date.isValid()) return;
  m_date = date;
  setText(m_locale.toString(date, fullYearDateFormat(m_locale)));
  setStyleSheet(QString());
}

void DateField::textTyped() {
  const QDate typed = parseTypedDate(text(), m_locale);
  if (typed.isValid()) m_date = typed;
  setStyleSheet(typed.isValid() ? QString() : QStringLiteral("color: rgb(192, 0, 0)"));
}

void DateField::showCalendar() {
  if (m_calendar == nullptr) {
    m_calendar = new QCalendarWidget(this);
    m_calendar->setObjectName(objectName() + QStringLiteral("Calendar"));
    m_calendar->setWindowFlags(Qt::Popup);
    m_calendar->setGridVisible(true);
    connect(m_calendar, &QCalendarWidget::clicked, this, [this](QDate day) {
      setDate(day);
      m_calendar->hide();
    });
  }
  m_calendar->setLocale(m_locale);
  m_calendar->setSelectedDate(date());
  m_calendar->move(mapToGlobal(QPoint(0, height())));
  m_calendar->show();
}

}  // namespace ostrilo

#include "gui/main/ListTools.h"

#include <QCheckBox>
#include <QItemSelection>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <algorithm>

#include "core/order/DateFilter.h"
#include "gui/main/DateField.h"
#include "gui/toolkit/CaptionButton.h"
#include "gui/toolkit/TextFormats.h"

namespace ostrilo {

static_assert(kEntryDateRole == Qt::UserRole);

namespace {

QPushButton* smallButton(QWidget* page, const QString& name, const QString& caption) {
  auto* b = new CaptionButton(caption, page);
  b->setObjectName(name);
  return b;
}

DateField* dateEdit(QWidget* page, const QString& name) {
  auto* edit = new DateField(page);
  edit->setObjectName(name);
  return edit;
}

QString isoOrAsTyped(const QString& text, const QLocale& locale) {
  if (text.isEmpty()) return text;
  const QDate date = parseTypedDate(text, locale);
  return date.isValid() ? date.toString(Qt::ISODate) : text;
}

QLabel* smallLabel(QWidget* page, const QString& name, const QString& text) {
  auto* l = new QLabel(text, page);
  l->setObjectName(name);
  return l;
}

}  // namespace

bool matchesFilter(const QString& text, const QString& filter) {
  const QStringList words = filter.split(u' ', Qt::SkipEmptyParts);
  return std::all_of(words.begin(), words.end(), [&text](const QString& word) {
    return text.contains(word, Qt::CaseInsensitive);
  });
}

QString isoFilterText(const QString& filter, const QLocale& locale) {
  QStringList words = filter.split(u' ', Qt::SkipEmptyParts);
  for (QString& word : words) {
    const qsizetype dots = word.indexOf(QStringLiteral(".."));
    if (dots < 0) {
      word = isoOrAsTyped(word, locale);
    } else {
      word = isoOrAsTyped(word.left(dots), locale) + QStringLiteral("..") +
             isoOrAsTyped(word.mid(dots + 2), locale);
    }
  }
  return words.join(u' ');
}

void selectVisible(QListWidget& list, const std::function<bool(int row)>& pick) {
  // Runs of rows as ranges: one range per row makes selecting a year's dates crawl.
  QItemSelection on, off;
  const auto close = [&list](QItemSelection& into, int first, int last) {
    if (first >= 0) into.select(list.model()->index(first, 0), list.model()->index(last, 0));
  };
  int first = -1;
  bool picked = false;
  for (int row = 0; row <= list.count(); ++row) {
    const bool end = row == list.count() || list.isRowHidden(row);
    const bool want = !end && pick(row);
    if (first >= 0 && (end || want != picked)) {
      close(picked ? on : off, first, row - 1);
      first = -1;
    }
    if (!end && first < 0) {
      first = row;
      picked = want;
    }
  }
  list.selectionModel()->select(off, QItemSelectionModel::Deselect);
  list.selectionModel()->select(on, QItemSelectionModel::Select);
}

ListFilter::ListFilter(QListWidget& list, QWidget* page, const QString& namePrefix, bool dates)
    : text(new QLineEdit(page)),
      all(smallButton(page, QStringLiteral("cmd%1All").arg(namePrefix), QStringLiteral("All"))),
      none(smallButton(page, QStringLiteral("cmd%1None").arg(namePrefix), QStringLiteral("None"))),
      m_list(list),
      m_dates(dates) {
  text->setObjectName(QStringLiteral("txt%1Filter").arg(namePrefix));
  text->setPlaceholderText(QStringLiteral("Filter"));
  text->setClearButtonEnabled(true);
  QObject::connect(text, &QLineEdit::textChanged, text, [this] { apply(); });
  QObject::connect(all, &QPushButton::clicked, all,
                   [this] { selectVisible(m_list, [](int) { return true; }); });
  QObject::connect(none, &QPushButton::clicked, none,
                   [this] { selectVisible(m_list, [](int) { return false; }); });
}

void ListFilter::apply() {
  const QString filter = text->text();
  if (!m_dates) {
    for (int row = 0; row < m_list.count(); ++row) {
      m_list.setRowHidden(row, !matchesFilter(m_list.item(row)->text(), filter));
    }
    return;
  }
  const DateFilter dates(isoFilterText(filter, displayLocale()).toStdString());
  for (int row = 0; row < m_list.count(); ++row) {
    const QListWidgetItem* item = m_list.item(row);
    const QDate day = item->data(kEntryDateRole).toDate();
    const DateNumber date = dateFromCivil({day.year(), day.month(), day.day()});
    m_list.setRowHidden(row, !dates.matches(date, item->text().toStdString()));
  }
}

DateRangePick::DateRangePick(QListWidget& dates, QWidget* page)
    : fromLabel(smallLabel(page, QStringLiteral("lblFrom"), QStringLiteral("From"))),
      from(dateEdit(page, QStringLiteral("dtpFrom"))),
      toLabel(smallLabel(page, QStringLiteral("lblTo"), QStringLiteral("to"))),
      to(dateEdit(page, QStringLiteral("dtpTo"))),
      days{},
      pickButton(smallButton(page, QStringLiteral("cmdPickRange"), QStringLiteral("Pick"))),
      m_dates(dates) {
  const char* names[] = {"Mo", "Tu", "We", "Th", "Fr", "Sa", "Su"};
  for (std::size_t i = 0; i < days.size(); ++i) {
    days[i] = new QCheckBox(QString::fromLatin1(names[i]), page);
    days[i]->setObjectName(QStringLiteral("chk") + QString::fromLatin1(names[i]));
    days[i]->setChecked(true);
  }
  QObject::connect(pickButton, &QPushButton::clicked, pickButton, [this] { pick(); });
}

void DateRangePick::reset(const QLocale& locale) {
  QDate first, last;
  for (int row = 0; row < m_dates.count(); ++row) {
    const QDate day = m_dates.item(row)->data(kEntryDateRole).toDate();
    if (!first.isValid() || day < first) first = day;
    if (!last.isValid() || day > last) last = day;
  }
  for (DateField* edit : {from, to}) edit->setDisplayLocale(locale);
  if (first.isValid()) {
    from->setDate(first);
    to->setDate(last);
  }
  for (QCheckBox* day : days) day->setChecked(true);
}

void DateRangePick::pick() {
  const QDate first = from->date();
  const QDate last = to->date();
  selectVisible(m_dates, [&](int row) {
    const QDate day = m_dates.item(row)->data(kEntryDateRole).toDate();
    return day >= first && day <= last &&
           days[static_cast<std::size_t>(day.dayOfWeek() - 1)]->isChecked();
  });
}

}  // namespace ostrilo

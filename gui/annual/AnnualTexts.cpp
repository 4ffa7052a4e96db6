#include "gui/annual/AnnualTexts.h"

#include <QHeaderView>
#include <QLocale>
#include <QTreeWidget>
#include <cmath>

namespace ostrilo {

namespace {
constexpr int kValueRole = Qt::UserRole;
// Set on a figure column so that sorting knows it is one even where the value is absent.
constexpr int kFigureColumnRole = Qt::UserRole + 1;
}  // namespace

QString naText() { return QStringLiteral("n/a"); }

QString vehiclesText(std::optional<double> value, const QLocale& locale) {
  // nearbyint rounds halves to even, as the files do.
  return value ? locale.toString(static_cast<qlonglong>(std::nearbyint(*value))) : naText();
}

QString percentText(std::optional<double> value, const QLocale& locale) {
  return value ? locale.toString(*value, 'f', 2) : naText();
}

QString factorText(std::optional<double> value, const QLocale& locale) {
  return value ? locale.toString(*value, 'f', 4) : naText();
}

QString monthText(int month0) {
  static const char* const kNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  return QString::fromLatin1(kNames[month0]);
}

QString dayText(int dow) {
  static const char* const kNames[] = {"Mo", "Tu", "We", "Th", "Fr", "Sa", "Su"};
  return QString::fromLatin1(kNames[dow]);
}

void FigureItem::setFigure(int column, std::optional<double> value, const QString& text) {
  setText(column, value ? text : naText());
  setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
  setData(column, kFigureColumnRole, true);
  setData(column, kValueRole, value ? QVariant(*value) : QVariant());
}

bool FigureItem::operator<(const QTreeWidgetItem& other) const {
  const QTreeWidget* list = treeWidget();
  const int column = list != nullptr ? list->sortColumn() : 0;
  if (!data(column, kFigureColumnRole).toBool()) return text(column) < other.text(column);
  const QVariant mine = data(column, kValueRole);
  const QVariant theirs = other.data(column, kValueRole);
  if (!mine.isValid() || !theirs.isValid()) {
    // A descending sort asks with the operands swapped; n/a stays below every value either way.
    const bool descending =
        list != nullptr && list->header()->sortIndicatorOrder() == Qt::DescendingOrder;
    return descending ? !mine.isValid() && theirs.isValid() : mine.isValid() && !theirs.isValid();
  }
  return mine.toDouble() < theirs.toDouble();
}

QString tabSeparatedText(const QTreeWidget& list, const QList<QTreeWidgetItem*>& rows) {
  const int columns = list.columnCount();
  auto line = [columns, &list](const QTreeWidgetItem& item) {
    QStringList cells;
    for (int shown = 0; shown < columns; ++shown) {
      const int c = list.header()->logicalIndex(shown);
      if (!list.isColumnHidden(c)) cells << item.text(c);
    }
    return cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
  };
  QString text = line(*list.headerItem());
  for (const QTreeWidgetItem* row : rows) text += line(*row);
  return text;
}

}  // namespace ostrilo

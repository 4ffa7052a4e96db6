#include "gui/annual/AnnualViews.h"

#include <QHeaderView>
#include <QLocale>
#include <QTreeWidget>

#include "gui/annual/AnnualTexts.h"
#include "gui/toolkit/TextFormats.h"

namespace ostrilo {

namespace {

void startList(QTreeWidget& list, const QStringList& headings, int textColumns) {
  list.clear();
  list.setColumnCount(static_cast<int>(headings.size()));
  list.setHeaderLabels(headings);
  for (int c = 0; c < list.columnCount(); ++c) {
    list.setColumnHidden(c, false);
    list.headerItem()->setTextAlignment(
        c, (c < textColumns ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
  }
}

void finishList(QTreeWidget& list, const QList<QTreeWidgetItem*>& items) {
  list.addTopLevelItems(items);
  for (int c = 0; c < list.columnCount(); ++c) list.resizeColumnToContents(c);
}

std::optional<double> v30Of(const StationYear& row) {
  if (row.v30.volume) return static_cast<double>(*row.v30.volume);
  return std::nullopt;
}

}  // namespace

int rowIndexRole() { return Qt::UserRole + 2; }

QString splitText(const std::optional<DirectionalSplit>& split, const QLocale& locale) {
  if (!split) return naText();
  QStringList shares;
  for (const double share : split->sharePct) shares << percentText(share, locale);
  return QString::fromStdString(formatHour(split->hour)) + QLatin1Char(' ') +
         shares.join(QLatin1Char('/'));
}

void fillRoadList(QTreeWidget& list, const std::vector<RoadYear>& rows, const QLocale& locale) {
  startList(list,
            {QStringLiteral("Road"), QStringLiteral("Directions"), QStringLiteral("Year"),
             QStringLiteral("Valid days"), QStringLiteral("ADT"), QStringLiteral("AADT"),
             QStringLiteral("Cells"), QStringLiteral("V30"), QStringLiteral("K30 %"),
             QStringLiteral("D30 %"), QStringLiteral("DDHV"), QStringLiteral("D1 %"),
             QStringLiteral("AM peak split %"), QStringLiteral("PM peak split %")},
            2);
  QList<QTreeWidgetItem*> items;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const RoadYear& row = rows[i];
    const StationYear& two = row.twoWay;
    auto* item = new FigureItem;
    item->setText(0, fromCoreText(row.road));
    item->setData(0, rowIndexRole(), static_cast<qulonglong>(i));
    item->setText(1, fromCoreText(row.directions));
    item->setFigure(2, two.year, QString::number(two.year));
    item->setFigure(3, two.validDays, locale.toString(two.validDays));
    item->setFigure(4, two.adt, vehiclesText(two.adt, locale));
    item->setFigure(5, two.aadt, vehiclesText(two.aadt, locale));
    item->setFigure(6, two.coveredCells, QStringLiteral("%1/%2").arg(two.coveredCells).arg(kCells));
    item->setFigure(7, v30Of(two), vehiclesText(v30Of(two), locale));
    item->setFigure(8, two.v30.kPct, percentText(two.v30.kPct, locale));
    item->setFigure(9, row.d30Pct, percentText(row.d30Pct, locale));
    item->setFigure(10, row.ddhv, vehiclesText(row.ddhv, locale));
    item->setFigure(11, row.d1Pct, percentText(row.d1Pct, locale));
    item->setText(12, splitText(row.amSplit, locale));
    item->setText(13, splitText(row.pmSplit, locale));
    for (int c : {12, 13}) item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    items << item;
  }
  finishList(list, items);
}

void fillTrendList(QTreeWidget& list, const std::vector<TrendYear>& rows, const QLocale& locale) {
  startList(list,
            {QStringLiteral("Station"), QStringLiteral("Year"), QStringLiteral("Valid days"),
             QStringLiteral("ADT"), QStringLiteral("AADT"), QStringLiteral("Cells"),
             QStringLiteral("AADT change %"), QStringLiteral("CAGR %")},
            1);
  QList<QTreeWidgetItem*> items;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const TrendYear& row = rows[i];
    auto* item = new FigureItem;
    item->setText(0, stationText(row.station));
    item->setData(0, rowIndexRole(), static_cast<qulonglong>(i));
    item->setFigure(1, row.year, QString::number(row.year));
    item->setFigure(2, row.validDays, locale.toString(row.validDays));
    item->setFigure(3, row.adt, vehiclesText(row.adt, locale));
    item->setFigure(4, row.aadt, vehiclesText(row.aadt, locale));
    item->setFigure(5, row.coveredCells, QStringLiteral("%1/%2").arg(row.coveredCells).arg(kCells));
    item->setFigure(6, row.aadtChangePct, percentText(row.aadtChangePct, locale));
    item->setFigure(7, row.cagrPct, percentText(row.cagrPct, locale));
    items << item;
  }
  finishList(list, items);
}

}  // namespace ostrilo

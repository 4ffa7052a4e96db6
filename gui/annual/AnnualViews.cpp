#include "gui/annual/AnnualViews.h"

#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>

#include "core/export/GeoJson.h"
#include "core/register/Coordinates.h"
#include "core/register/StationRegister.h"
#include "gui/annual/AnnualTexts.h"
#include "gui/toolkit/CsvExport.h"
#include "gui/toolkit/RecentFolders.h"
#include "gui/toolkit/TextFormats.h"
#include "gui/toolkit/Toolkit.h"

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

void setNameText(QTreeWidgetItem& item, int column, const QString& name) {
  item.setText(column, name);
  item.setToolTip(column, name);
}

void fitNameColumn(QTreeWidget& list, int column) {
  list.resizeColumnToContents(column);
  const int widest = list.fontMetrics().averageCharWidth() * 28;
  if (list.columnWidth(column) > widest) list.setColumnWidth(column, widest);
}

QPushButton* namedButton(const char* text, const char* name) {
  auto* button = new QPushButton(QString::fromLatin1(text));
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

QTreeWidget* figureList(const char* name) {
  auto* list = new QTreeWidget;
  list->setObjectName(QString::fromLatin1(name));
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setAlternatingRowColors(true);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // Unsorted until a heading is clicked: the rows come station by station in the order picked.
  list->header()->setSectionsClickable(true);
  return list;
}

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

void fillTrendList(QTreeWidget& list, const std::vector<TrendYear>& rows, const QLocale& locale,
                   bool ofRoads) {
  startList(list,
            {ofRoads ? QStringLiteral("Road") : QStringLiteral("Station"), QStringLiteral("Year"),
             QStringLiteral("Valid days"), QStringLiteral("ADT"), QStringLiteral("AADT"),
             QStringLiteral("Cells"), QStringLiteral("AADT change %"), QStringLiteral("CAGR %")},
            1);
  QList<QTreeWidgetItem*> items;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const TrendYear& row = rows[i];
    auto* item = new FigureItem;
    // A road's name is register text, shown as the register's other texts; a station by its id's
    // bytes.
    item->setText(0, ofRoads ? fromCoreText(row.station) : stationText(row.station));
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

std::vector<std::string> selectedTrendStations(const QTreeWidget& list,
                                               const std::vector<TrendYear>& rows) {
  std::vector<std::string> picked;
  const auto add = [&picked](const std::string& name) {
    if (std::find(picked.begin(), picked.end(), name) == picked.end()) picked.push_back(name);
  };
  for (int r = 0; r < list.topLevelItemCount(); ++r) {
    const QTreeWidgetItem* item = list.topLevelItem(r);
    const auto index = item->data(0, rowIndexRole()).toULongLong();
    if (item->isSelected() && index < rows.size()) add(rows[index].station);
  }
  if (picked.empty()) {
    for (const TrendYear& row : rows) add(row.station);
  }
  return picked;
}

QString stationLabel(const std::string& id, const StationRegister* names) {
  const std::string_view name = names != nullptr ? names->name(id) : std::string_view();
  return name.empty() ? stationText(id)
                      : stationText(id) + QStringLiteral("  ") + fromCoreText(std::string(name));
}

std::vector<Road> roadsOfStations(const StationRegister& names, std::span<const std::string> ids,
                                  std::span<const std::int32_t> stations) {
  std::vector<Road> roads;
  for (Road& road : registerRoads(names)) {
    const bool picked = std::any_of(stations.begin(), stations.end(), [&](std::int32_t s) {
      const std::string& id = ids[static_cast<std::size_t>(s)];
      return std::find(road.stations.begin(), road.stations.end(), id) != road.stations.end();
    });
    if (picked) roads.push_back(std::move(road));
  }
  return roads;
}

bool anyPlaced(const StationRegister* names, std::span<const std::string> ids,
               std::span<const std::int32_t> stations) {
  if (names == nullptr) return false;
  return std::any_of(stations.begin(), stations.end(), [&](std::int32_t s) {
    const StationEntry* entry = names->find(ids[static_cast<std::size_t>(s)]);
    return entry != nullptr && stationCoordinates(*entry).has_value();
  });
}

std::optional<QString> askAnnualExportPath(Toolkit& toolkit, QWidget* parent,
                                           const QString& proposed, bool withLayer) {
  if (!withLayer) {
    return askExportPath(toolkit, parent, QStringLiteral("Select the annual figures *.csv file"),
                         proposed);
  }
  return askExportPath(toolkit, parent,
                       QStringLiteral("Select the annual figures *.csv, *.xlsx or *.geojson file"),
                       proposed, QStringLiteral("|GeoJSON layer (*.geojson)|*.geojson"));
}

void saveGeoJsonAndReport(Toolkit& toolkit, QWidget* parent, const QString& path,
                          const std::vector<StationYear>& rows, const StationRegister& names) {
  std::vector<std::string> without;
  try {
    without = writeAnnualGeoJson(toFsPath(path), rows, names);
  } catch (const std::exception& e) {
    toolkit.showMessage(parent, fromCoreText(e.what()), MessageIcon::Exclamation, kWarningTitle);
    return;
  }
  rememberFolder(FileKind::Export, path);
  QString text = QStringLiteral("Done.");
  if (!without.empty()) {
    QStringList ids;
    for (const std::string& id : without) ids << stationText(id);
    text += QStringLiteral(" No point in the register for: ") + ids.join(QStringLiteral(", "));
  }
  toolkit.showMessage(parent, text, MessageIcon::Information, kAppTitle);
}

}  // namespace ostrilo

#pragma once

#include <QString>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/annual/RoadFigures.h"
#include "core/annual/YearTrend.h"

class QLocale;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace ostrilo {

class StationRegister;
class Toolkit;

// A button and a figure list of the annual windows, named for finding them in tests.
[[nodiscard]] QPushButton* namedButton(const char* text, const char* name);
// Rows of figures: no tree, many rows selectable, sorting when a heading is clicked.
[[nodiscard]] QTreeWidget* figureList(const char* name);

// A station's name, whole in its tooltip; the column fits the names up to about 28 characters,
// so that a register's long descriptions leave the figures in sight.
void setNameText(QTreeWidgetItem& item, int column, const QString& name);
void fitNameColumn(QTreeWidget& list, int column);

// Figure lists of the annual window beside its station rows. Each refills the list (headings
// included) with one row per given row, the row's index on column 0 under rowIndexRole(), the
// figures right-aligned and sorting by value with n/a last.
void fillRoadList(QTreeWidget& list, const std::vector<RoadYear>& rows, const QLocale& locale);
// Trend rows of roads name their first column "Road".
void fillTrendList(QTreeWidget& list, const std::vector<TrendYear>& rows, const QLocale& locale,
                   bool ofRoads);
[[nodiscard]] int rowIndexRole();

// "61.20/38.80": the directions' shares in register order; n/a without a split.
[[nodiscard]] QString splitText(const std::optional<DirectionalSplit>& split,
                                const QLocale& locale);

// The stations (or roads) of the list's selected trend rows in list order, each once; every
// row's when none is selected.
[[nodiscard]] std::vector<std::string> selectedTrendStations(const QTreeWidget& list,
                                                             const std::vector<TrendYear>& rows);
// "id  name" when the register names the station, else the id.
[[nodiscard]] QString stationLabel(const std::string& id, const StationRegister* names);
// The register's roads with a direction among the stations (indexes into ids).
[[nodiscard]] std::vector<Road> roadsOfStations(const StationRegister& names,
                                                std::span<const std::string> ids,
                                                std::span<const std::int32_t> stations);
// Some of the stations has a point in the register: their rows can be a map layer.
[[nodiscard]] bool anyPlaced(const StationRegister* names, std::span<const std::string> ids,
                             std::span<const std::int32_t> stations);
// Asks where an export of the annual window goes; withLayer offers a GeoJSON layer too.
[[nodiscard]] std::optional<QString> askAnnualExportPath(Toolkit& toolkit, QWidget* parent,
                                                         const QString& proposed, bool withLayer);
// Writes the rows as a GeoJSON layer and says how it went ("Done.", naming the stations left
// without a point), or the error; a failure changes no file.
void saveGeoJsonAndReport(Toolkit& toolkit, QWidget* parent, const QString& path,
                          const std::vector<StationYear>& rows, const StationRegister& names);

}  // namespace ostrilo

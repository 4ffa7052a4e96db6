#pragma once

#include "core/selection/PlotSelection.h"

class QListWidget;
class QWidget;

namespace ostrilo {

class Toolkit;

// A station entry that shows more than the station's id ("B346  Clayallee") keeps the id, as
// stationText gives it, under this role; the selection's names are the ids, so files and
// figures do not change with a register.
inline constexpr int kStationIdRole = 0x0100 + 2;  // Qt::UserRole + 2

// An entry of a list shown in an order of its own keeps its table index under this role; an
// entry without one is its row's index.
inline constexpr int kTableIndexRole = 0x0100 + 3;  // Qt::UserRole + 3

// The table index of a list's row.
[[nodiscard]] int tableIndexOf(const QListWidget& list, int row);

// The selection as plain data, by table index whatever order the lists show, read from the
// station and the date list of the main window.
[[nodiscard]] PlotSelection selectionFromLists(const QListWidget& stations,
                                               const QListWidget& dates);

// Runs the selection check; when it fails, shows its warning and answers false.
[[nodiscard]] bool checkSelectionOrWarn(Toolkit& toolkit, QWidget* parent,
                                        const PlotSelection& selection);

}  // namespace ostrilo

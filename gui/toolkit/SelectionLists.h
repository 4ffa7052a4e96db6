#pragma once

#include "core/selection/PlotSelection.h"

class QListWidget;
class QWidget;

namespace ostrilo {

class Toolkit;

// The selection as plain data, read from the station and the date list of the main window.
[[nodiscard]] PlotSelection selectionFromLists(const QListWidget& stations,
                                               const QListWidget& dates);

// Runs the selection check; when it fails, shows its warning and answers false.
[[nodiscard]] bool checkSelectionOrWarn(Toolkit& toolkit, QWidget* parent,
                                        const PlotSelection& selection);

}  // namespace ostrilo

#include "gui/charts/Plots.h"

#include "core/charts/ChartData.h"
#include "core/checks/DataChecks.h"
#include "gui/charts/frmGraphH.h"
#include "gui/charts/frmGraphL.h"
#include "gui/charts/frmVolColorGrid.h"
#include "gui/toolkit/SelectionLists.h"

namespace ostrilo {

namespace {

// The window is shown only once it is complete, so it never appears half drawn.
template <typename Window, typename Data, typename... Names>
Window* open(Toolkit& toolkit, const Data& data, Names... names) {
  auto* window = new Window(toolkit);
  window->fill(data, names...);
  window->show();
  return window;
}

}  // namespace

frmGraphL* PlotHourlyVol(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                         const PlotSelection& selection, int graphTypeIndex,
                         const StationRegister* names) {
  if (!checkSelectionOrWarn(toolkit, parent, selection)) return nullptr;
  return open<frmGraphL>(toolkit,
                         hourlyVolumeChart(table, selection, seriesKindFor(graphTypeIndex)), names);
}

frmGraphL* PlotDailyVol(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                        const PlotSelection& selection, int graphTypeIndex,
                        const StationRegister* names) {
  if (!checkSelectionOrWarn(toolkit, parent, selection)) return nullptr;
  return open<frmGraphL>(
      toolkit,
      dailyVolumeChart(table, selection, seriesKindFor(graphTypeIndex), RunDataChecks(table)),
      names);
}

frmVolColorGrid* PlotVolColorGrid(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                                  const PlotSelection& selection, const StationRegister* names) {
  if (!checkSelectionOrWarn(toolkit, parent, selection)) return nullptr;
  return open<frmVolColorGrid>(toolkit, volumeColorGrid(table, selection, RunDataChecks(table)),
                               names);
}

frmGraphH* PlotVolHistogram(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                            const PlotSelection& selection) {
  if (!checkSelectionOrWarn(toolkit, parent, selection)) return nullptr;
  return open<frmGraphH>(toolkit, volumeHistogram(table, selection));
}

}  // namespace ostrilo

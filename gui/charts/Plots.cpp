#include "gui/charts/Plots.h"

#include "core/charts/ChartData.h"
#include "core/charts/WeeklyProfile.h"
#include "core/checks/DataChecks.h"
#include "gui/charts/frmGraphH.h"
#include "gui/charts/frmGraphL.h"
#include "gui/charts/frmVolColorGrid.h"
#include "gui/charts/frmWeeklyProfile.h"
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
  return open<frmGraphL>(
      toolkit, hourlyVolumeChart(table, selection, seriesKindFor(graphTypeIndex), names), names);
}

frmGraphL* PlotDailyVol(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                        const PlotSelection& selection, int graphTypeIndex,
                        const StationRegister* names) {
  if (!checkSelectionOrWarn(toolkit, parent, selection)) return nullptr;
  return open<frmGraphL>(toolkit,
                         dailyVolumeChart(table, selection, seriesKindFor(graphTypeIndex),
                                          RunDataChecks(table), names),
                         names);
}

frmVolColorGrid* PlotVolColorGrid(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                                  const PlotSelection& selection, const StationRegister* names) {
  if (!checkSelectionOrWarn(toolkit, parent, selection)) return nullptr;
  return open<frmVolColorGrid>(
      toolkit, volumeColorGrid(table, selection, RunDataChecks(table), names), names);
}

frmGraphH* PlotVolHistogram(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                            const PlotSelection& selection, const StationRegister* names) {
  if (!checkSelectionOrWarn(toolkit, parent, selection)) return nullptr;
  return open<frmGraphH>(toolkit, volumeHistogram(table, selection, names));
}

frmWeeklyProfile* PlotWeeklyProfile(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                                    const PlotSelection& selection, const StationRegister* names) {
  if (!checkSelectionOrWarn(toolkit, parent, selection)) return nullptr;
  return open<frmWeeklyProfile>(toolkit, weeklyProfileChart(table, selection, RunDataChecks(table)),
                                names);
}

frmGraphL* PlotDaysAround(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                          std::string_view station, DateNumber day, int graphTypeIndex,
                          const StationRegister* names) {
  const PlotSelection around = selectionAroundFlag(table, station, day);
  if (!checkSelectionOrWarn(toolkit, parent, around)) return nullptr;
  return open<frmGraphL>(
      toolkit, flagVolumeChart(table, around, day, seriesKindFor(graphTypeIndex), names), names);
}

}  // namespace ostrilo

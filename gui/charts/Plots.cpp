#include "gui/charts/Plots.h"

#include "core/analysis/TableAnalysis.h"
#include "core/calendar/HolidayCalendar.h"
#include "core/charts/ChartData.h"
#include "core/charts/WeeklyProfile.h"
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

// The caller's analysis, or one of this call's own.
class AnalysisOf {
 public:
  explicit AnalysisOf(TableAnalysis* given) : m_used(given != nullptr ? given : &m_own) {}
  TableAnalysis& operator*() const { return *m_used; }
  TableAnalysis* operator->() const { return m_used; }

 private:
  TableAnalysis m_own;
  TableAnalysis* m_used;
};

LineChart shaded(LineChart chart, const TableAnalysis* analysis) {
  if (analysis != nullptr) shadeHolidays(chart, analysis->holidays());
  return chart;
}

}  // namespace

frmGraphL* PlotHourlyVol(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                         const PlotSelection& selection, int graphTypeIndex,
                         const StationRegister* names, TableAnalysis* analysis) {
  if (!checkSelectionOrWarn(toolkit, parent, selection)) return nullptr;
  return open<frmGraphL>(
      toolkit,
      shaded(hourlyVolumeChart(table, selection, seriesKindFor(graphTypeIndex), names), analysis),
      names);
}

frmGraphL* PlotDailyVol(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                        const PlotSelection& selection, int graphTypeIndex,
                        const StationRegister* names, TableAnalysis* analysis) {
  if (!checkSelectionOrWarn(toolkit, parent, selection)) return nullptr;
  const AnalysisOf checked(analysis);
  return open<frmGraphL>(toolkit,
                         shaded(dailyVolumeChart(table, selection, seriesKindFor(graphTypeIndex),
                                                 checked->checks(table), names),
                                analysis),
                         names);
}

frmVolColorGrid* PlotVolColorGrid(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                                  const PlotSelection& selection, const StationRegister* names,
                                  TableAnalysis* analysis) {
  if (!checkSelectionOrWarn(toolkit, parent, selection)) return nullptr;
  const AnalysisOf checked(analysis);
  return open<frmVolColorGrid>(
      toolkit, volumeColorGrid(table, selection, checked->checks(table), names), names);
}

frmGraphH* PlotVolHistogram(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                            const PlotSelection& selection, const StationRegister* names) {
  if (!checkSelectionOrWarn(toolkit, parent, selection)) return nullptr;
  return open<frmGraphH>(toolkit, volumeHistogram(table, selection, names));
}

frmWeeklyProfile* PlotWeeklyProfile(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                                    const PlotSelection& selection, const StationRegister* names,
                                    TableAnalysis* analysis) {
  if (!checkSelectionOrWarn(toolkit, parent, selection)) return nullptr;
  const AnalysisOf checked(analysis);
  return open<frmWeeklyProfile>(
      toolkit, weeklyProfileChart(table, selection, checked->checks(table)), names);
}

frmGraphL* PlotDaysAround(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                          std::string_view station, DateNumber day, int graphTypeIndex,
                          const StationRegister* names, TableAnalysis* analysis) {
  const PlotSelection around = selectionAroundFlag(table, station, day);
  if (!checkSelectionOrWarn(toolkit, parent, around)) return nullptr;
  return open<frmGraphL>(
      toolkit,
      shaded(flagVolumeChart(table, around, day, seriesKindFor(graphTypeIndex), names), analysis),
      names);
}

}  // namespace ostrilo

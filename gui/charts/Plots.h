#pragma once

#include <string_view>

#include "core/table/DateNumber.h"

class QWidget;

namespace ostrilo {

class ATRTable;
class TableAnalysis;
class StationRegister;
class Toolkit;
class frmGraphH;
class frmGraphL;
class frmVolColorGrid;
class frmWeeklyProfile;
struct PlotSelection;

// The four plots. Each runs the selection check first; when it fails, its warning is shown
// (parented to `parent`) and nothing opens. Otherwise a new window is filled from the table and
// the selection and shown modeless, without owner; it deletes itself when closed. The answer is
// that window, or nullptr after a failed check. graphTypeIndex is the graph-type box's current
// position, -1 when the user typed a text of their own (lines are drawn then). The daily graph
// and the colour grid mark the critical days of the analysis, the line graphs shade its
// calendar's holidays (the caller's analysis of this table; none: one of their own, without a
// calendar). With a register (`names`), the legends, the grid's rows and a one-station chart's
// title name the stations; the selection keeps the bare ids either way.
frmGraphL* PlotHourlyVol(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                         const PlotSelection& selection, int graphTypeIndex,
                         const StationRegister* names = nullptr, TableAnalysis* analysis = nullptr);
frmGraphL* PlotDailyVol(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                        const PlotSelection& selection, int graphTypeIndex,
                        const StationRegister* names = nullptr, TableAnalysis* analysis = nullptr);
frmVolColorGrid* PlotVolColorGrid(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                                  const PlotSelection& selection,
                                  const StationRegister* names = nullptr,
                                  TableAnalysis* analysis = nullptr);
frmGraphH* PlotVolHistogram(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                            const PlotSelection& selection, const StationRegister* names = nullptr);
// The average week of each picked station over its picked valid days (weeklyProfileChart).
frmWeeklyProfile* PlotWeeklyProfile(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                                    const PlotSelection& selection,
                                    const StationRegister* names = nullptr,
                                    TableAnalysis* analysis = nullptr);
// The hourly graph of a flagged station-day among its neighbours: a week, whatever the table
// holds of it (flagVolumeChart). Checked and opened as the other plots.
frmGraphL* PlotDaysAround(Toolkit& toolkit, QWidget* parent, const ATRTable& table,
                          std::string_view station, DateNumber day, int graphTypeIndex,
                          const StationRegister* names = nullptr,
                          TableAnalysis* analysis = nullptr);

}  // namespace ostrilo

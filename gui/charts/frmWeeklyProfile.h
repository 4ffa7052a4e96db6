#pragma once

#include <QPointer>
#include <QStringList>

#include "core/charts/WeeklyProfile.h"
#include "gui/charts/ChartWindow.h"

class QComboBox;
class QCPColorScale;

namespace ostrilo {

// The average week of the picked stations, one station at a time: a 7 x 24 colour grid (days
// down, Monday first; hours across) on one scale for every station, or the seven days as
// curves over the hours. Resting on a cell or a curve's hour shows its mean and the number of
// valid days behind it.
class frmWeeklyProfile final : public ChartWindow {
  Q_OBJECT

 public:
  enum Kind { Grid, Curves };

  explicit frmWeeklyProfile(Toolkit& toolkit);

  // Keeps the chart data and draws its first station as a grid; called once, before showing.
  void fill(WeeklyProfileChart chart, const StationRegister* names = nullptr);
  // Draws the station (index into the chart's stations) in the kind.
  void draw(int station, Kind kind);

  [[nodiscard]] QString toolTipAt(const QPointF& pos) const override;

  QComboBox* cmbKind = nullptr;
  QComboBox* cmbStation = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  [[nodiscard]] QString cellText(int day, int hour) const;

  WeeklyProfileChart m_chart;
  QStringList m_labels;  // by station
  QPointer<QCPColorScale> m_scale;
  int m_station = 0;
  Kind m_kind = Grid;
};

}  // namespace ostrilo

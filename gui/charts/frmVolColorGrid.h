#pragma once

#include <QPointer>
#include <QStringList>

#include "gui/charts/ChartWindow.h"

class QCPAbstractPlottable;

namespace ostrilo {

struct ColorGrid;

// The colour-grid window: one row per picked station, labelled with its name, and one cell per
// picked hour, coloured from red (lowest volume) to green (highest) on one scale shown beside
// the grid. The 24 cells of a day with a critical check flag are outlined, and their tooltips say
// why. A double-click opens the chart editor.
class frmVolColorGrid final : public ChartWindow {
  Q_OBJECT

 public:
  explicit frmVolColorGrid(Toolkit& toolkit);

  // Draws the grid and takes its caption; called once, before the window is shown. With a
  // register, the rows name the stations; a long label is cut short on the axis, where it would
  // squeeze the grid, and shown whole in the tooltip.
  void fill(const ColorGrid& grid, const StationRegister* names = nullptr);

  [[nodiscard]] QString toolTipAt(const QPointF& pos) const override;

 private:
  QPointer<QCPAbstractPlottable> m_grid;
  QStringList m_rowNames;
};

}  // namespace ostrilo

#pragma once

#include <QPointer>

#include "gui/charts/ChartWindow.h"

class QCPBars;

namespace ostrilo {

struct Histogram;

// The histogram window: the first 31 bins of the picked hourly volumes as red bars, each
// covering its bin from the lower edge to the next, with no legend and no editor.
class frmGraphH final : public ChartWindow {
  Q_OBJECT

 public:
  explicit frmGraphH(Toolkit& toolkit);

  // Draws the bars and takes the caption; called once, before the window is shown.
  void fill(const Histogram& histogram);

  [[nodiscard]] QString toolTipAt(const QPointF& pos) const override;

 private:
  QPointer<QCPBars> m_bars;
  double m_smallest = 0;
  int m_width = 1;
};

}  // namespace ostrilo

#pragma once

#include <vector>

#include "core/charts/ChartData.h"

class QCPAxis;

namespace ostrilo {

// A band as drawn: its edges as keys of the time axis.
struct Band {
  double from = 0;
  double to = 0;
  SpanKind kind = SpanKind::Weekend;
};

// Draws the chart data's shaded spans as bands across the axis rect of keyAxis (a time axis
// read by timeKey), under the grid and the series, in a colour per kind. The plot owns the
// bands; nothing is drawn for no span.
void addShadedSpans(QCPAxis& keyAxis, const std::vector<ShadedSpan>& spans);

// The bands added to the plot of keyAxis, in time order; empty when there are none.
[[nodiscard]] std::vector<Band> shadedBandsOf(const QCPAxis& keyAxis);

}  // namespace ostrilo

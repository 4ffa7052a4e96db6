#pragma once

#include <QPointer>
#include <vector>

class QCPAbstractPlottable;
class QCPAxis;

namespace ostrilo {

// A point of a series whose day has a critical check flag.
struct CriticalMark {
  QPointer<QCPAbstractPlottable> series;  // a graph or bars
  double key = 0;
  double value = 0;
};

// Adds the marks as one plottable on the series' axes: a hollow circle around each point, larger
// than the point's dot, in its series' colour with a white rim, so that it shows on bars of that
// colour too. On bars the circle sits on the top of the series' bar within its group. A mark
// follows its series' colour and is hidden with it. The plottable is named for the legend; the
// plot owns it.
QCPAbstractPlottable* addCriticalMarks(QCPAxis& keyAxis, QCPAxis& valueAxis,
                                       std::vector<CriticalMark> marks);

// The marks of a plottable made by addCriticalMarks; nullptr for any other.
[[nodiscard]] const std::vector<CriticalMark>* criticalMarksOf(
    const QCPAbstractPlottable* plottable);

}  // namespace ostrilo

#pragma once

#include <QColor>

class QCPAbstractPlottable;
class QCPAxis;
class QCPScatterStyle;
class QCPTextElement;
class QCustomPlot;
class QString;

namespace ostrilo {

// The look every chart window starts with: flat, a background that runs from white at the top
// to light yellow (255, 255, 128) at the bottom of the axis rect.
void applyChartLook(QCustomPlot& plot);

// The title above the chart, one or more lines; a second call replaces the text. Each line
// is elided in the middle to the plot's width.
void setChartTitle(QCustomPlot& plot, const QString& text);
// The title as set, before eliding; empty before setChartTitle.
[[nodiscard]] QString chartTitleText(const QCustomPlot& plot);
// Elides the title set last to the plot's present width again.
void fitChartTitle(QCustomPlot& plot);
// The title line, nullptr before setChartTitle.
[[nodiscard]] QCPTextElement* chartTitle(const QCustomPlot& plot);

// Shows the legend beside the axis rect, where it hides no data, in columns of `rows` entries;
// hidden, it leaves no empty column behind.
void showLegendBeside(QCustomPlot& plot, bool shown, int rows = 10);

// Labels the axis with date-times in a Qt format (line breaks allowed), read in UTC.
void setDateTimeAxis(QCPAxis& axis, const QString& qtFormat, int tickCount);

// The marker of point series: a small disc, drawn from a picture because the chart draws
// pictures many times faster than shapes, which matters with hundreds of thousands of points.
[[nodiscard]] QCPScatterStyle discMarker(const QColor& colour);

// A series' colour: line and markers of graphs, fill of bars, the translucent fill of areas.
void setSeriesColour(QCPAbstractPlottable& plottable, const QColor& colour);
[[nodiscard]] QColor seriesColourOf(const QCPAbstractPlottable& plottable);

}  // namespace ostrilo

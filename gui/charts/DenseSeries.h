#pragma once

class QCPAxis;
class QCPBars;
class QCPGraph;

namespace ostrilo {

// Series that stay quick to draw when they hold far more values than the axis has pixels, as
// the hourly graph does at the table's size limit (100 stations x 327 days). There the raster
// engine takes seconds to fill the zig-zag outline of an area or a hundred thousand bars less
// than a pixel wide; these draw one line per pixel column instead, from zero to the value
// farthest from it, which looks the same. With fewer values they draw as usual. The plot owns
// what they answer.

// A graph whose fill from zero is drawn by columns while its points are denser than the pixels.
[[nodiscard]] QCPGraph* newAreaGraph(QCPAxis& keyAxis, QCPAxis& valueAxis);

// Bars drawn by columns while each is narrower than a pixel; side by side in a group without
// spacing, each series keeps its place in the group.
[[nodiscard]] QCPBars* newTimeBars(QCPAxis& keyAxis, QCPAxis& valueAxis);

}  // namespace ostrilo

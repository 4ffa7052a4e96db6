#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QCPAbstractPlottable;
class QCPAxis;
class QCPColorGradient;

namespace ostrilo {

struct ColorGrid;

// Cells of one grid row at consecutive hours, drawn as one image.
struct CellRun {
  int row = 0;
  double firstKey = 0;                // time key of the first cell's hour
  std::vector<std::int16_t> volumes;  // one per hour, from firstKey on; 0 when not counted
  std::vector<bool> counted;          // one per hour: false for an hour nobody counted
  QImage image;                       // one pixel per cell, in the cell's colour

  [[nodiscard]] double endKey() const;  // just past the last cell's hour
};

// A station-day with a critical check flag, drawn with an outline around its 24 cells.
struct OutlinedDay {
  int row = 0;
  double key = 0;      // time key of the day's first hour
  std::string reason;  // as the chart data gives it: read only for a tooltip
};

struct CellHit {
  int row = 0;
  double key = 0;                      // time key of the cell's hour
  std::optional<std::int16_t> volume;  // nothing for an hour that was not counted
  QString reason;                      // why its day is critical; empty when it is not
};

// The colour of a cell whose hour was not counted: a grey that the volume scale never reaches,
// so that it cannot be read as a volume.
[[nodiscard]] QColor notCountedColour();
// The volume scale as a QCustomPlot gradient, low volumes light, high ones dark.
[[nodiscard]] QCPColorGradient volumeGradient();
// The outline of a critical day: a colour neither on the scale nor the grey.
[[nodiscard]] QColor criticalOutlineColour();

// Adds the grid's cells as one plottable: time along keyAxis, row k at value k along valueAxis,
// each cell one hour wide and one row high, coloured from the gradient over the grid's lowest to
// highest volume, or in notCountedColour(); the grid's critical days are outlined. Its memory
// grows with the cells, not with the time between the first and the last; a gap between dates
// stays empty. The plot owns the plottable.
QCPAbstractPlottable* addColorGrid(QCPAxis& keyAxis, QCPAxis& valueAxis, const ColorGrid& grid,
                                   const QCPColorGradient& gradient);

// The runs of a plottable made by addColorGrid, by row and then by time; nullptr for any other.
[[nodiscard]] const std::vector<CellRun>* cellRunsOf(const QCPAbstractPlottable* plottable);

// The outlined days of a plottable made by addColorGrid, by row and then by time; nullptr for
// any other.
[[nodiscard]] const std::vector<OutlinedDay>* outlinedDaysOf(const QCPAbstractPlottable* plottable);

// The cell of a plottable made by addColorGrid at a key and a value, if there is one.
[[nodiscard]] std::optional<CellHit> cellAt(const QCPAbstractPlottable* plottable, double key,
                                            double value);

}  // namespace ostrilo

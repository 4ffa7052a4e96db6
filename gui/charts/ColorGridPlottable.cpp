#include "gui/charts/ColorGridPlottable.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

#include "core/charts/ChartData.h"
#include "gui/charts/ChartFormat.h"
#include "gui/toolkit/TextFormats.h"

namespace ostrilo {

namespace {

// Runs in walk order would split wherever the date list is out of calendar order; sorting and
// merging gives each stretch of consecutive hours one image.
std::vector<CellRun> groupIntoRuns(const std::vector<GridCell>& cells) {
  std::vector<CellRun> runs;
  for (const GridCell& cell : cells) {
    const double key = timeKey(cell.x);
    if (runs.empty() || runs.back().row != cell.z || runs.back().endKey() != key) {
      runs.push_back(CellRun{cell.z, key, {}, {}, {}});
    }
    runs.back().volumes.push_back(cell.y);
    runs.back().counted.push_back(cell.counted);
  }
  std::sort(runs.begin(), runs.end(), [](const CellRun& a, const CellRun& b) {
    return a.row != b.row ? a.row < b.row : a.firstKey < b.firstKey;
  });
  std::vector<CellRun> merged;
  for (CellRun& run : runs) {
    if (!merged.empty() && merged.back().row == run.row && merged.back().endKey() == run.firstKey) {
      auto& volumes = merged.back().volumes;
      volumes.insert(volumes.end(), run.volumes.begin(), run.volumes.end());
      auto& counted = merged.back().counted;
      counted.insert(counted.end(), run.counted.begin(), run.counted.end());
    } else {
      merged.push_back(std::move(run));
    }
  }
  return merged;
}

bool rowThenTime(int rowA, double keyA, int rowB, double keyB) {
  return rowA != rowB ? rowA < rowB : keyA < keyB;
}

std::vector<OutlinedDay> outlinedDays(const std::vector<CriticalDay>& days) {
  std::vector<OutlinedDay> outlined;
  outlined.reserve(days.size());
  for (const CriticalDay& day : days) {
    outlined.push_back({day.row, timeKey(day.day), day.reason});
  }
  std::sort(outlined.begin(), outlined.end(), [](const OutlinedDay& a, const OutlinedDay& b) {
    return rowThenTime(a.row, a.key, b.row, b.key);
  });
  return outlined;
}

// The rectangles of a frame inside rect, `width` pixels thick; a rectangle too small to show a
// frame and its cells is filled whole, so that a critical day stays visible however far the grid
// is squeezed.
void addFrame(QVector<QRect>& rects, const QRect& rect, int width) {
  if (rect.width() <= 2 * width + 1 || rect.height() <= 2 * width + 1) {
    rects.append(rect);
    return;
  }
  rects.append(QRect(rect.left(), rect.top(), rect.width(), width));
  rects.append(QRect(rect.left(), rect.bottom() - width + 1, rect.width(), width));
  rects.append(QRect(rect.left(), rect.top(), width, rect.height()));
  rects.append(QRect(rect.right() - width + 1, rect.top(), width, rect.height()));
}

class ColorGridPlottable final : public QCPAbstractPlottable {
 public:
  ColorGridPlottable(QCPAxis& keyAxis, QCPAxis& valueAxis, std::vector<CellRun> runs,
                     std::vector<OutlinedDay> outlined)
      : QCPAbstractPlottable(&keyAxis, &valueAxis),
        m_runs(std::move(runs)),
        m_outlined(std::move(outlined)) {
    setSelectable(QCP::stNone);
    setAntialiased(false);
  }

  [[nodiscard]] const std::vector<CellRun>& runs() const { return m_runs; }
  [[nodiscard]] const std::vector<OutlinedDay>& outlined() const { return m_outlined; }

  [[nodiscard]] std::optional<CellHit> cellAt(double key, double value) const {
    const int row = static_cast<int>(std::lround(value));
    auto after = std::upper_bound(m_runs.begin(), m_runs.end(), std::pair(row, key),
                                  [](const std::pair<int, double>& at, const CellRun& run) {
                                    return at.first != run.row ? at.first < run.row
                                                               : at.second < run.firstKey;
                                  });
    if (after == m_runs.begin()) return std::nullopt;
    const CellRun& run = *std::prev(after);
    if (run.row != row || key >= run.endKey()) return std::nullopt;
    const auto column = static_cast<std::size_t>((key - run.firstKey) / kSecondsPerHour);
    const double cellKey = run.firstKey + kSecondsPerHour * static_cast<double>(column);
    CellHit hit{row, cellKey, std::nullopt, reasonAt(row, cellKey)};
    if (run.counted[column]) hit.volume = run.volumes[column];
    return hit;
  }

  double selectTest(const QPointF& pos, bool onlySelectable, QVariant*) const override {
    if ((onlySelectable && mSelectable == QCP::stNone) || !mKeyAxis || !mValueAxis) return -1;
    double key = 0;
    double value = 0;
    pixelsToCoords(pos, key, value);
    return cellAt(key, value) ? 0 : -1;
  }

  QCPRange getKeyRange(bool& foundRange, QCP::SignDomain) const override {
    foundRange = !m_runs.empty();
    QCPRange range(0, 0);
    for (std::size_t i = 0; i < m_runs.size(); ++i) {
      const QCPRange span(m_runs[i].firstKey, m_runs[i].endKey());
      range = i == 0
                  ? span
                  : QCPRange(std::min(range.lower, span.lower), std::max(range.upper, span.upper));
    }
    return range;
  }

  QCPRange getValueRange(bool& foundRange, QCP::SignDomain, const QCPRange&) const override {
    foundRange = !m_runs.empty();
    if (m_runs.empty()) return QCPRange(0, 0);
    return QCPRange(m_runs.front().row - 0.5, m_runs.back().row + 0.5);
  }

 protected:
  void draw(QCPPainter* painter) override {
    if (!mKeyAxis || !mValueAxis) return;
    const QCPRange visible = mKeyAxis->range();
    applyDefaultAntialiasingHint(painter);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (const CellRun& run : m_runs) {
      if (run.endKey() <= visible.lower || run.firstKey >= visible.upper) continue;
      // Only the visible columns go to the painter: zoomed in, a whole run would be scaled to
      // a rectangle far wider than the screen.
      const auto count = static_cast<double>(run.volumes.size());
      const double first =
          std::clamp(std::floor((visible.lower - run.firstKey) / kSecondsPerHour), 0.0, count);
      const double last =
          std::clamp(std::ceil((visible.upper - run.firstKey) / kSecondsPerHour), first, count);
      if (last <= first) continue;
      const QRect target = pixelsOf(run.row, run.firstKey + first * kSecondsPerHour,
                                    run.firstKey + last * kSecondsPerHour);
      painter->drawImage(target, run.image, QRectF(first, 0, last - first, 1));
    }
    drawOutlines(*painter, visible);
  }

  void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override {
    QLinearGradient fill(rect.topLeft(), rect.topRight());
    fill.setColorAt(0, Qt::red);
    fill.setColorAt(1, Qt::green);
    painter->fillRect(rect, fill);
  }

 private:
  // Whole pixels, so that neighbouring rows and runs neither overlap nor leave a seam; at least
  // one pixel each way.
  [[nodiscard]] QRect pixelsOf(int row, double fromKey, double toKey) const {
    const QPointF from = coordsToPixels(fromKey, row - 0.5);
    const QPointF to = coordsToPixels(toKey, row + 0.5);
    QRect rect(
        QPoint(qRound(std::min(from.x(), to.x())), qRound(std::min(from.y(), to.y()))),
        QPoint(qRound(std::max(from.x(), to.x())) - 1, qRound(std::max(from.y(), to.y())) - 1));
    if (rect.width() < 1) rect.setWidth(1);
    if (rect.height() < 1) rect.setHeight(1);
    return rect;
  }

  void drawOutlines(QCPPainter& painter, const QCPRange& visible) const {
    constexpr int kWidth = 2;
    QVector<QRect> rects;
    for (const OutlinedDay& day : m_outlined) {
      if (day.key + kSecondsPerDay <= visible.lower || day.key >= visible.upper) continue;
      addFrame(rects, pixelsOf(day.row, day.key, day.key + kSecondsPerDay), kWidth);
    }
    // One call for all: a year of many stations holds thousands.
    painter.setPen(Qt::NoPen);
    painter.setBrush(criticalOutlineColour());
    painter.drawRects(rects);
  }

  [[nodiscard]] QString reasonAt(int row, double key) const {
    const double midnight = std::floor(key / kSecondsPerDay) * kSecondsPerDay;
    const auto it = std::lower_bound(m_outlined.begin(), m_outlined.end(), std::pair(row, midnight),
                                     [](const OutlinedDay& day, const std::pair<int, double>& at) {
                                       return rowThenTime(day.row, day.key, at.first, at.second);
                                     });
    return it != m_outlined.end() && it->row == row && it->key == midnight
               ? fromCoreText(it->reason)
               : QString();
  }

  std::vector<CellRun> m_runs;
  std::vector<OutlinedDay> m_outlined;
};

}  // namespace

QColor notCountedColour() { return {176, 176, 176}; }

QCPColorGradient volumeGradient() {
  QCPColorGradient gradient;
  gradient.clearColorStops();
  for (const ColourStop& stop : volumeColourScale()) {
    gradient.setColorStopAt(stop.at, QColor(stop.red, stop.green, stop.blue));
  }
  // The stops are close enough that straight RGB keeps the scale's even fall in lightness.
  gradient.setColorInterpolation(QCPColorGradient::ciRGB);
  return gradient;
}

QColor criticalOutlineColour() { return {230, 0, 0}; }

double CellRun::endKey() const {
  return firstKey + kSecondsPerHour * static_cast<double>(volumes.size());
}

QCPAbstractPlottable* addColorGrid(QCPAxis& keyAxis, QCPAxis& valueAxis, const ColorGrid& grid,
                                   const QCPColorGradient& gradient) {
  std::vector<CellRun> runs = groupIntoRuns(grid.cells);
  // Every volume of the grid lies in [lowest, highest]; one lookup per value beats asking the
  // gradient for each of up to a million cells.
  QCPColorGradient scale = gradient;
  const QCPRange range(grid.lowest, std::max<double>(grid.highest, grid.lowest + 1));
  std::vector<QRgb> colours;
  for (int v = grid.lowest; v <= grid.highest; ++v) colours.push_back(scale.color(v, range));
  const QRgb notCounted = notCountedColour().rgb();
  for (CellRun& run : runs) {
    run.image = QImage(static_cast<int>(run.volumes.size()), 1, QImage::Format_RGB32);
    auto* line = reinterpret_cast<QRgb*>(run.image.scanLine(0));
    for (std::size_t c = 0; c < run.volumes.size(); ++c) {
      line[c] = run.counted[c] ? colours[static_cast<std::size_t>(run.volumes[c] - grid.lowest)]
                               : notCounted;
    }
  }
  auto* plottable =
      new ColorGridPlottable(keyAxis, valueAxis, std::move(runs), outlinedDays(grid.criticalDays));
  plottable->removeFromLegend();
  return plottable;
}

const std::vector<CellRun>* cellRunsOf(const QCPAbstractPlottable* plottable) {
  const auto* grid = dynamic_cast<const ColorGridPlottable*>(plottable);
  return grid != nullptr ? &grid->runs() : nullptr;
}

const std::vector<OutlinedDay>* outlinedDaysOf(const QCPAbstractPlottable* plottable) {
  const auto* grid = dynamic_cast<const ColorGridPlottable*>(plottable);
  return grid != nullptr ? &grid->outlined() : nullptr;
}

std::optional<CellHit> cellAt(const QCPAbstractPlottable* plottable, double key, double value) {
  const auto* grid = dynamic_cast<const ColorGridPlottable*>(plottable);
  if (grid == nullptr) return std::nullopt;
  return grid->cellAt(key, value);
}

}  // namespace ostrilo

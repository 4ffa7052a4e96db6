#include "gui/charts/DenseSeries.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace ostrilo {

namespace {

// The pixel farthest from the base line in each pixel column along the key axis.
class ColumnEnvelope {
 public:
  ColumnEnvelope(const QCPAxis& keyAxis, double base, double firstPixel, double lastPixel)
      : m_alongX(keyAxis.orientation() == Qt::Horizontal),
        m_base(base),
        m_first(std::floor(std::min(firstPixel, lastPixel))),
        m_extremes(
            static_cast<std::size_t>(std::floor(std::max(firstPixel, lastPixel)) - m_first) + 1,
            kNone) {}

  void add(const QPointF& pixel) {
    const double along = m_alongX ? pixel.x() : pixel.y();
    const double across = m_alongX ? pixel.y() : pixel.x();
    const double column = std::floor(along) - m_first;
    if (column < 0 || column >= static_cast<double>(m_extremes.size())) return;
    double& extreme = m_extremes[static_cast<std::size_t>(column)];
    if (std::isnan(extreme) || std::abs(across - m_base) > std::abs(extreme - m_base)) {
      extreme = across;
    }
  }

  // A column without a value of its own takes the straight line between its neighbours, as a
  // graph's line crosses it.
  void interpolateGaps() {
    std::size_t known = 0;
    for (std::size_t c = 0; c < m_extremes.size(); ++c) {
      if (!std::isnan(m_extremes[c])) {
        known = c;
        continue;
      }
      std::size_t next = c + 1;
      while (next < m_extremes.size() && std::isnan(m_extremes[next])) ++next;
      if (std::isnan(m_extremes[known]) || next == m_extremes.size()) continue;
      const double t = double(c - known) / double(next - known);
      m_extremes[c] = m_extremes[known] + t * (m_extremes[next] - m_extremes[known]);
    }
  }

  void draw(QCPPainter& painter, const QColor& colour) const {
    QVector<QLineF> lines;
    lines.reserve(static_cast<qsizetype>(m_extremes.size()));
    for (std::size_t c = 0; c < m_extremes.size(); ++c) {
      if (std::isnan(m_extremes[c])) continue;
      const double along = m_first + double(c) + 0.5;
      lines.append(m_alongX ? QLineF(along, m_base, along, m_extremes[c])
                            : QLineF(m_base, along, m_extremes[c], along));
    }
    painter.setPen(QPen(colour, 1));
    painter.setBrush(Qt::NoBrush);
    // Smoothed, a line one pixel wide at a pixel's centre would still bleed into its neighbours
    // and wash the columns out.
    painter.setAntialiasing(false);
    painter.drawLines(lines);
  }

 private:
  static constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

  bool m_alongX;
  double m_base;
  double m_first;
  std::vector<double> m_extremes;
};

// The pixel of value 0 across the key axis, kept inside the axis rect.
double basePixel(const QCPAxis& keyAxis, const QCPAxis& valueAxis) {
  const QRect rect = keyAxis.axisRect()->rect();
  const double base = valueAxis.coordToPixel(0);
  return valueAxis.orientation() == Qt::Vertical
             ? std::clamp(base, double(rect.top()), double(rect.bottom()))
             : std::clamp(base, double(rect.left()), double(rect.right()));
}

class AreaGraph final : public QCPGraph {
 public:
  using QCPGraph::QCPGraph;

 protected:
  // A gap in the data is a NaN in the lines; each stretch between gaps is filled on its own, so
  // that neither a polygon nor the columns' interpolation reaches across a gap.
  void drawFill(QCPPainter* painter, QVector<QPointF>* lines) const override {
    if (channelFillGraph() != nullptr) {
      QCPGraph::drawFill(painter, lines);
      return;
    }
    const bool alongX = keyAxis()->orientation() == Qt::Horizontal;
    const auto isGap = [](const QPointF& p) { return std::isnan(p.x()) || std::isnan(p.y()); };
    // The columns change the painter's pen and brush, which the next stretch needs again.
    const QPen pen = painter->pen();
    const QBrush brush = painter->brush();
    auto it = lines->cbegin();
    while (it != lines->cend()) {
      it = std::find_if_not(it, lines->cend(), isGap);
      const auto end = std::find_if(it, lines->cend(), isGap);
      if (end - it >= 2) fillStretch(*painter, QVector<QPointF>(it, end), alongX);
      painter->setPen(pen);
      painter->setBrush(brush);
      it = end;
    }
  }

 private:
  void fillStretch(QCPPainter& painter, QVector<QPointF> stretch, bool alongX) const {
    const auto along = [alongX](const QPointF& p) { return alongX ? p.x() : p.y(); };
    const double span = std::abs(along(stretch.back()) - along(stretch.front()));
    if (static_cast<double>(stretch.size()) < span) {
      QCPGraph::drawFill(&painter, &stretch);
      return;
    }
    ColumnEnvelope envelope(*keyAxis(), basePixel(*keyAxis(), *valueAxis()), along(stretch.front()),
                            along(stretch.back()));
    for (const QPointF& p : stretch) envelope.add(p);
    envelope.interpolateGaps();
    envelope.draw(painter, painter.brush().color());
  }
};

class TimeBars final : public QCPBars {
 public:
  using QCPBars::QCPBars;

 protected:
  void draw(QCPPainter* painter) override {
    const QCPAxis& key = *keyAxis();
    // Signed: along a vertical axis later keys lie higher, at smaller pixels.
    const double barPixels = key.coordToPixel(width()) - key.coordToPixel(0);
    if (std::abs(barPixels) >= 1 || mDataContainer->isEmpty()) {
      QCPBars::draw(painter);
      return;
    }
    QCPBarsDataContainer::const_iterator begin;
    QCPBarsDataContainer::const_iterator end;
    getVisibleDataBounds(begin, end);
    if (begin == end) return;
    // Where the group puts these bars beside the others, as it does without spacing.
    const QCPBarsGroup* group = barsGroup();
    const double index = group != nullptr ? group->bars().indexOf(this) : 0;
    const double count = group != nullptr ? group->size() : 1;
    const double offset = (index - (count - 1) / 2) * barPixels;
    const bool alongX = key.orientation() == Qt::Horizontal;
    const QPointF shift = alongX ? QPointF(offset, 0) : QPointF(0, offset);
    ColumnEnvelope envelope(key, basePixel(key, *valueAxis()),
                            key.coordToPixel(begin->key) + offset,
                            key.coordToPixel((end - 1)->key) + offset);
    for (auto it = begin; it != end; ++it) {
      envelope.add(coordsToPixels(it->key, it->value) + shift);
    }
    envelope.draw(*painter, brush().color());
  }
};

}  // namespace

QCPGraph* newAreaGraph(QCPAxis& keyAxis, QCPAxis& valueAxis) {
  return new AreaGraph(&keyAxis, &valueAxis);
}

QCPBars* newTimeBars(QCPAxis& keyAxis, QCPAxis& valueAxis) {
  return new TimeBars(&keyAxis, &valueAxis);
}

}  // namespace ostrilo

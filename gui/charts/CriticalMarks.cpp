#include "gui/charts/CriticalMarks.h"

#include <qcustomplot.h>

#include <algorithm>

#include "gui/charts/ChartStyle.h"

namespace ostrilo {

namespace {

constexpr double kRadius = 6;  // pixels; the dot of a point is 4 to 6 across
constexpr double kWidth = 1.5;
constexpr double kRimWidth = kWidth + 2;

// Where a series' bar of a key sits within its group, in key units: side by side without
// spacing, bar i of n is offset by (i - (n - 1) / 2) widths.
double barOffset(const QCPAbstractPlottable& series) {
  const auto* bars = qobject_cast<const QCPBars*>(&series);
  if (bars == nullptr || bars->barsGroup() == nullptr) return 0;
  const QCPBarsGroup& group = *bars->barsGroup();
  const auto index = static_cast<double>(group.bars().indexOf(const_cast<QCPBars*>(bars)));
  return (index - (group.size() - 1) / 2.0) * bars->width();
}

void drawRing(QCPPainter& painter, const QPointF& centre, const QColor& colour) {
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(Qt::white, kRimWidth));
  painter.drawEllipse(centre, kRadius, kRadius);
  painter.setPen(QPen(colour, kWidth));
  painter.drawEllipse(centre, kRadius, kRadius);
}

class CriticalMarks final : public QCPAbstractPlottable {
 public:
  CriticalMarks(QCPAxis& keyAxis, QCPAxis& valueAxis, std::vector<CriticalMark> marks)
      : QCPAbstractPlottable(&keyAxis, &valueAxis), m_marks(std::move(marks)) {
    setName(QStringLiteral("Critical check flag"));
    setSelectable(QCP::stNone);
  }

  [[nodiscard]] const std::vector<CriticalMark>& marks() const { return m_marks; }

  double selectTest(const QPointF&, bool, QVariant*) const override { return -1; }

  QCPRange getKeyRange(bool& foundRange, QCP::SignDomain) const override {
    return rangeOf(foundRange, [](const CriticalMark& m) { return m.key; });
  }

  QCPRange getValueRange(bool& foundRange, QCP::SignDomain, const QCPRange&) const override {
    return rangeOf(foundRange, [](const CriticalMark& m) { return m.value; });
  }

 protected:
  // A mark on a value at the edge of the axis rect, a day that totals 0 for one, would be cut in
  // half; marks whose point lies outside are left out instead.
  [[nodiscard]] QRect clipRect() const override {
    const int margin = qCeil(kRadius + kRimWidth);
    return QCPAbstractPlottable::clipRect().adjusted(-margin, -margin, margin, margin);
  }

  void draw(QCPPainter* painter) override {
    if (!mKeyAxis || !mValueAxis) return;
    const QRectF inside = QRectF(mKeyAxis->axisRect()->rect()).adjusted(-0.5, -0.5, 0.5, 0.5);
    painter->setAntialiasing(true);
    for (const CriticalMark& mark : m_marks) {
      if (mark.series == nullptr || !mark.series->visible()) continue;
      const QPointF centre = coordsToPixels(mark.key + barOffset(*mark.series), mark.value);
      if (!inside.contains(centre)) continue;
      drawRing(*painter, centre, seriesColourOf(*mark.series));
    }
  }

  void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override {
    painter->setAntialiasing(true);
    drawRing(*painter, rect.center(), Qt::black);
  }

 private:
  template <typename Coord>
  QCPRange rangeOf(bool& foundRange, Coord coord) const {
    foundRange = !m_marks.empty();
    if (m_marks.empty()) return {};
    const auto [low, high] = std::minmax_element(
        m_marks.begin(), m_marks.end(),
        [&](const CriticalMark& a, const CriticalMark& b) { return coord(a) < coord(b); });
    return {coord(*low), coord(*high)};
  }

  std::vector<CriticalMark> m_marks;
};

}  // namespace

QCPAbstractPlottable* addCriticalMarks(QCPAxis& keyAxis, QCPAxis& valueAxis,
                                       std::vector<CriticalMark> marks) {
  return new CriticalMarks(keyAxis, valueAxis, std::move(marks));
}

const std::vector<CriticalMark>* criticalMarksOf(const QCPAbstractPlottable* plottable) {
  const auto* marks = dynamic_cast<const CriticalMarks*>(plottable);
  return marks != nullptr ? &marks->marks() : nullptr;
}

}  // namespace ostrilo

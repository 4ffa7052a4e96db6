#include "gui/charts/SpanBands.h"

#include <qcustomplot.h>

#include <algorithm>

#include "gui/charts/ChartFormat.h"

namespace ostrilo {

namespace {

// Light enough that the series stay the first thing seen.
QColor colourOf(SpanKind kind) {
  return kind == SpanKind::Holiday ? QColor(230, 150, 60, 55) : QColor(110, 130, 170, 45);
}

const char* const kLayer = "bands";

class SpanLayerable final : public QCPLayerable {
 public:
  SpanLayerable(QCPAxis& keyAxis, std::vector<Band> bands)
      : QCPLayerable(keyAxis.parentPlot(), QString::fromLatin1(kLayer)),
        m_axis(&keyAxis),
        m_bands(std::move(bands)) {
    setObjectName(QStringLiteral("shadedSpans"));
  }

  [[nodiscard]] const QCPAxis* axis() const { return m_axis; }
  [[nodiscard]] const std::vector<Band>& bands() const { return m_bands; }

 protected:
  void applyDefaultAntialiasingHint(QCPPainter* painter) const override {
    applyAntialiasingHint(painter, false, QCP::aeOther);
  }
  [[nodiscard]] QRect clipRect() const override { return m_axis->axisRect()->rect(); }

  void draw(QCPPainter* painter) override {
    const QRect rect = m_axis->axisRect()->rect();
    const QCPRange range = m_axis->range();
    const bool horizontal = m_axis->orientation() == Qt::Horizontal;
    painter->setPen(Qt::NoPen);
    for (const Band& band : m_bands) {
      if (band.to <= range.lower || band.from >= range.upper) continue;
      const double a = m_axis->coordToPixel(band.from);
      const double b = m_axis->coordToPixel(band.to);
      const QRectF area = horizontal ? QRectF(QPointF(std::min(a, b), rect.top()),
                                              QPointF(std::max(a, b), rect.bottom() + 1))
                                     : QRectF(QPointF(rect.left(), std::min(a, b)),
                                              QPointF(rect.right() + 1, std::max(a, b)));
      painter->fillRect(area, colourOf(band.kind));
    }
  }

 private:
  QCPAxis* m_axis;
  std::vector<Band> m_bands;
};

}  // namespace

void addShadedSpans(QCPAxis& keyAxis, const std::vector<ShadedSpan>& spans) {
  if (spans.empty()) return;
  QCustomPlot& plot = *keyAxis.parentPlot();
  if (plot.layer(QString::fromLatin1(kLayer)) == nullptr) {
    plot.addLayer(QString::fromLatin1(kLayer), plot.layer(QStringLiteral("grid")),
                  QCustomPlot::limBelow);
  }
  std::vector<Band> bands;
  bands.reserve(spans.size());
  for (const ShadedSpan& span : spans) {
    bands.push_back({timeKey(span.from), timeKey(span.to), span.kind});
  }
  new SpanLayerable(keyAxis, std::move(bands));
}

std::vector<Band> shadedBandsOf(const QCPAxis& keyAxis) {
  // By name and dynamic_cast: the class has no meta-object of its own for qobject_cast.
  for (const QCPLayerable* layerable :
       keyAxis.parentPlot()->findChildren<QCPLayerable*>(QStringLiteral("shadedSpans"))) {
    const auto* spans = dynamic_cast<const SpanLayerable*>(layerable);
    if (spans != nullptr && spans->axis() == &keyAxis) return spans->bands();
  }
  return {};
}

}  // namespace ostrilo

#include "gui/main/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ostrilo {

QIcon appIcon() {
  QIcon icon;
  for (const int size : {16, 32, 48, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 16.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 192));
    painter.drawRoundedRect(QRectF(0.5 * unit, 0.5 * unit, 15 * unit, 15 * unit), 2 * unit,
                            2 * unit);
    painter.setBrush(QColor(128, 0, 0));
    const qreal heights[] = {6, 10, 8};
    for (int i = 0; i < 3; ++i) {
      painter.drawRect(
          QRectF((2.5 + 4 * i) * unit, (14 - heights[i]) * unit, 3 * unit, heights[i] * unit));
    }
    QPainterPath curve;
    curve.moveTo(1.5 * unit, 9 * unit);
    curve.cubicTo(5 * unit, 1 * unit, 10 * unit, 8 * unit, 14.5 * unit, 2.5 * unit);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 128, 0), 1.2 * unit, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(curve);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace ostrilo

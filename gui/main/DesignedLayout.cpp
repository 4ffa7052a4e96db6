#include "gui/main/DesignedLayout.h"

#include <algorithm>
#include <cmath>

namespace ostrilo {

Edges nearestCorner(const QRect& designed, const QSize& parentDesigned) {
  const QPoint centre = designed.center();
  const double x = 2 * centre.x() > parentDesigned.width() ? 1 : 0;
  const double y = 2 * centre.y() > parentDesigned.height() ? 1 : 0;
  return {x, y, x, y};
}

void DesignedLayout::add(QWidget* control, Edges edges) {
  m_entries.push_back({control, control->geometry(), edges});
}

bool DesignedLayout::holds(const QWidget* control) const {
  return std::any_of(m_entries.begin(), m_entries.end(),
                     [control](const Entry& e) { return e.control == control; });
}

void DesignedLayout::shiftChildrenOf(const QWidget* parent, QPoint by) {
  for (Entry& e : m_entries) {
    if (e.control && e.control->parentWidget() == parent) e.designed.translate(by);
  }
}

void DesignedLayout::apply(QSize growth) const {
  const int dx = std::max(0, growth.width());
  const int dy = std::max(0, growth.height());
  // Rounded shares, so that two controls splitting the growth between them (0.5 each) always
  // meet where they met at the designed size.
  const auto share = [](double part, int by) { return static_cast<int>(std::lround(part * by)); };
  for (const Entry& e : m_entries) {
    if (!e.control) continue;
    const QRect& d = e.designed;
    e.control->setGeometry(QRect(
        QPoint(d.left() + share(e.edges.left, dx), d.top() + share(e.edges.top, dy)),
        QPoint(d.right() + share(e.edges.right, dx), d.bottom() + share(e.edges.bottom, dy))));
  }
}

}  // namespace ostrilo

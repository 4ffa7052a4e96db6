#pragma once

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <vector>

namespace ostrilo {

// How far each edge of a control follows the growth of its window: 0 keeps it where it was
// designed relative to the top or left, 1 moves it along with the right or bottom, 0.5 half.
struct Edges {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;
};

inline constexpr Edges kTopLeft{0, 0, 0, 0};
inline constexpr Edges kTopRight{1, 0, 1, 0};
inline constexpr Edges kBottomLeft{0, 1, 0, 1};
inline constexpr Edges kBottomRight{1, 1, 1, 1};
inline constexpr Edges kWiden{0, 0, 1, 0};
inline constexpr Edges kGrow{0, 0, 1, 1};

// The edges that keep a control in the corner of its parent nearest to its centre.
[[nodiscard]] Edges nearestCorner(const QRect& designed, const QSize& parentDesigned);

// Keeps the controls of a window that was designed at one size in their places at larger ones:
// at the designed size every control stands exactly where it was designed.
class DesignedLayout {
 public:
  // Takes the control's present geometry as its designed one.
  void add(QWidget* control, Edges edges);
  [[nodiscard]] bool holds(const QWidget* control) const;
  // Moves the designed places of the given parent's controls, as when a page starts lower
  // than the place its controls were designed against.
  void shiftChildrenOf(const QWidget* parent, QPoint by);
  // Places every control for a window grown by `growth` beyond its designed size; a window
  // smaller than designed in either direction places as at that size.
  void apply(QSize growth) const;

 private:
  struct Entry {
    QPointer<QWidget> control;
    QRect designed;
    Edges edges;
  };
  std::vector<Entry> m_entries;
};

}  // namespace ostrilo

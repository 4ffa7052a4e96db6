#pragma once

#include <QRect>

namespace ostrilo {

// The windows were designed in twips; 15 twips make one pixel at 96 dots per inch. Rounding to
// the nearest pixel keeps adjoining controls from drifting apart.
[[nodiscard]] constexpr int twipsToPixels(int twips) { return (twips + 7) / 15; }

[[nodiscard]] inline QRect twipsRect(int left, int top, int width, int height) {
  return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
               twipsToPixels(height));
}

}  // namespace ostrilo

#pragma once

// What a user sees, as text: every shown widget's texts, states and cells, and every drawing
// command of a chart or a page. Compared against a reviewed copy in tests/data/golden, it turns
// any change of a figure, a text, a colour or a place into a failing line.

#include <QString>
#include <functional>

class QCPPainter;
class QWidget;

namespace ostrilo::test {

// The shown widgets of a window, in their order of creation; charts as their drawing.
[[nodiscard]] QString visibleState(const QWidget& window);

// Every drawing command of `paint` on a page of the given size, in device points.
[[nodiscard]] QString drawing(int width, int height, const std::function<void(QCPPainter&)>& paint);

// Fails with the first differing line unless `shown` is the golden copy `name`;
// OSTRILO_UPDATE_GOLDEN=1 writes the copy instead, for review.
void expectGolden(const QString& name, const QString& shown);

}  // namespace ostrilo::test

#pragma once

#include <QPushButton>

namespace ostrilo {

// A push button whose caption wraps onto further lines when it is wider than the button, so
// that a caption never gets cut off on a button of a fixed designed size.
class CaptionButton : public QPushButton {
  Q_OBJECT

 public:
  using QPushButton::QPushButton;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace ostrilo

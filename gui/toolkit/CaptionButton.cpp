#include "gui/toolkit/CaptionButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace ostrilo {

void CaptionButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();
  painter.drawControl(QStyle::CE_PushButtonBevel, option);
  const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
  style()->drawItemText(&painter, contents, Qt::AlignCenter | Qt::TextWordWrap, palette(),
                        isEnabled(), text(), QPalette::ButtonText);
}

}  // namespace ostrilo

// The floor under the main window's start-up: a program that shows what the main window shows
// at its first paint (the heading, the tab control with its two captions, the first tab's three
// frames, two text boxes, seven buttons and a check box, in the same places, colours and fonts,
// and the window's icon) and does nothing else. It links Qt Widgets alone and quits at its
// first paint, as ostrilo-bare-window and ostrilo-startup-bench do.
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

#include "gui/main/AppIcon.h"
#include "gui/toolkit/CaptionButton.h"
#include "gui/toolkit/Twips.h"

namespace {

using ostrilo::twipsRect;

class QuitOnFirstPaint : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint)
      QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
  }
};

template <typename W>
W* at(W* widget, const QRect& rect) {
  widget->setGeometry(rect);
  return widget;
}

void button(QWidget* parent, const QString& caption, const QRect& rect, const QColor& colour) {
  auto* b = at(new ostrilo::CaptionButton(caption, parent), rect);
  QPalette palette = b->palette();
  palette.setColor(QPalette::Button, colour);
  b->setPalette(palette);
}

// The main window's first tab at its designed places, which count from the tab control's top.
class FirstTab : public QWidget {
 public:
  FirstTab() {
    setWindowTitle(QStringLiteral("Ostrilo for ATRyyyymmdd.dat files"));
    setWindowIcon(ostrilo::appIcon());
    resize(ostrilo::twipsToPixels(8115), ostrilo::twipsToPixels(6300));
    QFont windowFont = font();
    windowFont.setPointSizeF(8.25);
    setFont(windowFont);
    auto* heading =
        at(new QLabel(QStringLiteral("Ostrilo V2"), this), twipsRect(240, 120, 3615, 375));
    QFont headingFont = heading->font();
    headingFont.setItalic(true);
    headingFont.setPointSize(18);
    heading->setFont(headingFont);
    QPalette headingPalette = heading->palette();
    headingPalette.setColor(QPalette::WindowText, QColor(128, 0, 0));
    heading->setPalette(headingPalette);

    m_tabs = at(new QTabWidget(this), twipsRect(0, 720, 8055, 5535));
    m_page = new QWidget;
    m_tabs->addTab(m_page, QStringLiteral("Build or load data table from file"));
    m_tabs->addTab(new QWidget, QStringLiteral("Plots and statistics"));
    m_tabs->setTabEnabled(1, false);

    const QColor browse(255, 224, 192), command(255, 255, 192), exit(192, 255, 255);
    auto* frame1 = at(new QGroupBox(QStringLiteral("Enter a continuous count file name: "
                                                   "\"ATRyyyymmddw#.dat\" with full path"),
                                    m_page),
                      twipsRect(120, 600, 7815, 1455));
    at(new QLineEdit(frame1), twipsRect(120, 240, 6495, 315));
    button(frame1, QStringLiteral("Browse"), twipsRect(6720, 240, 975, 375), browse);
    button(frame1, QStringLiteral("Build New Table"), twipsRect(480, 720, 2775, 615), command);
    button(frame1, QStringLiteral("Add To Existing Table"), twipsRect(3480, 720, 2655, 615),
           command);
    auto* frame2 =
        at(new QGroupBox(QStringLiteral("Save the current table into a \"*.cont\" file"), m_page),
           twipsRect(240, 2280, 3735, 1095));
    button(frame2, QStringLiteral("Save"), twipsRect(600, 240, 2295, 735), command);
    button(m_page, QStringLiteral("Exit"), twipsRect(6480, 2520, 1335, 615), exit);
    auto* frame4 =
        at(new QGroupBox(QStringLiteral("Load the preconstructed ATR table : \"*.cont\" file"),
                         m_page),
           twipsRect(240, 3600, 7695, 975));
    at(new QLineEdit(frame4), twipsRect(120, 360, 6375, 375));
    button(frame4, QStringLiteral("Load *.cont"), twipsRect(6600, 240, 855, 615), browse);
    at(new QCheckBox(QStringLiteral("Sum lanes"), frame1), twipsRect(6240, 870, 1500, 300));
  }

 protected:
  void showEvent(QShowEvent* event) override {
    // The page starts below the tab strip, so its controls move up by the page's offset.
    const QPoint offset = m_page->mapTo(m_tabs, QPoint(0, 0));
    for (QWidget* child : m_page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      child->move(child->pos() - offset);
    QWidget::showEvent(event);
  }

 private:
  QTabWidget* m_tabs = nullptr;
  QWidget* m_page = nullptr;
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  QuitOnFirstPaint quit;
  FirstTab window;
  window.installEventFilter(&quit);
  window.show();
  if (argc > 1) {  // a picture of the first paint, to compare with the main window's
    QApplication::processEvents();
    return window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
  }
  return QApplication::exec();
}

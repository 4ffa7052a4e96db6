// Launch to visible main window, as a whole process: the program's main window built exactly as
// app/main.cpp builds it or, built with OSTRILO_BARE_WINDOW, an empty Qt main window in a program
// that links Qt Widgets alone. Each quits at the window's first paint, so timing the process
// (bench/startup.sh) times start-up alone.
#include <QApplication>
#include <QEvent>
#include <QMainWindow>

#ifndef OSTRILO_BARE_WINDOW
#include "core/table/ATRTable.h"
#include "gui/main/frmMain.h"
#include "gui/toolkit/Toolkit.h"
#endif

namespace {

class QuitOnFirstPaint : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint)
      QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  QuitOnFirstPaint quit;
#ifdef OSTRILO_BARE_WINDOW
  QMainWindow window;
#else
  ostrilo::ATRTable table;
  ostrilo::QtToolkit toolkit;
  ostrilo::frmMain window(table, toolkit);
#endif
  window.installEventFilter(&quit);
  window.show();
  return QApplication::exec();
}

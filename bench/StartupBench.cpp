// Launch to visible main window, as a whole process: `--bare` shows an empty Qt main window,
// `--ostrilo` the program's main window built exactly as app/main.cpp builds it. Each quits at
// the window's first paint, so timing the process (bench/startup.sh) times start-up alone.
#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <cstring>
#include <memory>

#include "core/table/ATRTable.h"
#include "gui/main/frmMain.h"
#include "gui/toolkit/Toolkit.h"

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
  const bool bare = argc > 1 && std::strcmp(argv[1], "--bare") == 0;
  QApplication app(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  QuitOnFirstPaint quit;
  if (bare) {
    QMainWindow window;
    window.installEventFilter(&quit);
    window.show();
    return QApplication::exec();
  }
  ostrilo::ATRTable table;
  ostrilo::QtToolkit toolkit;
  ostrilo::frmMain window(table, toolkit);
  window.installEventFilter(&quit);
  window.show();
  return QApplication::exec();
}

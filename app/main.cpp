#include <QApplication>

#include "gui/main/frmMain.h"
#include "gui/toolkit/Toolkit.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  ostrilo::QtToolkit toolkit;
  ostrilo::frmMain window(toolkit);
  window.show();
  return QApplication::exec();
}

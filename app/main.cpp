#include <QApplication>

#include "core/table/ATRTable.h"
#include "gui/main/frmMain.h"
#include "gui/toolkit/Toolkit.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  ostrilo::ATRTable table;
  ostrilo::QtToolkit toolkit;
  ostrilo::frmMain window(table, toolkit);
  window.show();
  return QApplication::exec();
}

#include "gui/toolkit/RecentFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <algorithm>

namespace ostrilo {

namespace {

QString keyOf(FileKind kind) {
  switch (kind) {
    case FileKind::CountFiles:
      return QStringLiteral("folders/countFiles");
    case FileKind::TableFile:
      return QStringLiteral("folders/tableFile");
    case FileKind::Export:
      return QStringLiteral("folders/export");
    case FileKind::Report:
      return QStringLiteral("folders/report");
    case FileKind::Register:
      return QStringLiteral("folders/register");
  }
  return QString();
}

}  // namespace

QString lastFolder(FileKind kind) {
  return QSettings(kSettingsOrganisation, kSettingsApplication).value(keyOf(kind)).toString();
}

void rememberFolder(FileKind kind, const QString& path) {
  if (path.isEmpty()) return;
  QSettings(kSettingsOrganisation, kSettingsApplication)
      .setValue(keyOf(kind), QFileInfo(path).absolutePath());
}

QString inLastFolder(FileKind kind, const QString& name) {
  const QString folder = lastFolder(kind);
  if (folder.isEmpty()) return name;
  // Either separator: a proposal may come from a name typed for another system.
  const QString file = name.mid(std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\')) + 1);
  return file.isEmpty() ? folder + u'/' : QDir(folder).filePath(file);
}

}  // namespace ostrilo

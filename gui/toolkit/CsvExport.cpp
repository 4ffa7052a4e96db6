#include "gui/toolkit/CsvExport.h"

#include <exception>

#include "gui/toolkit/RecentFolders.h"
#include "gui/toolkit/TextFormats.h"
#include "gui/toolkit/Toolkit.h"

namespace ostrilo {

std::optional<QString> askExportPath(Toolkit& toolkit, QWidget* parent, const QString& title,
                                     const QString& proposed, const QString& moreTypes) {
  const FileDialogSettings settings{title,
                                    QStringLiteral("All files (*.*)|*.*|*.csv files|*.csv") +
                                        QLatin1String(kWorkbookFilter) + moreTypes,
                                    2,
                                    QStringLiteral("csv"),
                                    DialogFlag::kPathMustExist | DialogFlag::kHideReadOnly |
                                        DialogFlag::kNoReadOnlyReturn |
                                        DialogFlag::kOverwritePrompt,
                                    inLastFolder(FileKind::Export, proposed)};
  return toolkit.saveFileName(parent, settings);
}

bool saveExportAndReport(Toolkit& toolkit, QWidget* parent, const QString& path,
                         const TableExport& table, WorkbookAbout about) {
  try {
    saveTableExport(toFsPath(path), table, std::move(about));
  } catch (const std::exception& e) {
    toolkit.showMessage(parent, fromCoreText(e.what()), MessageIcon::Exclamation, kWarningTitle);
    return false;
  }
  rememberFolder(FileKind::Export, path);
  toolkit.showMessage(parent, QStringLiteral("Done."), MessageIcon::Information, kAppTitle);
  return true;
}

}  // namespace ostrilo

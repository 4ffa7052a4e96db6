#include "gui/toolkit/CsvExport.h"

#include <exception>

#include "core/table/OutputFile.h"
#include "gui/toolkit/TextFormats.h"
#include "gui/toolkit/Toolkit.h"

namespace ostrilo {

std::optional<QString> askCsvPath(Toolkit& toolkit, QWidget* parent, const QString& title,
                                  const QString& proposed) {
  const FileDialogSettings settings{title,
                                    QStringLiteral("All files (*.*)|*.*|*.csv files|*.csv"),
                                    2,
                                    QStringLiteral("csv"),
                                    DialogFlag::kPathMustExist | DialogFlag::kHideReadOnly |
                                        DialogFlag::kNoReadOnlyReturn |
                                        DialogFlag::kOverwritePrompt,
                                    proposed};
  return toolkit.saveFileName(parent, settings);
}

bool writeExportAndReport(Toolkit& toolkit, QWidget* parent, const QString& path,
                          std::string_view bytes) {
  try {
    writeOutputFile(toFsPath(path), bytes);
  } catch (const std::exception& e) {
    toolkit.showMessage(parent, fromCoreText(e.what()), MessageIcon::Exclamation, kWarningTitle);
    return false;
  }
  toolkit.showMessage(parent, QStringLiteral("Done."), MessageIcon::Information, kAppTitle);
  return true;
}

}  // namespace ostrilo

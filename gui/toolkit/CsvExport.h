#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/export/TableExports.h"

class QWidget;

namespace ostrilo {

class StationRegister;
class Toolkit;

// The save dialogs' second file type: a name ending in .xlsx writes the workbook.
inline constexpr auto kWorkbookFilter = "|Excel workbook (*.xlsx)|*.xlsx";

// Where a window's rows came from, for the workbook's About sheet, and the register whose
// columns the workbook adds after the station (none: bare ids).
struct ExportSources {
  std::vector<std::string> files;  // the count files read, or the table file loaded
  std::shared_ptr<const StationRegister> names;
};

// The save dialog of a window's export: the given title and proposed name (in the folder of the
// last export, when there was one), *.csv shown first, then the workbook type; an existing file
// replaced only after the user agreed; moreTypes ("|Name (*.ext)|*.ext") are offered after them.
// Empty when the user cancelled.
[[nodiscard]] std::optional<QString> askExportPath(Toolkit& toolkit, QWidget* parent,
                                                   const QString& title, const QString& proposed,
                                                   const QString& moreTypes = {});

// Saves the export at path (a workbook with about when the name ends in .xlsx, else the CSV)
// and says how it went: "Done." or the error, which names the file. True on success, and the
// file's folder is the next export's; a failure changes no file.
bool saveExportAndReport(Toolkit& toolkit, QWidget* parent, const QString& path,
                         const TableExport& table, WorkbookAbout about);

}  // namespace ostrilo

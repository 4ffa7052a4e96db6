#pragma once

#include <QString>
#include <optional>
#include <string_view>

class QWidget;

namespace ostrilo {

class Toolkit;

// The save dialog of a window's CSV export: the given title and proposed name, *.csv shown
// first, an existing file replaced only after the user agreed. Empty when the user cancelled.
[[nodiscard]] std::optional<QString> askCsvPath(Toolkit& toolkit, QWidget* parent,
                                                const QString& title, const QString& proposed);

// Writes an export's bytes to path through the core's output writer and says how it went:
// "Done." or the error, which names the file. True on success; a failure changes no file.
bool writeExportAndReport(Toolkit& toolkit, QWidget* parent, const QString& path,
                          std::string_view bytes);

}  // namespace ostrilo

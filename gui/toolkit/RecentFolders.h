#pragma once

#include <QString>

namespace ostrilo {

// Where the program keeps what it remembers between runs.
inline const QString kSettingsOrganisation = QStringLiteral("Ostrilo");
inline const QString kSettingsApplication = QStringLiteral("OstriloV2");

// The kinds of file a dialog asks for; each opens in the folder last used for its kind.
enum class FileKind { CountFiles, TableFile, Export, Report, Register };

// The folder last used for the kind, empty when none was yet.
[[nodiscard]] QString lastFolder(FileKind kind);
// Remembers the folder of path (a file) for the kind.
void rememberFolder(FileKind kind, const QString& path);
// The name a dialog proposes: the file name of name in the kind's last folder (the folder
// itself, ending in '/', for an empty name); without a remembered folder, name as it is.
[[nodiscard]] QString inLastFolder(FileKind kind, const QString& name);

}  // namespace ostrilo

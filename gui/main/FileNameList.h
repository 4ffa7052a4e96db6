#pragma once

#include <QString>
#include <QStringList>

namespace ostrilo {

// Several file names in one text box, as desktop file dialogs write them: each within double
// quotes, separated by spaces ("a.dat" "b.dat"); a quote inside a name is doubled. One name
// stands plain, so a path typed or pasted by hand keeps working as it is.
[[nodiscard]] QString fileNameListText(const QStringList& names);

// The names in a text box: a text whose first non-blank character is a double quote is read as
// a quoted list; any other text, and a quoted list that does not close, is one plain name.
[[nodiscard]] QStringList fileNamesInText(const QString& text);

}  // namespace ostrilo

#pragma once

#include <QIcon>

namespace ostrilo {

// The program's icon, painted at the sizes window managers ask for: three volume bars under
// a daily curve.
[[nodiscard]] QIcon appIcon();

}  // namespace ostrilo

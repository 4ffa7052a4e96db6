#pragma once

#include "gui/toolkit/Toolkit.h"

// What the main window's commands share beyond the window's own members.
namespace ostrilo::mainwindow {

// Flags of the main window's open dialogs.
inline constexpr unsigned kOpenFlags =
    DialogFlag::kFileMustExist | DialogFlag::kHideReadOnly | DialogFlag::kNoReadOnlyReturn;

}  // namespace ostrilo::mainwindow

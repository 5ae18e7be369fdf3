#pragma once

#include <QString>

namespace platform {

// Folder of the running executable (no trailing separator).
QString executableFolder();
// Where the templates and fonts the program ships lie: beside the executable
// when run from its build, else in the installed share folder.
QString resourceFolder();
// True when the program runs from an installation (its folder holds no
// templates but the share folder does).
bool runningInstalled();
// Per-user data folder of an installed program, under the XDG data home.
QString userDataFolder();
// Per-user folder for the page-margins file, under the XDG config home.
QString defaultMarginFolder();
QString desktopFolder();
// The user's documents folder, or an empty text when the desktop names none.
QString documentsFolder();

} // namespace platform

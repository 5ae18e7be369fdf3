#pragma once

#include <QString>

namespace platform {

// Folder of the running executable (no trailing separator).
QString executableFolder();
// Per-user folder for the page-margins file, under the XDG config home.
QString defaultMarginFolder();
QString desktopFolder();
// The user's documents folder, or an empty text when the desktop names none.
QString documentsFolder();

} // namespace platform

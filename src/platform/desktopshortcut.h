#pragma once

#include <QString>

namespace platform {

// Writes a freedesktop launcher "<name>.desktop" into folder unless it exists.
// Never fails loudly: returns false on any problem.
bool createDesktopShortcut(
    const QString &folder, const QString &name, const QString &target, const QString &description);

} // namespace platform

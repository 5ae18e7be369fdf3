#pragma once

#include <QString>

class QWidget;

namespace platform {

// The save-file dialog and opening a file with the desktop's default
// application, behind one interface so tests can choose a path and observe
// what would be opened.
class DesktopServices {
public:
    virtual ~DesktopServices() = default;
    // The chosen path, or an empty text when the user cancelled.
    virtual QString saveFileName(
        QWidget *parent, const QString &title, const QString &proposed, const QString &filter);
    // Opens a file in its default application; false when none took it.
    virtual bool openDocument(const QString &path);
};

DesktopServices &desktop();
void setDesktopServices(DesktopServices *services);

} // namespace platform

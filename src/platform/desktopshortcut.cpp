#include "desktopshortcut.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace platform {

bool createDesktopShortcut(
    const QString &folder, const QString &name, const QString &target, const QString &description)
{
    if (folder.isEmpty())
        return false;
    const QString path = QDir(folder).filePath(name + QStringLiteral(".desktop"));
    if (QFile::exists(path))
        return true;
    if (!QDir().mkpath(folder))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QString quoted = target;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    const QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nComment=%2\n"
                                        "Exec=\"%3\"\nIcon=evrakmatik\nTerminal=false\n"
                                        "Categories=Office;\nStartupWMClass=evrakmatik\n")
                             .arg(name, description, quoted);
    file.write(text.toUtf8());
    if (!file.commit())
        return false;
    // Launchers on a desktop run only when executable.
    QFile::setPermissions(
        path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return true;
}

} // namespace platform

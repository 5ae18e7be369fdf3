#include "desktopshortcut.h"

#include "fileaccess.h"
#include <QDir>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace platform {

bool createDesktopShortcut(
    const QString &folder, const QString &name, const QString &target, const QString &description)
{
    if (folder.isEmpty())
        return false;
    const QString path = QDir(folder).filePath(name + QStringLiteral(".desktop"));
    // Whatever bears the name, a dangling link included, is left as it is.
    if (QFile::exists(path) || QFileInfo(path).isSymLink())
        return true;
    if (!makePrivateFolder(folder))
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
    // Launchers on a desktop run only when executable, and only their owner
    // may change the command they run, whatever the umask.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
        | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
        | QFileDevice::ExeOther);
    return file.commit();
}

} // namespace platform

#include "paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

QString executableFolder()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath());
}

namespace {
QString installedShare()
{
    return QDir::cleanPath(executableFolder() + QStringLiteral("/../share/evrakmatik"));
}
} // namespace

bool runningInstalled()
{
    return !QFileInfo(executableFolder() + QStringLiteral("/MDQ")).isDir()
        && QFileInfo(installedShare() + QStringLiteral("/MDQ")).isDir();
}

QString resourceFolder()
{
    return runningInstalled() ? installedShare() : executableFolder();
}

QString userDataFolder()
{
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/evrakmatik"));
}

QString defaultMarginFolder()
{
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/evrakmatik/Bosluk"));
}

QString desktopFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QString documentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

} // namespace platform

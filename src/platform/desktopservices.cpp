#include "desktopservices.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace platform {

namespace {
DesktopServices g_default;
DesktopServices *g_services = nullptr;

// Whether the desktop names a program for this kind of file; true when it
// cannot be asked. xdg-open itself reports a missing program only after it
// has been started, too late to tell the clerk.
bool hasDefaultProgram(const QString &path)
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return true;
    QProcess query;
    query.start(xdgMime,
        { QStringLiteral("query"), QStringLiteral("default"),
            QMimeDatabase().mimeTypeForFile(path).name() });
    if (!query.waitForFinished(3000) || query.exitStatus() != QProcess::NormalExit)
        return true;
    return !query.readAllStandardOutput().trimmed().isEmpty();
}
} // namespace

QString DesktopServices::saveFileName(
    QWidget *parent, const QString &title, const QString &proposed, const QString &filter)
{
    // No overwrite question: choosing an existing file replaces it.
    return QFileDialog::getSaveFileName(
        parent, title, proposed, filter, nullptr, QFileDialog::DontConfirmOverwrite);
}

bool DesktopServices::openDocument(const QString &path)
{
    return hasDefaultProgram(path) && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

DesktopServices &desktop()
{
    return g_services ? *g_services : g_default;
}

void setDesktopServices(DesktopServices *services)
{
    g_services = services;
}

} // namespace platform

#include "desktopservices.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

namespace platform {

namespace {
DesktopServices g_default;
DesktopServices *g_services = nullptr;
} // namespace

QString DesktopServices::saveFileName(
    QWidget *parent, const QString &title, const QString &proposed, const QString &filter)
{
    // No overwrite question: choosing an existing file replaces it.
    return QFileDialog::getSaveFileName(
        parent, title, proposed, filter, nullptr, QFileDialog::DontConfirmOverwrite);
}

void DesktopServices::openDocument(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
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

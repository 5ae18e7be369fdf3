#include "busycursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace platform {

void showBusyPointer()
{
    if (!qGuiApp)
        return;
    if (QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void showDefaultPointer()
{
    if (!qGuiApp)
        return;
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

} // namespace platform

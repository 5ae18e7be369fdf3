#include "appstate.h"

#include <QDir>

namespace app {

Folders &folders()
{
    static Folders f;
    return f;
}

QString ProgramFolder()
{
    return folders().program;
}

QString PhotoFolder()
{
    return folders().photo;
}

QString marginFile()
{
    return QDir(folders().margin).filePath(QStringLiteral("Bosluklar.sys"));
}

} // namespace app

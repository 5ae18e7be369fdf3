// Writes the program's icon as PNG files of the hicolor sizes.
#include "platform/appicon.h"

#include <QDir>
#include <QGuiApplication>

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    if (argc < 2)
        return 2;
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (int size : { 16, 24, 32, 48, 64, 128, 256 }) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
        QDir().mkpath(folder);
        if (!platform::drawAppIcon(size).save(folder + QStringLiteral("/evrakmatik.png")))
            return 1;
    }
    return 0;
}

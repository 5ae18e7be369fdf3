#include "fontfiles.h"

#include <QHash>

namespace platform {

namespace {

QHash<QString, QString> &files()
{
    static QHash<QString, QString> map;
    return map;
}

QString keyOf(const QString &family, bool bold)
{
    return family.toLower() + (bold ? QStringLiteral("/b") : QStringLiteral("/r"));
}

} // namespace

void rememberFontFile(const QString &family, bool bold, const QString &path)
{
    files().insert(keyOf(family, bold), path);
}

QString fontFile(const QString &family, bool bold)
{
    return files().value(keyOf(family, bold));
}

} // namespace platform

#include "basics.h"

#include "platform/busycursor.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>

#ifndef EVRAKMATIK_VERSION_MAJOR
#define EVRAKMATIK_VERSION_MAJOR 1
#define EVRAKMATIK_VERSION_MINOR 0
#define EVRAKMATIK_VERSION_PATCH 0
#endif

namespace app {

QString NullTxt(const QVariant &value, bool keepSpaces, bool blankToSpace)
{
    QString text;
    if (!value.isNull()) {
        switch (value.typeId()) {
        case QMetaType::QDate:
            text = value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            text = numberText(value.toDouble());
            break;
        default:
            text = value.toString();
        }
    }
    if (!keepSpaces)
        text = text.trimmed();
    if (blankToSpace && text.isEmpty())
        text = QStringLiteral(" ");
    return text;
}

bool isLocaleNumber(const QString &text)
{
    // Digits with an optional sign, "." between digits as grouping, one ","
    // before the decimals.
    static const QRegularExpression re(QStringLiteral("^[+-]?(\\d+(\\.\\d+)*(,\\d*)?|,\\d+)$"));
    return re.match(text).hasMatch();
}

double localeNumber(const QString &text)
{
    if (!isLocaleNumber(text))
        return 0;
    QString t = text;
    t.remove(QLatin1Char('.'));
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    if (t.endsWith(QLatin1Char('.')))
        t.chop(1);
    return t.toDouble();
}

QString numberText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    QString t = QString::number(value, 'g', 15);
    if (t.contains(QLatin1Char('e')))
        t = QString::number(value, 'f', 6);
    if (t.contains(QLatin1Char('.'))) {
        while (t.endsWith(QLatin1Char('0')))
            t.chop(1);
        if (t.endsWith(QLatin1Char('.')))
            t.chop(1);
    }
    t.replace(QLatin1Char('.'), QLatin1Char(','));
    return t;
}

QString NullNum(const QVariant &value)
{
    if (!value.isNull()
        && (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Int
            || value.typeId() == QMetaType::LongLong))
        return numberText(value.toDouble());
    const QString t = NullTxt(value);
    return isLocaleNumber(t) ? t : QStringLiteral("0");
}

void CursorWait()
{
    platform::showBusyPointer();
}

void CursorDefault()
{
    platform::showDefaultPointer();
}

void MakeFolder(const QString &path)
{
    if (!path.isEmpty())
        QDir().mkpath(path);
}

QString ShortPath(const QString &path)
{
    return path;
}

QString VersionText()
{
    return QStringLiteral("%1.%2.%3")
        .arg(EVRAKMATIK_VERSION_MAJOR)
        .arg(EVRAKMATIK_VERSION_MINOR)
        .arg(EVRAKMATIK_VERSION_PATCH, 2, 10, QLatin1Char('0'));
}

QString programName()
{
    const QString path = QCoreApplication::applicationFilePath();
    return path.isEmpty() ? QStringLiteral("evrakmatik") : QFileInfo(path).completeBaseName();
}

} // namespace app

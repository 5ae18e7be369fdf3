#include "margins.h"

#include "app/appstate.h"
#include "app/inisettings.h"
#include "platform/report.h"

#include <QRegularExpression>

#include <cmath>

namespace printing {

int MmToTwip(int millimetres)
{
    return int(std::trunc(millimetres * 56.7));
}

int TwipToMm(int twips)
{
    return int(std::trunc(twips / 56.7));
}

std::optional<int> marginMillimetres(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^[+-]?(\\d+([.,]\\d*)?|[.,]\\d+)$"));
    const QString t = text.trimmed();
    if (!re.match(t).hasMatch())
        return std::nullopt;
    QString c = t;
    c.replace(QLatin1Char(','), QLatin1Char('.'));
    if (c.endsWith(QLatin1Char('.')))
        c.chop(1);
    const double mm = std::trunc(c.toDouble());
    // Beyond this the twips of a margin no longer fit their number.
    if (std::fabs(mm) > 1e6)
        return std::nullopt;
    return int(mm);
}

CurrentMargins &currentMargins()
{
    static CurrentMargins m;
    return m;
}

void BoslukYaz(const QString &section, const QString &key, const QString &value)
{
    app::IniOkuYaz(QStringLiteral("YAZ"), app::marginFile(), section, key, value);
}

namespace {

int readMargin(const QString &section, const char *key)
{
    // A value that is no number counts as 0, as a missing one does.
    return marginMillimetres(
        app::IniOkuYaz(QStringLiteral("OKU"), app::marginFile(), section, QLatin1String(key)))
        .value_or(0);
}

} // namespace

void BosluklariUygula(platform::Report &report)
{
    CurrentMargins &m = currentMargins();
    m.sol = readMargin(report.name, "sol");
    m.ust = readMargin(report.name, "ust");
    m.sag = readMargin(report.name, "sag");
    m.alt = readMargin(report.name, "alt");
    platform::PageSettings &p = report.pageSettings;
    if (m.sol == 0 && m.ust == 0) {
        // The forms' own margins are whole millimetres given in twips (15 mm
        // is 850): stored as the nearest millimetre, they print where they are.
        auto nearestMm = [](int twips) { return int(std::lround(twips / 56.7)); };
        m.sol = nearestMm(p.leftMargin);
        m.ust = nearestMm(p.topMargin);
        m.sag = nearestMm(p.rightMargin);
        m.alt = nearestMm(p.bottomMargin);
        BoslukYaz(report.name, QStringLiteral("sol"), QString::number(m.sol));
        BoslukYaz(report.name, QStringLiteral("ust"), QString::number(m.ust));
        BoslukYaz(report.name, QStringLiteral("sag"), QString::number(m.sag));
        BoslukYaz(report.name, QStringLiteral("alt"), QString::number(m.alt));
        // The first print uses what it stored, so it sits where every later
        // one does.
    }
    p.leftMargin = MmToTwip(m.sol);
    p.topMargin = MmToTwip(m.ust);
    p.rightMargin = MmToTwip(m.sag);
    p.bottomMargin = MmToTwip(m.alt);
}

} // namespace printing

#include "margins.h"

#include "app/appstate.h"
#include "app/basics.h"
#include "app/inisettings.h"
#include "platform/report.h"

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
    const QString text =
        app::IniOkuYaz(QStringLiteral("OKU"), app::marginFile(), section, QLatin1String(key));
    return int(std::trunc(app::localeNumber(app::NullNum(text))));
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
        m.sol = TwipToMm(p.leftMargin);
        m.ust = TwipToMm(p.topMargin);
        m.sag = TwipToMm(p.rightMargin);
        m.alt = TwipToMm(p.bottomMargin);
        BoslukYaz(report.name, QStringLiteral("sol"), QString::number(m.sol));
        BoslukYaz(report.name, QStringLiteral("ust"), QString::number(m.ust));
        BoslukYaz(report.name, QStringLiteral("sag"), QString::number(m.sag));
        BoslukYaz(report.name, QStringLiteral("alt"), QString::number(m.alt));
        return;
    }
    p.leftMargin = MmToTwip(m.sol);
    p.topMargin = MmToTwip(m.ust);
    p.rightMargin = MmToTwip(m.sag);
    p.bottomMargin = MmToTwip(m.alt);
}

} // namespace printing

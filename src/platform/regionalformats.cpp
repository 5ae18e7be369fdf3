#include "regionalformats.h"

#include <QLocale>
#include <QtGlobal>

#include <locale.h>

namespace platform {

void applyRegionalFormats()
{
    // Turkish conventions give exactly these separators; every date text the
    // program makes uses the explicit "dd.MM.yyyy" form on top of that.
    QLocale tr(QLocale::Turkish, QLocale::Turkey);
    tr.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(tr);
}

void preferTurkishDates()
{
    // LC_ALL would override LC_TIME; one set on purpose is left alone. The C
    // library must know the Turkish locale too: naming one it lacks would
    // drop every category of the process to "C".
    if (!qEnvironmentVariableIsEmpty("LC_ALL"))
        return;
    const locale_t turkish = newlocale(LC_TIME_MASK, "tr_TR.UTF-8", locale_t(0));
    if (turkish == locale_t(0))
        return;
    freelocale(turkish);
    qputenv("LC_TIME", "tr_TR.UTF-8");
}

} // namespace platform

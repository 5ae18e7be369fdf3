#include "regionalformats.h"

#include <QLocale>

namespace platform {

void applyRegionalFormats()
{
    // Turkish conventions give exactly these separators; every date text the
    // program makes uses the explicit "dd.MM.yyyy" form on top of that.
    QLocale tr(QLocale::Turkish, QLocale::Turkey);
    tr.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(tr);
}

} // namespace platform

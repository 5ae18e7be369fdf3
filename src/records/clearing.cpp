#include "entryscreen.h"

#include "app/entryroutines.h"
#include "platform/dategrid.h"

#include <QCheckBox>

namespace records {

void EntryScreen::EkraniTemizle()
{
    // Only the texts, the ticks and the dates: options, combos, lists, the
    // overlays, the tab and the focus are left as they are.
    for (int i = 0; i < kTxtCount; ++i)
        txt(i)->setText(QString());
    for (int i = 0; i < kChkCount; ++i)
        chkX(i)->setChecked(false);
    for (int i = 0; i < kDateCount; ++i)
        app::SetSprTxt(*sprTarih(i), 1, 1, QString());
}

void EntryScreen::newRecord()
{
    EkraniTemizle();
    txt(3)->widget()->setFocus(Qt::OtherFocusReason);
}

} // namespace records

#include "entryscreen.h"

#include "app/entryroutines.h"
#include "platform/dategrid.h"
#include "screenvalues.h"

#include <QCheckBox>

namespace records {

void EntryScreen::EkraniTemizle()
{
    // The texts, the ticks and the dates, and every owner panel's options and
    // lists with them: nothing personal of one customer may reach the next
    // one's record. The vehicle's options, brand, model and tachograph stay
    // for a run of similar vehicles; the overlays, the tab and the focus too.
    for (int i = 0; i < kTxtCount; ++i)
        txt(i)->setText(QString());
    for (int i = 0; i < kChkCount; ++i)
        chkX(i)->setChecked(false);
    for (int i = 0; i < kDateCount; ++i)
        app::SetSprTxt(*sprTarih(i), 1, 1, QString());
    clearOwnerChoices(*this);
    setFormerOwners({});
}

void EntryScreen::newRecord()
{
    // A new transaction starts from the screen a fresh window shows.
    showAsFresh(*this);
    txt(3)->widget()->setFocus(Qt::OtherFocusReason);
}

} // namespace records

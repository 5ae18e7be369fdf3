#include "entryscreen.h"

#include "app/entryroutines.h"
#include "platform/dategrid.h"
#include "platform/messages.h"
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
    settle();
}

bool EntryScreen::hasUnsavedTyping() const
{
    return screenState(*this) != settled_;
}

void EntryScreen::settle()
{
    settled_ = screenState(*this);
}

bool EntryScreen::mayDiscardTyping(const QString &what)
{
    if (!hasUnsavedTyping())
        return true;
    return platform::showMessage(platform::MsgIcon::Question, platform::MsgButtons::YesNo,
               QStringLiteral("Dikkat"),
               QStringLiteral("Ekranda kaydedilmemiş bilgiler var.\n\n%1 bu bilgiler "
                              "kaybolacak. Devam edilsin mi?\n\nHayır: ekran olduğu gibi kalır; "
                              "önce F2 ile kaydedebilirsiniz.")
                   .arg(what),
               platform::MsgAnswer::No)
        == platform::MsgAnswer::Yes;
}

void EntryScreen::newRecord()
{
    if (!mayDiscardTyping(QStringLiteral("Yeni kayda geçilirse")))
        return;
    // A new transaction starts from the screen a fresh window shows.
    showAsFresh(*this);
    txt(3)->widget()->setFocus(Qt::OtherFocusReason);
}

} // namespace records

#include "saverecord.h"

#include "app/basics.h"
#include "app/datafiles.h"
#include "app/errorbox.h"
#include "entryscreen.h"
#include "platform/messages.h"
#include "recordstore.h"
#include "savesummary.h"
#include "typingguards.h"

namespace records {

namespace {

// Dates the store does not take are listed in the success box, so the clerk
// never takes a date on the screen for a stored one.
QString datesNotStoredNote(const RecordValues &values)
{
    if (values.datesNotStored.isEmpty())
        return {};
    QString text = QStringLiteral("Şu tarihler kaydedilmedi (kayıttaki eski tarih, "
                                  "varsa, değişmedi):");
    for (const DateNotStored &d : values.datesNotStored)
        text += QStringLiteral("\n- %1: %2 (%3)").arg(d.label, d.text, d.reason);
    return text;
}

void showSuccess(const QString &title, const RecordValues &values, bool created,
    const QVector<TypingGuards::Doubt> &doubts)
{
    platform::showMessage(values.datesNotStored.isEmpty() ? platform::MsgIcon::Information
                                                          : platform::MsgIcon::Warning,
        platform::MsgButtons::Ok, title,
        successText(created, { datesNotStoredNote(values), TypingGuards::doubtParagraph(doubts) }));
}

} // namespace

qint64 Kaydet(EntryScreen &screen, const QString &successTitle)
{
    // Marked and listed on every press, never a reason to refuse the save.
    const QVector<TypingGuards::Doubt> doubts = screen.guards().checkAll();
    if (screen.txt(16)->text().trimmed().isEmpty()) {
        platform::showMessage(platform::MsgIcon::Critical, platform::MsgButtons::Ok,
            QStringLiteral("Dikkat"), QStringLiteral("MOTOR NUMARASI BOŞ OLAMAZ."));
        screen.txt(16)->widget()->setFocus(Qt::OtherFocusReason);
        return 0;
    }
    QSqlDatabase db;
    if (!app::OpenData(db, app::RecordStoreData)) {
        app::HataGoster(3051, QStringLiteral("Kayıt deposu açılamadı; kayıt yapılmadı."),
            QStringLiteral("Kaydet"), true);
        return 0;
    }
    app::CursorWait();
    const RecordValues values = readScreen(screen);
    qint64 id = 0;
    StoreError error;
    bool created = false;
    const bool ok = RecordStore(db).save(values, &id, &error, &created);
    app::CloseDb(db);
    if (!ok) {
        app::HataGoster(error.number, error.text, QStringLiteral("Kaydet"), true);
        return 0;
    }
    app::CursorDefault();
    showSuccess(successTitle, values, created, doubts);
    return id;
}

} // namespace records

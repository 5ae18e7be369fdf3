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

qint64 Kaydet(EntryScreen &screen, const QString &successTitle)
{
    // Marked and listed on every press, never a reason to refuse the save.
    const QVector<TypingGuards::Doubt> doubts = screen.guards().checkAll();
    if (screen.txt(16)->text().trimmed().isEmpty()) {
        platform::showMessage(platform::MsgIcon::Critical, platform::MsgButtons::Ok,
            QStringLiteral("Dikkat"), QStringLiteral("MOTOR NUMARASI BOŞ OLAMAZ."));
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
    platform::showMessage(platform::MsgIcon::Information, platform::MsgButtons::Ok, successTitle,
        successText(created, { TypingGuards::doubtParagraph(doubts) }));
    return id;
}

} // namespace records

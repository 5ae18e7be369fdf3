#include "saverecord.h"

#include "app/basics.h"
#include "app/datafiles.h"
#include "app/errorbox.h"
#include "entryscreen.h"
#include "platform/messages.h"
#include "recordstore.h"

namespace records {

namespace {

// The success box. Dates the store does not take are listed under it, so the
// clerk never takes a date on the screen for a stored one.
void showSuccess(const QString &title, const RecordValues &values)
{
    QString text = QStringLiteral("Kayıt başarıyla tamamlandı");
    if (!values.datesNotStored.isEmpty()) {
        text += QStringLiteral("\r\n\r\nŞu tarihler kaydedilmedi (kayıttaki eski tarih, "
                               "varsa, değişmedi):");
        for (const DateNotStored &d : values.datesNotStored)
            text += QStringLiteral("\r\n- %1: %2 (%3)").arg(d.label, d.text, d.reason);
    }
    platform::showMessage(values.datesNotStored.isEmpty() ? platform::MsgIcon::Information
                                                          : platform::MsgIcon::Warning,
        platform::MsgButtons::Ok, title, text);
}

} // namespace

qint64 Kaydet(EntryScreen &screen, const QString &successTitle)
{
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
    const bool ok = RecordStore(db).save(values, &id, &error);
    app::CloseDb(db);
    if (!ok) {
        app::HataGoster(error.number, error.text, QStringLiteral("Kaydet"), true);
        return 0;
    }
    app::CursorDefault();
    showSuccess(successTitle, values);
    return id;
}

} // namespace records

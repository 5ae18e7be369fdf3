#include "saverecord.h"

#include "app/basics.h"
#include "app/datafiles.h"
#include "app/errorbox.h"
#include "entryscreen.h"
#include "platform/messages.h"
#include "platform/serverwait.h"
#include "platform/storedialect.h"
#include "recordstore.h"
#include "savesummary.h"
#include "typingguards.h"

#include <functional>

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

// Another desk saved the record after this screen loaded it: the clerk
// decides. Only Yes overwrites.
bool overwriteAnswered(const SaveConflict &conflict)
{
    QString text = QStringLiteral("Bu kayıt, siz açtıktan sonra başka bir masada değiştirildi");
    QStringList who;
    for (const QString &part : { conflict.desk.trimmed(), conflict.savedAt.trimmed() }) {
        if (!part.isEmpty())
            who << part;
    }
    if (!who.isEmpty())
        text += QStringLiteral(" (%1)").arg(who.join(QStringLiteral(", ")));
    text += QStringLiteral(".\n\nEkrandaki bilgiler o değişikliğin üzerine kaydedilsin mi?\n\n"
                           "Evet: ekrandakiler kaydedilir, öbür masanın değişikliği kalmaz.\n"
                           "Hayır: hiçbir şey kaydedilmez, ekran olduğu gibi kalır.");
    return platform::showMessage(platform::MsgIcon::Question, platform::MsgButtons::YesNo,
               QStringLiteral("Dikkat"), text, platform::MsgAnswer::No)
        == platform::MsgAnswer::Yes;
}

// The screen was not loaded from the stored record its key names: the clerk
// may be typing a new vehicle with a stored key by mistake. Only Yes updates.
bool updateAnswered(const KeyedRecord &stored)
{
    const QString owner = stored.firstOwner.trimmed().isEmpty()
        ? QStringLiteral("sahibi kayıtlı değil")
        : QStringLiteral("1. sahibi %1").arg(stored.firstOwner.trimmed());
    return platform::showMessage(platform::MsgIcon::Question, platform::MsgButtons::YesNo,
               QStringLiteral("Dikkat"),
               QStringLiteral("Bu motor numarası ve eski plaka ile kayıtlı bir araç var: yeni "
                              "plaka %1, eski plaka %2, %3.\n\nEkrandaki bilgiler o kayıttan "
                              "açılmadı. Kayıtlı aracın bilgileri ve sahipleri ekrandakilerle "
                              "değiştirilsin mi?\n\nEvet: kayıtlı araç güncellenir.\nHayır: "
                              "hiçbir şey kaydedilmez, ekran olduğu gibi kalır.")
                   .arg(stored.newPlate.trimmed().isEmpty() ? QStringLiteral("yok")
                                                            : stored.newPlate.trimmed(),
                       stored.oldPlate.trimmed(), owner),
               platform::MsgAnswer::No)
        == platform::MsgAnswer::Yes;
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
    // The opening has shown its own box when it fails.
    QSqlDatabase db;
    if (!app::OpenData(db, app::RecordStoreData))
        return 0;
    app::CursorWait();
    const RecordValues values = readScreen(screen);
    // A server may keep any step waiting (for a lock, within its bound): the
    // window repaints meanwhile.
    const bool shared = platform::dialectOf(db).isShared();
    auto onStore = [shared](const std::function<void()> &work) {
        if (shared)
            platform::waitRepainting(work);
        else
            work();
    };
    {
        KeyedRecord stored;
        StoreError findError;
        bool found = false;
        onStore([&] {
            found =
                RecordStore(db).findByKey(values.motorNo, values.eskiPlaka, &stored, &findError);
        });
        if (!found) {
            app::CloseDb(db);
            app::HataGoster(findError.number, findError.text, QStringLiteral("Kaydet"), true);
            return 0;
        }
        if (stored.stored && !(screen.shownSave().stored && stored.id == screen.shownSave().id)) {
            app::CursorDefault();
            if (!updateAnswered(stored)) {
                app::CloseDb(db);
                return 0;
            }
            app::CursorWait();
        }
    }
    qint64 id = 0;
    StoreError error;
    bool created = false;
    SaveStamp expected = screen.shownSave();
    SaveStamp saved;
    bool ok = false;
    for (;;) {
        SaveConflict conflict;
        auto save = [&] {
            ok = RecordStore(db).save(values, &id, &error, &created, &expected, &conflict, &saved);
        };
        onStore(save);
        if (ok || !conflict.found)
            break;
        app::CursorDefault();
        if (!overwriteAnswered(conflict)) {
            app::CloseDb(db);
            return 0;
        }
        // Asked again should yet another desk have saved meanwhile.
        expected = conflict.stored;
        app::CursorWait();
    }
    // A transfer just saved shows its seller among the former owners at once.
    QStringList former;
    StoreError formerError;
    bool formerRead = false;
    if (ok)
        onStore([&] { formerRead = RecordStore(db).formerOwners(id, &former, &formerError); });
    app::CloseDb(db);
    if (formerRead)
        screen.setFormerOwners(former);
    if (!ok) {
        app::HataGoster(error.number, error.text, QStringLiteral("Kaydet"), true);
        return 0;
    }
    screen.setShownSave(saved);
    screen.settle();
    app::CursorDefault();
    showSuccess(successTitle, values, created, doubts);
    return id;
}

} // namespace records

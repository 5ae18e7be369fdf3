#include "compaction.h"

#include "datafiles.h"
#include "errorbox.h"
#include "platform/fileaccess.h"
#include "platform/messages.h"
#include "platform/sqliteengine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace app {

namespace {

bool g_failForTests = false;

void showInUse(const QString &path)
{
    platform::showMessage(platform::MsgIcon::Critical, platform::MsgButtons::Ok,
        QStringLiteral("Dikkat"),
        QStringLiteral("Database başka bir bölümde kullanılıyor.\r\n"
                       "Program Compact işlemini şu an için yapamıyor.\r\n\r\n"
                       "Data: ")
            + QDir::toNativeSeparators(path));
}

void showDamaged(const QString &path, const platform::EngineResult &why, const QString &temp)
{
    const QString nl = QStringLiteral("\r\n");
    QString text = QStringLiteral("Kayıt dosyası bozuk ya da boş olduğu için sıkıştırılmadı:") + nl
        + QDir::toNativeSeparators(path) + nl + QStringLiteral("(") + why.message
        + QStringLiteral(")") + nl;
    if (!platform::checkDatabase(temp, recordStoreTables()).ok)
        text += QStringLiteral("Dosyaya dokunulmadı. Lütfen sistem yöneticisi ile görüşünüz.");
    else if (why.code == SQLITE_EMPTY)
        text += QStringLiteral("Kayıtlar şu dosyada duruyor ve korundu:") + nl
            + QDir::toNativeSeparators(temp) + nl
            + QStringLiteral("Program bir sonraki açılışta kayıtları bu dosyadan geri alır.");
    else
        text += QStringLiteral("Önceki çıkıştaki kayıtların sağlam kopyası şu dosyada duruyor:")
            + nl + QDir::toNativeSeparators(temp) + nl
            + QStringLiteral("İki dosyaya da dokunulmadı. Lütfen sistem yöneticisi ile görüşünüz.");
    HataGoster(why.code, text, QStringLiteral("compact işlemi"), true);
}

} // namespace

void setCompactionFailureForTests(bool fail)
{
    g_failForTests = fail;
}

void CompactData(const QString &storePath)
{
    // A store reached through a symbolic link is compacted where the link
    // points: renaming the link itself would leave a plain file in its place.
    const QString path = storeFileBehind(storePath);
    const QString temp = compactionTempPath(path);
    const QString part = path + QStringLiteral(".yeni");
    const QString folder = QFileInfo(path).absolutePath();
    // A store found only under the temporary name was moved aside by a
    // compaction cut short: it is the store, not a leftover to delete.
    if (!QFile::exists(path) && QFile::exists(temp)) {
        QFile::rename(temp, path);
        platform::syncFolder(folder);
    }
    if (!QFile::exists(path))
        return;

    // Linux lets a file that is open be renamed; an idle connection of another
    // program would then write into the file moved aside, with its journal
    // beside the new store. Such a store is left alone, as one locked.
    if (platform::openedByAnotherProcess(path)) {
        showInUse(path);
        return;
    }
    // An empty file is no database yet: the engine would write one into it.
    if (QFileInfo(path).size() == 0) {
        showDamaged(path, { false, SQLITE_EMPTY, QStringLiteral("dosya boş") }, temp);
        return;
    }
    platform::ExclusiveDatabase store(path);
    if (!store.result().ok) {
        if (store.result().code == SQLITE_BUSY || store.result().code == SQLITE_LOCKED)
            showInUse(path);
        else
            HataGoster(store.result().code, store.result().message,
                QStringLiteral("compact işlemi"), true);
        return;
    }
    // The temporary file may be the last good copy: a bad store is neither
    // compacted nor allowed to take it with it.
    const platform::EngineResult sound = store.check(recordStoreTables());
    if (!sound.ok) {
        store.close();
        showDamaged(path, sound, temp);
        return;
    }
    if (QFile::exists(temp) && !QFile::remove(temp)) {
        HataGoster(75, QStringLiteral("Geçici dosya silinemedi: %1").arg(temp),
            QStringLiteral("compact işlemi"), true);
        return;
    }
    QFile::remove(part);
    if (!QFile::rename(path, temp)) {
        HataGoster(75, QStringLiteral("Dosya taşınamadı: %1").arg(path),
            QStringLiteral("compact işlemi"), true);
        return;
    }
    platform::syncFolder(folder);

    // The compact copy is written under a third name and renamed into place
    // only when whole, so no moment leaves a half-written store under its name.
    // The lock stays on the file moved aside until the copy is written.
    platform::EngineResult r = g_failForTests
        ? platform::EngineResult { false, SQLITE_FULL, QStringLiteral("disk dolu (deneme)") }
        : store.compactInto(part);
    store.close();
    if (r.ok && !QFile::rename(part, path))
        r = { false, 75, QStringLiteral("Dosya yeniden adlandırılamadı: %1").arg(part) };
    if (!r.ok) {
        // Put the store back under its own name at once: the next compaction
        // deletes the temporary file.
        QFile::remove(part);
        if (!QFile::exists(path))
            QFile::rename(temp, path);
        platform::syncFolder(folder);
        HataGoster(r.code, r.message, QStringLiteral("compact işlemi"), true);
        return;
    }
    platform::syncFolder(folder);
}

} // namespace app

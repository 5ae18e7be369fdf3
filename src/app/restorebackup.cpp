#include "restorebackup.h"

#include "backups.h"
#include "datafiles.h"
#include "platform/fileaccess.h"
#include "platform/sqlitecopy.h"
#include "platform/sqliteengine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cstdio>
#include <memory>

namespace app {

namespace {

const QString kNl = QStringLiteral("\r\n");

RestoreOutcome refused(const QString &file, const QString &why)
{
    RestoreOutcome r;
    r.text = QStringLiteral("Yedek geri yüklenmedi:") + kNl + QDir::toNativeSeparators(file) + kNl
        + why + kNl + kNl + QStringLiteral("Kayıt deposu değiştirilmedi.");
    return r;
}

bool moveOver(const QString &from, const QString &to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

RestoreOutcome restoreRecordStore(const QString &file, const QDateTime &now)
{
    const QString store = dataFilePath(RecordStoreData);
    const QString dataFolder = QFileInfo(store).absolutePath();
    if (!QFileInfo(file).isFile())
        return refused(file, QStringLiteral("Dosya bulunamadı."));
    if (QFileInfo::exists(store)
        && QFileInfo(file).canonicalFilePath() == QFileInfo(store).canonicalFilePath())
        return refused(file, QStringLiteral("Seçilen dosya kayıt deposunun kendisi."));
    if (!platform::makePrivateFolder(backupFolder()))
        return refused(file,
            QStringLiteral("Yedek klasörü oluşturulamadı: %1")
                .arg(QDir::toNativeSeparators(backupFolder())));

    // The check is made on a copy beside the store, so what is checked is
    // what takes the store's place, whatever happens to the chosen file.
    const QString part = store + QStringLiteral(".geri");
    QFile::remove(part);
    const platform::EngineResult copied = platform::copyDatabase(file, part);
    if (!copied.ok)
        return refused(file, copied.message);
    QString why;
    if (!isUsableRecordStore(part, &why)) {
        QFile::remove(part);
        return refused(file, why);
    }

    RestoreOutcome done;
    // Held until the new store has the name: nobody writes into the old
    // one meanwhile, and a log of it is emptied into it first.
    std::unique_ptr<platform::ExclusiveDatabase> held;
    if (QFileInfo::exists(store)) {
        if (platform::openedByAnotherProcess(store)) {
            QFile::remove(part);
            return refused(file, QStringLiteral("Kayıt deposu başka bir programda açık."));
        }
        held = std::make_unique<platform::ExclusiveDatabase>(store);
        const int code = held->result().code;
        if (code == SQLITE_BUSY || code == SQLITE_LOCKED) {
            QFile::remove(part);
            return refused(file, QStringLiteral("Kayıt deposu başka bir programda kullanılıyor."));
        }
        // Two restores in one second keep both stores they replaced.
        QDateTime when = now;
        do {
            done.keptStore = backupFolder() + QLatin1Char('/') + keptStoreFileName(when);
            when = when.addSecs(1);
        } while (QFileInfo::exists(done.keptStore));
        // A damaged store is kept as it is, byte for byte: it may be the
        // reason for the restore, and may still hold something.
        const platform::EngineResult kept = platform::copyFilePrivately(store, done.keptStore);
        if (!kept.ok) {
            QFile::remove(part);
            return refused(
                file, QStringLiteral("Şimdiki kayıt deposu saklanamadı: ") + kept.message);
        }
        platform::syncFolder(backupFolder());
        // What the engine left beside the old store belongs to it, not to
        // the new one: kept with its copy.
        for (const char *suffix : { "-journal", "-wal" }) {
            const QString beside = store + QLatin1String(suffix);
            if (QFile::exists(beside))
                moveOver(beside, done.keptStore + QLatin1String(suffix));
        }
        QFile::remove(store + QStringLiteral("-shm"));
    }
    if (!moveOver(part, store)) {
        QFile::remove(part);
        return refused(file, QStringLiteral("Dosya kayıt deposunun yerine konamadı."));
    }
    platform::syncFolder(dataFolder);
    held.reset();

    done.ok = true;
    done.records = platform::countRows(store, QStringLiteral("ARACKAYIT"));
    done.text = QStringLiteral("Yedek geri yüklendi: %1 kayıt.").arg(done.records) + kNl
        + QDir::toNativeSeparators(file);
    if (!done.keptStore.isEmpty())
        done.text += kNl + kNl + QStringLiteral("Önceki kayıt deposu şu dosyada saklandı:") + kNl
            + QDir::toNativeSeparators(done.keptStore);
    return done;
}

} // namespace app

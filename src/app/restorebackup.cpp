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
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

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

// One restore at a time on a data folder: two at once would share the copy
// being checked. Held until the object goes.
class RestoreLock {
public:
    explicit RestoreLock(const QString &path)
        : fd_(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        held_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
    }
    ~RestoreLock()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    RestoreLock(const RestoreLock &) = delete;
    RestoreLock &operator=(const RestoreLock &) = delete;
    bool held() const { return held_; }

private:
    int fd_;
    bool held_ = false;
};

// Why a chosen file cannot be restored before any copy is made, in words
// that name the real cause; empty when it may be tried.
QString refusalBeforeCopy(const QString &file)
{
    const QFileInfo info(file);
    if (!info.exists() && !info.isSymLink())
        return QStringLiteral("Dosya bulunamadı.");
    if (info.isDir())
        return QStringLiteral("Seçilen yol bir klasör, bir yedek dosyası değil.");
    if (!info.isFile())
        return QStringLiteral("Seçilen yol sıradan bir dosya değil (aygıt, boru ya da kırık bir "
                              "bağlantı).");
    return QString();
}

} // namespace

RestoreOutcome restoreRecordStore(const QString &file, const QDateTime &now)
{
    // Through a link the store's own file is replaced and the link stays.
    const QString store = storeFileBehind(dataFilePath(RecordStoreData));
    const QString dataFolder = QFileInfo(store).absolutePath();
    const QString part = store + QStringLiteral(".geri");
    if (const QString why = refusalBeforeCopy(file); !why.isEmpty())
        return refused(file, why);
    const QString chosen = QFileInfo(file).canonicalFilePath();
    if (chosen == QFileInfo(store).canonicalFilePath())
        return refused(file, QStringLiteral("Seçilen dosya kayıt deposunun kendisi."));
    if (chosen == QFileInfo(part).canonicalFilePath())
        return refused(file,
            QStringLiteral("Seçilen dosya geri yüklemenin kendi geçici dosyası; önce başka bir "
                           "klasöre kopyalayınız."));
    if (!QFileInfo(dataFolder).isDir())
        return refused(file,
            QStringLiteral("Kayıt deposunun klasörü bulunamadı: %1")
                .arg(QDir::toNativeSeparators(dataFolder)));
    RestoreLock lock(store + QStringLiteral(".kilit"));
    if (!lock.held())
        return refused(file, QStringLiteral("Şu anda başka bir geri yükleme sürüyor."));
    if (!platform::makePrivateFolder(backupFolder()))
        return refused(file,
            QStringLiteral("Yedek klasörü oluşturulamadı: %1")
                .arg(QDir::toNativeSeparators(backupFolder())));
    // A compaction cut short left the newest records under another name:
    // they become the store again, so the store kept below holds them.
    settleInterruptedCompaction(store);

    // The check is made on a copy beside the store, so what is checked is
    // what takes the store's place, whatever happens to the chosen file.
    QFile::remove(part);
    const platform::EngineResult copied =
        platform::copyDatabase(file, part, platform::SourceUse::OnlyRead);
    if (!copied.ok)
        return refused(file, copied.message);
    QString why;
    const long long records = platform::countRows(part, QStringLiteral("ARACKAYIT"));
    if (!isUsableRecordStore(part, &why) || records < 0) {
        QFile::remove(part);
        return refused(file, why.isEmpty() ? QStringLiteral("Kayıtlar sayılamadı.") : why);
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
    done.records = records;
    done.text = QStringLiteral("Yedek geri yüklendi: %1 kayıt.").arg(done.records) + kNl
        + QDir::toNativeSeparators(file);
    if (!done.keptStore.isEmpty())
        done.text += kNl + kNl + QStringLiteral("Önceki kayıt deposu şu dosyada saklandı:") + kNl
            + QDir::toNativeSeparators(done.keptStore);
    return done;
}

} // namespace app

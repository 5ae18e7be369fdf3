#include "backups.h"

#include "appstate.h"
#include "basics.h"
#include "datafiles.h"
#include "inisettings.h"
#include "platform/fileaccess.h"
#include "platform/messages.h"
#include "platform/sqlitecopy.h"
#include "records/fieldmap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>

namespace app {

namespace {

const QString kNl = QStringLiteral("\r\n");

// The daily copies, and the copies a restore keeps of the store it replaced.
const QRegularExpression kDaily(QStringLiteral("^tescil-(\\d{4}-\\d{2}-\\d{2})\\.mdb$"));
const QRegularExpression kBeforeRestore(
    QStringLiteral("^tescil-\\d{4}-\\d{2}-\\d{2}-\\d{6}-onceki\\.mdb$"));
const QString kUnfinished = QStringLiteral(".yarim");

// Columns the start adds to a store that lacks them: an older store is
// still one the program opens.
const char *const kAddedAtStart[] = { "TIPONAY2", "OTV_VergiDairesi", "OTV_Tarihi",
    "OTV_MakbuzNo" };

QStringList requiredColumns(const QString &table)
{
    QStringList columns;
    if (table == QLatin1String("ARACKAYIT")) {
        columns << QStringLiteral("ID");
        for (const records::VehicleField &f : records::vehicleFields()) {
            if (std::none_of(std::begin(kAddedAtStart), std::end(kAddedAtStart),
                    [&](const char *c) { return qstrcmp(c, f.column) == 0; }))
                columns << QString::fromLatin1(f.column);
        }
    } else {
        columns << QStringLiteral("ID") << QStringLiteral("ARACID") << QStringLiteral("SAHIPNO");
        for (const records::OwnerField &f : records::ownerFields())
            columns << QString::fromLatin1(f.column);
    }
    columns.removeDuplicates();
    return columns;
}

bool isDaily(const QString &name)
{
    const auto m = kDaily.match(name);
    return m.hasMatch() && QDate::fromString(m.captured(1), Qt::ISODate).isValid();
}

// Removes the daily copies past the newest keep; copies kept by a restore stay.
void rotate(const QString &folder, int keep)
{
    QStringList daily;
    for (const QString &name : QDir(folder).entryList(QDir::Files))
        if (isDaily(name))
            daily << name;
    std::sort(daily.begin(), daily.end(), std::greater<>());
    for (int i = keep; i < daily.size(); ++i)
        QFile::remove(folder + QLatin1Char('/') + daily[i]);
}

// Copies a killed exit left behind are nobody's backups.
void removeUnfinished(const QString &folder)
{
    // With the engine's -wal and -shm an earlier version left beside them.
    for (const QString &name : QDir(folder).entryList(QDir::Files))
        if (name.endsWith(kUnfinished) || name.endsWith(kUnfinished + QLatin1String("-wal"))
            || name.endsWith(kUnfinished + QLatin1String("-shm")))
            QFile::remove(folder + QLatin1Char('/') + name);
}

// Writes a checked copy of from as folder/name: under a temporary name until
// it is whole, synced and found sound, so only a good copy ever bears the name.
bool writeCheckedCopy(const QString &from, const QString &folder, const QString &name, QString *why)
{
    removeUnfinished(folder);
    const QString target = folder + QLatin1Char('/') + name;
    const QString part = target + kUnfinished;
    const platform::EngineResult copied = platform::copyDatabase(from, part);
    if (!copied.ok) {
        *why = copied.message;
        return false;
    }
    if (!isUsableRecordStore(part, why, StoreCheck::Quick)) {
        QFile::remove(part);
        return false;
    }
    // rename() replaces the day's earlier copy in one step.
    if (::rename(QFile::encodeName(part).constData(), QFile::encodeName(target).constData()) != 0) {
        *why = QStringLiteral("Dosya yeniden adlandırılamadı: %1").arg(part);
        QFile::remove(part);
        return false;
    }
    platform::syncFolder(folder);
    return true;
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QString backupSettingsFile()
{
    return ProgramFolder() + QStringLiteral("/Yedek.ini");
}

BackupSettings backupSettings()
{
    BackupSettings s;
    const QString file = backupSettingsFile();
    if (!QFile::exists(file))
        return s;
    s.secondFolder =
        IniOkuYaz(QStringLiteral("OKU"), file, QStringLiteral("Yedek"), QStringLiteral("Klasor"));
    bool number = false;
    const int keep =
        IniOkuYaz(QStringLiteral("OKU"), file, QStringLiteral("Yedek"), QStringLiteral("Adet"))
            .toInt(&number);
    if (number && keep > 0)
        s.keep = keep;
    return s;
}

QString backupFolder()
{
    return QFileInfo(dataFilePath(RecordStoreData)).absolutePath() + QStringLiteral("/backups");
}

QString backupFileName(const QDate &day)
{
    return QStringLiteral("tescil-%1.mdb").arg(day.toString(Qt::ISODate));
}

QString keptStoreFileName(const QDateTime &when)
{
    return QStringLiteral("tescil-%1-onceki.mdb")
        .arg(when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
}

bool isUsableRecordStore(const QString &path, QString *why, StoreCheck depth)
{
    const platform::EngineResult sound = depth == StoreCheck::Full
        ? platform::integrityCheck(path)
        : platform::checkDatabase(path, QStringList());
    if (!sound.ok) {
        // Said plainly when the file is no database at all.
        *why = (sound.code & 0xff) == SQLITE_NOTADB
            ? QStringLiteral("Dosya bir veri tabanı dosyası değil.")
            : QStringLiteral("Dosya bozuk (%1).").arg(sound.message.left(200));
        return false;
    }
    for (const QString &table : recordStoreTables()) {
        const QStringList has = platform::tableColumns(path, table);
        if (has.isEmpty()) {
            *why = QStringLiteral("Dosya bir kayıt deposu değil: %1 tablosu yok.").arg(table);
            return false;
        }
        QStringList missing;
        for (const QString &column : requiredColumns(table))
            if (!has.contains(column, Qt::CaseInsensitive))
                missing << column;
        if (!missing.isEmpty()) {
            *why = QStringLiteral("Dosya bu programın kayıt deposu değil: %1 tablosunda şu "
                                  "sütunlar yok: %2.")
                       .arg(table, missing.join(QStringLiteral(", ")));
            return false;
        }
    }
    return true;
}

void backUpRecordStore(const QString &storePath, const QDate &today)
{
    if (!QFile::exists(storePath))
        return;
    const BackupSettings settings = backupSettings();
    const QString folder = backupFolder();
    const QString name = backupFileName(today);
    QStringList problems;
    QString why;
    const bool made = platform::makePrivateFolder(folder);
    // Also a folder copied in by hand: the copies hold what the store holds.
    platform::keepPrivate(folder);
    if (!made) {
        problems << QStringLiteral("Yedek klasörü oluşturulamadı:") + kNl + native(folder);
    } else if (!writeCheckedCopy(storePath, folder, name, &why)) {
        problems << QStringLiteral("Kayıt deposunun yedeği alınamadı:") + kNl + native(folder) + kNl
                + why;
    } else {
        rotate(folder, settings.keep);
    }

    if (!settings.secondFolder.isEmpty()) {
        const QString second = QDir::cleanPath(settings.secondFolder);
        // A stick that is not plugged in leaves its mount point behind: the
        // folder is never made here, or the copy would land on this disk.
        const QFileInfo info(second);
        if (info.exists() && !info.isDir()) {
            problems << QStringLiteral("İkinci yedek klasörü olarak verilen yol bir klasör değil, "
                                       "bir dosya:")
                    + kNl + native(second) + kNl
                    + QStringLiteral("Yedek.ini dosyasındaki Klasor= satırını denetleyiniz.");
        } else if (!info.isDir()) {
            problems << QStringLiteral("İkinci yedek klasörü bulunamadı:") + kNl + native(second)
                    + kNl
                    + QStringLiteral(
                        "USB belleğin takılı, ağ klasörünün bağlı olduğunu denetleyiniz.");
        } else {
            const QString from = problems.isEmpty() ? folder + QLatin1Char('/') + name : storePath;
            if (writeCheckedCopy(from, second, name, &why))
                rotate(second, settings.keep);
            else
                problems << QStringLiteral("İkinci yedek klasörüne yazılamadı:") + kNl
                        + native(second) + kNl + why;
        }
    }
    if (problems.isEmpty())
        return;
    CursorDefault();
    // Whether the day's copy beside the store was made, so the clerk knows
    // what is left to do.
    const QString local = problems.size() == 1 && !settings.secondFolder.isEmpty()
            && QFileInfo::exists(folder + QLatin1Char('/') + name)
        ? QStringLiteral("Bugünün yedeği %1 klasörüne alındı. ").arg(native(folder))
        : QString();
    platform::showMessage(platform::MsgIcon::Warning, platform::MsgButtons::Ok,
        QStringLiteral("Dikkat"),
        problems.join(kNl + kNl) + kNl + kNl + local
            + QStringLiteral("Kayıtlarınız kayıt deposunda duruyor; program kapanıyor."));
}

QVector<BackupEntry> listBackups(const QString &folder)
{
    QVector<BackupEntry> entries;
    for (const QFileInfo &file :
        QDir(folder).entryInfoList(QDir::Files, QDir::Name | QDir::Reversed)) {
        const bool daily = isDaily(file.fileName());
        if (!daily && !kBeforeRestore.match(file.fileName()).hasMatch())
            continue;
        BackupEntry e;
        e.path = file.filePath();
        e.written = file.lastModified();
        e.records = platform::countRows(e.path, QStringLiteral("ARACKAYIT"));
        e.beforeRestore = !daily;
        entries << e;
    }
    std::stable_sort(entries.begin(), entries.end(),
        [](const BackupEntry &a, const BackupEntry &b) { return a.written > b.written; });
    return entries;
}

QString backupListText()
{
    QString text;
    auto section = [&text](const QString &title, const QString &folder) {
        text += title + QStringLiteral(": ") + native(folder) + QLatin1Char('\n');
        const QVector<BackupEntry> entries = listBackups(folder);
        if (QFileInfo::exists(folder) && !QFileInfo(folder).isDir())
            text += QStringLiteral("  (bir klasör değil)\n");
        else if (!QFileInfo(folder).isDir())
            text += QStringLiteral("  (klasör bulunamadı)\n");
        else if (entries.isEmpty())
            text += QStringLiteral("  (yedek yok)\n");
        for (const BackupEntry &e : entries)
            text += QStringLiteral("  %1  %2  %3%4\n")
                        .arg(e.written.toString(QStringLiteral("dd.MM.yyyy HH:mm")),
                            e.records < 0 ? QStringLiteral("okunamadı")
                                          : QStringLiteral("%1 kayıt").arg(e.records),
                            QFileInfo(e.path).fileName(),
                            e.beforeRestore ? QStringLiteral("  (geri yüklemeden önceki depo)")
                                            : QString());
    };
    section(QStringLiteral("Yedekler"), backupFolder());
    const BackupSettings settings = backupSettings();
    if (!settings.secondFolder.isEmpty())
        section(QStringLiteral("İkinci klasör"), QDir::cleanPath(settings.secondFolder));
    return text;
}

} // namespace app

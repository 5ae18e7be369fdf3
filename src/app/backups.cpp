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

#include <QSysInfo>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace app {

namespace {

const QString kNl = QStringLiteral("\r\n");
const QString kVehicles = QStringLiteral("ARACKAYIT");

// tescil-2026-03-01.mdb is the day's copy; -140533-onceki the store a restore
// replaced, -140533-dolu the day's earlier copy that held more records than a
// later one; @desk names the desk in a shared folder.
const QRegularExpression kBackupName(
    QStringLiteral("^tescil-(\\d{4}-\\d{2}-\\d{2})(?:-\\d{6}-(onceki|dolu))?(?:@([^/]+))?\\.mdb$"));
const QString kUnfinished = QStringLiteral(".yarim");

QString backupName(const QDate &day, const QString &kind, bool shared)
{
    return QStringLiteral("tescil-") + day.toString(Qt::ISODate) + kind
        + (shared ? QLatin1Char('@') + backupDeskName() : QString()) + QStringLiteral(".mdb");
}

struct BackupName {
    QDate day;
    QString kind; // empty: the day's copy
};

// Whether name is one of this desk's backups in that folder.
// The storage class a declared type gives a column.
enum class Affinity { Integer, Text, Blob, Real, Numeric };
Affinity affinityOf(const QString &declared)
{
    const QString t = declared.toUpper();
    if (t.contains(QLatin1String("INT")))
        return Affinity::Integer;
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB"))
        || t.contains(QLatin1String("TEXT")))
        return Affinity::Text;
    if (t.isEmpty() || t.contains(QLatin1String("BLOB")))
        return Affinity::Blob;
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA"))
        || t.contains(QLatin1String("DOUB")))
        return Affinity::Real;
    return Affinity::Numeric;
}

// Whether a column declared `has` keeps what the program writes into one
// declared `wanted`: text stays text (a number column drops leading zeros),
// numbers stay numbers.
bool keepsValues(const QString &wanted, const QString &has)
{
    const Affinity w = affinityOf(wanted);
    const Affinity h = affinityOf(has);
    if (h == Affinity::Blob || w == Affinity::Numeric)
        return true;
    if (w == Affinity::Text)
        return h == Affinity::Text;
    return h != Affinity::Text;
}

// What in the file's schema would make later saves silently wrong, compared
// with the program's own template; empty when nothing.
QString schemaProblem(const QString &path)
{
    const QStringList tables = recordStoreTables();
    for (const platform::SchemaObject &o : platform::schemaObjects(path)) {
        const bool ours = tables.contains(o.name, Qt::CaseInsensitive);
        if (o.type == QLatin1String("trigger"))
            return QStringLiteral(
                "Dosyada bu programa ait olmayan bir tetikleyici (trigger) var: "
                "%1. Kayıtlar sessizce değiştirilebilir ya da hiç yazılmayabilir.")
                .arg(o.name);
        if (o.type == QLatin1String("view"))
            return QStringLiteral("Dosyada bu programa ait olmayan bir görünüm (view) var: %1.")
                .arg(o.name);
        if (ours
            && o.sql.simplified().startsWith(QLatin1String("CREATE VIRTUAL"), Qt::CaseInsensitive))
            return QStringLiteral("%1 gerçek bir tablo değil, sanal bir tablo.").arg(o.name);
    }
    for (const QString &table : tables) {
        const QVector<platform::DeclaredColumn> has = platform::declaredColumns(path, table);
        const QVector<platform::DeclaredColumn> wanted =
            platform::declaredColumns(templatePath(RecordStoreData), table);
        for (const platform::DeclaredColumn &w : wanted) {
            const auto h = std::find_if(has.cbegin(), has.cend(),
                [&](const auto &c) { return c.name.compare(w.name, Qt::CaseInsensitive) == 0; });
            if (h == has.cend())
                continue; // told with the missing columns
            // Only INTEGER PRIMARY KEY numbers new rows itself.
            if (w.primaryKey
                && !(h->primaryKey
                    && h->type.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0))
                return QStringLiteral(
                    "%1 tablosunda %2 sütunu kayıt numarası (INTEGER PRIMARY KEY) "
                    "değil.")
                    .arg(table, w.name);
            if (!keepsValues(w.type, h->type))
                return QStringLiteral("%1 tablosunda %2 sütununun türü %3; bu program %4 bekliyor.")
                    .arg(table, w.name, h->type, w.type);
        }
        const auto keys =
            std::count_if(has.cbegin(), has.cend(), [](const auto &c) { return c.primaryKey; });
        if (keys > 1)
            return QStringLiteral("%1 tablosunun anahtarı birden çok sütundan oluşuyor.")
                .arg(table);
    }
    return QString();
}

bool parseBackupName(const QString &name, bool shared, BackupName *parts)
{
    const auto m = kBackupName.match(name);
    if (!m.hasMatch() || m.captured(3) != (shared ? backupDeskName() : QString()))
        return false;
    parts->day = QDate::fromString(m.captured(1), Qt::ISODate);
    parts->kind = m.captured(2);
    return parts->day.isValid() || !parts->kind.isEmpty();
}

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

// Only a file this program can prove it wrote is ever deleted: its own
// name, a plain file of this user (no link), a database by its first bytes.
bool provablyOurs(const QFileInfo &file)
{
    struct stat st;
    if (::lstat(QFile::encodeName(file.filePath()).constData(), &st) != 0 || !S_ISREG(st.st_mode)
        || st.st_uid != ::geteuid())
        return false;
    QFile f(file.filePath());
    return f.open(QIODevice::ReadOnly) && f.read(16) == QByteArray("SQLite format 3", 16);
}

// Makes room for the copy about to take the name justWritten: removes the
// day's copies past the newest keep - 1, newest by when they were written.
// That copy always stays, and so does every copy named after today or written
// after now: the clock was wrong then or is now, and which copy is the newest
// is for the clerk to judge. Those are returned.
QStringList rotate(
    const QString &folder, bool shared, int keep, const QString &justWritten, const QDate &today)
{
    QStringList future;
    QVector<QFileInfo> daily;
    const QDateTime now = platform::now();
    for (const QFileInfo &file : QDir(folder).entryInfoList(QDir::Files | QDir::System)) {
        BackupName parts;
        if (!parseBackupName(file.fileName(), shared, &parts) || !parts.kind.isEmpty()
            || file.fileName() == justWritten)
            continue;
        if (parts.day > today || file.lastModified() > now.addSecs(3600))
            future << file.fileName();
        else if (provablyOurs(file))
            daily << file;
    }
    std::sort(daily.begin(), daily.end(), [](const QFileInfo &a, const QFileInfo &b) {
        return a.lastModified() != b.lastModified() ? a.lastModified() > b.lastModified()
                                                    : a.fileName() > b.fileName();
    });
    for (int i = std::max(keep - 1, 0); i < daily.size(); ++i)
        QFile::remove(daily[i].filePath());
    future.sort();
    return future;
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
bool writeCheckedCopy(const QString &from, const QString &folder, const QDate &day, bool shared,
    int keep, QString *why, QString *keptFuller, QStringList *future)
{
    removeUnfinished(folder);
    const QString target = folder + QLatin1Char('/') + backupFileName(day, shared);
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
    // The day's earlier copy with more records than this one is kept beside
    // it: a store that lost records (moved, replaced, emptied) must not take
    // the last copy of them along.
    const long long had = QFileInfo::exists(target) ? platform::countRows(target, kVehicles) : -1;
    const long long has = platform::countRows(part, kVehicles);
    if (had > has) {
        QString kept;
        QDateTime when = platform::now();
        do {
            kept = folder + QLatin1Char('/')
                + backupName(day, when.toString(QStringLiteral("-HHmmss-'dolu'")), shared);
            when = when.addSecs(1);
        } while (QFileInfo::exists(kept));
        if (::rename(QFile::encodeName(target).constData(), QFile::encodeName(kept).constData())
            != 0) {
            *why = QStringLiteral("Günün önceki yedeği saklanamadı: %1").arg(target);
            QFile::remove(part);
            return false;
        }
        *keptFuller = QStringLiteral("%1 (%2 kayıt); yeni yedekte %3 kayıt var")
                          .arg(QDir::toNativeSeparators(kept))
                          .arg(had)
                          .arg(has);
    }
    // Room is made before the copy takes its name, so an exit killed in
    // between never leaves more copies than are kept.
    *future << rotate(folder, shared, keep, backupFileName(day, shared), day);
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

QString backupDeskName()
{
    const struct passwd *account = ::getpwuid(::geteuid());
    QString desk = QSysInfo::machineHostName() + QLatin1Char('-')
        + (account ? QString::fromLocal8Bit(account->pw_name) : qEnvironmentVariable("USER"));
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    return desk.replace(unsafe, QStringLiteral("_"));
}

QString backupFileName(const QDate &day, bool shared)
{
    return backupName(day, QString(), shared);
}

QString keptStoreFileName(const QDateTime &when)
{
    return QStringLiteral("tescil-%1-onceki.mdb")
        .arg(when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
}

QString foreignSchemaReason(const QString &path)
{
    const QString problem = schemaProblem(path);
    return problem.isEmpty()
        ? problem
        : QStringLiteral("Dosyanın yapısı bu programın kayıt deposununki değil: ") + problem;
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
    // Checked where a store comes from elsewhere; the exit's own copy of
    // the store in use must never fail on it.
    if (depth == StoreCheck::Full) {
        if (const QString problem = foreignSchemaReason(path); !problem.isEmpty()) {
            *why = problem;
            return false;
        }
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
    QStringList notes;
    QStringList future;
    QString why;
    QString keptFuller;
    const bool made = platform::makePrivateFolder(folder);
    // Also a folder copied in by hand: the copies hold what the store holds.
    platform::keepPrivate(folder);
    if (!made) {
        problems << QStringLiteral("Yedek klasörü oluşturulamadı:") + kNl + native(folder);
    } else if (!writeCheckedCopy(
                   storePath, folder, today, false, settings.keep, &why, &keptFuller, &future)) {
        problems << QStringLiteral("Kayıt deposunun yedeği alınamadı:") + kNl + native(folder) + kNl
                + why;
    }
    const auto noteFuller = [&] {
        if (!keptFuller.isEmpty())
            notes << QStringLiteral("Bugün daha önce alınan yedek şimdiki kayıt deposundan daha "
                                    "çok kayıt tutuyordu; ikisi de saklandı:")
                    + kNl + keptFuller;
        keptFuller.clear();
    };
    noteFuller();

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
            if (!writeCheckedCopy(
                    from, second, today, true, settings.keep, &why, &keptFuller, &future))
                problems << QStringLiteral("İkinci yedek klasörüne yazılamadı:") + kNl
                        + native(second) + kNl + why;
            noteFuller();
        }
    }
    if (!future.isEmpty())
        notes << QStringLiteral("Bilgisayarın saati yanlış olabilir (bugün %1): şu yedekler "
                                "bugünden sonra alınmış görünüyor:")
                     .arg(today.toString(QStringLiteral("dd.MM.yyyy")))
                + kNl + future.join(kNl) + kNl
                + QStringLiteral("Bu yedekler silinmedi. Saati denetleyiniz; saat doğruysa bu "
                                 "yedekleri inceleyip başka bir klasöre taşıyabilirsiniz.");
    if (problems.isEmpty() && notes.isEmpty())
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
        (problems + notes).join(kNl + kNl) + kNl + kNl + local
            + QStringLiteral("Kayıtlarınız kayıt deposunda duruyor; program kapanıyor."));
}

QVector<BackupEntry> listBackups(const QString &folder, bool shared)
{
    QVector<BackupEntry> entries;
    for (const QFileInfo &file :
        QDir(folder).entryInfoList(QDir::Files, QDir::Name | QDir::Reversed)) {
        BackupName parts;
        if (!parseBackupName(file.fileName(), shared, &parts))
            continue;
        BackupEntry e;
        e.path = file.filePath();
        e.written = file.lastModified();
        e.records = platform::countRows(e.path, kVehicles);
        e.beforeRestore = parts.kind == QLatin1String("onceki");
        e.keptFuller = parts.kind == QLatin1String("dolu");
        entries << e;
    }
    std::stable_sort(entries.begin(), entries.end(),
        [](const BackupEntry &a, const BackupEntry &b) { return a.written > b.written; });
    return entries;
}

QString backupListText()
{
    QString text;
    auto section = [&text](const QString &title, const QString &folder, bool shared) {
        text += title + QStringLiteral(": ") + native(folder) + QLatin1Char('\n');
        const QVector<BackupEntry> entries = listBackups(folder, shared);
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
                                : e.keptFuller
                                ? QStringLiteral("  (günün daha çok kayıtlı önceki yedeği)")
                                : QString());
    };
    section(QStringLiteral("Yedekler"), backupFolder(), false);
    const BackupSettings settings = backupSettings();
    if (!settings.secondFolder.isEmpty())
        section(QStringLiteral("İkinci klasör (bu masa: %1)").arg(backupDeskName()),
            QDir::cleanPath(settings.secondFolder), true);
    return text;
}

} // namespace app

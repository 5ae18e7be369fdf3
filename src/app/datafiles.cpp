#include "datafiles.h"

#include "appstate.h"
#include "backups.h"
#include "basics.h"
#include "errorbox.h"
#include "platform/engineerrors.h"
#include "platform/fileaccess.h"
#include "platform/messages.h"
#include "platform/sqliteengine.h"
#include "platform/storedialect.h"
#include "records/searchindex.h"
#include "sharedstore.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlRecord>

#include <algorithm>

#include <cstdio>
#include <sqlite3.h>

namespace app {

namespace {

const char *relativeData(int code)
{
    switch (code) {
    case RecordStoreData:
        return "/data/tescil.mdb";
    case ConstantsData:
        return "/sabit.mdb";
    case ProvincesData:
        return "/IL.mdb";
    case VehiclesData:
        return "/Arac.mdb";
    }
    return nullptr;
}

const char *relativeTemplate(int code)
{
    switch (code) {
    case RecordStoreData:
        return "/MDQ/tescil.mdq";
    case ConstantsData:
        return "/MDQ/sabit.mdq";
    case ProvincesData:
        return "/MDQ/IL.mdq";
    case VehiclesData:
        return "/MDQ/Arac.mdq";
    }
    return nullptr;
}

int g_busyTimeout = 5000;

// Copies a template so that the copy is writable even when the template is not.
bool copyTemplate(const QString &from, const QString &to, QString *error)
{
    if (!QFile::exists(from)) {
        *error = QStringLiteral("Şablon dosyası bulunamadı: %1").arg(from);
        return false;
    }
    QFile src(from);
    if (!src.copy(to)) {
        *error = src.errorString();
        return false;
    }
    QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
    return true;
}

// A store with no bytes or none of its tables beside a sound temporary file:
// the temporary file holds the records (a compaction's state before), so it
// becomes the store again. A non-empty file is kept beside for whoever made it.
bool restoreEmptyStore(const QString &store)
{
    const QString temp = compactionTempPath(store);
    // Another window compacting holds the temporary file: it is no leftover.
    if (!QFile::exists(temp) || platform::openedByAnotherProcess(temp)
        || !platform::checkDatabase(temp, recordStoreTables()).ok)
        return false;
    const QString folder = QFileInfo(store).absolutePath();
    if (QFileInfo(store).size() > 0) {
        const QString kept = store + QStringLiteral(".eski");
        QFile::remove(kept);
        if (!QFile::rename(store, kept))
            return false;
    }
    // Over the empty file in one step (QFile::rename would not replace it).
    const bool ok =
        ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(store).constData()) == 0;
    platform::syncFolder(folder);
    return ok;
}

bool g_emptyStartDeclined = false;

// A store that vanished beside backups is no first start (moved, deleted, a
// share not mounted): the clerk hears which backup holds the records before
// an empty store takes the name, and whose exit copy would then be empty.
bool mayStartEmpty(const QString &store)
{
    QVector<BackupEntry> backups = listBackups(backupFolder());
    const QString second = backupSettings().secondFolder;
    if (backups.isEmpty() && !second.isEmpty())
        backups = listBackups(QDir::cleanPath(second), true);
    if (backups.isEmpty())
        return true;
    const BackupEntry &newest = backups.first();
    const QString nl = QStringLiteral("\r\n");
    const QString text = QStringLiteral("Kayıt deposu bulunamadı:") + nl
        + QDir::toNativeSeparators(store) + nl + nl
        + QStringLiteral("Taşınmış ya da silinmiş olabilir, ya da bulunduğu ağ klasörü bağlı "
                         "değil. En yeni yedek:")
        + nl + QDir::toNativeSeparators(newest.path)
        + QStringLiteral(" (%1 kayıt, %2)")
              .arg(newest.records)
              .arg(newest.written.toString(QStringLiteral("dd.MM.yyyy HH:mm")))
        + nl + nl
        + QStringLiteral("Kayıtları geri almak için Hakkında penceresindeki \"Yedekten Geri "
                         "Yükle...\" düğmesini ya da komut satırında şunu kullanınız:")
        + nl + QStringLiteral("evrakmatik --restore \"%1\"").arg(newest.path) + nl + nl
        + QStringLiteral("Boş bir kayıt deposuyla devam edilsin mi?");
    g_emptyStartDeclined =
        platform::showMessage(platform::MsgIcon::Warning, platform::MsgButtons::YesNo,
            QStringLiteral("Dikkat"), text, platform::MsgAnswer::No)
        != platform::MsgAnswer::Yes;
    return !g_emptyStartDeclined;
}

} // namespace

QString dataFilePath(int code)
{
    const char *rel = relativeData(code);
    return rel ? ProgramFolder() + QLatin1String(rel) : QString();
}

QString templatePath(int code)
{
    const char *rel = relativeTemplate(code);
    return rel ? ProgramFolder() + QLatin1String(rel) : QString();
}

QString compactionTempPath(const QString &storePath)
{
    return storePath + QLatin1Char('x');
}

QString storeFileBehind(const QString &storePath)
{
    QString path = storePath;
    // A chain of links ends at the file; a loop of them stays a link and fails later.
    for (int hop = 0; hop < 16 && QFileInfo(path).isSymLink(); ++hop)
        path = QFileInfo(path).symLinkTarget();
    return path;
}

bool compactionUnderway(const QString &storePath)
{
    const QString store = storeFileBehind(storePath);
    return !QFile::exists(store) && platform::openedByAnotherProcess(compactionTempPath(store));
}

void settleInterruptedCompaction(const QString &storePath)
{
    const QString store = storeFileBehind(storePath);
    const QString temp = compactionTempPath(store);
    // Another window compacting holds its temporary file open: its store,
    // not one left by a compaction cut short.
    if (compactionUnderway(store))
        return;
    if (!QFile::exists(store) && QFile::exists(temp)) {
        QFile::rename(temp, store);
        platform::syncFolder(QFileInfo(store).absolutePath());
    } else if (QFile::exists(store) && QFileInfo(store).size() == 0) {
        restoreEmptyStore(store);
    }
}

QStringList recordStoreTables()
{
    return { QStringLiteral("ARACKAYIT"), QStringLiteral("ARACSAHIPLERI") };
}

int sqlErrorNumber(const QSqlError &e)
{
    bool ok = false;
    const int n = e.nativeErrorCode().toInt(&ok);
    return ok ? n : 3000 + int(e.type());
}

void setBusyTimeout(int milliseconds)
{
    g_busyTimeout = milliseconds;
}

void DataKontrolEt()
{
    const QString folder = ProgramFolder() + QStringLiteral("/data");
    const QString store = dataFilePath(RecordStoreData);
    if (!QFileInfo(folder).isDir())
        platform::makePrivateFolder(folder);
    if (QFile::exists(store))
        return;
    // A compaction interrupted after it moved the store aside left every record
    // in its temporary file: bring that back rather than start empty.
    settleInterruptedCompaction(store);
    if (QFile::exists(store) || !mayStartEmpty(store))
        return;
    QString error;
    // Through a link the template lands where the link points, and the link stays.
    if (!copyTemplate(templatePath(RecordStoreData), storeFileBehind(store), &error))
        HataGoster(53, error, QStringLiteral("DataKontrolEt"), true);
}

static bool openData(QSqlDatabase &db, int code, bool mayRestore);

namespace {

QString nextConnectionName(int code)
{
    static QAtomicInt counter;
    return QStringLiteral("data%1-%2").arg(code).arg(counter.fetchAndAddRelaxed(1));
}

bool hasTable(const QSqlDatabase &db, const QString &table)
{
    const QStringList tables = db.tables();
    return std::any_of(tables.cbegin(), tables.cend(),
        [&](const QString &t) { return t.compare(table, Qt::CaseInsensitive) == 0; });
}

// A desk's role may only read and write the records; the tables are the
// owner role's to make and change.
QString cannotUpgradeText()
{
    return QStringLiteral(
        "Ortak kayıt deposu (sunucu: %1) bu sürümün tablolarına ve sütunlarına yükseltilmeli; "
        "bu masanın kullanıcısının buna yetkisi yok. Veritabanının sahibi olan kullanıcıyla bir "
        "kez şunu çalıştırınız:\n  evrakmatik --upgrade-store --shared-store \"<sahibin "
        "bağlantısı>\"\nKayıtlar bu arada okunur; yeni sütunlar gelene dek kaydeden masa "
        "saklanmaz.")
        .arg(sharedStoreHost(sharedStore().connection));
}

// One connection to the server is kept between operations: a new one costs
// more than a whole save. It is checked with a round trip before each reuse,
// so one the server dropped (restarted, or cut off) is replaced unnoticed.
struct PooledConnection {
    QString name;
    QString connection;
    bool inUse = false;
};
PooledConnection g_pooled;

void dropPooled()
{
    if (g_pooled.name.isEmpty())
        return;
    {
        QSqlDatabase c = QSqlDatabase::database(g_pooled.name, false);
        c.close();
    }
    QSqlDatabase::removeDatabase(g_pooled.name);
    g_pooled = PooledConnection();
}

bool reusePooled(QSqlDatabase &db)
{
    if (g_pooled.name.isEmpty() || g_pooled.inUse)
        return false;
    QString unread;
    if (g_pooled.connection != driverConnectionText(sharedStore().connection, &unread)) {
        dropPooled();
        return false;
    }
    QSqlDatabase c = QSqlDatabase::database(g_pooled.name, false);
    bool alive = c.isOpen();
    if (alive) {
        QSqlQuery ping(c);
        alive = ping.exec(QStringLiteral("SELECT 1"));
    }
    if (!alive) {
        c = QSqlDatabase();
        dropPooled();
        return false;
    }
    g_pooled.inUse = true;
    db = c;
    return true;
}

// The record store on the server named by the shared-store setting. An empty
// database gets the tables of the local template on first use.
bool openShared(QSqlDatabase &db)
{
    if (reusePooled(db))
        return true;
    const QString section =
        QString::number(RecordStoreData) + QStringLiteral(" Data açılışında...");
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        HataGoster(3051,
            QStringLiteral("Ortak kayıt deposu için PostgreSQL sürücüsü kurulu değil "
                           "(libqt6sql6-psql paketi); kayıt deposu açılamadı."),
            section, true);
        return false;
    }
    QString unread;
    const QString options = driverConnectionText(sharedStore().connection, &unread);
    if (options.isEmpty()) {
        HataGoster(3051,
            QStringLiteral("Ortak kayıt deposunun bağlantı metni okunamadı: %1").arg(unread),
            section, true);
        return false;
    }
    const QString name = nextConnectionName(RecordStoreData);
    QSqlDatabase candidate = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    candidate.setConnectOptions(options);
    auto fail = [&](int number, const QString &text) {
        candidate.close();
        candidate = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
        HataGoster(number, text, section, true);
        return false;
    };
    if (!candidate.open())
        return fail(sqlErrorNumber(candidate.lastError()), connectErrorText(candidate.lastError()));
    const bool vehicles = hasTable(candidate, QStringLiteral("ARACKAYIT"));
    const bool owners = hasTable(candidate, QStringLiteral("ARACSAHIPLERI"));
    if (!vehicles || !owners) {
        QString error;
        QString state;
        if (!platform::createPostgresSchema(
                candidate, templatePath(RecordStoreData), &error, &state))
            return fail(3051,
                state == QLatin1String("42501")
                    ? cannotUpgradeText()
                    : QStringLiteral("Ortak kayıt deposunda tablolar kurulamadı (sunucu: %1): %2")
                          .arg(sharedStoreHost(sharedStore().connection), error));
    }
    if (g_pooled.name.isEmpty())
        g_pooled = { name, options, true };
    db = candidate;
    return true;
}

} // namespace

void keepDataPrivate()
{
    const QString folder = ProgramFolder() + QStringLiteral("/data");
    if (QFileInfo(folder).isDir()) {
        platform::keepPrivate(folder);
        for (const QFileInfo &file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden))
            platform::keepPrivate(file.filePath());
    }
    for (int code : { ConstantsData, ProvincesData, VehiclesData })
        if (QFile::exists(dataFilePath(code)))
            platform::keepPrivate(dataFilePath(code));
}

bool OpenData(QSqlDatabase &db, int code)
{
    return openData(db, code, true);
}

bool openData(QSqlDatabase &db, int code, bool mayRestore)
{
    db = QSqlDatabase();
    if (code == RecordStoreData && usesSharedStore())
        return openShared(db);
    const QString path = dataFilePath(code);
    if (path.isEmpty())
        return false;
    if (code == RecordStoreData && !QFile::exists(path) && compactionUnderway(path)) {
        HataGoster(SQLITE_BUSY, platform::storeBeingCompactedText(path),
            QString::number(code) + QStringLiteral(" Data açılışında..."), true);
        return false;
    }
    if (code == RecordStoreData && mayRestore && QFileInfo(path).size() == 0
        && restoreEmptyStore(path))
        mayRestore = false;
    if (!QFile::exists(path)) {
        if (code == RecordStoreData) {
            g_emptyStartDeclined = false;
            DataKontrolEt();
            if (!QFile::exists(path) && g_emptyStartDeclined) {
                platform::endProcess(1);
                return false;
            }
            if (!QFile::exists(path)) {
                platform::showMessage(platform::MsgIcon::Critical, platform::MsgButtons::Ok,
                    QStringLiteral("Dikkat"),
                    QStringLiteral(
                        "Data yaratmada sorunla karşılaşıldı. Program sonlandırılacaktır.")
                        + QStringLiteral("\r\n\r\nLütfen sistem yöneticisi ile görüşünüz."));
                platform::endProcess(1);
                return false;
            }
        } else {
            QString error;
            copyTemplate(templatePath(code), path, &error);
        }
    }
    const QString name = nextConnectionName(code);
    QSqlDatabase candidate = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    candidate.setDatabaseName(path);
    // Another program may hold the file for a moment; wait rather than fail.
    candidate.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(g_busyTimeout));
    QSqlError error;
    bool ok = QFile::exists(path) && candidate.open();
    if (ok) {
        // Opening is lazy: read the schema now so a damaged file fails here.
        QSqlQuery probe(candidate);
        ok =
            probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' "
                                      "AND name IN ('ARACKAYIT', 'ARACSAHIPLERI') COLLATE NOCASE"));
        if (!ok)
            error = probe.lastError();
        else if (code == RecordStoreData && mayRestore && probe.next()
            && probe.value(0).toInt() == 0 && QFile::exists(compactionTempPath(path))) {
            probe.finish();
            probe = QSqlQuery();
            candidate.close();
            candidate = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            restoreEmptyStore(path);
            return openData(db, code, false);
        }
    } else {
        error = candidate.lastError();
    }
    if (!ok) {
        candidate.close();
        candidate = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
        QString text = QStringLiteral("Dosya bulunamadı: %1").arg(path);
        if (error.isValid() && !error.text().trimmed().isEmpty()) {
            const QString engine = error.databaseText().trimmed().isEmpty()
                ? error.text().trimmed()
                : error.databaseText().trimmed();
            text = platform::engineErrorText(error.nativeErrorCode().toInt(), engine, path);
            if (text.isEmpty())
                text = error.text();
        }
        HataGoster(error.isValid() ? sqlErrorNumber(error) : 53, text,
            QString::number(code) + QStringLiteral(" Data açılışında..."), true);
        return false;
    }
    db = candidate;
    return true;
}

void CloseRs(QSqlQuery &query)
{
    query.finish();
    query = QSqlQuery();
}

void CloseDb(QSqlDatabase &db)
{
    if (!db.isValid())
        return;
    const QString name = db.connectionName();
    if (!g_pooled.name.isEmpty() && name == g_pooled.name) {
        // Kept for the next operation: every operation ends its own transaction.
        g_pooled.inUse = false;
        db = QSqlDatabase();
        return;
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

namespace {

void showUpgradeError(const QSqlError &error, const QString &section)
{
    if (!usesSharedStore())
        HataGoster(sqlErrorNumber(error), error.text(), section, true);
    else if (error.nativeErrorCode() == QLatin1String("42501"))
        HataGoster(sqlErrorNumber(error), cannotUpgradeText(), section, true);
    else
        HataGoster(sqlErrorNumber(error), serverErrorText(error), section, true);
}

} // namespace

bool addFieldToTbl(const QString &table, const QString &column, int size, int typeCode,
    bool required, bool allowZeroLength)
{
    QSqlDatabase db;
    if (!OpenData(db, RecordStoreData))
        return false;
    bool ok = true;
    {
        const QSqlRecord fields = platform::tableRecord(db, table);
        // A missing table adds nothing, as a failed lookup other than "not found".
        if (!fields.isEmpty() && !fields.contains(column)) {
            const platform::StoreDialect &dialect = platform::dialectOf(db);
            QString definition = dialect.columnDefinition(column, typeCode, size, allowZeroLength);
            if (required)
                definition += typeCode == 1 ? QStringLiteral(" NOT NULL DEFAULT ''")
                                            : QStringLiteral(" NOT NULL DEFAULT 0");
            QSqlQuery q(db);
            ok = q.exec(dialect.addColumnSql(table, definition));
            if (!ok)
                showUpgradeError(q.lastError(), QStringLiteral("addFieldToTbl"));
        }
    }
    CloseDb(db);
    return ok;
}

bool addIndexToTbl(const QString &table, const QString &index, const QString &columns)
{
    QSqlDatabase db;
    if (!OpenData(db, RecordStoreData))
        return false;
    bool ok = true;
    {
        const platform::StoreDialect &dialect = platform::dialectOf(db);
        const bool tableThere = hasTable(db, table);
        const bool hasIndex = tableThere && dialect.hasIndex(db, index);
        QSqlQuery q(db);
        // A table of another program's making may lack a column: it gets no
        // index, and the operation that needs the column says what is missing.
        const QSqlRecord fields = tableThere ? platform::tableRecord(db, table) : QSqlRecord();
        const QStringList wanted = columns.split(QStringLiteral(", "));
        const bool hasColumns = std::all_of(
            wanted.cbegin(), wanted.cend(), [&](const QString &c) { return fields.contains(c); });
        // An existing index costs no write, so a read-only store opens as before.
        if (tableThere && hasColumns && !hasIndex) {
            // On the server an index over a million records takes longer than
            // a save may wait; a lock held elsewhere still ends the wait.
            const bool server = platform::isPostgres(db);
            if (server)
                QSqlQuery(db).exec(QStringLiteral("SET statement_timeout = 0"));
            if (!q.exec(dialect.createIndexSql(index, table, columns))) {
                ok = false;
                showUpgradeError(q.lastError(), QStringLiteral("addIndexToTbl"));
            }
            if (server)
                QSqlQuery(db).exec(QStringLiteral("RESET statement_timeout"));
        }
    }
    CloseDb(db);
    return ok;
}

namespace {

// A store from before the "Ara" search gets its index, with every record;
// so does one whose records another program changed in number.
bool addSearchIndex(const std::function<void(qint64, qint64)> &progress)
{
    QSqlDatabase db;
    if (!OpenData(db, RecordStoreData))
        return false;
    // A store without both tables gets nothing, as with the columns: the
    // operation that needs a table says what is missing.
    const QStringList tables = recordStoreTables();
    const bool complete = std::all_of(
        tables.cbegin(), tables.cend(), [&](const QString &t) { return hasTable(db, t); });
    QString error;
    if (complete && (!records::SearchIndex::exists(db) || !records::SearchIndex::complete(db))
        && !records::SearchIndex::build(db, progress, &error)
        // A store this user may only read is searched once someone who may write opens it.
        && !error.contains(QLatin1String("readonly"))
        && !error.contains(QLatin1String("permission"))) {
        HataGoster(3000, QStringLiteral("Arama dizini kurulamadı: %1").arg(error),
            QStringLiteral("upgradeRecordStore"), true);
        CloseDb(db);
        return false;
    }
    CloseDb(db);
    return true;
}

} // namespace

QString foreignServerSchemaReason(QSqlDatabase &db)
{
    // Internal triggers (those of foreign keys) are the server's own; a
    // rule can swallow an insert as a trigger can.
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral(
            "SELECT 'bir tetikleyici (trigger)', t.tgname::text FROM pg_trigger t JOIN pg_class c "
            "ON c.oid = t.tgrelid WHERE NOT t.tgisinternal AND c.relnamespace = "
            "current_schema()::regnamespace AND c.relname IN ('arackayit', 'aracsahipleri') "
            "UNION ALL SELECT 'bir kural (rule)', rulename::text FROM pg_rules WHERE schemaname = "
            "current_schema() AND tablename IN ('arackayit', 'aracsahipleri') UNION ALL SELECT "
            "'bir görünüm (view)', table_name::text FROM information_schema.views WHERE "
            "table_schema = current_schema() AND table_name IN ('arackayit', 'aracsahipleri')"))
        || !q.next())
        return QString(); // what cannot be read is the upgrade's own steps' to report
    return QStringLiteral("Ortak kayıt deposunda bu programa ait olmayan %1 var: %2. Kayıtlar "
                          "sessizce değiştirilebilir ya da hiç yazılmayabilir; sunucunun "
                          "yöneticisi kaldırmalı.")
        .arg(q.value(0).toString(), q.value(1).toString());
}

void consoleProgress(qint64 done, qint64 total)
{
    std::fprintf(stderr, "Arama dizini kuruluyor: %lld / %lld kayıt\n", done, total);
}

bool upgradeRecordStore(const std::function<void(qint64, qint64)> &progress)
{
    // A server that cannot be reached is reported once, not by every step.
    if (usesSharedStore()) {
        QSqlDatabase db;
        if (!OpenData(db, RecordStoreData))
            return false;
        const QString foreign = foreignServerSchemaReason(db);
        CloseDb(db);
        if (!foreign.isEmpty()) {
            HataGoster(3000, foreign, QStringLiteral("upgradeRecordStore"), true);
            return false;
        }
    }
    // A store whose schema would make saves silently wrong (another
    // program's trigger, a view) gets nothing added: the clerk hears why
    // before anything in it changes.
    if (!usesSharedStore()) {
        const QString store = dataFilePath(RecordStoreData);
        if (const QString why = foreignSchemaReason(store); !why.isEmpty()) {
            HataGoster(3000, QDir::toNativeSeparators(store) + QStringLiteral("\r\n") + why,
                QStringLiteral("upgradeRecordStore"), true);
            return false;
        }
    }
    // The first step that fails ends the upgrade: one box, not one a step.
    const QString table = QStringLiteral("ARACKAYIT");
    const bool ok = addFieldToTbl(table, QStringLiteral("TIPONAY2"), 25, 1, false, true)
        && addFieldToTbl(table, QStringLiteral("OTV_VergiDairesi"), 30, 1, false, true)
        && addFieldToTbl(table, QStringLiteral("OTV_Tarihi"), 10, 1, false, true)
        && addFieldToTbl(table, QStringLiteral("OTV_MakbuzNo"), 20, 1, false, true)
        // Kept by every save, so a desk can tell that another one saved the
        // record after it was loaded here, and which.
        && addFieldToTbl(table, QStringLiteral("DEGISIKLIKNO"), 0, 4, false, true)
        && addFieldToTbl(table, QStringLiteral("DEGISIKLIKZAMANI"), 19, 1, false, true)
        && addFieldToTbl(table, QStringLiteral("DEGISIKLIKMASA"), 40, 1, false, true)
        // Returning customers are looked up by their number alone.
        && addIndexToTbl(QStringLiteral("ARACSAHIPLERI"), QStringLiteral("ARACSAHIPLERI_KIMLIKNO"),
            QStringLiteral("KIMLIKNO"))
        // The record list reads its rows in this order straight from the
        // index, so its first rows need no sort of the whole table.
        && addIndexToTbl(table, QStringLiteral("ARACKAYIT_LISTE"),
            QStringLiteral("ESKIPLAKA, ID, YENIPLAKA, SASENO, MOTORNO"))
        && addSearchIndex(progress);
    return ok;
}

} // namespace app

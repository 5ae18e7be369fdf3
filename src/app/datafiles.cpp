#include "datafiles.h"

#include "appstate.h"
#include "basics.h"
#include "errorbox.h"
#include "platform/fileaccess.h"
#include "platform/messages.h"
#include "platform/sqliteengine.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlRecord>

#include <algorithm>

#include <cstdio>

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
    if (!QFile::exists(temp) || !platform::checkDatabase(temp, recordStoreTables()).ok)
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
    const QString temp = compactionTempPath(store);
    if (QFile::exists(temp) && QFile::rename(temp, store))
        return;
    QString error;
    if (!copyTemplate(templatePath(RecordStoreData), store, &error))
        HataGoster(53, error, QStringLiteral("DataKontrolEt"), true);
}

static bool openData(QSqlDatabase &db, int code, bool mayRestore);

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
    const QString path = dataFilePath(code);
    if (path.isEmpty())
        return false;
    if (code == RecordStoreData && mayRestore && QFileInfo(path).size() == 0
        && restoreEmptyStore(path))
        mayRestore = false;
    if (!QFile::exists(path)) {
        if (code == RecordStoreData) {
            DataKontrolEt();
            if (!QFile::exists(path)) {
                platform::showMessage(platform::MsgIcon::Critical, platform::MsgButtons::Ok,
                    QStringLiteral("DİKKAT"),
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
    static QAtomicInt counter;
    const QString name = QStringLiteral("data%1-%2").arg(code).arg(counter.fetchAndAddRelaxed(1));
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
        const QString text = error.isValid() && !error.text().trimmed().isEmpty()
            ? error.text()
            : QStringLiteral("Dosya bulunamadı: %1").arg(path);
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
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

void addFieldToTbl(const QString &table, const QString &column, int size, int typeCode,
    bool required, bool allowZeroLength)
{
    QSqlDatabase db;
    if (!OpenData(db, RecordStoreData))
        return;
    {
        const QSqlRecord fields = db.record(table);
        // A missing table adds nothing, as a failed lookup other than "not found".
        if (!fields.isEmpty() && !fields.contains(column)) {
            QString type;
            QString def;
            QString check;
            switch (typeCode) {
            case 2:
                type = QStringLiteral("SMALLINT");
                def = QStringLiteral("0");
                break;
            case 4:
                type = QStringLiteral("DOUBLE");
                def = QStringLiteral("0");
                break;
            default:
                type = QStringLiteral("VARCHAR(%1)").arg(size);
                def = QStringLiteral("''");
                check = QStringLiteral("length(%1) <= %2").arg(column).arg(size);
                if (!allowZeroLength)
                    check += QStringLiteral(" AND %1 <> ''").arg(column);
            }
            QString sql =
                QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3").arg(table, column, type);
            if (required)
                sql += QStringLiteral(" NOT NULL DEFAULT ") + def;
            if (!check.isEmpty())
                sql += QStringLiteral(" CHECK (%1)").arg(check);
            QSqlQuery q(db);
            if (!q.exec(sql))
                HataGoster(sqlErrorNumber(q.lastError()), q.lastError().text(),
                    QStringLiteral("addFieldToTbl"), true);
        }
    }
    CloseDb(db);
}

void addIndexToTbl(const QString &table, const QString &index, const QString &columns)
{
    QSqlDatabase db;
    if (!OpenData(db, RecordStoreData))
        return;
    {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT type, name FROM sqlite_master WHERE name IN (?, ?)"));
        q.addBindValue(table);
        q.addBindValue(index);
        bool hasTable = false;
        bool hasIndex = false;
        if (q.exec()) {
            while (q.next()) {
                hasTable |= q.value(1).toString() == table;
                hasIndex |= q.value(1).toString() == index;
            }
        }
        q.finish();
        // A table of another program's making may lack a column: it gets no
        // index, and the operation that needs the column says what is missing.
        const QSqlRecord fields = hasTable ? db.record(table) : QSqlRecord();
        const QStringList wanted = columns.split(QStringLiteral(", "));
        const bool hasColumns = std::all_of(
            wanted.cbegin(), wanted.cend(), [&](const QString &c) { return fields.contains(c); });
        // An existing index costs no write, so a read-only store opens as before.
        if (hasTable && hasColumns && !hasIndex
            && !q.exec(QStringLiteral("CREATE INDEX %1 ON %2 (%3)").arg(index, table, columns)))
            HataGoster(sqlErrorNumber(q.lastError()), q.lastError().text(),
                QStringLiteral("addIndexToTbl"), true);
    }
    CloseDb(db);
}

void upgradeRecordStore()
{
    const QString table = QStringLiteral("ARACKAYIT");
    addFieldToTbl(table, QStringLiteral("TIPONAY2"), 25, 1, false, true);
    addFieldToTbl(table, QStringLiteral("OTV_VergiDairesi"), 30, 1, false, true);
    addFieldToTbl(table, QStringLiteral("OTV_Tarihi"), 10, 1, false, true);
    addFieldToTbl(table, QStringLiteral("OTV_MakbuzNo"), 20, 1, false, true);
    // Returning customers are looked up by their number alone.
    addIndexToTbl(QStringLiteral("ARACSAHIPLERI"), QStringLiteral("ARACSAHIPLERI_KIMLIKNO"),
        QStringLiteral("KIMLIKNO"));
    // The record list reads its rows in this order straight from the index,
    // so its first rows need no sort of the whole table.
    addIndexToTbl(table, QStringLiteral("ARACKAYIT_LISTE"),
        QStringLiteral("ESKIPLAKA, ID, YENIPLAKA, SASENO, MOTORNO"));
}

} // namespace app

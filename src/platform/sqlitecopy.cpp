#include "sqlitecopy.h"

#include "fileaccess.h"
#include "safesave.h"

#include <QFile>
#include <QUrl>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

// Messages are the clerk's: Turkish for what a clerk can act on, the
// engine's own words otherwise.
EngineResult systemFailure(const QString &path)
{
    const int number = errno;
    const int code = number == ENOSPC || number == EFBIG || number == EDQUOT ? SQLITE_FULL
        : number == EACCES || number == EPERM || number == EROFS             ? SQLITE_READONLY
        : number == ENOENT || number == ENOTDIR                              ? SQLITE_CANTOPEN
                                                                             : SQLITE_IOERR;
    return { false, code,
        writeFailureReason(QString::fromLocal8Bit(std::strerror(number)), number)
            + QStringLiteral(" (%1)").arg(path) };
}

EngineResult engineFailure(sqlite3 *db, int rc)
{
    const char *reason = nullptr;
    switch (rc & 0xff) {
    case SQLITE_NOTADB:
        reason = "Dosya bir veri tabanı dosyası değil.";
        break;
    case SQLITE_CORRUPT:
        reason = "Dosya bozuk.";
        break;
    case SQLITE_FULL:
        reason = "Diskte yer kalmadı.";
        break;
    case SQLITE_IOERR:
        reason = "Dosya okunurken ya da yazılırken bir hata oluştu.";
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        reason = "Dosya başka bir programda kullanılıyor.";
        break;
    }
    return { false, rc,
        reason ? QString::fromUtf8(reason)
               : QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)) };
}

sqlite3 *openReadOnly(const QString &path, EngineResult *error)
{
    sqlite3 *db = nullptr;
    const int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (rc == SQLITE_OK)
        return db;
    if (error)
        *error = engineFailure(db, rc);
    sqlite3_close(db);
    return nullptr;
}

// A chosen file is opened immutable: the engine then neither takes locks nor
// makes a -shm for a file marked WAL. A scratch copy of the program's own is
// opened for writing, so its log is taken in and a hot journal rolled back.
sqlite3 *openSource(const QString &path, bool immutable, bool scratch, EngineResult *error)
{
    if (!immutable && !scratch)
        return openReadOnly(path, error);
    const QByteArray uri =
        "file:" + QUrl::toPercentEncoding(path, "/") + (immutable ? "?immutable=1" : "");
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(uri.constData(), &db,
        (immutable ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_URI, nullptr);
    if (rc == SQLITE_OK)
        return db;
    *error = engineFailure(db, rc);
    sqlite3_close(db);
    return nullptr;
}

const char *const kCompanions[] = { "-wal", "-journal" };

} // namespace

EngineResult copyDatabase(const QString &from, const QString &to, SourceUse use)
{
    if (!createPrivateFile(to))
        return systemFailure(to);
    EngineResult r;
    // A chosen file with a log or journal beside it needs them read too,
    // which writes: the three are copied beside the copy and read there.
    QString sourcePath = from;
    QStringList scratch;
    bool companions = false;
    for (const char *suffix : kCompanions)
        companions = companions || QFile::exists(from + QLatin1String(suffix));
    if (use == SourceUse::OnlyRead && companions) {
        sourcePath = to + QStringLiteral(".kaynak");
        for (const QString &suffix :
            { QString(), QStringLiteral("-wal"), QStringLiteral("-journal") }) {
            if (!r.ok || (!suffix.isEmpty() && !QFile::exists(from + suffix)))
                continue;
            scratch << sourcePath + suffix;
            r = copyFilePrivately(from + suffix, sourcePath + suffix);
        }
        scratch << sourcePath + QStringLiteral("-shm");
    }
    sqlite3 *source = r.ok
        ? openSource(sourcePath, use == SourceUse::OnlyRead && !companions, !scratch.isEmpty(), &r)
        : nullptr;
    sqlite3 *copy = nullptr;
    if (source
        && sqlite3_open_v2(QFile::encodeName(to).constData(), &copy, SQLITE_OPEN_READWRITE, nullptr)
            != SQLITE_OK)
        r = engineFailure(copy, sqlite3_errcode(copy));
    if (r.ok) {
        // The copy keeps no journal of its own: until it is whole and renamed
        // it is nobody's database, and a copy cut short is simply deleted.
        sqlite3_exec(
            copy, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
        sqlite3_backup *step = sqlite3_backup_init(copy, "main", source, "main");
        if (!step) {
            r = engineFailure(copy, sqlite3_errcode(copy));
        } else {
            const int rc = sqlite3_backup_step(step, -1);
            sqlite3_backup_finish(step);
            if (rc != SQLITE_DONE)
                r = engineFailure(nullptr, rc);
        }
        // A copy of a store in WAL mode is marked so too, and every later
        // read-only open would leave a -wal and -shm beside it: a copy is one file.
        if (r.ok
            && sqlite3_exec(copy, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr)
                != SQLITE_OK)
            r = engineFailure(copy, sqlite3_errcode(copy));
    }
    sqlite3_close(copy);
    sqlite3_close(source);
    for (const QString &file : scratch)
        QFile::remove(file);
    if (r.ok && !syncFile(to))
        r = systemFailure(to);
    if (!r.ok)
        QFile::remove(to);
    return r;
}

EngineResult copyFilePrivately(const QString &from, const QString &to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return { false, SQLITE_CANTOPEN, QStringLiteral("Dosya okunamadı: %1").arg(from) };
    if (!createPrivateFile(to))
        return systemFailure(to);
    QFile copy(to);
    EngineResult r;
    if (!copy.open(QIODevice::WriteOnly)) {
        r = systemFailure(to);
    } else {
        char buffer[1 << 16];
        for (qint64 n; r.ok && (n = source.read(buffer, sizeof buffer)) > 0;) {
            if (copy.write(buffer, n) != n || !copy.flush())
                r = systemFailure(to);
        }
        if (r.ok && ::fsync(copy.handle()) != 0)
            r = systemFailure(to);
        copy.close();
    }
    if (!r.ok)
        QFile::remove(to);
    return r;
}

QStringList tableColumns(const QString &path, const QString &table, EngineResult *error)
{
    QStringList columns;
    sqlite3 *db = openReadOnly(path, error);
    if (!db)
        return columns;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name FROM pragma_table_info(?)", -1, &st, nullptr)
        == SQLITE_OK) {
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(st, 1, name.constData(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(st) == SQLITE_ROW)
            columns << QString::fromUtf8(
                reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    } else if (error) {
        *error = engineFailure(db, sqlite3_errcode(db));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return columns;
}

namespace {

QString columnText(sqlite3_stmt *st, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, column));
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

QVector<DeclaredColumn> declaredColumns(const QString &path, const QString &table)
{
    QVector<DeclaredColumn> columns;
    sqlite3 *db = openReadOnly(path, nullptr);
    sqlite3_stmt *st = nullptr;
    if (db
        && sqlite3_prepare_v2(
               db, "SELECT name, type, pk FROM pragma_table_info(?)", -1, &st, nullptr)
            == SQLITE_OK) {
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(st, 1, name.constData(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(st) == SQLITE_ROW)
            columns.append({ columnText(st, 0), columnText(st, 1), sqlite3_column_int(st, 2) > 0 });
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return columns;
}

QVector<SchemaObject> schemaObjects(const QString &path)
{
    QVector<SchemaObject> objects;
    sqlite3 *db = openReadOnly(path, nullptr);
    sqlite3_stmt *st = nullptr;
    if (db
        && sqlite3_prepare_v2(db, "SELECT type, name, sql FROM sqlite_master", -1, &st, nullptr)
            == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW)
            objects.append({ columnText(st, 0), columnText(st, 1), columnText(st, 2) });
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return objects;
}

long long countRows(const QString &path, const QString &table)
{
    sqlite3 *db = openReadOnly(path, nullptr);
    if (!db)
        return -1;
    long long rows = -1;
    sqlite3_stmt *st = nullptr;
    const QByteArray sql = "SELECT count(*) FROM \"" + table.toUtf8() + "\"";
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK
        && sqlite3_step(st) == SQLITE_ROW)
        rows = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

} // namespace platform

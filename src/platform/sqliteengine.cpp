#include "sqliteengine.h"

#include <QFile>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

EngineResult fail(sqlite3 *db, int rc)
{
    EngineResult r;
    r.ok = false;
    r.code = rc;
    r.message = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    return r;
}

// Opens a database file read-write; on failure *result says why.
sqlite3 *openFile(const QString &path, EngineResult *result)
{
    sqlite3 *db = nullptr;
    const int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK)
        return db;
    *result = fail(db, rc);
    sqlite3_close(db);
    return nullptr;
}

bool syncFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

EngineResult checkExclusiveUse(const QString &path)
{
    EngineResult opened;
    sqlite3 *db = openFile(path, &opened);
    if (!db)
        return opened;
    int rc = SQLITE_OK;
    // The read inside the exclusive transaction rolls back a hot journal left by
    // a crash, so renaming the file afterwards cannot orphan that journal.
    rc = sqlite3_exec(db, "BEGIN EXCLUSIVE; SELECT count(*) FROM sqlite_master; ROLLBACK;", nullptr,
        nullptr, nullptr);
    EngineResult r = rc == SQLITE_OK ? EngineResult {} : fail(db, rc);
    sqlite3_close(db);
    return r;
}

EngineResult compactCopy(const QString &source, const QString &destination)
{
    EngineResult opened;
    sqlite3 *db = openFile(source, &opened);
    if (!db)
        return opened;
    int rc = SQLITE_OK;
    sqlite3_stmt *st = nullptr;
    rc = sqlite3_prepare_v2(db, "VACUUM INTO ?", -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray dest = destination.toUtf8();
        sqlite3_bind_text(st, 1, dest.constData(), -1, SQLITE_TRANSIENT);
        rc = sqlite3_step(st);
        if (rc == SQLITE_DONE)
            rc = SQLITE_OK;
    }
    EngineResult r = rc == SQLITE_OK ? EngineResult {} : fail(db, rc);
    sqlite3_finalize(st);
    sqlite3_close(db);
    if (r.ok && !syncFile(destination)) {
        r.ok = false;
        r.code = errno;
        r.message = QString::fromLocal8Bit(std::strerror(errno));
    }
    return r;
}

EngineResult integrityCheck(const QString &path)
{
    // Read-write, so a hot journal left by a crash is rolled back first.
    EngineResult opened;
    sqlite3 *db = openFile(path, &opened);
    if (!db)
        return opened;
    int rc = SQLITE_OK;
    sqlite3_stmt *st = nullptr;
    EngineResult r;
    rc = sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
    if (rc != SQLITE_OK) {
        r = fail(db, rc);
    } else if (sqlite3_step(st) == SQLITE_ROW) {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
        r.message = QString::fromUtf8(text ? text : "");
        r.ok = r.message == QLatin1String("ok");
    } else {
        r = fail(db, sqlite3_errcode(db));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return r;
}

} // namespace platform

#include <QSqlDriver>
#include <QVariant>

#include <vector>

namespace platform {

bool forEachRow(const QSqlDatabase &db, const char *sql,
    const std::function<void(const RowText *columns, int count)> &row, EngineResult *error)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    sqlite3 *h = handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
        ? *static_cast<sqlite3 *const *>(handle.data())
        : nullptr;
    if (!h) {
        *error = { false, SQLITE_MISUSE, QStringLiteral("Veri bağlantısı açık değil.") };
        return false;
    }
    sqlite3_stmt *st = nullptr;
    int rc = sqlite3_prepare_v2(h, sql, -1, &st, nullptr);
    if (rc != SQLITE_OK) {
        *error = fail(h, rc);
        return false;
    }
    const int count = sqlite3_column_count(st);
    std::vector<RowText> columns { size_t(count) };
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        for (int c = 0; c < count; ++c) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, c));
            columns[size_t(c)] = { text, sqlite3_column_bytes(st, c), text == nullptr };
        }
        row(columns.data(), count);
    }
    const bool ok = rc == SQLITE_DONE;
    if (!ok)
        *error = fail(h, rc);
    sqlite3_finalize(st);
    return ok;
}

} // namespace platform

#include "sqliteengine.h"

#include "fileaccess.h"

#include <QFile>
#include <QFileInfo>

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

} // namespace

bool syncFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

namespace {

bool execute(sqlite3 *db, const char *sql, EngineResult *result)
{
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        *result = fail(db, rc);
    return rc == SQLITE_OK;
}

// The first column of the first row sql answers, as text.
QString answer(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *st = nullptr;
    QString text;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK
        && sqlite3_step(st) == SQLITE_ROW)
        text = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return text;
}

EngineResult checkOpen(sqlite3 *db, const QString &path, const QStringList &tables)
{
    EngineResult r;
    QStringList wrong;
    sqlite3_stmt *st = nullptr;
    // The structure is what a compaction needs whole; every row's CHECK
    // constraints would make the check several times slower than the copy.
    sqlite3_exec(db, "PRAGMA ignore_check_constraints = ON", nullptr, nullptr, nullptr);
    int rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(5)", -1, &st, nullptr);
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        if ((rc = sqlite3_step(st)) != SQLITE_ROW)
            break;
        const QString line =
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        if (line != QLatin1String("ok"))
            wrong << line;
    }
    if (rc != SQLITE_DONE) {
        r = fail(db, rc);
        wrong << r.message;
    }
    sqlite3_finalize(st);
    const bool sound = wrong.isEmpty();
    QStringList missing;
    for (const QString &table : tables) {
        sqlite3_stmt *found = nullptr;
        const QByteArray name = table.toUtf8();
        sqlite3_prepare_v2(db,
            "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE", -1,
            &found, nullptr);
        sqlite3_bind_text(found, 1, name.constData(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(found) != SQLITE_ROW)
            missing << QStringLiteral("%1 tablosu yok").arg(table);
        sqlite3_finalize(found);
    }
    if (QFileInfo(path).size() == 0)
        wrong << QStringLiteral("dosya boş");
    else
        wrong << missing;
    r.ok = wrong.isEmpty();
    if (!r.ok) {
        // A sound file with none of the tables holds nothing worth keeping.
        r.code = r.code                                ? r.code
            : sound && missing.size() == tables.size() ? SQLITE_EMPTY
                                                       : SQLITE_CORRUPT;
        r.message = wrong.join(QStringLiteral("; "));
    }
    return r;
}

} // namespace

ExclusiveDatabase::ExclusiveDatabase(const QString &path)
    : path_(path)
{
    db_ = openFile(path, &result_);
    if (!db_)
        return;
    wasWal_ =
        answer(db_, "PRAGMA journal_mode").compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
    // A read in the normal locking mode rolls back a hot journal and deletes
    // it (the exclusive mode would leave the emptied journal in place).
    // Exclusive locking mode then keeps the lock of the first write until
    // close. Leaving WAL mode needs every other connection gone, readers too,
    // and checkpoints the log into the file.
    if (execute(db_, "BEGIN EXCLUSIVE; SELECT count(*) FROM sqlite_master; COMMIT;", &result_)
        && execute(db_, "PRAGMA locking_mode = EXCLUSIVE", &result_)
        && (!wasWal_ || execute(db_, "PRAGMA journal_mode = DELETE", &result_))
        && execute(db_, "BEGIN EXCLUSIVE; SELECT count(*) FROM sqlite_master; COMMIT;", &result_)
        && (QFile::exists(path + QStringLiteral("-wal"))
            || answer(db_, "PRAGMA journal_mode").compare(QLatin1String("wal"), Qt::CaseInsensitive)
                == 0))
        result_ = { false, SQLITE_BUSY,
            QStringLiteral("Veri dosyasının günlüğü (-wal) boşaltılamadı: %1").arg(path) };
    if (!result_.ok) {
        close();
        return;
    }
    // What journal is left now is cold (a write killed before it touched the
    // file); under this lock nobody needs it, and it must not lie beside the
    // compact copy that will take the file's name.
    QFile::remove(path + QStringLiteral("-journal"));
}

ExclusiveDatabase::~ExclusiveDatabase()
{
    close();
}

void ExclusiveDatabase::close()
{
    if (db_)
        sqlite3_close(db_);
    db_ = nullptr;
}

EngineResult ExclusiveDatabase::check(const QStringList &tables) const
{
    if (!db_)
        return result_;
    return checkOpen(db_, path_, tables);
}

EngineResult ExclusiveDatabase::compactInto(const QString &destination) const
{
    if (!db_)
        return result_;
    // VACUUM INTO fills an empty file as it finds it, so the copy never exists
    // with the umask's wider mode.
    if (!createPrivateFile(destination))
        return { false, errno,
            QStringLiteral("%1: %2").arg(
                destination, QString::fromLocal8Bit(std::strerror(errno))) };
    sqlite3_stmt *st = nullptr;
    int rc = sqlite3_prepare_v2(db_, "VACUUM INTO ?", -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray dest = destination.toUtf8();
        sqlite3_bind_text(st, 1, dest.constData(), -1, SQLITE_TRANSIENT);
        rc = sqlite3_step(st);
        if (rc == SQLITE_DONE)
            rc = SQLITE_OK;
    }
    EngineResult r = rc == SQLITE_OK ? EngineResult {} : fail(db_, rc);
    sqlite3_finalize(st);
    if (r.ok && wasWal_) {
        // The copy is written in rollback mode; the program that chose WAL
        // for this file finds it as it left it.
        sqlite3 *copy = openFile(destination, &r);
        if (copy)
            execute(copy, "PRAGMA journal_mode = WAL", &r);
        sqlite3_close(copy);
    }
    if (r.ok && !syncFile(destination)) {
        r.ok = false;
        r.code = errno;
        r.message = QString::fromLocal8Bit(std::strerror(errno));
    }
    return r;
}

EngineResult checkDatabase(const QString &path, const QStringList &tables)
{
    EngineResult opened;
    sqlite3 *db = openFile(path, &opened);
    if (!db)
        return opened;
    const EngineResult r = checkOpen(db, path, tables);
    sqlite3_close(db);
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

sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    return handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
        ? *static_cast<sqlite3 *const *>(handle.data())
        : nullptr;
}

bool forEachRow(const QSqlDatabase &db, const char *sql,
    const std::function<void(const RowText *columns, int count)> &row, EngineResult *error)
{
    sqlite3 *h = sqliteHandle(db);
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

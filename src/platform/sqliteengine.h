#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

namespace platform {

// Engine-level operations that Qt SQL does not offer.
struct EngineResult {
    bool ok = true;
    int code = 0; // SQLite result code, or an errno for file-system errors
    QString message;
};

// A database file held by one connection alone until destroyed: no other
// connection may read or write it meanwhile, wherever the file is renamed to.
// A write-ahead log beside it is checkpointed into the file and removed first,
// a hot journal rolled back, so the file alone holds every committed change.
// result().code is SQLITE_BUSY when another connection uses the file, WAL
// readers included.
class ExclusiveDatabase {
public:
    explicit ExclusiveDatabase(const QString &path);
    ~ExclusiveDatabase();
    ExclusiveDatabase(const ExclusiveDatabase &) = delete;
    ExclusiveDatabase &operator=(const ExclusiveDatabase &) = delete;

    const EngineResult &result() const { return result_; }
    // Quick check, and that each of tables is there; message says what is wrong.
    EngineResult check(const QStringList &tables) const;
    // Writes a compact copy to destination, a new file only this user may
    // read, synced to disk, in the journal mode the file had.
    EngineResult compactInto(const QString &destination) const;
    void close();

private:
    QString path_;
    sqlite3 *db_ = nullptr;
    bool wasWal_ = false;
    EngineResult result_;
};

// The same check on a file nobody holds.
EngineResult checkDatabase(const QString &path, const QStringList &tables);
// Runs PRAGMA integrity_check; ok when it answers "ok".
EngineResult integrityCheck(const QString &path);
// Writes a closed file's data to disk; false when it could not.
bool syncFile(const QString &path);
// Makes a rename of a file in folder survive a power loss.
void syncFolder(const QString &folder);

} // namespace platform

#include <QSqlDatabase>

#include <functional>

namespace platform {

// Runs a read-only query on an open Qt SQLite connection through the engine's
// own interface, handing each row's columns to row() as UTF-8 pointers and
// lengths. For long lists, where a variant per value costs more than the
// query itself. Returns false with *error set when the query fails.
struct RowText {
    const char *data;
    int size;
    bool isNull;
};
bool forEachRow(const QSqlDatabase &db, const char *sql,
    const std::function<void(const RowText *columns, int count)> &row, EngineResult *error);

// The engine's own handle of an open Qt SQLite connection; null for another
// driver or a closed connection.
sqlite3 *sqliteHandle(const QSqlDatabase &db);

} // namespace platform

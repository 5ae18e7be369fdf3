#pragma once

#include <QString>

namespace platform {

// Engine-level operations that Qt SQL does not offer.
struct EngineResult {
    bool ok = true;
    int code = 0; // SQLite result code, or an errno for file-system errors
    QString message;
};

// Takes and drops an exclusive lock, rolling back any hot journal first.
// code is SQLITE_BUSY when another process is using the file at that moment.
EngineResult checkExclusiveUse(const QString &path);
// Writes a compact copy of source to destination, synced to disk.
EngineResult compactCopy(const QString &source, const QString &destination);
// Runs PRAGMA integrity_check; ok when it answers "ok".
EngineResult integrityCheck(const QString &path);
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

} // namespace platform

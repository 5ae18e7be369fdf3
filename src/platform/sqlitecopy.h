#pragma once

#include "sqliteengine.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace platform {

// What fails here is told in EngineResult::message in words a clerk reads.

// Copies a database file page by page through the engine's online backup, so
// a log or journal beside the source is taken into account. The copy is a new
// file only this user may read, synced to disk; a failure removes it.
// A file the clerk chose (OnlyRead) is opened so that nothing at all is
// written beside it: no -shm or -wal appears in its folder.
enum class SourceUse { InUse, OnlyRead };
EngineResult copyDatabase(const QString &from, const QString &to, SourceUse use = SourceUse::InUse);

// Copies any file byte for byte into a new file only this user may read,
// synced to disk; a failure removes the copy.
EngineResult copyFilePrivately(const QString &from, const QString &to);

// Column names of table in the file, empty when it has no such table.
QStringList tableColumns(const QString &path, const QString &table, EngineResult *error = nullptr);

struct DeclaredColumn {
    QString name;
    QString type; // as declared, possibly empty
    bool primaryKey = false;
};
// The columns of table as declared, empty when it has no such table.
QVector<DeclaredColumn> declaredColumns(const QString &path, const QString &table);

struct SchemaObject {
    QString type; // table, index, view, trigger
    QString name;
    QString sql;
};
// Everything the file's schema holds.
QVector<SchemaObject> schemaObjects(const QString &path);

// Rows of table, read without writing anything; -1 when unreadable.
long long countRows(const QString &path, const QString &table);

} // namespace platform

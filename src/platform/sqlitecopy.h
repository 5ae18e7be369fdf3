#pragma once

#include "sqliteengine.h"

#include <QString>
#include <QStringList>

namespace platform {

// What fails here is told in EngineResult::message in words a clerk reads.

// Copies a database file page by page through the engine's online backup, so
// a log or journal beside the source is taken into account. The copy is a new
// file only this user may read, synced to disk; a failure removes it.
EngineResult copyDatabase(const QString &from, const QString &to);

// Copies any file byte for byte into a new file only this user may read,
// synced to disk; a failure removes the copy.
EngineResult copyFilePrivately(const QString &from, const QString &to);

// Column names of table in the file, empty when it has no such table.
QStringList tableColumns(const QString &path, const QString &table, EngineResult *error = nullptr);

// Rows of table, read without writing anything; -1 when unreadable.
long long countRows(const QString &path, const QString &table);

} // namespace platform

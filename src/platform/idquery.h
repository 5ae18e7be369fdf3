#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <vector>

namespace platform {

// Reads the first column of a query as record numbers, in the order the
// engine hands them over. On SQLite through the engine's own calls: a common
// word names a hundred thousand records, and a value object for each would
// cost more than the index lookup itself.
bool readIds(const QSqlDatabase &db, const QString &sql, const QVariantList &binds,
    std::vector<qint64> *ids, QString *error);

// Runs a statement with its bound values on SQLite through the engine's own
// calls: its Qt driver looks each bound value's place up by name, which costs
// more than the insert itself when a statement binds hundreds. False on
// another engine.
bool execBound(
    const QSqlDatabase &db, const QString &sql, const QVariantList &binds, QString *error);

} // namespace platform

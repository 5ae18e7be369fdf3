#include "idquery.h"

#include "sqliteengine.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <sqlite3.h>

namespace platform {

namespace {

bool bind(sqlite3_stmt *st, int at, const QVariant &value)
{
    if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
        return sqlite3_bind_int64(st, at, value.toLongLong()) == SQLITE_OK;
    const QByteArray text = value.toString().toUtf8();
    return sqlite3_bind_text(st, at, text.constData(), int(text.size()), SQLITE_TRANSIENT)
        == SQLITE_OK;
}

// Runs sql with binds through the engine's own calls, the first column of
// every row into ids (when given).
bool runSqlite(sqlite3 *h, const QString &sql, const QVariantList &binds, std::vector<qint64> *ids,
    QString *error)
{
    sqlite3_stmt *st = nullptr;
    const QByteArray text = sql.toUtf8();
    int rc = sqlite3_prepare_v2(h, text.constData(), int(text.size()), &st, nullptr);
    for (int i = 0; rc == SQLITE_OK && i < binds.size(); ++i)
        if (!bind(st, i + 1, binds.at(i)))
            rc = sqlite3_errcode(h);
    while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
        if (ids)
            ids->push_back(sqlite3_column_int64(st, 0));
        rc = SQLITE_OK;
    }
    if (rc != SQLITE_DONE)
        *error = QString::fromUtf8(sqlite3_errmsg(h));
    sqlite3_finalize(st);
    return rc == SQLITE_DONE;
}

} // namespace

bool readIds(const QSqlDatabase &db, const QString &sql, const QVariantList &binds,
    std::vector<qint64> *ids, QString *error)
{
    if (sqlite3 *h = sqliteHandle(db))
        return runSqlite(h, sql, binds, ids, error);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        *error = q.lastError().text();
        return false;
    }
    for (const QVariant &v : binds)
        q.addBindValue(v);
    if (!q.exec()) {
        *error = q.lastError().text();
        return false;
    }
    while (q.next())
        ids->push_back(q.value(0).toLongLong());
    return true;
}

bool execBound(
    const QSqlDatabase &db, const QString &sql, const QVariantList &binds, QString *error)
{
    if (sqlite3 *h = sqliteHandle(db))
        return runSqlite(h, sql, binds, nullptr, error);
    *error = QStringLiteral("not an SQLite store");
    return false;
}

} // namespace platform

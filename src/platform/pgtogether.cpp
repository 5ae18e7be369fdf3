#include "pgtogether.h"

#include "pgcopy.h"

#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>

#include <libpq-fe.h>

#include <vector>

namespace platform {

bool runTogether(
    const QSqlDatabase &db, const QStringList &setup, const QStringList &statements, QString *error)
{
    std::vector<QString> names;
    // Closing a connection whose statement still runs ends it on the server.
    const auto close = qScopeGuard([&] {
        for (const QString &name : names) {
            {
                QSqlDatabase c = QSqlDatabase::database(name, false);
                c.close();
            }
            QSqlDatabase::removeDatabase(name);
        }
    });
    std::vector<PGconn *> others;
    for (qsizetype i = 1; i < statements.size(); ++i) {
        names.push_back(QStringLiteral("%1-together-%2").arg(db.connectionName()).arg(i));
        QSqlDatabase c = QSqlDatabase::cloneDatabase(db, names.back());
        if (!c.open()) {
            *error = c.lastError().text();
            return false;
        }
        for (const QString &s : setup) {
            QSqlQuery q(c);
            if (!q.exec(s)) {
                *error = q.lastError().text();
                return false;
            }
        }
        PGconn *conn = pgConnection(c);
        if (!conn || PQsendQuery(conn, statements.at(i).toUtf8().constData()) != 1) {
            *error = conn ? QString::fromUtf8(PQerrorMessage(conn)).trimmed()
                          : QStringLiteral("not a PostgreSQL connection");
            return false;
        }
        others.push_back(conn);
    }
    bool ok = true;
    if (!statements.isEmpty()) {
        QSqlQuery q(db);
        if (!q.exec(statements.first())) {
            *error = q.lastError().text();
            ok = false;
        }
    }
    for (PGconn *conn : others) {
        while (PGresult *r = PQgetResult(conn)) {
            if (PQresultStatus(r) != PGRES_COMMAND_OK && ok) {
                *error = QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
                ok = false;
            }
            PQclear(r);
        }
    }
    return ok;
}

} // namespace platform

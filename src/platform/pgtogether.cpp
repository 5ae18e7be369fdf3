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
    // Every session opened before any statement is sent: one that cannot be
    // opened leaves nothing running.
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
        if (!conn) {
            *error = QStringLiteral("not a PostgreSQL connection");
            return false;
        }
        others.push_back(conn);
    }
    // A session whose statement was sent is asked to stop when another
    // fails: a closed connection alone does not end a statement on the server.
    size_t sent = 0;
    const auto cancel = [&] {
        for (size_t i = 0; i < sent; ++i) {
            if (PGcancel *c = PQgetCancel(others[i])) {
                char why[256];
                PQcancel(c, why, int(sizeof why));
                PQfreeCancel(c);
            }
        }
    };
    for (; sent < others.size(); ++sent) {
        if (PQsendQuery(others[sent], statements.at(qsizetype(sent) + 1).toUtf8().constData())
            != 1) {
            *error = QString::fromUtf8(PQerrorMessage(others[sent])).trimmed();
            cancel();
            return false;
        }
    }
    bool ok = true;
    if (!statements.isEmpty()) {
        QSqlQuery q(db);
        if (!q.exec(statements.first())) {
            *error = q.lastError().text();
            ok = false;
            cancel();
        }
    }
    for (PGconn *conn : others) {
        while (PGresult *r = PQgetResult(conn)) {
            if (PQresultStatus(r) != PGRES_COMMAND_OK && ok) {
                *error = QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
                ok = false;
                cancel();
            }
            PQclear(r);
        }
    }
    return ok;
}

} // namespace platform

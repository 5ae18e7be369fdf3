#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

typedef struct pg_conn PGconn;

namespace platform {

// The libpq connection under a QPSQL connection; null for another driver.
PGconn *pgConnection(const QSqlDatabase &db);

// Bulk rows into a PostgreSQL table through COPY, on the connection's open
// transaction: tens of times faster than INSERT statements for a whole store.
// Every failure leaves the transaction to be rolled back by the caller.
class PgCopy {
public:
    PgCopy(const QSqlDatabase &db, const QString &table, const QStringList &columns);
    bool ok() const { return error_.isEmpty(); }
    const QString &error() const { return error_; }
    // One row, its values in the order of columns.
    bool add(const QVariantList &row);
    // Ends the copy; false with error() set when the server refused a row.
    bool finish();

private:
    bool flush();

    PGconn *conn_ = nullptr;
    QByteArray buffer_;
    QString error_;
};

} // namespace platform

#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlRecord>
#include <QString>

namespace platform {

// What differs between the engines the record store can live on: SQLite, a
// file beside the program, or PostgreSQL, shared by several desks. Queries
// stay the same bound-parameter SQL on both; only these few things differ.
class StoreDialect {
public:
    virtual ~StoreDialect() = default;

    // A server other desks write to at the same time.
    virtual bool isShared() const = 0;
    // The column definition addFieldToTbl adds: type code 1 text of size
    // characters, 2 16-bit integer, 4 double.
    QString columnDefinition(
        const QString &column, int typeCode, int size, bool allowZeroLength) const;
    virtual QString addColumnSql(const QString &table, const QString &definition) const = 0;
    virtual bool hasIndex(const QSqlDatabase &db, const QString &index) const = 0;
    virtual QString createIndexSql(
        const QString &index, const QString &table, const QString &columns) const = 0;
    // Holds back every other save of this key until the open transaction
    // ends; saves of other keys go on. Nothing to do where one writer at a
    // time holds the whole file.
    virtual bool lockKey(QSqlDatabase &db, const QString &key, QSqlError *error) const = 0;
    // How long one statement of this connection may run, in milliseconds;
    // 0 puts back the connection's own bound. Nothing on a local file.
    virtual void boundStatements(QSqlDatabase &db, int milliseconds) const = 0;
    // The INSERT text that also hands back the new row's ID, when the driver
    // cannot tell it otherwise.
    virtual QString insertReturningId(const QString &insert) const = 0;

protected:
    virtual const char *doubleType() const = 0;
    virtual QString textColumn(const QString &column, int size, bool allowZeroLength) const = 0;
};

const StoreDialect &dialectOf(const QSqlDatabase &db);
// The columns of table; PostgreSQL keeps unquoted names in lower case and Qt's
// driver looks them up as given.
QSqlRecord tableRecord(const QSqlDatabase &db, const QString &table);
bool isPostgres(const QSqlDatabase &db);

// The CREATE TABLE text of a SQLite template table as PostgreSQL takes it:
// the same columns and widths, texts compared byte by byte as SQLite does,
// the ID an identity column. The checks SQLite needs for types are left to
// PostgreSQL's own types.
QString postgresTableSql(const QString &sqliteSql);
// Makes the tables and indexes of the template file (a SQLite record store)
// in an empty PostgreSQL database, in one transaction. Tables already there
// are left alone.
// state gets the server's SQLSTATE of a failure ("42501": not allowed).
bool createPostgresSchema(
    QSqlDatabase &db, const QString &templateFile, QString *error, QString *state = nullptr);

} // namespace platform

#include "storedialect.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace platform {

namespace {

class SqliteDialect final : public StoreDialect {
public:
    bool isShared() const override { return false; }
    const char *doubleType() const override { return "DOUBLE"; }
    QString textColumn(const QString &column, int size, bool allowZeroLength) const override
    {
        QString check = QStringLiteral("length(%1) <= %2").arg(column).arg(size);
        if (!allowZeroLength)
            check += QStringLiteral(" AND %1 <> ''").arg(column);
        return QStringLiteral("%1 VARCHAR(%2) CHECK (%3)").arg(column).arg(size).arg(check);
    }
    QString addColumnSql(const QString &table, const QString &definition) const override
    {
        return QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(table, definition);
    }
    bool hasIndex(const QSqlDatabase &db, const QString &index) const override
    {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?"));
        q.addBindValue(index);
        return q.exec() && q.next();
    }
    QString createIndexSql(
        const QString &index, const QString &table, const QString &columns) const override
    {
        return QStringLiteral("CREATE INDEX %1 ON %2 (%3)").arg(index, table, columns);
    }
    bool lockKey(QSqlDatabase &, const QString &, QSqlError *) const override { return true; }
    void boundStatements(QSqlDatabase &, int) const override { }
    QString insertReturningId(const QString &insert) const override { return insert; }
};

class PostgresDialect final : public StoreDialect {
public:
    bool isShared() const override { return true; }
    const char *doubleType() const override { return "DOUBLE PRECISION"; }
    QString textColumn(const QString &column, int size, bool allowZeroLength) const override
    {
        QString def = QStringLiteral("%1 VARCHAR(%2) COLLATE \"C\"").arg(column).arg(size);
        if (!allowZeroLength)
            def += QStringLiteral(" CHECK (%1 <> '')").arg(column);
        return def;
    }
    // Two desks starting at once both find the column missing.
    QString addColumnSql(const QString &table, const QString &definition) const override
    {
        return QStringLiteral("ALTER TABLE %1 ADD COLUMN IF NOT EXISTS %2").arg(table, definition);
    }
    bool hasIndex(const QSqlDatabase &db, const QString &index) const override
    {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT 1 FROM pg_indexes WHERE schemaname = current_schema() "
                                 "AND indexname = lower(?)"));
        q.addBindValue(index);
        return q.exec() && q.next();
    }
    QString createIndexSql(
        const QString &index, const QString &table, const QString &columns) const override
    {
        return QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
            .arg(index, table, columns);
    }
    bool lockKey(QSqlDatabase &db, const QString &key, QSqlError *error) const override
    {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT pg_advisory_xact_lock(hashtextextended(?, 0))"));
        q.addBindValue(key);
        if (q.exec())
            return true;
        *error = q.lastError();
        return false;
    }
    void boundStatements(QSqlDatabase &db, int milliseconds) const override
    {
        // A failure here shows with the next statement, as the connection's.
        QSqlQuery q(db);
        q.exec(milliseconds > 0 ? QStringLiteral("SET statement_timeout = %1").arg(milliseconds)
                                : QStringLiteral("RESET statement_timeout"));
    }
    QString insertReturningId(const QString &insert) const override
    {
        return insert + QStringLiteral(" RETURNING ID");
    }
};

} // namespace

bool isPostgres(const QSqlDatabase &db)
{
    return db.driverName() == QLatin1String("QPSQL");
}

QString StoreDialect::columnDefinition(
    const QString &column, int typeCode, int size, bool allowZeroLength) const
{
    switch (typeCode) {
    case 2:
        return column + QStringLiteral(" SMALLINT");
    case 4:
        return column + QLatin1Char(' ') + QLatin1String(doubleType());
    }
    return textColumn(column, size, allowZeroLength);
}

const StoreDialect &dialectOf(const QSqlDatabase &db)
{
    static const SqliteDialect sqlite;
    static const PostgresDialect postgres;
    if (isPostgres(db))
        return postgres;
    return sqlite;
}

QSqlRecord tableRecord(const QSqlDatabase &db, const QString &table)
{
    return db.record(isPostgres(db) ? table.toLower() : table);
}

QString postgresTableSql(const QString &sqliteSql)
{
    static const QRegularExpression head(QStringLiteral("^\\s*CREATE TABLE\\s+(\\w+)\\s*\\("),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression column(
        QStringLiteral("^\\s*(\\w+)\\s+(\\w+)(?:\\((\\d+)\\))?(.*)$"));
    const auto h = head.match(sqliteSql);
    if (!h.hasMatch())
        return {};
    // Column definitions are one a line in the templates; the checks hold
    // parentheses and commas, so split on line ends, not commas.
    const QString body = sqliteSql.mid(h.capturedEnd());
    QStringList columns;
    for (QString line : body.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.endsWith(QLatin1Char(',')))
            line.chop(1);
        const auto m = column.match(line);
        if (!m.hasMatch())
            continue;
        const QString name = m.captured(1);
        const QString type = m.captured(2).toUpper();
        const QString rest = m.captured(4).toUpper();
        QString def;
        if (rest.contains(QLatin1String("PRIMARY KEY")))
            def = QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
        else if (type == QLatin1String("VARCHAR") || type == QLatin1String("TEXT"))
            def = m.captured(3).isEmpty()
                ? QStringLiteral("TEXT COLLATE \"C\"")
                : QStringLiteral("VARCHAR(%1) COLLATE \"C\"").arg(m.captured(3));
        else if (type == QLatin1String("DOUBLE") || type == QLatin1String("REAL"))
            def = QStringLiteral("DOUBLE PRECISION");
        else if (type == QLatin1String("INTEGER"))
            def = QStringLiteral("BIGINT");
        else if (type == QLatin1String("SMALLINT") || type == QLatin1String("DATE"))
            def = type;
        else
            continue;
        if (rest.contains(QLatin1String("NOT NULL")) && !rest.contains(QLatin1String("PRIMARY")))
            def += QStringLiteral(" NOT NULL");
        columns << name + QLatin1Char(' ') + def;
    }
    return QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (\n  %2\n)")
        .arg(h.captured(1), columns.join(QStringLiteral(",\n  ")));
}

bool createPostgresSchema(
    QSqlDatabase &db, const QString &templateFile, QString *error, QString *state)
{
    // Only the tables missing are made, with their indexes: a table already
    // there is the upgrade's to complete.
    const QStringList present = db.tables();
    auto missing = [&](const QString &table) {
        for (const QString &t : present)
            if (t.compare(table, Qt::CaseInsensitive) == 0)
                return false;
        return true;
    };
    QStringList statements;
    bool read = false;
    {
        QSqlDatabase source =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("pg-template"));
        source.setDatabaseName(templateFile);
        source.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (source.open()) {
            QSqlQuery q(source);
            if (q.exec(QStringLiteral("SELECT type, tbl_name, sql FROM sqlite_master WHERE sql IS "
                                      "NOT NULL AND name NOT LIKE 'sqlite_%' ORDER BY type DESC, "
                                      "rowid"))) {
                while (q.next()) {
                    read = true;
                    if (!missing(q.value(1).toString()))
                        continue;
                    const QString sql = q.value(2).toString();
                    if (q.value(0).toString() == QLatin1String("table"))
                        statements << postgresTableSql(sql);
                    else
                        statements << QString(sql).replace(QStringLiteral("CREATE INDEX"),
                            QStringLiteral("CREATE INDEX IF NOT EXISTS"));
                }
            }
        }
        source.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("pg-template"));
    if (!read) {
        *error = QStringLiteral("Kayıt deposu şablonu okunamadı: %1").arg(templateFile);
        return false;
    }
    if (statements.isEmpty())
        return true;
    if (!db.transaction()) {
        *error = db.lastError().databaseText();
        return false;
    }
    QSqlQuery q(db);
    // Two desks meeting an empty database at once make the tables once.
    if (!q.exec(QStringLiteral("SELECT pg_advisory_xact_lock(4556524)"))) {
        *error = q.lastError().databaseText();
        db.rollback();
        return false;
    }
    for (const QString &sql : statements) {
        if (!sql.isEmpty() && !q.exec(sql)) {
            *error = q.lastError().databaseText();
            if (state)
                *state = q.lastError().nativeErrorCode();
            db.rollback();
            return false;
        }
    }
    if (!db.commit()) {
        *error = db.lastError().databaseText();
        return false;
    }
    return true;
}

} // namespace platform

#include "recordstore.h"

#include "app/datafiles.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace records {

namespace {

StoreError fromSql(const QSqlError &e)
{
    QString text = e.databaseText().trimmed();
    if (text.isEmpty())
        text = e.text().trimmed();
    return { app::sqlErrorNumber(e), text };
}

bool run(QSqlQuery &q, StoreError *error)
{
    if (q.exec())
        return true;
    if (error)
        *error = fromSql(q.lastError());
    return false;
}

// Looks up the first row ID matching the bound key; 0 when there is none.
bool findId(QSqlQuery &q, qint64 *id, StoreError *error)
{
    if (!run(q, error))
        return false;
    *id = q.next() ? q.value(0).toLongLong() : 0;
    q.finish();
    return true;
}

// INSERT or UPDATE with the given columns; names come from the field map only.
bool writeRow(QSqlDatabase &db, const QString &table, qint64 rowId,
    const QVector<ColumnValue> &columns, qint64 *newId, StoreError *error)
{
    QStringList names;
    for (const ColumnValue &c : columns)
        names << c.column;
    QSqlQuery q(db);
    QString sql;
    if (rowId > 0) {
        sql = QStringLiteral("UPDATE %1 SET %2 = ? WHERE ID = ?")
                  .arg(table, names.join(QStringLiteral(" = ?, ")));
    } else {
        QStringList marks;
        marks.fill(QStringLiteral("?"), names.size());
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    }
    if (!q.prepare(sql)) {
        *error = fromSql(q.lastError());
        return false;
    }
    for (const ColumnValue &c : columns)
        q.addBindValue(c.value);
    if (rowId > 0)
        q.addBindValue(rowId);
    if (!run(q, error))
        return false;
    if (newId)
        *newId = rowId > 0 ? rowId : q.lastInsertId().toLongLong();
    return true;
}

} // namespace

RecordStore::RecordStore(const QSqlDatabase &db)
    : db_(db)
{
}

bool RecordStore::save(const RecordValues &values, qint64 *id, StoreError *error, bool *created)
{
    if (!db_.transaction()) {
        *error = fromSql(db_.lastError());
        return false;
    }
    auto fail = [&] {
        db_.rollback();
        return false;
    };

    QSqlQuery find(db_);
    find.prepare(QStringLiteral(
        "SELECT ID FROM ARACKAYIT WHERE MOTORNO = ? AND ESKIPLAKA = ? ORDER BY ID LIMIT 1"));
    find.addBindValue(values.motorNo);
    find.addBindValue(values.eskiPlaka);
    qint64 recordId = 0;
    if (!findId(find, &recordId, error))
        return fail();
    const bool added = recordId == 0;
    QVector<ColumnValue> columns;
    if (added) {
        columns << ColumnValue { QStringLiteral("MOTORNO"), values.motorNo }
                << ColumnValue { QStringLiteral("ESKIPLAKA"), values.eskiPlaka };
    }
    columns += values.columns;
    if (!writeRow(db_, QStringLiteral("ARACKAYIT"), recordId, columns, &recordId, error))
        return fail();

    QSqlQuery findOwner(db_);
    findOwner.prepare(
        QStringLiteral("SELECT ID FROM ARACSAHIPLERI WHERE ARACID = ? AND KIMLIKNO = ? "
                       "ORDER BY ID LIMIT 1"));
    for (const OwnerValues &o : values.owners) {
        findOwner.addBindValue(recordId);
        findOwner.addBindValue(o.kimlikNo);
        qint64 ownerId = 0;
        if (!findId(findOwner, &ownerId, error))
            return fail();
        QVector<ColumnValue> ownerColumns;
        if (ownerId == 0) {
            ownerColumns << ColumnValue { QStringLiteral("ARACID"), recordId }
                         << ColumnValue { QStringLiteral("KIMLIKNO"), o.kimlikNo };
        }
        // A row found under another slot moves to this panel's slot.
        ownerColumns << ColumnValue { QStringLiteral("SAHIPNO"), o.slot };
        ownerColumns += o.columns;
        if (!writeRow(db_, QStringLiteral("ARACSAHIPLERI"), ownerId, ownerColumns, nullptr, error))
            return fail();
    }
    if (!db_.commit()) {
        *error = fromSql(db_.lastError());
        return fail();
    }
    if (id)
        *id = recordId;
    if (created)
        *created = added;
    return true;
}

bool RecordStore::load(qint64 id, StoredRecord *record, StoreError *error)
{
    *record = StoredRecord();
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT * FROM ARACKAYIT WHERE ID = ?"));
    q.addBindValue(id);
    if (!run(q, error))
        return false;
    if (q.next())
        record->vehicle = q.record();
    q.finish();
    QSqlQuery owner(db_);
    owner.setForwardOnly(true);
    owner.prepare(QStringLiteral(
        "SELECT * FROM ARACSAHIPLERI WHERE ARACID = ? AND SAHIPNO = ? ORDER BY ID LIMIT 1"));
    for (int slot = 1; slot <= 3; ++slot) {
        owner.addBindValue(id);
        owner.addBindValue(slot);
        if (!run(owner, error))
            return false;
        if (owner.next())
            record->owners[size_t(slot - 1)] = owner.record();
        owner.finish();
    }
    return true;
}

} // namespace records

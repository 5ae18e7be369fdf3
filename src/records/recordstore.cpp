#include "recordstore.h"

#include "app/datafiles.h"
#include "app/sharedstore.h"
#include "platform/storedialect.h"
#include "searchindex.h"

#include <QDateTime>

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace records {

namespace {

const char *const kCounter = "DEGISIKLIKNO";
const char *const kSavedAt = "DEGISIKLIKZAMANI";

StoreError fromSql(const QSqlError &e, const QString &table = QString())
{
    if (app::usesSharedStore())
        return { app::sqlErrorNumber(e), app::serverErrorText(e) };
    QString text = e.databaseText().trimmed();
    if (text.isEmpty())
        text = e.text().trimmed();
    return { app::sqlErrorNumber(e), storeErrorText(text, table) };
}

// A statement the store cannot even prepare (a table or column missing) is
// reported as such, not as the bind that would fail after it.
bool prepare(QSqlQuery &q, const QString &sql, const QString &table, StoreError *error)
{
    if (q.prepare(sql))
        return true;
    *error = fromSql(q.lastError(), table);
    return false;
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
    const platform::StoreDialect &dialect = platform::dialectOf(db);
    const bool returning = rowId <= 0 && newId && dialect.isShared();
    if (returning)
        sql = dialect.insertReturningId(sql);
    if (!prepare(q, sql, table, error))
        return false;
    for (const ColumnValue &c : columns)
        q.addBindValue(c.value);
    if (rowId > 0)
        q.addBindValue(rowId);
    if (!q.exec()) {
        *error = fromSql(q.lastError(), table);
        return false;
    }
    if (newId) {
        if (rowId > 0)
            *newId = rowId;
        else if (returning)
            *newId = q.next() ? q.value(0).toLongLong() : 0;
        else
            *newId = q.lastInsertId().toLongLong();
    }
    return true;
}

} // namespace

QString storeErrorText(const QString &engineText, const QString &table)
{
    static const QRegularExpression noTable(QStringLiteral("^no such table: (?:\\w+\\.)?(\\w+)"));
    static const QRegularExpression noColumn(QStringLiteral(
        "^(?:no such column: (?:\\w+\\.)?(\\w+)|table (\\w+) has no column named (\\w+))"));
    const QString file = app::dataFilePath(app::RecordStoreData);
    const QString why = QStringLiteral(
        " Dosya bu programın kayıt deposu değil ya da başka bir programla değiştirilmiş.");
    if (const auto m = noTable.match(engineText); m.hasMatch())
        return QStringLiteral("Kayıt deposunda %1 tablosu yok: %2.").arg(m.captured(1), file) + why;
    if (const auto m = noColumn.match(engineText); m.hasMatch()) {
        const QString column = m.captured(1).isEmpty() ? m.captured(3) : m.captured(1);
        const QString inTable = m.captured(2).isEmpty() ? table : m.captured(2);
        return (inTable.isEmpty()
                       ? QStringLiteral("Kayıt deposunda %1 sütunu yok: %2.").arg(column, file)
                       : QStringLiteral("Kayıt deposunun %1 tablosunda %2 sütunu yok: %3.")
                             .arg(inTable, column, file))
            + why;
    }
    // The engine's words for what the clerk can do something about.
    static const std::pair<const char *, const char *> kSaid[] = {
        { "attempt to write a readonly database",
            "Kayıt deposuna yazılamıyor (dosya salt okunur ya da yazma izni yok): %1." },
        { "database or disk is full", "Diskte yer kalmadı; kayıt deposuna yazılamıyor: %1." },
        { "database is locked", "Kayıt deposu başka bir programda kullanılıyor: %1." },
        { "disk I/O error",
            "Kayıt deposu okunurken ya da yazılırken bir disk hatası oldu (disk dolu olabilir): "
            "%1." },
        { "database disk image is malformed", "Kayıt deposu bozuk: %1." },
    };
    for (const auto &[engine, said] : kSaid) {
        if (engineText.startsWith(QLatin1String(engine)))
            return QString::fromUtf8(said).arg(file);
    }
    return engineText;
}

RecordStore::RecordStore(const QSqlDatabase &db)
    : db_(db)
{
}

SaveStamp stampOf(const QSqlRecord &vehicle)
{
    SaveStamp stamp;
    stamp.id = vehicle.value(QStringLiteral("ID")).toLongLong();
    const int at = vehicle.indexOf(QLatin1String(kCounter));
    if (at >= 0)
        stamp.counter = vehicle.isNull(at) ? 0 : vehicle.value(at).toLongLong();
    return stamp;
}

bool RecordStore::save(const RecordValues &values, qint64 *id, StoreError *error, bool *created,
    const SaveStamp *expected, SaveConflict *conflict, SaveStamp *saved)
{
    // A store the upgrade could not give the counter saves as it always did.
    const bool counted =
        platform::tableRecord(db_, QStringLiteral("ARACKAYIT")).contains(QLatin1String(kCounter));
    if (!db_.transaction()) {
        *error = fromSql(db_.lastError());
        return false;
    }
    auto fail = [&] {
        db_.rollback();
        return false;
    };
    // Another desk saving the same key waits here until this save is
    // committed, then finds its row: one record, holding the later save.
    QSqlError lockError;
    if (!platform::dialectOf(db_).lockKey(
            db_, values.motorNo + QChar(0x1f) + values.eskiPlaka, &lockError)) {
        *error = fromSql(lockError);
        return fail();
    }

    QSqlQuery find(db_);
    if (!prepare(find,
            QStringLiteral("SELECT ID%1 FROM ARACKAYIT WHERE MOTORNO = ? AND ESKIPLAKA = ? "
                           "ORDER BY ID LIMIT 1")
                .arg(counted ? QStringLiteral(", %1, %2")
                                   .arg(QLatin1String(kCounter), QLatin1String(kSavedAt))
                             : QString()),
            QStringLiteral("ARACKAYIT"), error))
        return fail();
    find.addBindValue(values.motorNo);
    find.addBindValue(values.eskiPlaka);
    if (!run(find, error))
        return fail();
    qint64 recordId = 0;
    qint64 counter = 0;
    QString savedAt;
    if (find.next()) {
        recordId = find.value(0).toLongLong();
        if (counted) {
            counter = find.value(1).toLongLong();
            savedAt = find.value(2).toString();
        }
    }
    find.finish();
    if (counted && expected && expected->counter >= 0 && recordId > 0 && recordId == expected->id
        && counter != expected->counter) {
        if (conflict)
            *conflict = { true, { recordId, counter }, savedAt };
        *error = { 0, QString() };
        return fail();
    }
    const bool added = recordId == 0;
    QVector<ColumnValue> columns;
    if (added) {
        columns << ColumnValue { QStringLiteral("MOTORNO"), values.motorNo }
                << ColumnValue { QStringLiteral("ESKIPLAKA"), values.eskiPlaka };
    }
    columns += values.columns;
    if (counted) {
        columns << ColumnValue { QLatin1String(kCounter), double(counter + 1) }
                << ColumnValue { QLatin1String(kSavedAt),
                       QDateTime::currentDateTime().toString(
                           QStringLiteral("dd.MM.yyyy HH:mm:ss")) };
    }
    if (!writeRow(db_, QStringLiteral("ARACKAYIT"), recordId, columns, &recordId, error))
        return fail();

    QSqlQuery findOwner(db_);
    if (!prepare(findOwner,
            QStringLiteral("SELECT ID FROM ARACSAHIPLERI WHERE ARACID = ? AND KIMLIKNO = ? "
                           "ORDER BY ID LIMIT 1"),
            QStringLiteral("ARACSAHIPLERI"), error))
        return fail();
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
    // The search index changes with the record, or neither does.
    if (QString indexError; !SearchIndex::refresh(db_, recordId, &indexError)) {
        *error = { 3000, storeErrorText(indexError, QStringLiteral("ARAMA")) };
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
    if (saved)
        *saved = { recordId, counted ? counter + 1 : -1 };
    return true;
}

bool RecordStore::load(qint64 id, StoredRecord *record, StoreError *error)
{
    *record = StoredRecord();
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!prepare(q, QStringLiteral("SELECT * FROM ARACKAYIT WHERE ID = ?"),
            QStringLiteral("ARACKAYIT"), error))
        return false;
    q.addBindValue(id);
    if (!run(q, error))
        return false;
    if (q.next())
        record->vehicle = q.record();
    q.finish();
    QSqlQuery owner(db_);
    owner.setForwardOnly(true);
    if (!prepare(owner,
            QStringLiteral(
                "SELECT * FROM ARACSAHIPLERI WHERE ARACID = ? AND SAHIPNO = ? ORDER BY ID LIMIT 1"),
            QStringLiteral("ARACSAHIPLERI"), error))
        return false;
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

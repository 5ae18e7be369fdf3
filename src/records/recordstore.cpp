#include "recordstore.h"

#include "app/datafiles.h"
#include "app/sharedstore.h"
#include "platform/codepage.h"
#include "platform/engineerrors.h"
#include "platform/storedialect.h"
#include "platform/storedtext.h"
#include "searchindex.h"

#include <QDateTime>
#include <QFileInfo>

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <limits>

#include <sqlite3.h>

namespace records {

namespace {

const char *const kCounter = "DEGISIKLIKNO";
const char *const kSavedAt = "DEGISIKLIKZAMANI";
const char *const kSavedBy = "DEGISIKLIKMASA";

StoreError fromSql(const QSqlError &e, const QString &table = QString())
{
    if (app::usesSharedStore())
        return { app::sqlErrorNumber(e), app::serverErrorText(e) };
    QString text = e.databaseText().trimmed();
    if (text.isEmpty())
        text = e.text().trimmed();
    return { app::sqlErrorNumber(e), storeErrorText(text, table, e.nativeErrorCode().toInt()) };
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

// Looks up the first row ID matching the bound key; found tells whether
// there is one (another program may have stored a row under ID 0 or below).
bool findId(QSqlQuery &q, qint64 *id, bool *found, StoreError *error)
{
    if (!run(q, error))
        return false;
    *found = q.next();
    *id = *found ? q.value(0).toLongLong() : 0;
    q.finish();
    return true;
}

// INSERT or UPDATE with the given columns; names come from the field map only.
bool writeRow(QSqlDatabase &db, const QString &table, bool update, qint64 rowId,
    const QVector<ColumnValue> &columns, qint64 *newId, StoreError *error)
{
    QStringList names;
    for (const ColumnValue &c : columns)
        names << c.column;
    QSqlQuery q(db);
    QString sql;
    if (update) {
        sql = QStringLiteral("UPDATE %1 SET %2 = ? WHERE ID = ?")
                  .arg(table, names.join(QStringLiteral(" = ?, ")));
    } else {
        QStringList marks;
        marks.fill(QStringLiteral("?"), names.size());
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    }
    const platform::StoreDialect &dialect = platform::dialectOf(db);
    const bool returning = !update && newId && dialect.isShared();
    if (returning)
        sql = dialect.insertReturningId(sql);
    if (!prepare(q, sql, table, error))
        return false;
    for (const ColumnValue &c : columns)
        q.addBindValue(c.value);
    if (update)
        q.addBindValue(rowId);
    if (!q.exec()) {
        *error = fromSql(q.lastError(), table);
        return false;
    }
    if (newId) {
        if (update)
            *newId = rowId;
        else if (returning)
            *newId = q.next() ? q.value(0).toLongLong() : 0;
        else
            *newId = q.lastInsertId().toLongLong();
    }
    return true;
}

// Moves every owner row of the vehicle that is not one of current out of
// slots 1 to 3: the slot is kept, negated, so the row stays as history.
bool retireOwners(
    QSqlDatabase &db, qint64 recordId, const QVector<qint64> &current, StoreError *error)
{
    QStringList marks;
    marks.fill(QStringLiteral("?"), current.size());
    QSqlQuery q(db);
    if (!prepare(q,
            QStringLiteral("UPDATE ARACSAHIPLERI SET SAHIPNO = -SAHIPNO WHERE ARACID = ? AND "
                           "SAHIPNO BETWEEN 1 AND 3%1")
                .arg(current.isEmpty()
                        ? QString()
                        : QStringLiteral(" AND ID NOT IN (%1)").arg(marks.join(QLatin1Char(',')))),
            QStringLiteral("ARACSAHIPLERI"), error))
        return false;
    q.addBindValue(recordId);
    for (qint64 id : current)
        q.addBindValue(id);
    return run(q, error);
}

// A key as an older tool wrote it in the Turkish code page; only a key the
// code page holds whole: a transliterated one may be another's.
QVariant legacyKey(const QString &key)
{
    const QByteArray legacy = platform::toCp1254(key);
    return platform::fromCp1254(legacy) == key ? QVariant(legacy) : QVariant(key);
}

// A row holding the largest ID leaves the engine no new one, and it says
// so in the words of a full disk: the table where that happened, or empty.
QString exhaustedTable(QSqlDatabase &db)
{
    if (platform::dialectOf(db).isShared())
        return QString();
    for (const QString &table : { QStringLiteral("ARACKAYIT"), QStringLiteral("ARACSAHIPLERI") }) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT max(ID) FROM %1 UNION ALL SELECT seq FROM sqlite_sequence "
                                 "WHERE name = ?")
                      .arg(table));
        q.addBindValue(table);
        if (!q.exec())
            continue;
        while (q.next())
            if (q.value(0).toLongLong() == std::numeric_limits<qint64>::max())
                return table;
    }
    return QString();
}

QString idsExhaustedText(const QString &table)
{
    return QStringLiteral(
        "Kayıt numaraları tükendi: kayıt deposunun %1 tablosunda en büyük kayıt numarası "
        "(%2) kullanılmış, bu yüzden yeni satır eklenemiyor; hiçbir şey yazılmadı.\n%3\nBu "
        "numarayı başka bir program yazmış olmalı. Sistem yöneticisine "
        "başvurunuz: o satırın ID değeri küçültülünce (ve sqlite_sequence tablosundaki sayacı "
        "düzeltilince) kayıt yeniden yapılabilir.")
        .arg(table)
        .arg(std::numeric_limits<qint64>::max())
        .arg(app::dataFilePath(app::RecordStoreData));
}

} // namespace

QString storeErrorText(const QString &engineText, const QString &table, int code)
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
    // A store this user may write that the engine calls read-only was moved
    // or replaced under the connection: another window's compaction.
    if ((code & 0xff) == SQLITE_READONLY && QFileInfo(file).isWritable()
        && QFileInfo(QFileInfo(file).absolutePath()).isWritable())
        code = SQLITE_READONLY_DBMOVED;
    if (const QString said = platform::engineErrorText(code, engineText, file); !said.isEmpty())
        return said;
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
    stamp.stored = true;
    const int at = vehicle.indexOf(QLatin1String(kCounter));
    if (at >= 0)
        stamp.counter = vehicle.isNull(at) ? 0 : vehicle.value(at).toLongLong();
    return stamp;
}

bool RecordStore::save(const RecordValues &values, qint64 *id, StoreError *error, bool *created,
    const SaveStamp *expected, SaveConflict *conflict, SaveStamp *saved)
{
    // A store the upgrade could not give the counter saves as it always did.
    const QSqlRecord vehicleColumns = platform::tableRecord(db_, QStringLiteral("ARACKAYIT"));
    const bool counted = vehicleColumns.contains(QLatin1String(kCounter));
    const bool named = counted && vehicleColumns.contains(QLatin1String(kSavedBy));
    if (!db_.transaction()) {
        *error = fromSql(db_.lastError());
        return false;
    }
    auto fail = [&] {
        db_.rollback();
        if ((error->number & 0xff) == SQLITE_FULL)
            if (const QString table = exhaustedTable(db_); !table.isEmpty())
                error->text = idsExhaustedText(table);
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
            // A key an older tool wrote in the Turkish code page is found too.
            QStringLiteral("SELECT ID%1 FROM ARACKAYIT WHERE MOTORNO IN (?, CAST(? AS TEXT)) AND "
                           "ESKIPLAKA IN (?, CAST(? AS TEXT)) ORDER BY ID LIMIT 1")
                .arg(counted ? QStringLiteral(", %1, %2")
                                   .arg(QLatin1String(kCounter),
                                       QLatin1String(
                                           named ? "DEGISIKLIKZAMANI, DEGISIKLIKMASA" : kSavedAt))
                             : QString()),
            QStringLiteral("ARACKAYIT"), error))
        return fail();
    for (const QString &key : { values.motorNo, values.eskiPlaka }) {
        find.addBindValue(key);
        find.addBindValue(legacyKey(key));
    }
    if (!run(find, error))
        return fail();
    qint64 recordId = 0;
    qint64 counter = 0;
    QString savedAt;
    QString savedBy;
    const bool stored = find.next();
    if (stored) {
        recordId = find.value(0).toLongLong();
        if (counted) {
            counter = find.value(1).toLongLong();
            savedAt = find.value(2).toString();
        }
        if (named)
            savedBy = find.value(3).toString();
    }
    find.finish();
    if (counted && expected && expected->counter >= 0 && stored && expected->stored
        && recordId == expected->id && counter != expected->counter) {
        if (conflict)
            *conflict = { true, { recordId, counter, true }, savedAt, savedBy };
        *error = { 0, QString() };
        return fail();
    }
    const bool added = !stored;
    // What the search index holds for the record, before its rows change.
    QString indexedBefore;
    if (QString indexError;
        !added && !SearchIndex::textBefore(db_, recordId, &indexedBefore, &indexError)) {
        *error = { 3000, storeErrorText(indexError, QStringLiteral("ARAMA")) };
        return fail();
    }
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
    if (named)
        columns << ColumnValue { QLatin1String(kSavedBy), app::deskName() };
    if (!writeRow(db_, QStringLiteral("ARACKAYIT"), stored, recordId, columns, &recordId, error))
        return fail();

    // The panels on the screen are the owners: a row found by its identity
    // number (a current owner first, else the former owner last saved) takes
    // the panel's slot; every other row of the vehicle leaves slots 1 to 3 as a
    // former owner, kept but never shown in a panel or printed.
    QSqlQuery findOwner(db_);
    if (!prepare(findOwner,
            QStringLiteral("SELECT ID FROM ARACSAHIPLERI WHERE ARACID = ? AND KIMLIKNO IN (?, "
                           "CAST(? AS TEXT)) ORDER BY CASE WHEN SAHIPNO BETWEEN 1 AND 3 THEN 0 "
                           "ELSE 1 END, ID DESC "
                           "LIMIT 1"),
            QStringLiteral("ARACSAHIPLERI"), error))
        return fail();
    QVector<qint64> current;
    for (const OwnerValues &o : values.owners) {
        findOwner.addBindValue(recordId);
        findOwner.addBindValue(o.kimlikNo);
        findOwner.addBindValue(legacyKey(o.kimlikNo));
        qint64 ownerId = 0;
        bool ownerStored = false;
        if (!findId(findOwner, &ownerId, &ownerStored, error))
            return fail();
        QVector<ColumnValue> ownerColumns;
        if (!ownerStored) {
            ownerColumns << ColumnValue { QStringLiteral("ARACID"), recordId }
                         << ColumnValue { QStringLiteral("KIMLIKNO"), o.kimlikNo };
        }
        ownerColumns << ColumnValue { QStringLiteral("SAHIPNO"), o.slot };
        ownerColumns += o.columns;
        if (!writeRow(db_, QStringLiteral("ARACSAHIPLERI"), ownerStored, ownerId, ownerColumns,
                &ownerId, error))
            return fail();
        current << ownerId;
    }
    if (!retireOwners(db_, recordId, current, error))
        return fail();
    // The search index changes with the record, or neither does.
    if (QString indexError; !SearchIndex::refresh(db_, recordId, indexedBefore, &indexError)) {
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
        *saved = { recordId, counted ? counter + 1 : -1, true };
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
    if (record->vehicle)
        platform::mendStoredText(db_, QStringLiteral("ARACKAYIT"), &*record->vehicle);
    q.finish();
    QSqlQuery owner(db_);
    owner.setForwardOnly(true);
    if (!prepare(owner,
            QStringLiteral("SELECT * FROM ARACSAHIPLERI WHERE ARACID = ? AND SAHIPNO = ? ORDER BY "
                           "ID DESC LIMIT 1"),
            QStringLiteral("ARACSAHIPLERI"), error))
        return false;
    for (int slot = 1; slot <= 3; ++slot) {
        owner.addBindValue(id);
        owner.addBindValue(slot);
        if (!run(owner, error))
            return false;
        if (owner.next())
            record->owners[size_t(slot - 1)] = owner.record();
        if (auto &row = record->owners[size_t(slot - 1)])
            platform::mendStoredText(db_, QStringLiteral("ARACSAHIPLERI"), &*row);
        owner.finish();
    }
    return formerOwners(id, &record->formerOwners, error);
}

bool RecordStore::findByKey(
    const QString &motorNo, const QString &eskiPlaka, KeyedRecord *found, StoreError *error)
{
    *found = KeyedRecord();
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!prepare(q,
            QStringLiteral(
                "SELECT K.ID, K.YENIPLAKA, K.ESKIPLAKA, (SELECT trim(coalesce(S.AD, '') || ' ' || "
                "coalesce(S.SOYAD, '')) FROM ARACSAHIPLERI S WHERE S.ARACID = K.ID AND S.SAHIPNO "
                "BETWEEN 1 AND 3 ORDER BY S.SAHIPNO, S.ID DESC LIMIT 1) FROM ARACKAYIT K WHERE "
                "K.MOTORNO = ? AND K.ESKIPLAKA = ? ORDER BY K.ID LIMIT 1"),
            QStringLiteral("ARACKAYIT"), error))
        return false;
    q.addBindValue(motorNo);
    q.addBindValue(eskiPlaka);
    if (!run(q, error))
        return false;
    if (q.next())
        *found = { q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
            q.value(3).toString(), true };
    return true;
}

bool RecordStore::formerOwners(qint64 id, QStringList *lines, StoreError *error)
{
    lines->clear();
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!prepare(q,
            QStringLiteral(
                "SELECT SAHIPNO, KIMLIKNO, AD, SOYAD FROM ARACSAHIPLERI S WHERE ARACID = ? AND "
                "(SAHIPNO IS NULL OR SAHIPNO NOT BETWEEN 1 AND 3 OR ID < (SELECT MAX(ID) FROM "
                "ARACSAHIPLERI T WHERE T.ARACID = S.ARACID AND T.SAHIPNO = S.SAHIPNO)) "
                "ORDER BY ID DESC"),
            QStringLiteral("ARACSAHIPLERI"), error))
        return false;
    q.addBindValue(id);
    if (!run(q, error))
        return false;
    while (q.next()) {
        const int slot = qAbs(q.value(0).toInt());
        const QString name =
            (q.value(2).toString().trimmed() + QLatin1Char(' ') + q.value(3).toString().trimmed())
                .trimmed();
        QString line = QStringLiteral("%1 (%2)").arg(
            name.isEmpty() ? QStringLiteral("adı yok") : name, q.value(1).toString().trimmed());
        if (slot >= 1 && slot <= 3)
            line += QStringLiteral(", %1. sahip idi").arg(slot);
        *lines << line;
    }
    return true;
}

} // namespace records

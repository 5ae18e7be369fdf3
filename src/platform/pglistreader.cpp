#include "pglistreader.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlResult>
#include <QVariant>

#include <libpq-fe.h>

#include <limits>

namespace platform {

namespace {

#define NAMED                                                                                      \
    "(SELECT trim(coalesce(S.AD, '') || ' ' || coalesce(S.SOYAD, '')) FROM ARACSAHIPLERI S "       \
    "WHERE S.ARACID = K.ID AND S.SAHIPNO BETWEEN 1 AND 3 ORDER BY S.SAHIPNO, S.ID DESC LIMIT 1)"
#define LIST_COLUMNS(owner)                                                                        \
    "SELECT K.ID, " owner ", K.ESKIPLAKA, K.YENIPLAKA, K.SASENO, K.MOTORNO FROM ARACKAYIT K "
#define NULL_PLATES "WHERE K.ESKIPLAKA IS NULL AND K.ID > ? ORDER BY K.ID LIMIT ?"
// The text columns compare byte by byte (collation "C"), as SQLite's do, so
// the order and the index on (ESKIPLAKA, ID, ...) are the same on both.
#define PLATES "WHERE (K.ESKIPLAKA, K.ID) > (?, ?) ORDER BY K.ESKIPLAKA, K.ID LIMIT ?"
const char *kQueries[2][2] = {
    { LIST_COLUMNS("NULL") NULL_PLATES, LIST_COLUMNS("NULL") PLATES },
    { LIST_COLUMNS(NAMED) NULL_PLATES, LIST_COLUMNS(NAMED) PLATES },
};
const char *kOwners =
    "SELECT K.ID, " NAMED " FROM ARACKAYIT K WHERE K.ID BETWEEN ? AND ? ORDER BY K.ID";

const PGresult *resultOf(const QSqlQuery &q)
{
    const QVariant handle = q.result() ? q.result()->handle() : QVariant();
    // The driver names the type by the struct behind libpq's typedef.
    return handle.isValid()
            && (qstrcmp(handle.typeName(), "PGresult*") == 0
                || qstrcmp(handle.typeName(), "pg_result*") == 0)
        ? *static_cast<PGresult *const *>(handle.data())
        : nullptr;
}

EngineResult failure(const QSqlQuery &q, QString *state)
{
    const QSqlError e = q.lastError();
    *state = e.nativeErrorCode();
    return { false, e.nativeErrorCode().toInt(),
        e.databaseText().isEmpty() ? e.text() : e.databaseText() };
}

RowText textAt(const PGresult *r, int row, int column)
{
    if (PQgetisnull(r, row, column))
        return { nullptr, 0, true };
    return { PQgetvalue(r, row, column), PQgetlength(r, row, column), false };
}

} // namespace

PgListReader::PgListReader(const QSqlDatabase &db)
    : db_(db)
{
}

bool PgListReader::readSlice(int limit, bool withOwners, const RowHandler &row, EngineResult *error)
{
    while (phase_ != Phase::Done && limit > 0) {
        const bool nulls = phase_ == Phase::NullPlates;
        QSqlQuery q(db_);
        if (!q.prepare(QLatin1String(kQueries[withOwners ? 1 : 0][nulls ? 0 : 1]))) {
            *error = failure(q, &state_);
            phase_ = Phase::Done;
            return false;
        }
        if (nulls) {
            q.addBindValue(lastId_);
        } else {
            q.addBindValue(started_ ? QString::fromUtf8(lastPlate_) : QString(QLatin1String("")));
            q.addBindValue(started_ ? lastId_ : std::numeric_limits<qint64>::min());
        }
        q.addBindValue(limit);
        const PGresult *r = q.exec() ? resultOf(q) : nullptr;
        if (!r) {
            *error = q.lastError().isValid()
                ? failure(q, &state_)
                : EngineResult { false, 0, QStringLiteral("Sunucunun yanıtı okunamadı.") };
            phase_ = Phase::Done;
            return false;
        }
        const int read = PQntuples(r);
        RowText texts[kTexts];
        for (int i = 0; i < read; ++i) {
            lastId_ =
                QByteArray::fromRawData(PQgetvalue(r, i, 0), PQgetlength(r, i, 0)).toLongLong();
            if (!nulls) {
                lastPlate_ = QByteArray(PQgetvalue(r, i, 2), PQgetlength(r, i, 2));
                started_ = true;
            }
            for (int c = 0; c < kTexts; ++c)
                texts[c] = textAt(r, i, c + 1);
            row(lastId_, texts);
        }
        if (read < limit) // fewer than asked: this phase has no more rows
            phase_ = nulls ? Phase::Plates : Phase::Done;
        limit -= read;
    }
    return true;
}

bool PgListReader::readFirstOwners(
    qint64 fromId, qint64 toId, const OwnerHandler &owner, EngineResult *error)
{
    QSqlQuery q(db_);
    if (!q.prepare(QLatin1String(kOwners))) {
        *error = failure(q, &state_);
        return false;
    }
    q.addBindValue(fromId);
    q.addBindValue(toId);
    const PGresult *r = q.exec() ? resultOf(q) : nullptr;
    if (!r) {
        *error = failure(q, &state_);
        return false;
    }
    const int rows = PQntuples(r);
    for (int i = 0; i < rows; ++i) {
        if (PQgetisnull(r, i, 1))
            continue;
        const qint64 id =
            QByteArray::fromRawData(PQgetvalue(r, i, 0), PQgetlength(r, i, 0)).toLongLong();
        owner(id, textAt(r, i, 1));
    }
    return true;
}

} // namespace platform

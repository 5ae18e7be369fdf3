#include "sqlitelistreader.h"

#include "pglistreader.h"
#include "sqliteengine.h"

#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

#include <limits>

namespace platform {

namespace {

// The first current owner by slot (former owners sit outside slots 1 to 3;
// of several rows in one slot the last saved counts); a Null name part counts
// as empty text.
#define FIRST_OWNER "trim(coalesce(S.AD, '') || ' ' || coalesce(S.SOYAD, ''))"
// The covering index on (ESKIPLAKA, ID, ...) hands the rows over in order, so
// no slice needs a sort of the whole table. The owner's name is looked up by
// the vehicle only for the first rows: in old-plate order the lookups land all
// over the owner table, which at a million records costs several times the
// whole reading. The other names are read afterwards in owner-table order.
#define LIST_COLUMNS(owner)                                                                        \
    "SELECT K.ID, " owner ", K.ESKIPLAKA, K.YENIPLAKA, K.SASENO, K.MOTORNO FROM ARACKAYIT K "
#define NAMED                                                                                      \
    "(SELECT " FIRST_OWNER " FROM ARACSAHIPLERI S WHERE S.ARACID = K.ID "                          \
    "AND S.SAHIPNO BETWEEN 1 AND 3 ORDER BY S.SAHIPNO, S.ID DESC LIMIT 1)"
// Row values never compare equal to Null, so rows without an old plate (first
// in the order) are read by ID before the others.
#define NULL_PLATES "WHERE K.ESKIPLAKA IS NULL AND K.ID > ?1 ORDER BY K.ID LIMIT ?2"
#define PLATES "WHERE (K.ESKIPLAKA, K.ID) > (?1, ?2) ORDER BY K.ESKIPLAKA, K.ID LIMIT ?3"
const char *kQueries[2][2] = {
    { LIST_COLUMNS("NULL") NULL_PLATES, LIST_COLUMNS("NULL") PLATES },
    { LIST_COLUMNS(NAMED) NULL_PLATES, LIST_COLUMNS(NAMED) PLATES },
};
// The first owners of a range of vehicles by ID: the vehicles and their
// owners are then both read in the order they are stored.
const char *kOwners = "SELECT K.ID, " NAMED " FROM ARACKAYIT K WHERE K.ID BETWEEN ?1 AND ?2";

EngineResult failure(sqlite3 *h, int rc)
{
    return { false, rc, QString::fromUtf8(h ? sqlite3_errmsg(h) : sqlite3_errstr(rc)) };
}

} // namespace

std::unique_ptr<ListReader> makeListReader(const QSqlDatabase &db)
{
    if (db.driverName() == QLatin1String("QPSQL"))
        return std::make_unique<PgListReader>(db);
    return std::make_unique<SqliteListReader>(db);
}

SqliteListReader::SqliteListReader(const QSqlDatabase &db)
    : db_(db)
{
}

SqliteListReader::~SqliteListReader()
{
    sqlite3_value_free(lastPlate_);
}

bool SqliteListReader::readSlice(
    int limit, bool withOwners, const RowHandler &row, EngineResult *error)
{
    sqlite3 *h = sqliteHandle(db_);
    if (!h) {
        *error = { false, SQLITE_MISUSE, QStringLiteral("Veri bağlantısı açık değil.") };
        phase_ = Phase::Done;
        return false;
    }
    while (phase_ != Phase::Done && limit > 0) {
        const bool nulls = phase_ == Phase::NullPlates;
        sqlite3_stmt *st = nullptr;
        int rc =
            sqlite3_prepare_v2(h, kQueries[withOwners ? 1 : 0][nulls ? 0 : 1], -1, &st, nullptr);
        if (rc == SQLITE_OK && nulls) {
            sqlite3_bind_int64(st, 1, lastId_);
            sqlite3_bind_int(st, 2, limit);
        } else if (rc == SQLITE_OK) {
            // Before the first plate: the column keeps texts (and blobs), and
            // the empty text sorts before every other.
            if (lastPlate_)
                sqlite3_bind_value(st, 1, lastPlate_);
            else
                sqlite3_bind_text(st, 1, "", 0, SQLITE_STATIC);
            sqlite3_bind_int64(st, 2, lastPlate_ ? lastId_ : std::numeric_limits<qint64>::min());
            sqlite3_bind_int(st, 3, limit);
        }
        const int read = rc == SQLITE_OK ? step(st, row) : -1;
        if (read < 0)
            *error = failure(h, rc == SQLITE_OK ? sqlite3_errcode(h) : rc);
        sqlite3_finalize(st);
        if (read < 0) {
            phase_ = Phase::Done;
            return false;
        }
        if (read < limit) // fewer than asked: this phase has no more rows
            phase_ = nulls ? Phase::Plates : Phase::Done;
        limit -= read;
    }
    return true;
}

int SqliteListReader::step(sqlite3_stmt *st, const RowHandler &row)
{
    RowText texts[kTexts];
    int read = 0;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        lastId_ = sqlite3_column_int64(st, 0);
        if (phase_ == Phase::Plates) {
            sqlite3_value_free(lastPlate_);
            lastPlate_ = sqlite3_value_dup(sqlite3_column_value(st, 2));
        }
        for (int c = 0; c < kTexts; ++c) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, c + 1));
            texts[c] = { text, sqlite3_column_bytes(st, c + 1), text == nullptr };
        }
        row(lastId_, texts);
        ++read;
    }
    return rc == SQLITE_DONE ? read : -1;
}

bool SqliteListReader::readFirstOwners(
    qint64 fromId, qint64 toId, const OwnerHandler &owner, EngineResult *error)
{
    sqlite3 *h = sqliteHandle(db_);
    if (!h) {
        *error = { false, SQLITE_MISUSE, QStringLiteral("Veri bağlantısı açık değil.") };
        return false;
    }
    sqlite3_stmt *st = nullptr;
    int rc = sqlite3_prepare_v2(h, kOwners, -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_bind_int64(st, 1, fromId);
        sqlite3_bind_int64(st, 2, toId);
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, 1));
            if (text)
                owner(sqlite3_column_int64(st, 0), { text, sqlite3_column_bytes(st, 1), false });
        }
    }
    const bool ok = rc == SQLITE_DONE;
    if (!ok)
        *error = failure(h, rc == SQLITE_ROW ? SQLITE_ERROR : rc);
    sqlite3_finalize(st);
    return ok;
}

} // namespace platform

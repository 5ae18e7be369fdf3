#pragma once

#include "sqliteengine.h"

#include <QSqlDatabase>

#include <functional>

struct sqlite3_stmt;
struct sqlite3_value;

namespace platform {

// Reads the record list in old-plate order a slice at a time, so the first
// rows can be shown before the rest are read. Each slice is a statement of its
// own that starts after the last row read (old plate, then ID), so between
// slices the file is not held and a save from here or elsewhere goes through.
// A row is its ID and five texts: owner, old plate, new plate, chassis and
// engine number.
class SqliteListReader {
public:
    explicit SqliteListReader(const QSqlDatabase &db);
    ~SqliteListReader();
    SqliteListReader(const SqliteListReader &) = delete;
    SqliteListReader &operator=(const SqliteListReader &) = delete;

    using RowHandler = std::function<void(qint64 id, const RowText *texts)>;
    using OwnerHandler = std::function<void(qint64 id, const RowText &owner)>;
    static constexpr int kTexts = 5;

    // Hands up to limit rows to row(); false with *error set when the query
    // failed. After the last row, done() is true. Without withOwners the
    // owner's text is Null, to be read by readFirstOwners().
    bool readSlice(int limit, bool withOwners, const RowHandler &row, EngineResult *error);
    // The first owner's name of every vehicle with an ID from fromId to toId
    // that has an owner, in ID order.
    bool readFirstOwners(
        qint64 fromId, qint64 toId, const OwnerHandler &owner, EngineResult *error);
    bool done() const { return phase_ == Phase::Done; }

private:
    enum class Phase { NullPlates, Plates, Done };
    // Rows handed to row(), or -1 when a step failed.
    int step(sqlite3_stmt *st, const RowHandler &row);

    QSqlDatabase db_;
    Phase phase_ = Phase::NullPlates;
    qint64 lastId_ = 0;
    sqlite3_value *lastPlate_ = nullptr; // as stored: text, number or blob
};

} // namespace platform

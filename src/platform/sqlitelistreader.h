#pragma once

#include "listreader.h"

struct sqlite3_stmt;
struct sqlite3_value;

namespace platform {

// The record list from a SQLite store through the engine's own interface:
// each slice is a statement of its own, so between slices the file is not
// held.
class SqliteListReader final : public ListReader {
public:
    explicit SqliteListReader(const QSqlDatabase &db);
    ~SqliteListReader() override;
    SqliteListReader(const SqliteListReader &) = delete;
    SqliteListReader &operator=(const SqliteListReader &) = delete;

    bool readSlice(int limit, bool withOwners, const RowHandler &row, EngineResult *error) override;
    bool readFirstOwners(
        qint64 fromId, qint64 toId, const OwnerHandler &owner, EngineResult *error) override;
    bool done() const override { return phase_ == Phase::Done; }

private:
    enum class Phase { NullPlates, Plates, Done };
    // Rows handed to row(), or -1 when a step failed.
    int step(sqlite3_stmt *st, const RowHandler &row);

    QSqlDatabase db_;
    Phase phase_ = Phase::NullPlates;
    // Rows another program stored under ID 0 or below are listed too.
    qint64 lastId_ = std::numeric_limits<qint64>::min();
    sqlite3_value *lastPlate_ = nullptr; // as stored: text, number or blob
};

} // namespace platform

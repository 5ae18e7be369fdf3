#pragma once

#include "listreader.h"

#include <QByteArray>
#include <limits>

namespace platform {

// The record list from a PostgreSQL store through Qt's driver, each slice's
// rows read straight from libpq's result, without a variant per value.
class PgListReader final : public ListReader {
public:
    explicit PgListReader(const QSqlDatabase &db);

    bool readSlice(int limit, bool withOwners, const RowHandler &row, EngineResult *error) override;
    bool readFirstOwners(
        qint64 fromId, qint64 toId, const OwnerHandler &owner, EngineResult *error) override;
    bool done() const override { return phase_ == Phase::Done; }
    QString errorState() const override { return state_; }

private:
    enum class Phase { NullPlates, Plates, Done };

    QSqlDatabase db_;
    Phase phase_ = Phase::NullPlates;
    // Rows another program stored under ID 0 or below are listed too.
    qint64 lastId_ = std::numeric_limits<qint64>::min();
    QByteArray lastPlate_;
    bool started_ = false; // a plate has been read
    QString state_;
};

} // namespace platform

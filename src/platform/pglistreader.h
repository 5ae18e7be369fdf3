#pragma once

#include "listreader.h"

#include <QByteArray>

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
    qint64 lastId_ = 0;
    QByteArray lastPlate_;
    bool started_ = false; // a plate has been read
    QString state_;
};

} // namespace platform

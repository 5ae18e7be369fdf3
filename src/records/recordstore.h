#pragma once

#include "savestamp.h"
#include "screenvalues.h"

#include <QSqlDatabase>
#include <QSqlRecord>

#include <array>
#include <optional>

namespace records {

struct StoreError {
    int number = 0;
    QString text;
};

// An engine error in words a clerk can pass on: a table or column the store
// lacks is named with the store's file (table, when given, is the one the
// statement worked on); the engine's result code (or, without it, its words)
// in a Turkish sentence. Other errors come back as the engine put them.
QString storeErrorText(const QString &engineText, const QString &table = QString(), int code = 0);

// A record as the store holds it: the vehicle row, the rows of owner slots
// 1 to 3 (of several rows in one slot, the one saved last), and the former
// owners, newest first, a line each for the clerk.
struct StoredRecord {
    std::optional<QSqlRecord> vehicle;
    std::array<std::optional<QSqlRecord>, 3> owners;
    QStringList formerOwners;
};

// What a save found when another desk had saved the record after the screen
// loaded it. Nothing was written then.
struct SaveConflict {
    bool found = false;
    SaveStamp stored; // the other desk's save
    QString savedAt; // its time, as the store keeps it
    QString desk; // the desk that saved it, when the store keeps it
};

// A stored vehicle found by its key, as the clerk would recognise it.
struct KeyedRecord {
    qint64 id = 0;
    QString newPlate;
    QString oldPlate;
    QString firstOwner;
    bool stored = false; // whether there is one: another program may have used ID 0
};

// The change counter and its time, as kept in the vehicle row.
SaveStamp stampOf(const QSqlRecord &vehicle);

// Reads and writes records on an open record store. Every value goes to the
// engine as a bound parameter.
class RecordStore {
public:
    explicit RecordStore(const QSqlDatabase &db);

    // One save is one transaction: on failure the store is as it was before.
    // created tells whether the vehicle row was added rather than found.
    // With expected, a vehicle row of that ID whose counter moved on since is
    // left alone: false with conflict->found set. saved gets the new stamp.
    bool save(const RecordValues &values, qint64 *id, StoreError *error, bool *created = nullptr,
        const SaveStamp *expected = nullptr, SaveConflict *conflict = nullptr,
        SaveStamp *saved = nullptr);
    bool load(qint64 id, StoredRecord *record, StoreError *error);
    // The record a save of this key would update; stored false when there is none.
    bool findByKey(
        const QString &motorNo, const QString &eskiPlaka, KeyedRecord *found, StoreError *error);
    // Owner rows of the vehicle that no panel shows: sellers, removed owners,
    // replaced numbers; newest first.
    bool formerOwners(qint64 id, QStringList *lines, StoreError *error);

private:
    QSqlDatabase db_;
};

} // namespace records

#pragma once

#include "sqliteengine.h"

#include <QSqlDatabase>

#include <functional>
#include <memory>

namespace platform {

// Reads the record list in old-plate order a slice at a time, so the first
// rows can be shown before the rest are read. Each slice starts after the
// last row read (old plate, then ID), so between slices the store is not
// held and saves from here or elsewhere go through. A row is its ID and five
// texts: owner, old plate, new plate, chassis and engine number. Rows without
// an old plate come first, as SQLite orders them.
class ListReader {
public:
    virtual ~ListReader() = default;

    using RowHandler = std::function<void(qint64 id, const RowText *texts)>;
    using OwnerHandler = std::function<void(qint64 id, const RowText &owner)>;
    static constexpr int kTexts = 5;

    // Hands up to limit rows to row(); false with *error set when the query
    // failed. After the last row, done() is true. Without withOwners the
    // owner's text is Null, to be read by readFirstOwners().
    virtual bool readSlice(
        int limit, bool withOwners, const RowHandler &row, EngineResult *error) = 0;
    // The first owner's name of every vehicle with an ID from fromId to toId
    // that has an owner, in ID order.
    virtual bool readFirstOwners(
        qint64 fromId, qint64 toId, const OwnerHandler &owner, EngineResult *error) = 0;
    virtual bool done() const = 0;
    // The server's error class of the last failure (SQLSTATE); empty for a file.
    virtual QString errorState() const { return {}; }
};

// The reader for the engine db is open on.
std::unique_ptr<ListReader> makeListReader(const QSqlDatabase &db);

} // namespace platform

#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace records {

// One record the "Ara" search found, with the list's columns.
struct SearchHit {
    qint64 id = 0;
    QString eskiPlaka;
    QString yeniPlaka;
    QString saseNo;
    QString motorNo;
    QString owner; // the first owner's name and surname
    QString matched; // what the typed words matched, in words a clerk reads
    bool formerOwner = false; // found only through a former owner
};

// Every record's searchable values, folded, one row per record in the table
// ARAMA: an FTS5 trigram table on SQLite (without a copy of the text: the
// records hold it), a table with a pg_trgm index on PostgreSQL. Both name the
// records holding a word's pieces; whether a word starts a name or lies
// inside a number is then checked here against the records themselves.
class SearchIndex {
public:
    // Whether the store has the index.
    static bool exists(const QSqlDatabase &db);
    // Whether the index has a row for every record: records written by
    // another program (an import, an older version) leave it behind.
    static bool complete(const QSqlDatabase &db);
    // The record's index text as its rows hold it now: Null for a record not
    // stored.
    static bool textOf(const QSqlDatabase &db, qint64 vehicleId, QString *text, QString *error);
    // What refresh needs of a record before its rows change: its text where
    // the index takes an entry out by its words; Null where it does not (the
    // server, a store without the index).
    static bool textBefore(const QSqlDatabase &db, qint64 vehicleId, QString *text, QString *error);
    // Brings the record's row up to date; called inside the transaction that
    // changed the record, with what textBefore gave before the change. A
    // store without the index is left as it is.
    static bool refresh(QSqlDatabase &db, qint64 vehicleId, const QString &before, QString *error);
    // Makes the index anew for every record, in one transaction. progress
    // gets (done, total) now and then. On the server a large store's index is
    // made in parts (0: as many as its size calls for), each in a session of
    // its own at the same time, after its texts' commit.
    using Progress = std::function<void(qint64 done, qint64 total)>;
    static bool build(QSqlDatabase &db, const Progress &progress, QString *error, int parts = 0);
    // From this many records on, the server's index is made in two parts.
    static constexpr qint64 kPartedFrom = 500000;
    // The records matching every word of text, in the list's order (old
    // plate, then ID); with limit, those among the first limit records the
    // index names (candidates gets how many it named). A text without any
    // word finds nothing.
    static bool find(const QSqlDatabase &db, const QString &text, std::vector<SearchHit> *hits,
        QString *error, int limit = 0, int *candidates = nullptr);

    // The typed words as the index keeps values: Turkish letters folded to
    // upper-case ASCII (ı, i, I and İ alike), every other sign dropped.
    static QStringList words(const QString &text);
    // Words shorter than this narrow a search but do not start one: the index
    // finds pieces of three characters.
    static constexpr int kShortestWord = 3;
    // Up to this many candidates are put in the list's order by the store;
    // more are met by walking the list's order a page at a time.
    static constexpr size_t kSortedCandidates = 2000;
    static constexpr int kWalkPage = 1000;
    // How many of the list's first rows the server is asked to look through
    // for a screenful of a common word before its trigram index is asked.
    static constexpr int kHeadRows = 1000;
};

// A search read a part at a time: the first screenful while the clerk types,
// the rest once the typing pauses. Lives no longer than its connection.
class SearchCursor {
public:
    SearchCursor(const QSqlDatabase &db, const QString &text);
    ~SearchCursor();
    // Up to count more matches (every one left when count is 0), added to
    // hits in the list's order. The first call asks the index; its count
    // is the screenful the index is asked for.
    bool next(int count, std::vector<SearchHit> *hits, QString *error);
    // Whether every match has been handed over.
    bool atEnd() const;
    // How many records the index named for the first part.
    int candidates() const;

private:
    struct State;
    std::unique_ptr<State> d_;
};

} // namespace records

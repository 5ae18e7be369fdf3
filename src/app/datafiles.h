#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <functional>

namespace app {

enum DataCode { RecordStoreData = 1, ConstantsData = 2, ProvincesData = 3, VehiclesData = 4 };

QString dataFilePath(int code);
QString templatePath(int code);
// The file a compaction leaves beside the record store.
QString compactionTempPath(const QString &storePath);
// The file the record store's name stands for: the target of a symbolic
// link, so that compaction and restore replace the file on the volume the
// link points to instead of the link.
QString storeFileBehind(const QString &storePath);
// Settles what a compaction cut short left beside the store: the store moved
// aside comes back under its name, also over an empty store.
void settleInterruptedCompaction(const QString &storePath);
// Another window is compacting the store now: it is away under the
// temporary name, which that window holds open.
bool compactionUnderway(const QString &storePath);
// The tables a record store cannot be without.
QStringList recordStoreTables();

// The engine's error number of a failed query, for the error box.
int sqlErrorNumber(const QSqlError &error);

// How long a data operation waits for a file another program holds locked.
void setBusyTimeout(int milliseconds);

// Opens the data file of code 1 to 4 into db. A missing file is made from its
// template first. Returns false (db invalid) when the file could not be opened;
// the error box has been shown then.
bool OpenData(QSqlDatabase &db, int code);
// Makes sure the data folder and the record store exist.
void DataKontrolEt();
// Narrows the data folder, every file in it and the lookup files to this
// user alone, as the start finds them (another user's files stay as they are).
void keepDataPrivate();
void CloseRs(QSqlQuery &query);
void CloseDb(QSqlDatabase &db);

// What on the shared store would make saves silently wrong (another
// program's trigger or rule on a record table, a record table that is a
// view), in Turkish; empty when nothing, or when it cannot be read.
QString foreignServerSchemaReason(QSqlDatabase &db);

// Adds a missing column to a table of the record store. typeCode 1 text of
// size characters, 2 16-bit integer, 4 double. false (the box shown) when
// it could not.
bool addFieldToTbl(const QString &table, const QString &column, int size, int typeCode,
    bool required, bool allowZeroLength);
// Adds a missing index to a table of the record store; a missing table adds nothing.
bool addIndexToTbl(const QString &table, const QString &index, const QString &columns);
// The upgrade calls the main window runs at load; false (its one box shown)
// when a step failed. A desk whose role may not change the shared store's
// tables is told what to run. A long step (the search index of a store that
// has none) tells progress how far it has come.
bool upgradeRecordStore(const std::function<void(qint64 done, qint64 total)> &progress = {});
// The upgrade's progress on standard error, for runs without a window: the
// search index of a large store takes a while, and a silent terminal looks hung.
void consoleProgress(qint64 done, qint64 total);

} // namespace app

#pragma once

#include <QDateTime>
#include <QString>

namespace app {

struct RestoreOutcome {
    bool ok = false;
    QString text; // for the clerk, in Turkish: what was done, or why nothing was
    QString keptStore; // where the replaced store was kept, if there was one
    long long records = 0;
};

// Puts a backup in the record store's place: the file is checked first (sound,
// both tables, every column), the store it replaces is kept in the backups
// folder, and the new store takes the name in one step. A file that fails the
// check, or a store another program has open, changes nothing.
RestoreOutcome restoreRecordStore(
    const QString &file, const QDateTime &now = QDateTime::currentDateTime());

} // namespace app

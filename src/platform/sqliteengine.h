#pragma once

#include <QString>

namespace platform {

// Engine-level operations that Qt SQL does not offer.
struct EngineResult {
    bool ok = true;
    int code = 0; // SQLite result code, or an errno for file-system errors
    QString message;
};

// Takes and drops an exclusive lock, rolling back any hot journal first.
// code is SQLITE_BUSY when another process is using the file at that moment.
EngineResult checkExclusiveUse(const QString &path);
// Writes a compact copy of source to destination, synced to disk.
EngineResult compactCopy(const QString &source, const QString &destination);
// Runs PRAGMA integrity_check; ok when it answers "ok".
EngineResult integrityCheck(const QString &path);
// Makes a rename of a file in folder survive a power loss.
void syncFolder(const QString &folder);

} // namespace platform

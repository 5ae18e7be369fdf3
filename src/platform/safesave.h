#pragma once

#include <QString>

class QSaveFile;

namespace platform {

// Why a file could not be written, in words a clerk reads: the system's own
// text (and errno, when the caller still has it) mapped to Turkish.
QString writeFailureReason(const QString &systemText, int errorNumber = 0);

// Finishes a QSaveFile: flushes, syncs to disk and renames into place. Any
// failure leaves the target as it was, removes the temporary file and puts
// the reason in *error.
bool commitSaveFile(QSaveFile &file, QString *error);
// Writes a whole file's bytes and commits it; a short write (a full disk)
// fails as commitSaveFile does.
bool writeAndCommit(QSaveFile &file, const QByteArray &data, QString *error);

// Syncs a finished temporary file and moves it over target in one step; on
// failure the temporary file is removed and target kept.
bool replaceWithFile(const QString &finished, const QString &target, QString *error);

} // namespace platform

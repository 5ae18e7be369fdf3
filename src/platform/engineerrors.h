#pragma once

#include <QString>

namespace platform {

// What an SQLite result code means for the clerk, in Turkish, naming file.
// code may be an extended code; 0 when unknown, and then the engine's words
// are matched. The engine's own text follows only as a short technical tail.
// Empty when the code is none the table knows.
QString engineErrorText(int code, const QString &engineText, const QString &file);

// Said when another program window compacts (or replaced) the store while
// this one used it: nothing was written, and the next try works.
QString storeBeingCompactedText(const QString &file);

} // namespace platform

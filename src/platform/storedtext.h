#pragma once

#include <QByteArray>
#include <QString>

class QSqlDatabase;
class QSqlRecord;

namespace platform {

// Text as a record store holds it: UTF-8, or, where the bytes are no valid
// UTF-8 (rows an older tool wrote), the Turkish code page those stores use.
QString fromStoredText(const QByteArray &bytes);

// The engine hands text that is no valid UTF-8 over with its letters turned
// into replacement characters, and a save would write those back: such
// values of the row are read again as bytes and decoded by fromStoredText.
// The row must hold its ID.
void mendStoredText(const QSqlDatabase &db, const QString &table, QSqlRecord *row);

} // namespace platform

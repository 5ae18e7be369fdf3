#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

namespace app {

// A value as both engines can agree on it: dates in ISO form, numbers by
// value whatever their type, Null apart from every text.
QString comparableValue(const QVariant &v);

// Copies every record of from into to, IDs kept, in one transaction on to:
// refused when to already holds records. Before the commit both are read back
// and every value compared; a difference leaves to as it was. report says
// what was copied.
bool copyRecords(QSqlDatabase &from, QSqlDatabase &to, QString *report, QString *error);

// "--move-store shared" copies the local store into the shared one the
// setting names; "--move-store local" copies it back. Says what it did on the
// standard output (errors on the standard error) and returns the exit code.
int moveStore(const QString &direction);

// "--upgrade-store": makes the shared store's tables, or adds what this
// version adds to them, with the connection's role (the database's owner);
// desks whose role may only read and write records cannot. Returns the exit
// code; errors go to the standard error.
int upgradeStore();

} // namespace app

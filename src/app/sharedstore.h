#pragma once

#include <QList>
#include <QPair>
#include <QSqlError>
#include <QString>

namespace app {

// Where the record store lives: the local SQLite file (the default) or a
// PostgreSQL database several desks share, named by a libpq connection text
// ("service=evrakmatik", "host=sunucu dbname=evrakmatik user=masa1"). The
// password never goes into it: libpq reads it from ~/.pgpass or PGPASSFILE.
struct SharedStore {
    QString connection; // empty: the local store
    QString desk; // "Masa=" of the settings file; empty: host and user
    bool isSet() const { return !connection.isEmpty(); }
};

SharedStore &sharedStore();
bool usesSharedStore();

// The settings file beside the data: one line "Baglanti=<connection text>",
// one "Masa=<desk name>"; lines starting with ';' or '#' are notes.
QString sharedStoreSettingsPath();
// Reads the setting from the command line (when given) or the settings file.
// false with *why set when the text carries a password or the file cannot be
// read; the program must not start then, or this desk's records would go to a
// local store no other desk sees.
bool chooseSharedStore(const QString &commandLine, QString *why);

// Who saved a record, as every save keeps it: the desk's name from the
// settings file, else this machine's name and the user's.
QString deskName();

// The keywords and values of a libpq connection text in any form libpq
// takes (keyword=value, a postgresql:// URI); false with libpq's reason when
// the text cannot be read.
bool parseConnection(
    const QString &connection, QList<QPair<QString, QString>> *options, QString *why);
// The text the driver connects with: the same settings as keyword=value
// (the driver cannot take a URI), each session's waits bounded, the program
// named. Empty with *why when the text cannot be read.
QString driverConnectionText(const QString &connection, QString *why);
// How long a save or a load waits for a lock and for one statement before it
// gives up; the list's statements may take listStatementBound().
void setServerWaitBounds(int lockMilliseconds, int statementMilliseconds);
int listStatementBound();

// The server a connection text names, for messages: its host or hostaddr,
// else its service, else "yerel sunucu".
QString sharedStoreHost(const QString &connection);
// True when the text passes a password, in any form.
bool carriesPassword(const QString &connection);

// A server error in words a clerk can pass on, naming the server; the
// server's own text follows for whoever keeps the server.
QString serverErrorText(const QSqlError &error);
// The same for a connection that could not be made.
QString connectErrorText(const QSqlError &error);

} // namespace app

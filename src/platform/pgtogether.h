#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace platform {

// Runs statements at the same time, each in a session of its own: the first
// on db, every other on a new connection to the same server made like db's
// (each given setup first), ended when all have. The server makes an index
// on one processor a session, so a large one made in parts is made as many
// times faster as parts run at once. False with *error when one failed;
// the others are then asked to stop, and waited for.
bool runTogether(const QSqlDatabase &db, const QStringList &setup, const QStringList &statements,
    QString *error);

} // namespace platform

#pragma once

#include <QDateTime>

namespace platform {

// The time the program goes by when it names and keeps backups. Tests set a
// wrong clock on purpose; an invalid time gives the real clock back.
QDateTime now();
void setNowForTests(const QDateTime &fixed);

} // namespace platform

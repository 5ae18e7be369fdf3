#pragma once

#include <QtGlobal>

namespace records {

// Which save of a record a screen shows: its ID and change counter. A counter
// of -1 knows of no save (a store without the counter column, or nothing
// loaded).
struct SaveStamp {
    qint64 id = 0;
    qint64 counter = -1;
    bool stored = false; // a stored record: its ID may be 0 or below
};

} // namespace records

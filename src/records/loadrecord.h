#pragma once

#include <QtGlobal>

namespace records {

class EntryScreen;

// Puts record ID onto the screen without clearing it first. Returns false when
// the error box was shown.
bool OKU(EntryScreen &screen, qint64 id);

} // namespace records

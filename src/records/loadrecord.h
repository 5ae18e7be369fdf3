#pragma once

#include <QtGlobal>

namespace records {

class EntryScreen;

// Puts record ID onto a screen shown as a fresh window shows it. An ID with no
// record leaves the screen alone. Returns false when the error box was shown;
// the screen is then unchanged.
bool OKU(EntryScreen &screen, qint64 id);

} // namespace records

#pragma once

#include <QString>

namespace records {

class EntryScreen;

// "Kaydet": stores the screen under its engine number and old plate. Returns
// the record's ID, or 0 when nothing was saved.
qint64 Kaydet(EntryScreen &screen, const QString &successTitle);

} // namespace records

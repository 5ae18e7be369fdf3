#pragma once

#include <QString>

// Writes count records with three owners each, in realistic Turkish data,
// straight into a record store file.
bool fillStore(const QString &path, int count);

namespace records {
class EntryScreen;
}
// Types one full transaction with three owners onto the screen.
void typeTransaction(records::EntryScreen &screen, int serial);

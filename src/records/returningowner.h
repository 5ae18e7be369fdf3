#pragma once

#include <QSqlRecord>
#include <QString>

#include <optional>

namespace records {

class EntryScreen;

// The most recently added owner row stored under this identity or tax number
// (one query on the KIMLIKNO index); nothing when there is none or the store
// cannot be read.
std::optional<QSqlRecord> findStoredOwner(const QString &kimlikNo);

// Whether owner panel n holds no typed text apart from its identity number.
bool ownerPanelEmpty(const EntryScreen &screen, int n);

// A returning customer: when panel n is empty apart from an identity number
// already stored, asks whether to fill the panel from the stored owner and,
// on "Evet", fills it as loading a record does, keeping the number as typed.
// Returns true when the panel was filled.
bool offerStoredOwner(EntryScreen &screen, int n);
// The same, once the focus change that asks for it has finished.
void queueStoredOwnerOffer(EntryScreen &screen, int n);

} // namespace records

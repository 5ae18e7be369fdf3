#pragma once

#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <QVector>

#include <optional>

namespace records {

class EntryScreen;

struct ColumnValue {
    QString column;
    QVariant value;
};

struct OwnerValues {
    int slot = 0;
    QString kimlikNo;
    QVector<ColumnValue> columns; // in saving order, KIMLIKNO excluded
};

// What a save writes: the record's key, every column to write in saving order,
// and one entry per owner panel that holds an identity number.
struct RecordValues {
    QString motorNo;
    QString eskiPlaka;
    QVector<ColumnValue> columns; // MOTORNO and ESKIPLAKA excluded
    QVector<OwnerValues> owners;
};

// An error that stops a load, with the number and text the error box shows.
struct ScreenError {
    int number = 0;
    QString description;
};

int SecilenSecenek(const EntryScreen &screen, int first, int last);
QString IsaretliListe(const EntryScreen &screen, int first, int last);
// The old plate key: the joined plate, or "YOK" when it is empty.
QString oldPlateKey(const EntryScreen &screen);

RecordValues readScreen(const EntryScreen &screen);

// Puts a stored row onto the screen along the field map. Stops at the first
// value that cannot be shown; what was set before stays set.
std::optional<ScreenError> showVehicle(EntryScreen &screen, const QSqlRecord &row);
std::optional<ScreenError> showOwner(EntryScreen &screen, int slot, const QSqlRecord &row);

// A stored date as the day.month.year text the date check reads.
QString storedDateText(const QVariant &value);
// A valid day.month.year text (any of the three separators) in storage form.
QString storageDate(const QString &text);

} // namespace records

#pragma once

#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <QVector>

#include <optional>

class QComboBox;
class QRadioButton;

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

// A date on the screen that the save does not store, and why.
struct DateNotStored {
    QString label;
    QString text;
    QString reason;
};

// What a save writes: the record's key, every column to write in saving order,
// and one entry per owner panel that holds an identity number.
struct RecordValues {
    QString motorNo;
    QString eskiPlaka;
    QVector<ColumnValue> columns; // MOTORNO and ESKIPLAKA excluded
    QVector<OwnerValues> owners;
    QVector<DateNotStored> datesNotStored; // the clerk is told of these
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

// Puts a stored row onto the screen along the field map, or with apply false
// only checks that every value can be shown whole. Stops at the first value
// that cannot.
std::optional<ScreenError> showVehicle(EntryScreen &screen, const QSqlRecord &row, bool apply);
std::optional<ScreenError> showOwner(
    EntryScreen &screen, int slot, const QSqlRecord &row, bool apply);

// A fixed list may begin with an empty item, "no choice"; choices count the
// other items from 0, and -1 is no choice.
bool hasNoChoiceItem(const QComboBox *c);
int listChoice(const QComboBox *c);
void setListChoice(QComboBox *c, int choice);
// Takes the choice of an option group back to none.
void clearChoice(QRadioButton *b);
// Every owner panel's options and lists back to no choice.
void clearOwnerChoices(EntryScreen &s);

// Every value the save reads from the screen, one "control=value" line each:
// two screens with the same lines save the same record.
QStringList screenState(const EntryScreen &s);

// The screen as a fresh window shows it: no text, tick, date, option or
// choice; the brand list stays, the model list is emptied.
void showAsFresh(EntryScreen &screen);

// A stored date as the day.month.year text the date check reads.
QString storedDateText(const QVariant &value);
// A valid day.month.year text (any of the three separators) in storage form.
QString storageDate(const QString &text);

} // namespace records

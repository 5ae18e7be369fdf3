#pragma once

#include <QVector>

namespace records {

// How a column's value moves between its control and the store.
enum class FieldKind {
    Text, // box text trimmed on saving; stored text, untrimmed, on loading
    TrimmedText, // as Text, but loaded through null-safe (trimmed) text
    KeyText, // the engine number: trimmed, never empty
    Plate, // three boxes from control on, trimmed and joined
    Number, // null-safe number; loads as the stored value's text
    Period, // null-safe number both ways (Null shows "0")
    ComboText, // a combo's shown text
    Date, // a date cell, written only when its text is a valid date
    DateText, // a date cell kept as the text typed, always written
    OptionIndex, // index of the selected optX from control to last, 0 if none
    CheckList, // dash-joined indices of the ticked chkX from control to last
    ListIndex, // a fixed list's selected index, 0 if none
};

struct VehicleField {
    const char *column;
    FieldKind kind;
    int control; // txt, cmbX, sprTarih or the first optX/chkX index
    int last; // last optX/chkX index of a group
    int loadOrder; // position in the loading sequence
};

// ARACKAYIT columns in saving order; MOTORNO and ESKIPLAKA, the record's
// key, come first.
const QVector<VehicleField> &vehicleFields();
// The same rows sorted into loading order.
const QVector<VehicleField> &vehicleFieldsInLoadOrder();

enum class OwnerKind {
    Key, // KIMLIKNO: txt(b), trimmed; an empty box means no owner
    Text, // txt(b + offset) exactly as typed
    Date, // sprTarih(n + 2)
    ListText, // cmbX(multiplier * n) shown text
    Letter, // a pair: even index gives evenLetter, otherwise oddLetter
    Phone, // TELEFONIS / TELEFONEV through the optTel pair
    Mobile, // TELEFONCEP
};

enum class OwnerPair { None, OptA, OptC, OptAdres };

struct OwnerField {
    const char *column;
    OwnerKind kind;
    int offset; // text box offset from the owner's base index, or combo multiplier
    OwnerPair pair;
    const char *evenLetter;
    const char *oddLetter;
};

// ARACSAHIPLERI columns in saving order (KIMLIKNO first).
const QVector<OwnerField> &ownerFields();

} // namespace records

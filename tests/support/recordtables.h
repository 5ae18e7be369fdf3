#pragma once

#include <QStringList>
#include <QVector>

namespace records {
class EntryScreen;
}
class QWidget;

namespace testing {

// The rows of a tab-separated table in tests/data, header first. Blank lines
// and lines starting with '#' are skipped; "\n" in a cell is a line break.
QVector<QStringList> readTable(const QString &file);

// A QtTest data table from such a file: the first cell names the row, every
// other header cell is a QString column.
void addTableRows(const QString &file);

// A control of the entry screen by the name every part of the program uses:
// "txt(16)", "sprTarih(3)", "cmbX(4)", "chkX(0)", "optX(12)", "OptA(1)",
// "optC(0)", "optAdres(2)", "optTel(5)".
QWidget *control(const records::EntryScreen &s, const QString &name);

// Sets "name=text" items split by '|': boxes and date cells take the text,
// ticks and options are set by 1 or 0. False on an unknown control.
bool setControls(records::EntryScreen &s, const QString &items);

} // namespace testing

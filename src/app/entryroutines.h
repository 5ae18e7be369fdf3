#pragma once

#include <QString>
#include <QVariant>

class QWidget;

namespace platform {
class GridCells;
}

namespace app {

// Exactly ten characters, day, month and four-digit year separated by "/", "-"
// or ".", a real calendar date, years 1900 to 2045.
bool IsValidDate(const QVariant &value);
// Turkish upper-casing for searches: ü ş ğ ö ç i ı first, then the rest.
QString TrUpper(const QVariant &value);
QString TrUpperText(const QString &text);
QChar TrUpperChar(QChar c);
// Whether the first characters of text, folded as TrUpper folds them, are
// foldedPrefix (already folded).
bool startsWithTrUpper(QStringView text, QStringView foldedPrefix);
// Key-press filter of numeric boxes: the code, or 0 to drop the key.
int KeyDigits(int code);
// Enter and Down move the focus as Tab does, Up as Shift+Tab. Returns true
// when the key moved the focus.
bool EnterTab(QWidget *widget, int qtKey);
// Selects the whole text of a text box.
void SelAll(QWidget *widget);

// Reads one cell, leaving the grid's active cell where it was. A cell that
// does not exist ends the program through the error box.
QString GetSprTxt(platform::GridCells &grid, int row, int col, bool trim = false,
    bool dotDecimal = false, bool useValue = false);
void SetSprTxt(platform::GridCells &grid, int row, int col, const QVariant &value);

// The parts of a plate, written by SplitPlate.
struct PlateParts {
    QString il; // province code
    QString harf; // letters
    QString no; // number
};
PlateParts SplitPlate(const QString &plate);
extern QString PlakaIl;
extern QString PlakaHarf;
extern QString PlakaNo;

} // namespace app

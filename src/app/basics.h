#pragma once

#include <QString>
#include <QVariant>

namespace app {

// Null-safe text: Null becomes "", blanks trimmed unless keepSpaces; an empty
// result becomes one blank when blankToSpace.
QString NullTxt(const QVariant &value, bool keepSpaces = false, bool blankToSpace = false);
// The trimmed text when it reads as a number with "," decimals and "."
// grouping, otherwise "0".
QString NullNum(const QVariant &value);

// Numbers in the program's regional format.
bool isLocaleNumber(const QString &text);
double localeNumber(const QString &text); // 0 when not a number
QString numberText(double value); // "12,5", "1500"

void CursorWait();
void CursorDefault();
// Creates the folder and any missing parents; never fails.
void MakeFolder(const QString &path);
// There are no 8.3 names here: the path itself.
QString ShortPath(const QString &path);
// "major.minor.revision" with the revision in at least two digits.
QString VersionText();
// The executable's base name, as the error box shows it.
QString programName();

} // namespace app

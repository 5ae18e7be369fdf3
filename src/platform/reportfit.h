#pragma once

#include "report.h"

#include <QFont>
#include <QStringList>

namespace platform {

// The smallest size a text is shrunk to: still legible on a form.
constexpr double kFloorPointSize = 5.5;

// How a field's text goes into its box, decided once and drawn the same by the
// preview, the printer, the PDF and the Word file. A text that does not fit
// at the field's size is drawn smaller, in half points down to the floor; a
// multi-line field wraps first. What still does not fit at the floor is cut
// at the box edge.
struct FieldFit {
    QString text; // the text and box this fit was made for
    QRect rect;
    double fieldSize = 0;
    double pointSize = 0; // the size drawn
    QStringList lines; // top to bottom, each within the box's width
    bool shrunk() const { return pointSize < fieldSize; }
    bool cut = false;
};

// The face a field is drawn in, at a size.
QFont fieldFont(const ReportField &field, double pointSize);
// Line pitch in twips: what every output puts between two lines of a field.
double linePitchTwips(const QFont &font);
const FieldFit &fitOf(const ReportField &field);
// What of a text may reach paper: control characters and the marks that
// reorder text ("MTR1001" printed "1001RTM") are dropped, a tab is a blank;
// line breaks stay.
QString printableText(const QString &text);

// For the clerk, before paper is spent: one line per field of these pages
// that was shrunk or cut, by the entry screen's label.
QStringList fitNotes(const QVector<const Report *> &pages);

} // namespace platform

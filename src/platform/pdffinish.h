#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSizeF>
#include <QString>
#include <QVector>

namespace platform {

// What an archived form says of itself.
struct PdfDescription {
    QString title;
    QString author; // the office
    QString subject; // the form and the plate
    QDateTime created;
};

// The XMP packet a PDF/A file carries: the description, and the claim of
// PDF/A-1b that the writer's output meets.
QByteArray pdfaMetadata(const PdfDescription &d);

// Qt's PDF writer rounds page boxes to whole points and leaves the author and
// subject out of the document's information. This rewrites a file it made:
// each page's box to its exact size in points, keeping the top edge where the
// page's drawing starts, and the information to the description's, as the
// metadata says it. False when the file is not laid out as expected.
bool finishPdf(QByteArray *pdf, const QVector<QSizeF> &pagePoints, const PdfDescription &d);

} // namespace platform

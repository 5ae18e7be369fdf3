#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVector>

namespace testing {

// A word of a PDF page as poppler's pdftotext -bbox reports it, in points.
struct PdfWord {
    int page = 0;
    QRectF box;
    QString text;
};

struct PdfText {
    QVector<QSizeF> pages; // page sizes in points
    QVector<PdfWord> words;
    const PdfWord *find(const QString &text, int page = -1) const;
};

// Reads a PDF back with pdftotext; an empty result when it cannot.
PdfText readPdf(const QString &path);

// A document or workbook laid out by LibreOffice and written as PDF beside
// it, with the fonts of a folder visible to it (none but the system's when the
// folder is empty); an empty path when LibreOffice is missing or fails.
QString officeToPdf(const QString &document, const QString &fontFolder);

// The words of a that b does not have on the same page: what wrapped or was
// cut differently.
QStringList missingWords(const PdfText &a, const PdfText &b);

// How far the print of b lies from the print of a within boxes of the pages
// (points from the top left), in millimetres: the largest difference of an
// edge of the ink in any box, both files drawn by the same rasteriser. Ink
// measures where the glyphs land, whatever metrics the file states for its
// faces. A negative result when a page cannot be drawn.
// *where names the page and box of the largest. The ink of uncompared boxes
// (texts drawn differently on purpose) is left out where it reaches into the
// compared ones.
double inkDeviation(const QString &a, const QString &b, const QVector<QVector<QRectF>> &boxes,
    QString *where, const QVector<QVector<QRectF>> &uncompared = {});

// The text layer of a PDF as a reader gets it: "pdftotext", "gs" or
// "pdfminer"; false when the reader is not installed.
bool textLayer(const QString &pdf, const QString &reader, QString *text);

} // namespace testing

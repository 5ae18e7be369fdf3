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

// A document laid out by LibreOffice and written as PDF beside it, with the
// fonts of a folder visible to it; an empty path when LibreOffice is missing
// or fails.
QString wordToPdf(const QString &document, const QString &fontFolder);

} // namespace testing

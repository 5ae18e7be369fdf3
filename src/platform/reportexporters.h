#pragma once

#include "report.h"

#include <QString>
#include <QVector>

#include <memory>

class QIODevice;

namespace platform {

// Writes a report's pages to a file. A failed write leaves no file behind.
class ReportExporter {
public:
    virtual ~ReportExporter() = default;
    virtual QString name() const = 0;
    virtual QString fileFilter() const = 0;
    bool write(const QVector<const Report *> &pages, const QString &path, QString *error) const;

protected:
    virtual bool writeTo(
        const QVector<const Report *> &pages, const QString &path, QString *error) const = 0;
};

// PDF through Qt's PDF writer: the same page the preview and printer get.
class PdfExporter final : public ReportExporter {
public:
    QString name() const override { return QStringLiteral("Pdf"); }
    QString fileFilter() const override { return QStringLiteral("Pdf (*.pdf)"); }
    // The file's bytes: what the export writes and a print queue is sent.
    static bool render(const QVector<const Report *> &pages, QByteArray *bytes, QString *error);

protected:
    bool writeTo(
        const QVector<const Report *> &pages, const QString &path, QString *error) const override;
};

// A document Word and LibreOffice Writer open as it prints: DOCX with every
// field in a frame at its place on the paper, and the faces it was laid out
// with inside, so a machine without them lays it out the same.
class WordExporter final : public ReportExporter {
public:
    QString name() const override { return QStringLiteral("Word"); }
    QString fileFilter() const override { return QStringLiteral("Word (*.docx)"); }
    static QByteArray docx(const QVector<const Report *> &pages);

protected:
    bool writeTo(
        const QVector<const Report *> &pages, const QString &path, QString *error) const override;
};

// A workbook that prints as the PDF does: a sheet a page, each field in the
// cells of its box on the form's paper, and a sheet "Alanlar" listing each
// box's label and value.
class ExcelExporter final : public ReportExporter {
public:
    QString name() const override { return QStringLiteral("Excel"); }
    QString fileFilter() const override { return QStringLiteral("Excel (*.xlsx)"); }

protected:
    bool writeTo(
        const QVector<const Report *> &pages, const QString &path, QString *error) const override;
};

// The fields that print, in page order: top to bottom, then left to right.
QVector<QVector<const ReportField *>> fieldLines(const Report &report);

} // namespace platform

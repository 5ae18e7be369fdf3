#include "reportexporters.h"

#include "pdffinish.h"
#include "reportfit.h"
#include "reportpainter.h"
#include "safesave.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>

namespace platform {

bool ReportExporter::write(
    const QVector<const Report *> &pages, const QString &path, QString *error) const
{
    if (!QFileInfo(QFileInfo(path).absolutePath()).isDir()) {
        *error = QStringLiteral("Klasör bulunamadı: %1").arg(QFileInfo(path).absolutePath());
        return false;
    }
    return writeTo(pages, path, error);
}

bool PdfExporter::render(const QVector<const Report *> &pages, QByteArray *bytes, QString *error)
{
    if (pages.isEmpty()) {
        *error = QStringLiteral("Yazılacak sayfa yok.");
        return false;
    }
    const Report &first = *pages.first();
    PdfDescription description { first.caption, first.author, first.subject,
        QDateTime::currentDateTime() };
    // Whole seconds: the information and the metadata must agree to the letter.
    description.created = description.created.addMSecs(-description.created.time().msec());
    QVector<QSizeF> sizes;
    {
        QBuffer buffer(bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        // Archive-grade: the faces inside, colours described, metadata in XMP.
        pdf.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
        pdf.setDocumentXmpMetadata(pdfaMetadata(description));
        pdf.setResolution(1200);
        pdf.setCreator(QStringLiteral("Evrakmatik"));
        pdf.setTitle(description.title);
        preparePagedDevice(pdf, first);
        QPainter painter(&pdf);
        for (int i = 0; i < pages.size(); ++i) {
            if (i > 0) {
                preparePagedDevice(pdf, *pages[i]);
                pdf.newPage();
            }
            paintReportPage(painter, *pages[i]);
            sizes << paperPoints(
                pages[i]->pageSettings.paperSize, pages[i]->pageSettings.orientation);
        }
    }
    if (!finishPdf(bytes, sizes, description)) {
        *error = QStringLiteral("PDF dosyası hazırlanamadı.");
        return false;
    }
    return true;
}

bool PdfExporter::writeTo(
    const QVector<const Report *> &pages, const QString &path, QString *error) const
{
    QByteArray bytes;
    if (!render(pages, &bytes, error))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = writeFailureReason(file.errorString());
        return false;
    }
    return writeAndCommit(file, bytes, error);
}

QVector<QVector<const ReportField *>> fieldLines(const Report &report)
{
    QVector<const ReportField *> fields;
    for (const ReportField &f : report.fields) {
        if (!f.text.isEmpty())
            fields << &f;
    }
    std::stable_sort(fields.begin(), fields.end(), [](const ReportField *a, const ReportField *b) {
        return a->rect.top() != b->rect.top() ? a->rect.top() < b->rect.top()
                                              : a->rect.left() < b->rect.left();
    });
    // Fields whose tops lie within a sixth of an inch share a line.
    QVector<QVector<const ReportField *>> lines;
    for (const ReportField *f : fields) {
        if (lines.isEmpty() || f->rect.top() - lines.last().first()->rect.top() > 240)
            lines.append(QVector<const ReportField *>());
        lines.last() << f;
    }
    for (auto &line : lines)
        std::stable_sort(line.begin(), line.end(), [](const ReportField *a, const ReportField *b) {
            return a->rect.left() < b->rect.left();
        });
    return lines;
}

} // namespace platform

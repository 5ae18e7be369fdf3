#include "reportpainter.h"

#include "printqueue.h"
#include "reportfit.h"

#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>

namespace platform {

namespace {

QPageSize pageSizeOf(int paperSize)
{
    return QPageSize(paperSize == PaperA5 ? QPageSize::A5 : QPageSize::A4);
}

QPageLayout::Orientation orientationOf(int orientation)
{
    return orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait;
}

} // namespace

QRect fieldOnPaper(const Report &report, const ReportField &field)
{
    const PageSettings &p = report.pageSettings;
    return field.rect.translated(p.leftMargin, p.topMargin + report.headerHeight);
}

void paintReportPage(QPainter &painter, const Report &report)
{
    // Device units per twip; the painter's own transform (the preview's zoom)
    // comes on top.
    const double unit = painter.device()->logicalDpiX() / 1440.0;
    const double unitY = painter.device()->logicalDpiY() / 1440.0;
    painter.save();
    painter.setPen(Qt::black);
    for (const ReportField &f : report.fields) {
        if (f.text.isEmpty())
            continue;
        const FieldFit &fit = fitOf(f);
        const QFont font = fieldFont(f, fit.pointSize);
        painter.setFont(font);
        const QRect r = fieldOnPaper(report, f);
        const QRectF box(r.left() * unit, r.top() * unitY, r.width() * unit, r.height() * unitY);
        // Nothing of a field reaches another box or leaves the paper.
        painter.setClipRect(box);
        const double pitch = linePitchTwips(font) * unitY;
        const int flags = int(f.align & Qt::AlignHorizontal_Mask) | Qt::AlignTop | Qt::TextDontClip;
        for (int i = 0; i < fit.lines.size(); ++i) {
            const QRectF line(box.left(), box.top() + i * pitch, box.width(), pitch);
            painter.drawText(line, flags, fit.lines[i]);
        }
    }
    painter.restore();
}

void preparePagedDevice(QPagedPaintDevice &device, const Report &report)
{
    device.setPageLayout(QPageLayout(pageSizeOf(report.pageSettings.paperSize),
        orientationOf(report.pageSettings.orientation), QMarginsF(0, 0, 0, 0)));
}

void preparePrinter(QPrinter &printer, const Report &report)
{
    printer.setFullPage(true);
    printer.setPageSize(pageSizeOf(report.pageSettings.paperSize));
    printer.setPageOrientation(orientationOf(report.pageSettings.orientation));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    const int dpi = report.printQuality == -4 ? 600 : report.printQuality == -3 ? 300 : 0;
    if (dpi == 0)
        return;
    printer.setResolution(dpi);
    // The queue is asked for the quality too; its PPD names it "Resolution".
    // The key is the print engine's for options handed to CUPS as they stand;
    // other engines ignore it.
    constexpr auto cupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
    if (printer.outputFormat() == QPrinter::NativeFormat)
        printer.printEngine()->setProperty(cupsOptions,
            QStringList { QStringLiteral("Resolution"), QStringLiteral("%1dpi").arg(dpi) });
}

bool printPages(QPrinter &printer, const QVector<const Report *> &pages)
{
    // A queue gets the export's file; a print to a file stays the engine's.
    if (!pages.isEmpty() && printer.outputFormat() == QPrinter::NativeFormat
        && !printer.printerName().isEmpty() && printer.outputFileName().isEmpty())
        return sendToQueue(printer, pages);
    QPainter painter;
    if (pages.isEmpty() || !painter.begin(&printer))
        return false;
    for (int i = 0; i < pages.size(); ++i) {
        if (i > 0) {
            printer.setPageSize(pageSizeOf(pages[i]->pageSettings.paperSize));
            printer.setPageOrientation(orientationOf(pages[i]->pageSettings.orientation));
            printer.newPage();
        }
        paintReportPage(painter, *pages[i]);
    }
    return painter.end();
}

} // namespace platform

#pragma once

#include "report.h"

class QPainter;
class QPagedPaintDevice;
class QPrinter;

namespace platform {

// Draws the one page of a report on any paint device: the preview, a printer,
// a PDF. Positions are measured from the paper's edge, so the same margins put
// a field at the same place everywhere; text stays text.
void paintReportPage(QPainter &painter, const Report &report);
// Where a field lands on the paper, in twips from the paper's top-left corner.
QRect fieldOnPaper(const Report &report, const ReportField &field);
// Sets a printer or PDF writer to the report's paper, full page.
void preparePagedDevice(QPagedPaintDevice &device, const Report &report);
void preparePrinter(QPrinter &printer, const Report &report);
// Prints pages on a printer set up by preparePrinter for the first: each page
// on its own paper. False when the printer could not be opened.
bool printPages(QPrinter &printer, const QVector<const Report *> &pages);

} // namespace platform

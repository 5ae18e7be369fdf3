#include "printqueue.h"

#include "reportexporters.h"

#include <QPrintEngine>
#include <QPrinter>
#include <QTemporaryFile>

#include <cups/cups.h>

#include <vector>

namespace platform {

bool lastPrintJobAccepted(QString *why)
{
    // The print engine submits through the same library in this thread, so
    // its last answer is still here.
    const ipp_status_t status = cupsLastError();
    if (status <= IPP_STATUS_OK_EVENTS_COMPLETE)
        return true;
    *why = status == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS
        ? QStringLiteral("Yazıcı kuyruğu iş kabul etmiyor (kuyruk durdurulmuş ya da reddediyor).")
        : QStringLiteral("Yazdırma sistemi işi kabul etmedi: %1")
              .arg(QString::fromUtf8(cupsLastErrorString()));
    return false;
}

bool sendToQueue(QPrinter &printer, const QVector<const Report *> &pages)
{
    QByteArray pdf;
    QString error;
    if (!PdfExporter::render(pages, &pdf, &error))
        return false;
    QTemporaryFile file;
    if (!file.open() || file.write(pdf) != pdf.size() || !file.flush())
        return false;
    // What the print dialog and the printer object chose, named as the queue
    // knows it; options the dialog handed the engine as they stand.
    std::vector<std::pair<QByteArray, QByteArray>> chosen;
    const PageSettings &first = pages.first()->pageSettings;
    chosen.push_back({ "media", first.paperSize == PaperA5 ? "A5" : "A4" });
    if (first.orientation == 2)
        chosen.push_back({ "landscape", "" });
    if (printer.copyCount() > 1) {
        chosen.push_back({ "copies", QByteArray::number(printer.copyCount()) });
        chosen.push_back({ "Collate", printer.collateCopies() ? "True" : "False" });
    }
    switch (printer.duplex()) {
    case QPrinter::DuplexNone:
        chosen.push_back({ "sides", "one-sided" });
        break;
    case QPrinter::DuplexLongSide:
        chosen.push_back({ "sides", "two-sided-long-edge" });
        break;
    case QPrinter::DuplexShortSide:
        chosen.push_back({ "sides", "two-sided-short-edge" });
        break;
    case QPrinter::DuplexAuto:
        break;
    }
    constexpr auto cupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
    const QStringList pairs = printer.printEngine()->property(cupsOptions).toStringList();
    for (int i = 0; i + 1 < pairs.size(); i += 2)
        chosen.push_back({ pairs[i].toUtf8(), pairs[i + 1].toUtf8() });
    cups_option_t *options = nullptr;
    int count = 0;
    for (const auto &[name, value] : chosen)
        count = cupsAddOption(name.constData(), value.constData(), count, &options);
    const int job = cupsPrintFile(printer.printerName().toUtf8().constData(),
        QFile::encodeName(file.fileName()).constData(), printer.docName().toUtf8().constData(),
        count, options);
    cupsFreeOptions(count, options);
    return job > 0 || cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE;
}

} // namespace platform

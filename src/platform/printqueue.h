#pragma once

#include "report.h"

#include <QString>
#include <QVector>

class QPrinter;

namespace platform {

// Whether the print system took the job the last print of this thread handed
// it: a queue that rejects jobs, or a server that refuses them, ends a print
// without an error of the printer object. *why, in Turkish, when not.
bool lastPrintJobAccepted(QString *why);

// Sends pages to the print queue a printer object names, as the PDF export
// writes them: on paper of the exact ISO size, with the copies, sides and
// queue options chosen for the printer object. Qt's print engine rounds each
// page to whole points (A5 420 × 595 instead of 419.53 × 595.28), which the
// queue's filters then fit to the paper. False when the job was not sent.
bool sendToQueue(QPrinter &printer, const QVector<const Report *> &pages);

} // namespace platform

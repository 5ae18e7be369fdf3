#pragma once

#include <QString>

namespace platform {

// Whether the print system took the job the last print of this thread handed
// it: a queue that rejects jobs, or a server that refuses them, ends a print
// without an error of the printer object. *why, in Turkish, when not.
bool lastPrintJobAccepted(QString *why);

} // namespace platform

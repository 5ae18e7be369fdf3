#pragma once

#include <QString>

namespace printing {

// Why an export or a PDF may not be written to out, or empty: only a new
// name or a plain file, and never one of the program's own data files (the
// store, the data folder, the settings), which a mistyped name would
// otherwise wipe with the export reported done. Links, folders, devices and
// pipes are refused too.
QString outputRefusal(const QString &out);

} // namespace printing
